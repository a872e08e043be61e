// libFuzzer target: arbitrary bytes as a track file, read and, when they are one, run.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "agv/agv.h"
#include "cli/route.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  agv::cli::TrackFile t;
  std::string err;
  if (!agv::cli::parsetrack(std::string_view(reinterpret_cast<const char*>(data), size), "track",
                            t, err))
    return 0;
  auto r = std::make_unique<agv::TrackResult>();
  agv::passTrack(agv::Params{}, t.track, *r);
  return 0;
}
