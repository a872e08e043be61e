// Every input of the fuzz corpus, replayed through a whole session.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/harness.h"

namespace {

TEST(FuzzCorpus, EveryInputRunsToTheEndOfItsBytes) {
  int files = 0;
  for (const auto& e :
       std::filesystem::directory_iterator(std::string(AGV_SOURCE_DIR) + "/fuzz/corpus")) {
    std::string name = e.path().filename().string();
    SCOPED_TRACE(name);
    std::ifstream in(e.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int passes = agvtest::runsession(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    // The hand-written seed sessions each complete at least one pass, with the parameters
    // they give; parameters that agvsim refuses run no session.
    if (name.rfind("params_refused", 0) == 0) {
      EXPECT_EQ(passes, -1);
    } else if (name.rfind("ptp_", 0) == 0 || name.rfind("cp_", 0) == 0 ||
               name.rfind("params_", 0) == 0) {
      EXPECT_GE(passes, 1);
    }
    ++files;
  }
  EXPECT_GE(files, 20);
}

}  // namespace
