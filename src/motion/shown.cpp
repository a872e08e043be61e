#include "motion/shown.h"

#include <cmath>

#include "control/base/params.h"
#include "motion/records.h"
#include "ptp/steps.h"

namespace agv {

double bndPTP[3][3];
double bndCP[3][3];
double bndCPk[3][3];

namespace {

// Work buffer of the extents: one pair for every record a run can have.
double work[MAXCP][2];

}  // namespace

PtpRuns ptpruns(int k) {
  if (sgnDraw == 'b')
    return {true, Tc[k][TOTAL], nc[k][TOTAL], refB[k], cvB[k], errB[k], nvc[k][TOTAL], vvB[k]};
  return {false,  Tseg[k][TOTAL], nSeg[k][TOTAL], refA[k], cvA[k],
          errA[k], nvSeg[k][TOTAL], vvA[k]};
}

void bounds(int n, const double (*pts)[2], double out[3]) {
  double hi = -1000.0;
  double lo = +1000.0;
  for (int j = 0; j <= n; ++j) {
    if (pts[j][0] > hi) hi = pts[j][0];
    if (pts[j][1] > hi) hi = pts[j][1];
    if (pts[j][0] < lo) lo = pts[j][0];
    if (pts[j][1] < lo) lo = pts[j][1];
  }
  out[EXTHI] = hi;
  out[EXTLO] = lo;
  out[EXTMAG] = std::fabs(hi);
  if (std::fabs(lo) > std::fabs(hi)) out[EXTMAG] = std::fabs(lo);
}

void extentsPTP() {
  for (int k = 0; k < 3; ++k) {
    for (int i = 0; i <= nSeg[k][TOTAL]; ++i) {
      work[i][0] = refA[k][i][RX];
      work[i][1] = refA[k][i][RY];
    }
    bounds(nSeg[k][TOTAL], work, bndPTP[k]);
  }
}

void extentsCP() {
  for (int k = 0; k < 3; ++k) {
    for (int i = 0; i <= NN[k]; ++i) {
      work[i][0] = refCP[k][i][RX];
      work[i][1] = refCP[k][i][RY];
    }
    bounds(NN[k], work, bndCP[k]);
    for (int i = 0; i <= NN[k]; ++i) {
      work[i][0] = refCP[k][i][RKAP];
      work[i][1] = cvCP[k][i][RKAP];
    }
    bounds(NN[k], work, bndCPk[k]);
  }
}

}  // namespace agv
