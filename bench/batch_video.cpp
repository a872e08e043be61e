// A video of the default PTP pass (mechanism 1, arc-line drawing, 800x800, 25 frames a second,
// real time): every frame drawn by Cairo and streamed to ffmpeg (H.264), against the motion's
// own duration, which the video must take at most half of.  The drawing alone beside it.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "agv/ptp.h"
#include "picture/picture.h"
#include "render/cairocanvas.h"
#include "render/scene.h"

namespace {

// The default pass, and the window's scene of it with the shot chosen.
struct Pass {
  agv::PtpResult r;
  std::unique_ptr<agv::Scene> s;
};
std::unique_ptr<Pass> defaultpass() {
  auto p = std::make_unique<Pass>();
  if (agv::passPTP(agv::Params{}, 2.0, 3.0, 0.0, p->r) != agv::Status::Done) return nullptr;
  p->s = agv::ptpshow(p->r);
  std::string err;
  return agv::choose(*p->s, agv::Shot{}, err) ? std::move(p) : nullptr;
}

void BM_VideoOfTheDefaultPass(benchmark::State& state) {
  const std::unique_ptr<Pass> pass = defaultpass();
  agv::Scene* s = pass->s.get();
  const double motion = agv::laststep(*s) * agv::steptime(*s);
  for (auto _ : state) {
    const int fd = open("/tmp", O_TMPFILE | O_RDWR, 0600);
    std::string err;
    if (fd < 0 || !agv::writevideo(*s, agv::Format::Mp4, agv::Size{}, 1.0, fd, true, {}, err))
      state.SkipWithError(err.c_str());
    close(fd);
  }
  state.counters["motion[s]"] = motion;
  state.counters["frames"] = agv::videoframes(*s, 1.0);
  // Seconds of video work per second of motion: at most 0.5.
  state.counters["of_motion"] =
      benchmark::Counter(motion, benchmark::Counter::kIsIterationInvariantRate |
                                           benchmark::Counter::kInvert);
}
BENCHMARK(BM_VideoOfTheDefaultPass)->UseRealTime()->Unit(benchmark::kMillisecond);

// The frames alone: drawn by Cairo, not encoded.
void BM_FramesOfTheDefaultPass(benchmark::State& state) {
  const std::unique_ptr<Pass> pass = defaultpass();
  agv::Scene* s = pass->s.get();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 800);
  cairo_t* cr = cairo_create(surface);
  {
    agv::CairoCanvas c(cr, 800, 800);
    const int frames = agv::videoframes(*s, 1.0);
    for (auto _ : state)
      for (int i = 0; i < frames; ++i) {
        agv::showstep(*s, agv::laststep(*s) * i / (frames - 1));
        agv::display(c, *s);
        cairo_surface_flush(surface);
      }
    state.counters["frames/s"] =
        benchmark::Counter(frames, benchmark::Counter::kIsIterationInvariantRate);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_FramesOfTheDefaultPass)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
