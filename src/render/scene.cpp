#include "render/scene.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "render/agvfig.h"
#include "render/graphs.h"
#include "render/prims.h"

namespace agv {

namespace {

constexpr double pathW = 0.04 * scale0;  // theoretical path lines [screen units]
constexpr int gridN = 40;                // grid lines each way of the origin
constexpr double panelLeft = 0.05;       // graph background: left of the y(t) graph
constexpr double panelDown = 5.0;        // below it
constexpr double panelW = 2.0;           // and its size
constexpr double panelH = 10.0;

constexpr Typeface big = Typeface::Big;

constexpr double backDash = 0.1;  // dashes and gaps of a stretch driven backward [m]

// Polyline through the world points (x, y) of the records rec[0..n].  With `dashed`, where the
// path is driven backward (against the records' headings) it is dashed.
template <class R>
void drawpath(const View& v, int n, const R* rec, const Color& c, bool dashed = false) {
  for (int i = 1; i <= n; ++i) {
    const R& a = rec[i - 1];
    const R& b = rec[i];
    if (dashed && (b.x - a.x) * std::cos(a.th) + (b.y - a.y) * std::sin(a.th) < 0.0 &&
        std::fmod(a.s, 2.0 * backDash) >= backDash)
      continue;
    drawline(toscreen(v, a.x, a.y), toscreen(v, b.x, b.y), pathW, c);
  }
}

// Dots on the world points of rec[0..n].
void drawtrace(const View& v, int n, const Record* rec, const Color& c = blue) {
  std::vector<Point> trace(static_cast<size_t>(n) + 1);
  for (int i = 0; i <= n; ++i) trace[i] = toscreen(v, rec[i].x, rec[i].y);
  drawdots(n + 1, trace.data(), dotR, c);
}

// Figure at record r of a run.
void drawrun(const Session& s, const Record& r, const Color& c) {
  drawagv(s.view, s.agvType, s.params.Lw, {r.x, r.y}, r.th, r.phi, c);
}

// A step within 0 ... last.  The keys keep the steps there; a step set
// from elsewhere beyond the run shows the run's last record.
int within(int step, int last) {
  if (step > last) step = last;
  if (step < 0) step = 0;
  return step;
}

// The graph background: everything right of its left edge is painted over.
double panelx(const View& v) { return v.xg2 - panelLeft; }
void panel(const View& v) {
  coverright(std::numeric_limits<double>::infinity());
  drawrect({panelx(v), v.yg2 - panelDown}, panelW, panelH, 0.0, white);
}

// The tracked AGV at step `step` with its trace (where a controller is set).
void drawtracked(const Session& s, int k, int step) {
  const TrackedRun t = trackedrun(s, k);
  if (t.n < 0) return;
  const int c = within(step, t.n);
  drawtrace(s.view, c, t.tr, purple);
  drawrun(s, t.tr[c], purple);
}

// PTP scene; the steps it drew.  Before the first pass there are no runs.
void ptpscene(const Session& s, int k, int& c, int& v) {
  const View& w = s.view;
  const PtpRuns r = ptpruns(s, k);
  const bool back = s.params.reverse != 0;
  drawpath(w, static_cast<int>(r.arc->ref.size()) - 1, r.arc->ref.data(), red, back);
  drawpath(w, static_cast<int>(r.cl->ref.size()) - 1, r.cl->ref.data(), green, back);
  if ((s.sgnDraw == 'a' || s.sgnDraw == 'b') && r.n >= 0 && r.nv >= 0) {
    c = within(w.kanimC, r.n);
    v = within(w.kanimV, r.nv);
    if (k != 0) {  // the steered mechanisms only
      drawtrace(w, c, r.cv);
      drawrun(s, r.cv[c], blue);
    }
    drawrun(s, r.vv[v], lookof(r).theory);
    drawtracked(s, k, w.kanimC);
  }
  if (s.routed) {
    for (const Waypoint& p : s.route.waypoints) drawdot(w, {p.x, p.y}, black);
    return;
  }
  drawdot(w, {s.x0, s.y0}, black);
  drawdot(w, {s.xf, s.yf}, black);
}

// CP scene; the step it drew.
void cpscene(const Session& s, int k, int& c) {
  const View& w = s.view;
  const CpRuns& run = s.cp.run[k];
  const int n = static_cast<int>(run.cv.size()) - 1;
  if (n >= 0) {
    c = within(w.kanimCP, n);
    drawtrace(w, c, run.cv.data());
    drawrun(s, run.cv[c], blue);
    drawtracked(s, k, w.kanimCP);
  }
  drawpath(w, n, run.ref.data(), red);
  drawdot(w, {s.cp.P0cp.x, s.cp.P0cp.y}, black);
  drawdot(w, {s.cp.Pfcp.x, s.cp.Pfcp.y}, black);
}

// The tracked AGV's line of the legend, at y (where a controller is set).
void trackedlegend(const Session& s, float y) {
  static const char* const kNames[] = {"", "Pure Pursuit", "Stanley", "Rear-Wheel Feedback"};
  if (s.params.controller == NoController) return;
  char text[80];
  std::snprintf(text, sizeof text, "Purple AGV : Tracked by %s", kNames[s.params.controller]);
  drawtext(-0.90f, y, big, text);
}

}  // namespace

void drawtitle() { drawtext(-0.99f, 0.95f, big, "Path generation and AGV motion"); }

void drawlegend(const Session& s) {
  if (s.agvType == 1) drawtext(-0.95f, 0.90f, big, "(1) 2DW1C AGV");
  if (s.agvType == 2) drawtext(-0.95f, 0.90f, big, "(2) 1FDW1FS AGV");
  if (s.agvType == 3) drawtext(-0.95f, 0.90f, big, "(3) 1RDW1FS AGV");
  if (s.sgnPATH == 'p') {
    drawtext(-0.90f, 0.85f, big, "Red Curve  : Theoretical Line-Arc Trajectory");
    drawtext(-0.90f, 0.80f, big, "Green Curve : Theoretical Line-Clothoid Trajectory");
    drawtext(-0.90f, 0.75f, big, "Blue AGV : Constant Velocity Running");
    if (s.sgnDraw == 'a')
      drawtext(-0.90f, 0.70f, big, "Red AGV  : Variable Velocity Running of Line-Arc Trajectory");
    if (s.sgnDraw == 'b')
      drawtext(-0.90f, 0.70f, big,
               "Green AGV: Variable Velocity Running of Line-Clothoid Trajectory");
    drawtext(-0.90f, 0.65f, big, "1 grid=(1.0, 1.0)[m]");
    trackedlegend(s, 0.60f);
    if (s.params.reverse != 0)
      drawtext(-0.90f, s.params.controller == NoController ? 0.60f : 0.55f, big,
               "Dashed Curve : Backing Up");
  }
  if (s.sgnPATH == 'c') {
    char label[16];
    if (s.track)
      std::snprintf(label, sizeof label, "Track");
    else
      std::snprintf(label, sizeof label, "I=%d", s.curveNo);
    drawtext(-0.90f, 0.85f, big, "CP motion");
    drawtext(-0.65f, 0.85f, big, label);
    drawtext(-0.90f, 0.80f, big, "Red Curve  : Theoretical CP Trajectory");
    drawtext(-0.90f, 0.75f, big, "Blue Curve : Constant Velocity Running Trajectory");
    drawtext(-0.90f, 0.70f, big, "1 grid=(1.0, 1.0)[m]");
    trackedlegend(s, 0.65f);
  }
}

void display(const Session& s) {
  const View& w = s.view;
  framebegin();
  coverright(panelx(w));
  drawtitle();
  drawlegend(s);
  drawgrid({w.scale * w.xorg + w.xshift, w.scale * w.yorg + w.yshift}, 0.0, gridN, w.scale,
           w.scale);
  int k = s.agvType - 1;
  int c = w.kanimC, v = w.kanimV, cp = w.kanimCP;
  if (s.sgnPATH == 'c')
    cpscene(s, k, cp);
  else
    ptpscene(s, k, c, v);
  panel(w);
  drawgraphxy(s, s.agvType, cp, c, v);
  drawgraphk(s, s.agvType, cp, c, v);
  frameend();
}

}  // namespace agv
