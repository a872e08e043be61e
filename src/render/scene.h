// The scene of the viewer window.
#pragma once

#include "session/session.h"

namespace agv {

// Draws one frame of the session: title, legends, grid, paths, traces,
// figures, markers and the graph panel.
void display(const Session& s);

void drawtitle();
void drawlegend(const Session& s);

}  // namespace agv
