// The exact test of a pose, without the index's shortcut (for the tests that compare the two).
#pragma once

#include "agv/map.h"

namespace agv {

// Whether the body at (x, y, th) collides, by the exact test of every cell it reaches into.
Contact exactcontact(const MapIndex& ix, double x, double y, double th);

}  // namespace agv
