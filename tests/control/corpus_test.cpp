// Replays every input of the fuzz corpus through a whole session, so that
// each input the fuzzer ever found stays a regression test.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/harness.h"

namespace {

std::vector<std::filesystem::path> corpus() {
  std::vector<std::filesystem::path> files;
  for (const auto& e :
       std::filesystem::directory_iterator(std::string(AGV_SOURCE_DIR) + "/fuzz/corpus"))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

TEST(FuzzCorpus, EveryInputRunsToTheEndOfItsBytes) {
  auto files = corpus();
  ASSERT_GE(files.size(), 20u);
  for (const auto& f : files) {
    SCOPED_TRACE(f.filename().string());
    std::ifstream in(f, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    agvtest::runsession(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
}

// The realistic sessions of the seed corpus each complete a pass.
TEST(FuzzCorpus, SeedSessionsCompleteAPass) {
  for (const char* name : {"ptp_default", "ptp_typed_pose", "ptp_too_long", "ptp_reentry",
                           "cp_1", "cp_11", "cp_16", "cp_refused", "cp_too_long"}) {
    SCOPED_TRACE(name);
    std::ifstream in(std::string(AGV_SOURCE_DIR) + "/fuzz/corpus/" + name, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty());
    EXPECT_GE(agvtest::runsession(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
              1);
  }
}

}  // namespace
