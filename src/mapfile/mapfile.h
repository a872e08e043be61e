// Map files as robot mapping tools write them: a YAML file of keys that names an image (PGM P2
// or P5, 8 or 16 bits, or PNG) and places it in the world.
//
//   image: hall.pgm              # relative to the YAML file's folder, or absolute
//   resolution: 0.05             # [m/cell], positive and finite
//   origin: [-2.0, -5.0, 0.0]    # x [m], y [m], yaw [rad] of the image's lower-left corner
//   negate: 0                    # 1: white is occupied (default 0)
//   occupied_thresh: 0.65        # occupied above this (default 0.65)
//   free_thresh: 0.196           # free below this (default 0.196)
//   mode: trinary                # trinary (default), scale or raw
//
// A pixel's occupancy p is (max - v) / max for its gray value v (the mean of its colour
// channels; v / max with negate); p > occupied_thresh is occupied, p < free_thresh free, the
// rest unknown.  scale reads the same, and a pixel that is not fully opaque is unknown; raw reads
// v as a percentage (p = v / 100, negate ignored), and v above 100 is unknown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "agv/map.h"

namespace agv::mapfile {

enum class Mode { Trinary, Scale, Raw };

// The keys of a map's YAML file.
struct MapYaml {
  std::string image;
  double resolution = 0.0;
  double origin[3] = {};
  int negate = 0;
  double occupiedThresh = 0.65;
  double freeThresh = 0.196;
  Mode mode = Mode::Trinary;
};

// The most bytes of a map's YAML file.
inline constexpr std::size_t kYamlMax = 65536;

// Reads the text of the YAML file `name` into y: false, with one line in err that names the file
// (and the line where it can), for YAML that is not a mapping of the keys above, a key given
// twice or unknown, a value out of its range, thresholds crossed, a NUL byte, or more than
// kYamlMax bytes.
bool parseyaml(std::string_view text, const std::string& name, MapYaml& y, std::string& err);

// The number that the whole of s writes, read as std::from_chars reads a double (digits with a
// point and an exponent, inf, infinity, nan, nan(chars), in either case, '-' the only sign):
// false for text that is none, or a value beyond the largest double or below half the smallest.
// For a C++ library without from_chars of doubles (WebAssembly's), which parseyaml then uses.
bool scannumber(std::string_view s, double& v);

// Decodes the bytes of the image file `name` (PGM or PNG, told by their first bytes) into the
// cells, width and height of m by y's mode, thresholds and negate: false, with one line in err,
// for an image that is truncated, not PGM or PNG, has no pixels or a side above maxSide.
bool readimage(const std::uint8_t* data, std::size_t size, const std::string& name,
               const MapYaml& y, int maxSide, Map& m, std::string& err);

// Places m in the world as y says: its cell size, the position and yaw of its lower-left corner.
void placemap(const MapYaml& y, Map& m);

// Reads the map of the YAML file at `path` and its image into m: false, with one line in err
// that names the file at fault, otherwise (also for files that are missing, unreadable, folders,
// devices or FIFOs).  Throws std::bad_alloc where the image's cells find no memory.
bool loadmap(const std::string& path, Map& m, std::string& err);

}  // namespace agv::mapfile
