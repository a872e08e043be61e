// A map's files: the YAML file and its image, opened only when they are regular files.
#include <string>
#include <system_error>
#include <vector>

#include "mapfile/image.h"
#include "mapfile/mapfile.h"
#include "mapfile/source.h"

namespace agv::mapfile {

namespace {

// PNG's signature begins with this byte, PGM's with 'P'.
constexpr int kPngFirst = 0x89;

// The image of `in` into m by its first byte.
bool decode(Source& in, const MapYaml& y, int maxSide, Map& m, std::string& err) {
  const int first = in.peek();
  if (first == 'P') return decodepgm(in, y, maxSide, m, err);
  if (first == kPngFirst) return decodepng(in, y, maxSide, m, err);
  if (in.error() != 0)
    err = "cannot be read: " + std::generic_category().message(in.error());
  else
    err = first < 0 ? "empty, not a PGM or PNG image" : "not a PGM (P2, P5) or PNG image";
  return false;
}

// The image file a YAML file names: beside the YAML file unless absolute.
std::string imagepath(const std::string& yaml, const std::string& image) {
  const std::size_t slash = yaml.rfind('/');
  if (image[0] == '/' || slash == std::string::npos) return image;
  return yaml.substr(0, slash + 1) + image;
}

}  // namespace

bool readimage(const std::uint8_t* data, std::size_t size, const std::string& name,
               const MapYaml& y, int maxSide, Map& m, std::string& err) {
  Source in(data, size);
  if (decode(in, y, maxSide, m, err)) return true;
  err = shown(name) + ": " + err;
  return false;
}

void placemap(const MapYaml& y, Map& m) {
  m.resolution = y.resolution;
  m.x = y.origin[0];
  m.y = y.origin[1];
  m.yaw = y.origin[2];
}

bool loadmap(const std::string& path, Map& m, std::string& err) {
  std::string why;
  MapYaml y;
  {
    const Fd f(openregular(path, why));
    if (f.fd < 0) {
      err = shown(path) + ": " + why;
      return false;
    }
    // One byte more than a map's YAML file may hold tells one that is larger.
    std::vector<std::uint8_t> text(kYamlMax + 1);
    Source in(f.fd);
    const std::size_t n = in.read(text.data(), text.size());
    if (in.error() != 0) {
      err = shown(path) + ": cannot be read: " + std::generic_category().message(in.error());
      return false;
    }
    if (!parseyaml(std::string_view(reinterpret_cast<const char*>(text.data()), n), path, y, err))
      return false;
  }
  const std::string image = imagepath(path, y.image);
  const Fd f(openregular(image, why));
  if (f.fd < 0) {
    err = shown(image) + ": " + why;
    return false;
  }
  Source in(f.fd);
  Map got;
  if (!decode(in, y, kMapMaxSide, got, why)) {
    err = shown(image) + ": " + why;
    return false;
  }
  placemap(y, got);
  m = std::move(got);
  return true;
}

}  // namespace agv::mapfile
