// PTP variable-velocity runs.
#pragma once

#include "control/params.h"

namespace agv {

extern double vvA[3][MAX][6];
extern double vvB[3][MAX][6];

// Returns 0.
int caltrajVV();

}  // namespace agv
