// Run records: one record per time step of a run, [mechanism k][step n][field],
// k = agvType - 1.
#pragma once

#include "control/base/params.h"

namespace agv {

// Fields of a run record; the CP reference records also hold the curve
// parameter.
enum RecField { RS = 0, RTH = 1, RX = 2, RY = 3, RPHI = 4, RKAP = 5, RU = 6 };

// PTP constant-velocity runs (written by caltrajPTP): the reference point,
// the AGV and their difference, on the arc-line (A) and clothoid-line (B)
// path; records 0 ... nSeg[k][TOTAL] and nc[k][TOTAL].
extern double refA[3][MAX][6], cvA[3][MAX][6], errA[3][MAX][6];
extern double refB[3][MAX][6], cvB[3][MAX][6], errB[3][MAX][6];

// PTP variable-velocity runs (written by caltrajVV); records 0 ...
// nvSeg[k][TOTAL] and nvc[k][TOTAL].
extern double vvA[3][MAX][6];
extern double vvB[3][MAX][6];

// CP runs (written by caltraj): records 0 ... NN[k], lasting TCP[k] seconds;
// one more than MAX so that the end record always fits.
constexpr int MAXCP = MAX + 1;
extern double refCP[3][MAXCP][7];  // s, th, x, y, phi, kap, u
extern double cvCP[3][MAXCP][6];
extern double errCP[3][MAXCP][6];
extern int NN[3];
extern double TCP[3];

}  // namespace agv
