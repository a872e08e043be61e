// Frame time of the viewer (display and glFinish) for the heaviest
// frames: the whole trace of the longest PTP run that passes and of a
// long CP curve, at the default zoom and zoomed out to show all of it.
// Needs an X display: run under Xvfb (scripts/bench.sh does), where Mesa
// renders in software.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/dialogue.h"
#include "console/startup.h"
#include "render/scene.h"
#include "session/session.h"
#include "window/window.h"

// After the project's headers: Xlib defines macros with common names.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

using namespace agv;

// The session the window shows.
Session& S = *new Session();

void display() { agv::display(wincanvas(), sceneof(S)); }

// The window and both passes, once: the PTP pass to (57.86, 3, 0 deg),
// whose variable-velocity clothoid-line runs take 2999 steps, and the CP
// cosine of amplitude 12.2 m over 29.98 m (59.3 m long).
bool setup() {
  static int state = 0;
  if (state != 0) return state > 0;
  state = -1;
  if (std::getenv("DISPLAY") == nullptr) return false;
  static char name[] = "agvbench_gl";
  static char* argv[] = {name, nullptr};
  int argc = 1;
  std::string out;
  createwin(S, &argc, argv);  // the start-up's state, drawn as soon as the window exists
  // With no window manager it stands at (-1, -1), partly off the screen,
  // where it cannot be read back: moved to (0, 0).
  glutPositionWindow(0, 0);
  for (int i = 0; i < 100; ++i) glutMainLoopEvent();
  con::script("pyy57.86 3 0\nk", &out);
  startup(S);
  dialogue(S);
  con::script("1\n12.2 29.98\nk", &out);
  S.keyin = S.sgnPATH = 'c';
  dialogue(S);
  con::scriptEnd();
  state = 1;
  return true;
}

// The view of the passes of setup(): path kind, mechanism, drawing, zoomed
// out `outs` times by 'w', at the first step of the runs or at the last.
bool view(benchmark::State& state, char path, int type, char draw, int outs, bool last) {
  if (!setup()) {
    state.SkipWithError("no X display");
    return false;
  }
  S.sgnPATH = path;
  S.sgnDraw = draw;
  S.agvType = type;
  S.view = View{};
  S.view.scale = scale0;
  for (int i = 0; i < outs; ++i) S.view.scale = 0.9 * S.view.scale;
  S.view.kanimC = S.view.kanimV = S.view.kanimCP = 0;
  if (last) {
    const PtpRuns r = ptpruns(sceneof(S), type - 1);
    S.view.kanimC = r.n;
    S.view.kanimV = r.nv;
    S.view.kanimCP = S.cp.NN[type - 1];
  }
  display();
  return true;
}

void frames(benchmark::State& state, int dots) {
  for (auto _ : state) {
    display();
    glFinish();
  }
  state.counters["dots"] = dots;
}

// The whole trace of the PTP constant-velocity run of mechanism 3 on the
// clothoid-line path; zoom 0.2 or zoomed out by 'w' until it all shows.
void BM_FramePtpFullTrace(benchmark::State& state) {
  if (!view(state, 'p', 3, 'b', static_cast<int>(state.range(0)), true)) return;
  frames(state, S.ptp.steps.nc[2].total + 1);
}
BENCHMARK(BM_FramePtpFullTrace)->Arg(0)->Arg(20)->Unit(benchmark::kMillisecond);

// The same whole traces drawn afresh in every frame: a pan too small to
// show alternates, so the trace kept from the frame before cannot be used.
void BM_FramePtpFullTraceCold(benchmark::State& state) {
  if (!view(state, 'p', 3, 'b', static_cast<int>(state.range(0)), true)) return;
  for (auto _ : state) {
    S.view.xshift = S.view.xshift == 0.0 ? 1e-12 : 0.0;
    display();
    glFinish();
  }
  S.view.xshift = 0.0;
}
BENCHMARK(BM_FramePtpFullTraceCold)->Arg(0)->Arg(20)->Unit(benchmark::kMillisecond);

