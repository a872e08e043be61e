// The merge of arbitrary bytes as slice files: the fuzz target of merge and the replay of its
// corpus in the tests.  The bytes hold up to kMergeInputs files, separated by NUL bytes; they
// are written into `dir` and merged into dir/out.csv.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "batch/sweep.h"

namespace agvbatch {

constexpr size_t kMergeInputs = 4;

// The exit status of the merge.
inline int mergeinput(const uint8_t* data, size_t size, const std::string& dir) {
  std::vector<std::string> files;
  size_t start = 0;
  for (size_t i = 0; i <= size && files.size() < kMergeInputs; ++i) {
    if (i < size && data[i] != 0) continue;
    const std::string f = dir + "/slice" + std::to_string(files.size()) + ".csv";
    std::ofstream(f, std::ios::binary)
        .write(reinterpret_cast<const char*>(data + start), static_cast<std::streamsize>(i - start));
    files.push_back(f);
    start = i + 1;
  }
  return merge(files, dir + "/out.csv");
}

}  // namespace agvbatch
