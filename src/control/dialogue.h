// Console dialogue: asks for the path, runs the pass that computes
// everything the window shows, and resets the view.
#pragma once

namespace agv {

// One dialogue pass.
void dialogue();

}  // namespace agv
