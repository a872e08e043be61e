// The map readers' fuzz corpora replayed: every seed and whatever the fuzzers kept is read or
// refused in one line that names its file (ok_* read, bad_* refused); and the example map.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "agv/agv.h"
#include "agv/map.h"
#include "mapfile/mapfile.h"
#include "support/files.h"

using namespace agv;

namespace {

template <class Read>
void replay(const std::string& corpus, Read read) {
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(std::string(AGV_SOURCE_DIR) + "/fuzz/" + corpus)) {
    const std::string name = e.path().filename().string();
    SCOPED_TRACE(name);
    const std::string bytes = agvtest::slurp(e.path().string());
    std::string err;
    const bool ok = read(bytes, name, err);
    // The seeds say what they are; what the fuzzer kept may be either.
    if (name.rfind("ok_", 0) == 0 || name.rfind("bad_", 0) == 0) {
      EXPECT_EQ(ok, name[0] == 'o') << err;
    }
    if (!ok) {
      EXPECT_EQ(err.rfind(name + ":", 0), 0u) << err;
    }
    EXPECT_EQ(err.find('\n'), std::string::npos) << err;
    ++files;
  }
  EXPECT_GE(files, 10);
}

TEST(FuzzCorpus, EveryMapYamlIsReadOrRefusedInOneLine) {
  replay("mapyaml_corpus", [](const std::string& bytes, const std::string& name, std::string& err) {
    mapfile::MapYaml y;
    return mapfile::parseyaml(bytes, name, y, err);
  });
}

TEST(FuzzCorpus, EveryMapImageIsReadOrRefusedInOneLine) {
  replay("mapimage_corpus", [](const std::string& bytes, const std::string& name, std::string& err) {
    Map m;
    const bool ok = mapfile::readimage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                       name, mapfile::MapYaml{}, kMapMaxSide, m, err);
    m.resolution = 1;
    EXPECT_EQ(ok ? checkmap(m) : "", "");
    return ok;
  });
}

// The example warehouse: the default pass drives clear of its racks on every run.
TEST(ExampleMap, TheDefaultPassDrivesClear) {
  Map m;
  std::string err;
  ASSERT_TRUE(mapfile::loadmap(std::string(AGV_SOURCE_DIR) + "/examples/warehouse.yaml", m, err))
      << err;
  EXPECT_EQ(m.width, 600);
  EXPECT_EQ(m.height, 400);
  MapIndex ix;
  ASSERT_TRUE(buildindex(m, Params{}, ix));
  auto r = std::make_unique<PtpResult>();
  ASSERT_EQ(passPTP(Params{}, 2, 3, 0, *r), Status::Done);
  for (const Runs* runs : {&r->arc[0], &r->arc[1], &r->arc[2], &r->cl[0], &r->cl[1], &r->cl[2]})
    for (const auto* run : {&runs->ref, &runs->cv, &runs->vv}) EXPECT_FALSE(firstcontact(ix, *run));
  // The back wall of a parking bay is in the way of a body that drives too deep.
  EXPECT_FALSE(collides(ix, 1.8, 11.0, PI_2));
  EXPECT_EQ(collides(ix, 1.8, 11.7, PI_2).touch, Touch::Occupied);
}

}  // namespace
