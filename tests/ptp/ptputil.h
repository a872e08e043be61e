// Shared includes and helpers of the PTP planning tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "control/base/params.h"
#include "control/pass.h"
#include "ptp/clothoid.h"
#include "ptp/clpath.h"
#include "ptp/planner.h"
#include "ptp/schedule.h"
#include "support/session.h"
#include "ptp/steps.h"
#include "ptp/path.h"

namespace ptptest {

using agv::PI;
using V = std::vector<int>;

struct Plan {
  int ret = -1;     // planPTP's result
  std::string out;  // what it printed
  double sEnd = 0;  // path length written into the end pose
};

// Plans from the start pose (0, 0, 0) to (x, y, thDeg degrees).
inline Plan plan(double x, double y, double thDeg) {
  agv::Pose P0{0.0, 0.0, 0.0, 0.0}, PF{x, y, thDeg * agv::DEG2RAD, 0.0};
  Plan p;
  p.out = agvtest::scripted("", [&] { p.ret = agv::planPTP(P0, PF); }).out;
  p.sEnd = PF.s;
  return p;
}

// The first n entries of a step-count table, to compare a whole row at once.
inline V ints(const int* a, int n) { return V(a, a + n); }

// calPTP's refusal of a path with too many steps, after the same message of a lower routine.
inline bool twiceTooLong(const std::string& out) {
  return out.ends_with(std::string(agv::msgTooLong) + agv::msgTooLong);
}

}  // namespace ptptest
