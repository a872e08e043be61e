// Shared set-up of the motion tests: planning a PTP path as a dialogue
// pass does, with the console captured.
#pragma once

#include <cmath>
#include <numbers>
#include <string>

#include "control/console.h"
#include "control/params.h"
#include "ptp/planner.h"

namespace motiontest {

// End poses of the planner's own checks.
constexpr double kPoses[][3] = {
    {2.0, 3.0, 0.0}, {3.0, 1.0, 0.0}, {0.5, 0.2, 0.0}, {4.0, -3.0, -45.0}, {2.0, 2.0, 90.0}};

// Plans the path from the start pose to (xfv, yfv, thDeg degrees); the
// planner's result.  The console output is appended to *out when given.
inline int planptp(double xfv, double yfv, double thDeg, std::string* out = nullptr) {
  std::string sink;
  agv::con::script("", out != nullptr ? out : &sink);
  agv::dSteerMax = agv::steerRate * agv::dt;
  agv::xf = xfv;
  agv::yf = yfv;
  agv::thf = thDeg * agv::DEG2RAD;
  agv::Pose P0{agv::x0, agv::y0, agv::th0, 0.0};
  agv::Pose PF{agv::xf, agv::yf, agv::thf, 0.0};
  const int ok = agv::calPTP(P0, PF);
  agv::con::scriptEnd();
  return ok;
}

// Heading difference folded into (-pi, pi].
inline double angdiff(double a, double b) { return std::remainder(a - b, 2.0 * std::numbers::pi); }

}  // namespace motiontest
