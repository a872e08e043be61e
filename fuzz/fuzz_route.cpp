// libFuzzer target: arbitrary bytes as a route file, read and, when they are one, run; a refusal
// is one line that prints.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "agv/agv.h"
#include "cli/route.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<agv::Waypoint> w;
  std::string err;
  if (!agv::cli::parseroute(std::string_view(reinterpret_cast<const char*>(data), size), "route", w,
                            err)) {
    // A refusal is one line that prints, whatever bytes the file holds.
    constexpr unsigned char kSpace = 0x20;
    for (const char c : err)
      if (static_cast<unsigned char>(c) < kSpace) __builtin_trap();
    return 0;
  }
  auto r = std::make_unique<agv::RouteResult>();
  agv::passRoute(agv::Params{}, w, *r);
  return 0;
}
