// Top views of the three AGV mechanisms.
#pragma once

#include "render/prims.h"

namespace agv {

// Draws on the canvas cv the vehicle of mechanism `type` in the view v with its rear axle
// midpoint at p [m], heading th [rad] and steering (or caster swivel)
// angle phi [rad]; the body and the rear wheels take the colour c.  The
// figure is drawn to the size of a vehicle with the wheel base Lw [m].
void drawagv(Canvas& cv, const View& v, int type, double Lw, const Point& p, double th, double phi,
             const Color& c);

}  // namespace agv
