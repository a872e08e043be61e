// libFuzzer target: arbitrary bytes as a map's YAML file; when they are one, its keys applied to
// a small image, the map checked and a pose of it tested.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "agv/map.h"
#include "mapfile/mapfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  agv::mapfile::MapYaml y;
  std::string err;
  if (!agv::mapfile::parseyaml(std::string_view(reinterpret_cast<const char*>(data), size),
                               "m.yaml", y, err)) {
    if (err.empty() || err.find('\n') != std::string::npos) std::abort();  // one line, always
    return 0;
  }
  // Four gray values of every class, as a map's image.
  static const std::string image("P5 2 2 255\n\x00\x64\xcd\xfe", 15);
  agv::Map m;
  if (!agv::mapfile::readimage(reinterpret_cast<const uint8_t*>(image.data()), image.size(),
                               y.image, y, agv::kMapMaxSide, m, err))
    std::abort();
  m.resolution = y.resolution;
  m.x = y.origin[0];
  m.y = y.origin[1];
  m.yaw = y.origin[2];
  agv::MapIndex ix;
  if (!agv::buildindex(m, agv::Params{}, ix)) std::abort();  // what the file allows is a map
  agv::collides(ix, m.x, m.y, m.yaw);
  return 0;
}
