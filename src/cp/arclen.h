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
  bool whole = true;  // every row one step of 0.01 (no parts)
};

// The longest parameter range whose table fits max rows with a row to spare (0 for max < 2).
double rangefit(int max);

// 1 when the parameter range of curve c fits a table of max rows, 0 when
// it does not (refusal gets the range and its limit).
int chkrange(const CurveModel& c, int max, Refusal& refusal);

// Length check of curve c against the limit smax: Done, CurveTooLong, or
// CurveTooSharp when its length cannot be measured; len gets the length,
// by Simpson panels over the whole range where the length measured step by
// step of the table agrees.
Status chklen(const CurveModel& c, int max, double smax, double& len);

// Rows {u, s, d} from u = 0 in steps of 0.01 up to c.uend, at most max
// steps, of curve c of length len (chklen): each step by the Simpson panels
// of curvlen while the table stays within kLenAgree of the measured length,
// cut into parts where the curve is too sharp for that.  False when a part
// of the curve is too sharp to be tabulated.
bool caltab(const CurveModel& c, int max, double len, std::vector<TabRow>& tab);

// Parameter at arc length s from the start, ug a guess below the answer.
// 0 for s <= 0, uend from the end on, NaN for NaN.
double s2u(double ug, double s, const CurveTable& t);

// Arc length from the start to the parameter u, measured from the table's row below u as s2u
// measures it (its inverse): 0 for u <= 0, the curve's length from uend on.
double u2s(double u, const CurveTable& t);

// The step count NN[k] and the duration TCP[k] of the walk of each
// mechanism along the curve; 0, or maxSteps when a walk needs maxSteps
// steps or more (refusal gets the mechanism and the count).
int calpath(const Model& m, const CurveTable& t, int NN[3], double TCP[3], Refusal& refusal);

}  // namespace agv
