// Every input of the merge's fuzz corpus, replayed: the seeds as they were written, and
// whatever the fuzzer has kept, each merged or refused with status 2.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "batch/mergeinput.h"
#include "batch/status.h"
#include "support/files.h"

namespace {

TEST(FuzzCorpus, EverySetOfSlicesIsMergedOrRefused) {
  const std::string dir = agvtest::scratch("mergecorpus");
  int files = 0;
  for (const auto& e :
       std::filesystem::directory_iterator(std::string(AGV_SOURCE_DIR) + "/fuzz/merge_corpus")) {
    const std::string name = e.path().filename().string();
    SCOPED_TRACE(name);
    std::ifstream in(e.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const int status = agvbatch::mergeinput(reinterpret_cast<const uint8_t*>(bytes.data()),
                                            bytes.size(), dir);
    EXPECT_EQ(status, name.rfind("two_slices", 0) == 0 || name.rfind("one_slice", 0) == 0
                          ? agvbatch::OK
                          : agvbatch::USAGE);
    std::filesystem::remove(dir + "/out.csv");
    ++files;
  }
  EXPECT_GE(files, 5);
  std::filesystem::remove_all(dir);
}

}  // namespace
