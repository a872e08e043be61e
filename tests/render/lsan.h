// Leak reports that LeakSanitizer is told to pass over in the window
// tests: the allocations that the X, GL and GLUT libraries make for
// themselves and keep until the process ends (Mesa and its LLVM JIT,
// libX11, the GLX dispatch, freeglut, Xvfb's fonts in the client).  A
// leak whose allocation stack holds none of them is still reported.
#pragma once

namespace rendertest {

inline constexpr char lsanSuppressions[] =
    "leak:libGLX_mesa.so\n"
    "leak:libgallium\n"
    "leak:swrast_dri.so\n"
    "leak:libLLVM\n"
    "leak:libGLX.so\n"
    "leak:libGLdispatch.so\n"
    "leak:libX11.so\n"
    "leak:libxcb.so\n"
    "leak:libglut.so\n"
    "leak:libdrm.so\n";

}  // namespace rendertest
