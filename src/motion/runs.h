// PTP constant-velocity runs.
#pragma once

#include "control/params.h"

namespace agv {

// Fields of a run record.
enum RecField { RS = 0, RTH = 1, RX = 2, RY = 3, RPHI = 4, RKAP = 5 };

// [mechanism][step][field]; A arc-line path, B clothoid-line path.
extern double refA[3][MAX][6], cvA[3][MAX][6], errA[3][MAX][6];
extern double refB[3][MAX][6], cvB[3][MAX][6], errB[3][MAX][6];

// Six runs; returns the step count of the last (clothoid-line, type 3).
int caltrajPTP();

}  // namespace agv
