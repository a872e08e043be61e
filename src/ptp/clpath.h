// Clothoid-line PTP path and the step tables of the constant-velocity runs.
#pragma once

namespace agv {

// Step tables of the arc-line runs, the clothoid-line path and its step
// tables; 1 on success, 0 when a step total reaches MAX.
int calclothoid();

}  // namespace agv
