// The model of one pass: the parameters, the quantities derived from them,
// and the rules every computation shares.
#pragma once

#include <cmath>

#include "agv/params.h"
#include "agv/types.h"

namespace agv {

// The parameters with the derived ones.  Built at the start of each pass
// and constant while it runs.
struct Model : Params {
  double dsCP = 0.0;       // distance of one CP time step [m]
  double dKds = 0.0;       // largest change of curvature per metre [1/m^2]
  double dSteerMax = 0.0;  // largest steering change in one time step of the pass [rad]
};

// Bytes in a MiB, the unit of maxMemory.
inline constexpr double kMiB = 1024.0 * 1024.0;

// The path kinds, which differ in their time step.
enum class Kind { PTP, CP };

// The model of a pass of the given kind.
Model makemodel(const Params& p, Kind kind);

// True when every parameter is within its range.
bool validparams(const Params& p);

// Mechanism 2 (1FDW1FS) drives its steered front wheel: where that wheel
// runs at v with the steering angle phi, the reference point on the rear
// axle runs at v cos(phi).  The reference point of mechanisms 1 and 3 runs
// at the speed of their driven wheels.
constexpr int FRONTDRIVE = 2;
inline double refspeed(int type, double v, double phi) {
  return type == FRONTDRIVE ? v * std::cos(phi) : v;
}

}  // namespace agv
