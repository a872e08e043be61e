// CP tracking run.
#pragma once

namespace agv {

// Runs the three mechanisms along curve I; NN[2] on success, MAX (after
// a message) when a run needs MAX records or more.
int caltraj(int I);

}  // namespace agv
