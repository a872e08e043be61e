#include "session/shot.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace agv {

std::unique_ptr<Scene> ptpshow(const PtpResult& r) {
  auto s = std::make_unique<Scene>();
  s->params = r.params;
  s->sgnPATH = 'p';
  s->ptp = &r;
  s->x0 = r.start.x;
  s->y0 = r.start.y;
  s->xf = r.end.x;
  s->yf = r.end.y;
  passview(s->view);
  return s;
}

std::unique_ptr<Scene> cpshow(const CpResult& r) {
  auto s = std::make_unique<Scene>();
  s->params = r.params;
  s->sgnPATH = 'c';
  s->curveNo = r.curve.I;
  s->cp = &r;
  passview(s->view);
  return s;
}

std::unique_ptr<Scene> routeshow(const RouteResult& r) {
  auto s = std::make_unique<Scene>();
  s->params = r.params;
  s->sgnPATH = 'p';
  s->route = &r;
  passview(s->view);
  routeview(s->view, r);
  return s;
}

std::unique_ptr<Scene> trackshow(const TrackResult& r) {
  std::unique_ptr<Scene> s = cpshow(r);
  s->track = true;
  trackview(s->view, r);
  return s;
}

bool choose(Scene& s, const Shot& shot, std::string& err) {
  if (shot.mechanism < 1 || shot.mechanism > 3) {
    err = "no mechanism " + std::to_string(shot.mechanism) +
          ": the mechanisms are 1 (2DW1C), 2 (1FDW1FS) and 3 (1RDW1FS)";
    return false;
  }
  if (shot.drawing != 'a' && shot.drawing != 'b') {
    err = "the drawings are arc (arc-line) and clothoid (clothoid-line)";
    return false;
  }
  s.agvType = shot.mechanism;
  s.sgnDraw = shot.drawing;
  const int last = laststep(s);
  if (shot.step > last) {
    err = "step " + std::to_string(shot.step) + " is beyond the motion: its last step is " +
          std::to_string(last);
    return false;
  }
  showstep(s, shot.step < 0 ? last : static_cast<int>(shot.step));
  s.view.xshift = shot.panX * s.view.scale;
  s.view.yshift = shot.panY * s.view.scale;
  return true;
}

bool stepof(const std::string& text, long& step, std::string& err) {
  char* end = nullptr;
  errno = 0;
  const long n = std::strtol(text.c_str(), &end, 10);
  const bool digits = end != text.c_str() && *end == '\0' && n >= 0;
  if (digits && errno == 0) {
    step = n;
    return true;
  }
  if (digits)
    err = "step " + text + " is beyond any motion (a motion has at most " +
          std::to_string(std::numeric_limits<int>::max()) + " steps)";
  else
    err = "a step is a whole number from 0, not " + text;
  return false;
}

}  // namespace agv
