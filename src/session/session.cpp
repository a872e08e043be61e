#include "session/session.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace agv {

void passview(View& v) {
  v.scale = scale0;
  v.zoom = 0;
  v.kanimCP = v.kanimV = v.kanimC = 0;
}

namespace {

// The scale s zoomed by z steps, one after the other as the keys zoom.
double zoomed(double s, int z) {
  for (int i = 0; i < z; ++i) s = s / zoomStep;
  for (int i = 0; i > z; --i) s = zoomStep * s;
  return s;
}

}  // namespace

bool zoomview(View& v, int steps) {
  // A scale set since the last key is the one the steps zoom from now on.
  if (v.zoom == 0 || zoomed(v.unzoomed, v.zoom) != v.scale) {
    v.unzoomed = v.scale;
    v.zoom = 0;
  }
  const int z = v.zoom + steps;
  const double s = zoomed(v.unzoomed, z);
  if (!(s >= std::min(minScale, v.unzoomed) && s <= std::max(maxScale, v.unzoomed))) return false;
  v.zoom = z;
  v.scale = s;
  return true;
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

Scene sceneof(const Session& s) {
  Scene c;
  c.params = s.params;
  c.sgnPATH = s.sgnPATH;
  c.agvType = s.agvType;
  c.sgnDraw = s.sgnDraw;
  c.curveNo = s.curveNo;
  c.track = s.track;
  c.x0 = s.x0;
  c.y0 = s.y0;
  c.xf = s.xf;
  c.yf = s.yf;
  c.ptp = &s.ptp;
  c.cp = &s.cp;
  c.route = s.routed ? &s.route : nullptr;
  c.map = s.mapped ? &s.map : nullptr;
  c.view = s.view;
  return c;
}

PtpRuns ptpruns(const Scene& s, int k) {
  const bool b = s.sgnDraw == 'b';
  const Runs* arc = s.route != nullptr ? &s.route->arc[k] : &s.ptp->arc[k];
  const Runs* cl = s.route != nullptr ? &s.route->cl[k] : &s.ptp->cl[k];
  const Runs& runs = b ? *cl : *arc;
  double T = 0.0;
  if (s.route != nullptr) {
    for (const PtpResult& leg : s.route->legs)
      T += b ? leg.steps.Tc[k].total : leg.steps.Tseg[k].total;
  } else {
    T = b ? s.ptp->steps.Tc[k].total : s.ptp->steps.Tseg[k].total;
  }
  return {b,
          arc,
          cl,
          s.route != nullptr ? s.route->bndPTP[k].mag : s.ptp->bndPTP[k].mag,
          T,
          static_cast<int>(runs.ref.size()) - 1,
          runs.ref.data(),
          runs.cv.data(),
          runs.err.data(),
          static_cast<int>(runs.vv.size()) - 1,
          runs.vv.data()};
}

TrackedRun trackedrun(const Scene& s, int k) {
  if (s.sgnPATH == 'c') {
    const CpRuns& run = s.cp->run[k];
    return {static_cast<int>(run.tr.size()) - 1, run.tr.data(), run.xte.data()};
  }
  const PtpRuns r = ptpruns(s, k);
  const Runs& runs = r.clothoid ? *r.cl : *r.arc;
  return {static_cast<int>(runs.tr.size()) - 1, runs.tr.data(), runs.xte.data()};
}

StepEnds stepends(const Scene& s) {
  const int k = s.agvType - 1;
  const int tracked = trackedrun(s, k).n;
  if (s.sgnPATH == 'c') return {-1, -1, std::max(s.cp->NN[k], tracked)};
  // The constant-velocity steps go on while the tracked AGV, on the same steps, does.
  const PtpRuns r = ptpruns(s, k);
  return {std::max(r.n, tracked), r.nv, -1};
}

int laststep(const Scene& s) {
  const StepEnds e = stepends(s);
  return s.sgnPATH == 'c' ? e.cp : std::max(e.c, e.v);
}

void showstep(Scene& s, int k) {
  const StepEnds e = stepends(s);
  s.view.kanimC = std::max(std::min(k, e.c), 0);
  s.view.kanimV = std::max(std::min(k, e.v), 0);
  s.view.kanimCP = std::max(std::min(k, e.cp), 0);
}

double steptime(const Scene& s) { return s.sgnPATH == 'c' ? s.params.dtCP : s.params.dt; }

void restart(View& v) { v.kanimCP = v.kanimV = v.kanimC = 0; }

namespace {

constexpr int animStep = 3;       // time steps per 's'
constexpr double panStep = 0.05;  // screen units per pan key

// The last steps of the PTP runs the current type and drawing show: the
// clothoid-line runs for 'b', the arc-line runs otherwise.  Set before the
// steps move, so that keys applied before the next frame (a burst, or the
// first 's' after a pass) stop where that frame's runs end.
void setends(Session& s) {
  const StepEnds e = stepends(sceneof(s));
  s.view.kendC = e.c;
  s.view.kendV = e.v;
}

// step + animStep, limited to last and to at least 0.
int advance(int step, int last) {
  step += animStep;
  if (step > last) step = last;
  if (step < 0) step = 0;
  return step;
}

}  // namespace

bool viewkey(Session& s, unsigned char key) {
  View& v = s.view;
  switch (key) {
    case '1':
    case '2':
    case '3':
      s.agvType = key - '0';
      restart(v);
      return true;
    case 'a':
    case 'b':
      s.sgnDraw = static_cast<char>(key);
      restart(v);
      return true;
    case 's':
      if (s.sgnPATH == 'p') {
        setends(s);
        v.kanimC = advance(v.kanimC, v.kendC);
        v.kanimV = advance(v.kanimV, v.kendV);
      }
      if (s.sgnPATH == 'c') v.kanimCP = advance(v.kanimCP, stepends(sceneof(s)).cp);
      return true;
    case '0':
      restart(v);
      return true;
    case 'x':
      v.xshift -= panStep;
      return true;
    case 'X':
      v.xshift += panStep;
      return true;
    case 'y':
      v.yshift -= panStep;
      return true;
    case 'Y':
      v.yshift += panStep;
      return true;
    case 'w':
      return zoomview(v, -1);
    case 'W':
      return zoomview(v, +1);
    default:
      return false;
  }
}

void passed(Session& s) {
  passview(s.view);
  if (s.mapped) mapview(s.view, s.map);
  s.agvType = 1;
  s.sgnDraw = 'a';
}

namespace {

// The smallest box of the world round the points taken.
struct Bounds {
  double x0 = std::numeric_limits<double>::infinity(), x1 = -x0, y0 = x0, y1 = -x0;
  void take(double x, double y) {
    x0 = std::min(x0, x), x1 = std::max(x1, x);
    y0 = std::min(y0, y), y1 = std::max(y1, y);
  }
};

// The view of the box b fitted into the picture left of the graphs (routeBox).
void fitview(View& v, const Bounds& b) {
  const double x0 = b.x0, x1 = b.x1, y0 = b.y0, y1 = b.y1;
  const Box& f = routeBox;
  // No closer than a dialogue pass's picture: a small route keeps its zoom.
  v.scale = scale0;
  v.zoom = 0;
  if (x1 > x0) v.scale = std::min(v.scale, (f.right - f.left) / (x1 - x0));
  if (y1 > y0) v.scale = std::min(v.scale, (f.top - f.bottom) / (y1 - y0));
  v.xorg = (f.left + f.right) / 2.0 / v.scale - (x0 + x1) / 2.0;
  v.yorg = (f.bottom + f.top) / 2.0 / v.scale - (y0 + y1) / 2.0;
  v.kanimCP = v.kanimV = v.kanimC = 0;
}

}  // namespace

void routeview(View& v, const RouteResult& r) {
  Bounds b;
  for (const Waypoint& w : r.waypoints) b.take(w.x, w.y);
  for (int k = 0; k < 3; ++k)
    for (const Runs* runs : {&r.arc[k], &r.cl[k]})
      for (const Record& rec : runs->ref) b.take(rec.x, rec.y);
  fitview(v, b);
}

void trackview(View& v, const CpResult& r) {
  Bounds b;
  for (const CpRuns& run : r.run)
    for (const CurveRecord& rec : run.ref) b.take(rec.x, rec.y);
  fitview(v, b);
}

void mapview(View& v, const Map& m) {
  Bounds b;
  const double c = std::cos(m.yaw), sn = std::sin(m.yaw);
  for (const double lx : {0.0, m.widthMetres()})
    for (const double ly : {0.0, m.heightMetres()}) b.take(m.x + c * lx - sn * ly, m.y + sn * lx + c * ly);
  fitview(v, b);
}

void leaveroute(Session& s) {
  s.routed = false;
  s.track = false;
  s.view.xorg = View{}.xorg;
  s.view.yorg = View{}.yorg;
}

}  // namespace agv
