// Shared helpers of the PTP planning tests.
#pragma once

#include <string>
#include <vector>

#include "control/params.h"
#include "ptp/planner.h"
#include "support/session.h"

namespace ptptest {

struct Plan {
  int ret = -1;     // calPTP's result
  std::string out;  // what it printed
  double sEnd = 0;  // path length written into the end pose
};

// Plans from the start pose (0, 0, 0) to (x, y, thDeg degrees).
inline Plan plan(double x, double y, double thDeg) {
  agv::Pose P0{0.0, 0.0, 0.0, 0.0};
  agv::Pose PF{x, y, thDeg * agv::DEG2RAD, 0.0};
  Plan p;
  p.out = agvtest::scripted("", [&] { p.ret = agv::calPTP(P0, PF); }).out;
  p.sEnd = PF.s;
  return p;
}

// The first n entries of a step-count table, to compare a whole row at once.
inline std::vector<int> ints(const int* a, int n) { return std::vector<int>(a, a + n); }

}  // namespace ptptest
