// Shared helpers of the PTP planning tests.
#pragma once

#include <string>

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

// The candidate rows for the same poses.
inline void rows(double x, double y, double thDeg, agv::Candidate c[agv::nRows]) {
  const agv::Pose P0{0.0, 0.0, 0.0, 0.0};
  const agv::Pose PF{x, y, thDeg * agv::DEG2RAD, 0.0};
  agv::candidates(P0, PF, c);
}

inline const std::string kTooLong = "\n経路長長過ぎる．経路設定し直し";

}  // namespace ptptest

namespace ptptest {

// Calls fn with the console scripted and returns its result; its output
// goes to *out when given.
template <class F>
int scriptedCall(F fn, std::string* out = nullptr) {
  int ret = -1;
  const auto s = agvtest::scripted("", [&] { ret = fn(); });
  if (out != nullptr) *out = s.out;
  return ret;
}

}  // namespace ptptest
