// Variable-velocity schedule of the PTP paths (mechanisms k = 1, 2).
#pragma once

namespace agv {

// 1 on success, 0 when a step total reaches MAX.
int calvelPTP();

}  // namespace agv
