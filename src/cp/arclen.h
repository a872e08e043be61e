// CP arc-length table, its inverse and the path step count.
#pragma once

#include <vector>

#include "agv/cp.h"
#include "base/model.h"
#include "cp/curves.h"

namespace agv {

// A curve with its length and its arc-length table: what the inversion
// reads.
struct CurveTable {
  const CurveModel& c;
  double length;
  const std::vector<TabRow>& tab;
};

// 1 when the parameter range of curve c fits a table of max rows, 0 when
// it does not (refusal gets the range and its limit).
int chkrange(const CurveModel& c, int max, Refusal& refusal);

// Rows {u, s, d} from u = 0 in steps of 0.01 up to c.uend, at most max.
void caltab(const CurveModel& c, int max, std::vector<TabRow>& tab);

// Parameter at arc length s from the start, ug a guess below the answer.
// 0 for s <= 0, uend from the end on, NaN for NaN.
double s2u(double ug, double s, const CurveTable& t);

// The step count NN[k] and the duration TCP[k] of the walk of each
// mechanism along the curve; 0, or maxSteps when a walk needs maxSteps
// steps or more (refusal gets the mechanism and the count).
int calpath(const Model& m, const CurveTable& t, int NN[3], double TCP[3], Refusal& refusal);

}  // namespace agv
