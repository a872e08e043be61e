// libFuzzer target: arbitrary bytes as a map's image (PGM or PNG), read in one of the three modes
// (by the input's length); when they are one, the map checked and poses across it tested.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "agv/map.h"
#include "mapfile/mapfile.h"

namespace {

// The largest side of an image here: images of the full bound take a quarter of a GiB and a
// second each; the bound itself is the same code with another number.
constexpr int kFuzzSide = 1024;
// Poses tested across the map, along each side.
constexpr int kPoses = 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  agv::mapfile::MapYaml y;
  y.mode = static_cast<agv::mapfile::Mode>(size % 3);
  y.negate = static_cast<int>(size / 3 % 2);
  y.resolution = 0.05;
  agv::Map m;
  std::string err;
  if (!agv::mapfile::readimage(data, size, "img", y, kFuzzSide, m, err)) {
    if (err.empty() || err.find('\n') != std::string::npos) std::abort();  // one line, always
    return 0;
  }
  m.resolution = y.resolution;
  agv::MapIndex ix;
  if (!agv::checkmap(m).empty() || !agv::buildindex(m, agv::Params{}, ix)) std::abort();
  for (int i = 0; i < kPoses; ++i)
    for (int j = 0; j < kPoses; ++j)
      agv::collides(ix, (i + 0.5) * m.widthMetres() / kPoses, (j + 0.5) * m.heightMetres() / kPoses,
                    i + j);
  return 0;
}
