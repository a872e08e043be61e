#include "session/session.h"

#include <algorithm>
#include <limits>

namespace agv {

void passview(View& v) {
  v.scale = scale0;
  v.kanimCP = v.kanimV = v.kanimC = 0;
}

int curveconsts(Session& s, int I, double* v[2]) {
  CurveConsts& c = s.cc;
  switch (I) {
    case 1:
      v[0] = &c.A1, v[1] = &c.L1;
      break;
    case 2:
      v[0] = &c.A2, v[1] = &c.L2;
      break;
    case 3:
      v[0] = &c.A3, v[1] = &c.L3;
      break;
    case 4:
      v[0] = &c.A4, v[1] = &c.L4;
      break;
    case 11:
      v[0] = &c.A11, v[1] = &c.B11;
      break;
    case 12:
      v[0] = &c.A12, v[1] = &c.nt12;
      break;
    case 13:
      v[0] = &c.A13;
      break;
    case 14:
      v[0] = &c.A14, v[1] = &c.nr14;
      break;
    case 16:
      v[0] = &c.A16, v[1] = &c.nw16;
      break;
    default:
      return 0;
  }
  return nconsts(I);
}

Curve curveof(Session& s, int I) {
  double* v[2] = {nullptr, nullptr};
  const int n = curveconsts(s, I, v);
  return Curve{I, n > 0 ? *v[0] : 0.0, n > 1 ? *v[1] : 0.0};
}

PtpRuns ptpruns(const Session& s, int k) {
  const bool b = s.sgnDraw == 'b';
  const Runs* arc = s.routed ? &s.route.arc[k] : &s.ptp.arc[k];
  const Runs* cl = s.routed ? &s.route.cl[k] : &s.ptp.cl[k];
  const Runs& runs = b ? *cl : *arc;
  double T = 0.0;
  if (s.routed) {
    for (const PtpResult& leg : s.route.legs) T += b ? leg.steps.Tc[k][TOTAL] : leg.steps.Tseg[k][TOTAL];
  } else {
    T = b ? s.ptp.steps.Tc[k][TOTAL] : s.ptp.steps.Tseg[k][TOTAL];
  }
  return {b,
          arc,
          cl,
          s.routed ? s.route.bndPTP[k].mag : s.ptp.bndPTP[k].mag,
          T,
          static_cast<int>(runs.ref.size()) - 1,
          runs.ref.data(),
          runs.cv.data(),
          runs.err.data(),
          static_cast<int>(runs.vv.size()) - 1,
          runs.vv.data()};
}

TrackedRun trackedrun(const Session& s, int k) {
  if (s.sgnPATH == 'c') {
    const CpRuns& run = s.cp.run[k];
    return {static_cast<int>(run.tr.size()) - 1, run.tr.data(), run.xte.data()};
  }
  const PtpRuns r = ptpruns(s, k);
  const Runs& runs = r.clothoid ? *r.cl : *r.arc;
  return {static_cast<int>(runs.tr.size()) - 1, runs.tr.data(), runs.xte.data()};
}

StepEnds stepends(const Session& s) {
  const int k = s.agvType - 1;
  const PtpRuns r = ptpruns(s, k);
  const int tracked = trackedrun(s, k).n;
  // The constant-velocity steps go on while the tracked AGV, on the same steps, does.
  return {std::max(r.n, s.sgnPATH == 'p' ? tracked : -1), r.nv,
          std::max(s.cp.NN[k], s.sgnPATH == 'c' ? tracked : -1)};
}

int laststep(const Session& s) {
  const StepEnds e = stepends(s);
  return s.sgnPATH == 'c' ? e.cp : std::max(e.c, e.v);
}

void showstep(Session& s, int k) {
  const StepEnds e = stepends(s);
  s.view.kanimC = std::max(std::min(k, e.c), 0);
  s.view.kanimV = std::max(std::min(k, e.v), 0);
  s.view.kanimCP = std::max(std::min(k, e.cp), 0);
}

double steptime(const Session& s) { return s.sgnPATH == 'c' ? s.params.dtCP : s.params.dt; }

void passed(Session& s) {
  passview(s.view);
  s.agvType = 1;
  s.sgnDraw = 'a';
}

namespace {

// The box of the world points a picture is fitted to.
struct Bounds {
  double x0 = std::numeric_limits<double>::infinity(), x1 = -x0, y0 = x0, y1 = -x0;
  void take(double x, double y) {
    x0 = std::min(x0, x), x1 = std::max(x1, x);
    y0 = std::min(y0, y), y1 = std::max(y1, y);
  }
};

// The view with the box b fitted into the picture left of the graphs.
void fit(View& v, const Bounds& b) {
  const Box& f = routeBox;
  // No closer than a dialogue pass's picture: a small route keeps its zoom.
  v.scale = scale0;
  if (b.x1 > b.x0) v.scale = std::min(v.scale, (f.right - f.left) / (b.x1 - b.x0));
  if (b.y1 > b.y0) v.scale = std::min(v.scale, (f.top - f.bottom) / (b.y1 - b.y0));
  v.xorg = (f.left + f.right) / 2.0 / v.scale - (b.x0 + b.x1) / 2.0;
  v.yorg = (f.bottom + f.top) / 2.0 / v.scale - (b.y0 + b.y1) / 2.0;
  v.kanimCP = v.kanimV = v.kanimC = 0;
}

}  // namespace

void routeview(View& v, const RouteResult& r) {
  Bounds b;
  for (const Waypoint& w : r.waypoints) b.take(w.x, w.y);
  for (int k = 0; k < 3; ++k)
    for (const Runs* runs : {&r.arc[k], &r.cl[k]})
      for (const Record& rec : runs->ref) b.take(rec.x, rec.y);
  fit(v, b);
}

void trackview(View& v, const CpResult& r) {
  Bounds b;
  for (const CpRuns& run : r.run)
    for (const CurveRecord& rec : run.ref) b.take(rec.x, rec.y);
  fit(v, b);
}

void leaveroute(Session& s) {
  s.routed = false;
  s.track = false;
  s.view.xorg = View{}.xorg;
  s.view.yorg = View{}.yorg;
}

}  // namespace agv
