// PTP variable-velocity runs.
#pragma once

namespace agv {

// Returns 0.
int caltrajVV();

}  // namespace agv
