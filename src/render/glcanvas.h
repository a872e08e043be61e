// The drawing routines on OpenGL: the window's canvas.
#pragma once

#include "render/prims.h"

namespace agv {

Canvas& glcanvas();  // OpenGL, in the current GL context

// The OpenGL canvas keeps the trace of dots in a layer between frames (the
// default), or draws every dot of every frame into the frame itself, as it
// does where the driver has no framebuffer object; the pixels are the same.
void gltracelayer(bool on);

}  // namespace agv
