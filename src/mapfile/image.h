// The image decoders of a map: PGM (a reader of our own) and PNG (libpng), each filling the
// cells of a map by its YAML file's mode, thresholds and negate.
#pragma once

#include <string>
#include <vector>

#include "agv/map.h"
#include "mapfile/mapfile.h"
#include "mapfile/source.h"

namespace agv::mapfile {

// The cell of every sum of a pixel's n colour samples, each 0 ... maxval: [sum], 0 ... n maxval.
std::vector<Cell> classes(const MapYaml& y, int n, unsigned maxval);

// The decoders: the image's width, height and cells into m; false, with the reason (without the
// file's name) in err.  The first bytes, "P2", "P5" or PNG's signature, are still to be read.
bool decodepgm(Source& in, const MapYaml& y, int maxSide, Map& m, std::string& err);
bool decodepng(Source& in, const MapYaml& y, int maxSide, Map& m, std::string& err);

// A side of a PGM header is held up to this: any larger one is refused all the same.
inline constexpr unsigned long kHugeSide = 1000000000UL;

// The fault of an image's sides (none, or above maxSide) as a message states it.
std::string sidebound(unsigned long width, unsigned long height, int maxSide);

}  // namespace agv::mapfile
