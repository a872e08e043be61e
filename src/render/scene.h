// The scene of the viewer window.
#pragma once

namespace agv {

// Draws one frame: title, legends, grid, paths, traces, figures, markers
// and the graph panel.
void display();

void drawtitle();
void drawlegend();

}  // namespace agv
