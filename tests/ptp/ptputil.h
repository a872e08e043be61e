// Shared includes and helpers of the PTP planning tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "agv/ptp.h"
#include "base/model.h"
#include "ptp/clothoid.h"
#include "ptp/clpath.h"
#include "ptp/planner.h"
#include "ptp/schedule.h"

namespace ptptest {

using agv::PI;
using V = std::vector<int>;

// A plan from the start pose (0, 0, 0) to (x, y, thDeg degrees).
struct Plan {
  int ret = -1;  // 1 when the plan is done, 0 when refused
  std::unique_ptr<agv::PtpResult> r = std::make_unique<agv::PtpResult>();
  const agv::ArcPath& a() const { return r->path; }
  const agv::ClothoidPath& c() const { return r->clothoid; }
  const agv::Steps& st() const { return r->steps; }
  const agv::Schedule& v() const { return r->schedule; }
};

inline Plan plan(double x, double y, double thDeg, const agv::Params& p = {}) {
  Plan pl;
  pl.ret = agv::planPTP(p, x, y, thDeg, *pl.r) == agv::Status::Done ? 1 : 0;
  return pl;
}

// The first n entries of a step-count table, to compare a whole row at once.
inline V ints(const int* a, int n) { return V(a, a + n); }
template <class T>
V ints(const T& a, int n) { return ints(a.data(), n); }

// Refused because a step table or a schedule is too long (not for want of a join).
inline bool tooLongSteps(const Plan& p) {
  return p.r->refusal.status == agv::Status::PathTooLong && p.r->refusal.stage == 1;
}

}  // namespace ptptest
