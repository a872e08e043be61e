// PTP constant-velocity runs.
#pragma once

namespace agv {

// Six runs; returns the step count of the last (clothoid-line, type 3).
int caltrajPTP();

}  // namespace agv
