// libFuzzer target: arbitrary bytes as the slice files of a merge.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "batch/mergeinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/fuzz_merge.XXXXXX";
    return std::string(mkdtemp(tmpl));
  }();
  agvbatch::mergeinput(data, size, dir);
  std::remove((dir + "/out.csv").c_str());
  return 0;
}
