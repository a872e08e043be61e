// libFuzzer target: arbitrary console bytes through whole sessions.
#include <cstddef>
#include <cstdint>

#include "support/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  agvtest::runsession(data, size);
  return 0;
}
