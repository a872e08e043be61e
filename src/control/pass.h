// One pass of the computations for a path kind: everything the window
// shows, for the three mechanisms.  The stages print their own messages;
// the result says which stage refused the path.
#pragma once

#include "ptp/path.h"

namespace agv {

enum class PassStatus {
  Done,
  PathTooLong,   // PTP: the plan or its schedules need MAX time steps or more
  RunTooLong,    // PTP: a run needs MAX time steps or more (steps holds the count)
  RangeTooLong,  // CP: the parameter range does not fit the arc-length table
  CurveTooLong,  // CP: the curve is longer than MAX CP steps
  CurveSteps,    // CP: a mechanism needs MAX steps or records or more
};

struct PassResult {
  PassStatus status;
  int steps;  // the refused count of RunTooLong
};

// The largest steering change in one time step of the path kind ('p' or
// 'c'), before anything is computed or reported for it.
void setsteer(char kind);

// The PTP paths from P0 to PF: the adopted arc-line path (calPTP), the
// clothoid-line path and the schedules; 1, or 0 after the too-long message
// when a stage finds them too long.
int planPTP(Pose& P0, Pose& PF);

// PTP pass from (x0, y0, th0) to (xf, yf, thf): plan, clothoid-line path,
// schedules, the constant- and variable-velocity runs and the extents.
PassResult passPTP();

// CP pass along curve I: range and length checks, arc-length table, step
// counts, runs and extents.
PassResult passCP(int I);

}  // namespace agv
