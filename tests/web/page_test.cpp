// The page's own entries (those agvbatch has not: the path kind, the view's keys): a bad value
// refused beside its field, every one of them, and no pass shown.
#include "web/page.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "mapfile/mapfile.h"
#include "support/files.h"

namespace {

struct Bad {
  std::vector<std::pair<std::string, std::string>> entries;
  std::vector<std::pair<std::string, std::string>> refused;  // field, start of its message
};

TEST(PageEntries, EachBadValueIsRefusedBesideItsField) {
  const Bad table[] = {
      {{{"path", "map"}}, {{"path", "unknown path kind map"}}},
      {{{"mech", "abc"}, {"drawing", "z"}, {"zoom", "x"}},
       {{"mech", "no mechanism abc"},
        {"zoom", "zoom is a whole number"},
        {"drawing", "the drawings"}}},
      {{{"mech", "4"}}, {{"mech", "no mechanism 4"}}},
      {{{"panx", "100001"}, {"pany", "1e3"}},
       {{"panx", "panx is a whole number of keys from -100000 to 100000"}, {"pany", "pany is"}}},
      {{{"step", "-1"}, {"xf", "inf"}}, {{"xf", "not a finite number: inf"}}},
      {{{"step", "1000000"}}, {{"step", "step 1000000 is beyond the motion"}}},
      {{{"map", "warehouse"}}, {{"map", "no map warehouse read (the map read: none)"}}},
  };
  for (const Bad& b : table) {
    agvweb::Page p;
    for (const auto& [k, v] : b.entries) p.set(k, v);
    EXPECT_FALSE(p.run());
    EXPECT_FALSE(p.done());
    ASSERT_EQ(p.errors().size(), b.refused.size()) << b.entries.front().first;
    for (size_t i = 0; i < b.refused.size(); ++i) {
      EXPECT_EQ(p.errors()[i].first, b.refused[i].first);
      EXPECT_EQ(p.errors()[i].second.rfind(b.refused[i].second, 0), 0u) << p.errors()[i].second;
    }
    EXPECT_EQ(p.summary(), "");
    EXPECT_FALSE(p.key('s'));
  }
}

// Keys far beyond the zoom's bound stop at it, as in the window; the address then tells the
// keys that count.
TEST(PageEntries, ZoomKeysStopAtTheBound) {
  agvweb::Page p;
  p.set("zoom", "-100000");
  ASSERT_TRUE(p.run());
  const std::string q = p.viewquery();
  EXPECT_EQ(q.rfind("zoom=-", 0), 0u) << q;
  EXPECT_FALSE(p.key('w'));
  EXPECT_TRUE(p.key('W'));
}

// A map's files given to the page are refused with agvbatch's message for the same files (less
// their folder); the page keeps the map it had, and passes in it.
TEST(PageEntries, AMapsFilesAreRefusedAsAgvbatchRefusesThem) {
  struct Files {
    std::string yaml, image;
  };
  const std::string good = "image: m.pgm\nresolution: 0.5\norigin: [-4, -4, 0]\n";
  std::string pgm = "P2 16 16 255\n";  // a wall down the left side
  for (int i = 0; i < 16 * 16; ++i) pgm += i % 16 == 0 ? "0 " : "255 ";
  const Files table[] = {
      {"image: m.pgm\nresolution: [1\n", pgm},
      {good + "size: 3\n", pgm},
      {"resolution: 0.5\norigin: [0, 0, 0]\n", pgm},
      {good, "P5 16 16 255\n\x01"},
      {good, "GIF89a"},
      {good, ""},
      {std::string(agv::mapfile::kYamlMax + 1, '#'), pgm},
  };
  const std::string dir = agvtest::scratch("page-map");
  std::string err;
  agvweb::Page p;
  ASSERT_TRUE(p.mapyaml("m.yaml", good, err)) << err;
  EXPECT_EQ(p.mapimage(), "m.pgm");
  ASSERT_TRUE(p.mapbytes(reinterpret_cast<const std::uint8_t*>(pgm.data()), pgm.size(), err))
      << err;
  for (const Files& f : table) {
    std::ofstream(dir + "/m.yaml", std::ios::binary) << f.yaml;
    std::ofstream(dir + "/m.pgm", std::ios::binary) << f.image;
    agv::Map m;
    std::string want;
    ASSERT_FALSE(agv::mapfile::loadmap(dir + "/m.yaml", m, want)) << f.yaml;
    ASSERT_EQ(want.rfind(dir + "/", 0), 0u) << want;
    want = want.substr(dir.size() + 1);
    if (p.mapyaml("m.yaml", f.yaml, err)) {
      EXPECT_FALSE(
          p.mapbytes(reinterpret_cast<const std::uint8_t*>(f.image.data()), f.image.size(), err));
    }
    EXPECT_EQ(err, want);
  }
  p.set("map", "m");
  p.set("xf", "1");
  p.set("yf", "0");
  ASSERT_TRUE(p.run()) << (p.errors().empty() ? "" : p.errors().front().second);
  EXPECT_NE(p.summary().find("contact"), std::string::npos);
}

}  // namespace
