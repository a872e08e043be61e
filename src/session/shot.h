// The window's picture of a pass without its window: the scene after a pass of each kind,
// and the choices of mechanism, drawing, step and pan a picture (or a web page) shows it with.
#pragma once

#include <memory>
#include <string>

#include "agv/agv.h"
#include "agv/route.h"
#include "session/session.h"

namespace agv {

// What the picture shows: the window's choices after a pass.
struct Shot {
  int mechanism = 1;  // 1, 2, 3
  char drawing = 'a';  // 'a' arc-line, 'b' clothoid-line (PTP passes and routes)
  long step = -1;     // the step of the motion; -1 the last
  double panX = 0.0, panY = 0.0;  // the picture's content moved right and up [m]
};

// The window's scene after a pass of each kind, showing its result r: drawn from r itself,
// which must outlive the scene (and not change meanwhile).
std::unique_ptr<Scene> ptpshow(const PtpResult& r);
std::unique_ptr<Scene> cpshow(const CpResult& r);
std::unique_ptr<Scene> routeshow(const RouteResult& r);
// A track's: as a CP curve, fitted into the picture as a route.
std::unique_ptr<Scene> trackshow(const TrackResult& r);

// The choices of shot applied to s; false with the reason in err (a mechanism, drawing or step
// that is not there).
bool choose(Scene& s, const Shot& shot, std::string& err);

// A step of the motion as text: a whole number from 0 (whether the motion has it is known after
// the pass; none has more steps than an int counts); false with the reason in err.
bool stepof(const std::string& text, long& step, std::string& err);

}  // namespace agv
