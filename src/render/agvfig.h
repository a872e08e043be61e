// Top views of the three AGV mechanisms.
#pragma once

#include "render/prims.h"

namespace agv {

// Draws the vehicle of the current agvType with its rear axle midpoint at
// p [m], heading th [rad] and steering (or caster swivel) angle phi [rad];
// the body and the rear wheels take the colour c.
void drawagv(const Point& p, double th, double phi, const Color& c);

}  // namespace agv
