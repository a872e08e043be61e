// The scene of the viewer window.
#pragma once

#include "render/prims.h"
#include "session/session.h"

namespace agv {

// Draws one frame of the scene s on the canvas cv: title, legends, grid, paths, traces,
// figures, markers and the graph panel.
void display(Canvas& cv, const Scene& s);

void drawtitle(Canvas& cv);
void drawlegend(Canvas& cv, const Scene& s);

}  // namespace agv
