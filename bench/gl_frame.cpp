// Frame time of the viewer (display and glFinish) for the heaviest
// frames: the whole trace of the longest PTP run that passes and of a
// long CP curve, at the default zoom and zoomed out to show all of it.
// Needs an X display: run under Xvfb (scripts/bench.sh does), where Mesa
// renders in software.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "control/console.h"
#include "control/dialogue.h"
#include "control/params.h"
#include "control/startup.h"
#include "control/view.h"
#include "control/window.h"
#include "cp/track.h"
#include "ptp/clpath.h"
#include "render/scene.h"

namespace {

using namespace agv;

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
  createwin(&argc, argv);
  for (int i = 0; i < 100; ++i) glutMainLoopEvent();
  std::string out;
  con::script("pyy57.86 3 0\nk", &out);
  startup();
  dialogue();
  con::script("1\n12.2 29.98\nk", &out);
  keyin = sgnPATH = 'c';
  dialogue();
  con::scriptEnd();
  state = 1;
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
  if (!setup()) {
    state.SkipWithError("no X display");
    return;
  }
  sgnPATH = 'p';
  sgnDraw = 'b';
  agvType = 3;
  initview();
  scale = scale0;
  for (int i = 0; i < state.range(0); ++i) scale = 0.9 * scale;
  display();  // sets kendC, kendV
  kanimC = kendC;
  kanimV = kendV;
  frames(state, nc[2][3] + 1);
}
BENCHMARK(BM_FramePtpFullTrace)->Arg(0)->Arg(20)->Unit(benchmark::kMillisecond);

// The whole trace of the CP run of mechanism 2 (the longest of the
// three).
void BM_FrameCpFullTrace(benchmark::State& state) {
  if (!setup()) {
    state.SkipWithError("no X display");
    return;
  }
  sgnPATH = 'c';
  agvType = 2;
  initview();
  scale = scale0;
  for (int i = 0; i < state.range(0); ++i) scale = 0.9 * scale;
  kanimCP = NN[1];
  frames(state, NN[1] + 1);
}
BENCHMARK(BM_FrameCpFullTrace)->Arg(0)->Arg(12)->Unit(benchmark::kMillisecond);

// A light frame for comparison: the same PTP pass at its first step.
void BM_FramePtpFirstStep(benchmark::State& state) {
  if (!setup()) {
    state.SkipWithError("no X display");
    return;
  }
  sgnPATH = 'p';
  sgnDraw = 'a';
  agvType = 1;
  initview();
  scale = scale0;
  kanimC = kanimV = 0;
  frames(state, 1);
}
BENCHMARK(BM_FramePtpFirstStep)->Unit(benchmark::kMillisecond);

}  // namespace