// Holding 's' on the longest PTP run zoomed out 20 times: each frame three
// steps on, back to the start after the last.
void BM_FramePtpSteps(benchmark::State& state) {
  if (!view(state, 'p', 3, 'b', 20, false)) return;
  for (auto _ : state) {
    const PtpRuns r = ptpruns(sceneof(S), 2);
    S.view.kanimC = S.view.kanimC + 3 > r.n ? 0 : S.view.kanimC + 3;
    S.view.kanimV = S.view.kanimV + 3 > r.nv ? 0 : S.view.kanimV + 3;
    display();
    glFinish();
  }
}
BENCHMARK(BM_FramePtpSteps)->Unit(benchmark::kMillisecond);

// The whole trace of the CP run of mechanism 2 (the longest of the
// three).
void BM_FrameCpFullTrace(benchmark::State& state) {
  if (!view(state, 'c', 2, 'a', static_cast<int>(state.range(0)), true)) return;
  frames(state, S.cp.NN[1] + 1);
}
BENCHMARK(BM_FrameCpFullTrace)->Arg(0)->Arg(12)->Unit(benchmark::kMillisecond);

// The floor of any complete frame: clear, repaint a finished frame from a
// saved image, swap.
void BM_FrameFloor(benchmark::State& state) {
  constexpr int W = 800, H = 800;
  if (!view(state, 'p', 3, 'b', 0, false)) return;
  glFinish();
  Display* dpy = glXGetCurrentDisplay();
  XImage* img = XGetImage(dpy, glXGetCurrentDrawable(), 0, 0, W, H, AllPlanes, ZPixmap);
  if (img == nullptr) {
    state.SkipWithError("no image of the window");
    return;
  }
  std::vector<unsigned char> rgb(3 * W * H);
  for (int i = 0; i < 3 * W * H; ++i)
    rgb[i] = static_cast<unsigned char>(XGetPixel(img, i / 3 % W, H - 1 - i / 3 / W) >>
                                        (16 - 8 * (i % 3)));
  XDestroyImage(img);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glRasterPos2f(-1.0f, -1.0f);
    glDrawPixels(W, H, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glutSwapBuffers();
    glFinish();
  }
}
BENCHMARK(BM_FrameFloor)->Unit(benchmark::kMillisecond);

// 150 's' key events at once at the end of the longest PTP run (type 2,
// arc-line drawing), sent to the window, until the window has drawn the
// picture they leave.
void BM_KeyBurst(benchmark::State& state) {
  constexpr int burst = 150;
  if (!view(state, 'p', 2, 'a', 0, true)) return;
  Display* dpy = glXGetCurrentDisplay();
  Window win = glXGetCurrentDrawable();
  XKeyEvent ev{};
  ev.display = dpy;
  ev.window = win;
  ev.root = DefaultRootWindow(dpy);
  ev.same_screen = True;
  ev.keycode = XKeysymToKeycode(dpy, XK_s);
  for (auto _ : state) {
    for (int i = 0; i < burst; ++i) {
      ev.type = KeyPress;
      XSendEvent(dpy, win, True, KeyPressMask, reinterpret_cast<XEvent*>(&ev));
      ev.type = KeyRelease;
      XSendEvent(dpy, win, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&ev));
    }
    XSync(dpy, False);
    while (XPending(dpy) > 0) glutMainLoopEvent();
    glutMainLoopEvent();
    glFinish();
  }
}
BENCHMARK(BM_KeyBurst)->Unit(benchmark::kMillisecond);

// A light frame for comparison: the same PTP pass at its first step.
void BM_FramePtpFirstStep(benchmark::State& state) {
  if (!view(state, 'p', 1, 'a', 0, false)) return;
  frames(state, 1);
}
BENCHMARK(BM_FramePtpFirstStep)->Unit(benchmark::kMillisecond);

}  // namespace
