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
constexpr double contactR = 2.0 * dotR;  // the ring round a first contact [screen units]
constexpr float legendStep = 0.05f;      // between two lines of the legend [screen units]

// The map under everything: its occupied cells black, its unknown ones grey, each run of like
// cells of a row one rectangle.
void drawmap(Canvas& cv, const View& v, const Map& m) {
  const double c = std::cos(m.yaw), sn = std::sin(m.yaw);
  const double side = m.resolution * v.scale;
  for (int row = 0; row < m.height; ++row) {
    const double ly = (m.height - 1 - row) * m.resolution;  // the row's lower edge, map frame
    for (int col = 0; col < m.width;) {
      const Cell kind = m.at(col, row);
      int end = col + 1;
      while (end < m.width && m.at(end, row) == kind) ++end;
      if (kind != Cell::Free) {
        const double lx = col * m.resolution;
        drawrect(cv, toscreen(v, m.x + c * lx - sn * ly, m.y + sn * lx + c * ly), (end - col) * side,
                 side, m.yaw, kind == Cell::Occupied ? black : grey);
      }
      col = end;
    }
  }
}

// The outline of the body's rectangle at the pose (x, y, th) (a pass in a map).
void drawoutline(Canvas& cv, const Scene& s, double x, double y, double th, const Color& c) {
  const Params& p = s.params;
  const double back = p.bodyRear + p.clearance, half = p.bodyWidth / 2.0 + p.clearance;
  const double length = p.bodyFront + p.clearance + back;
  const Point corner = toscreen(s.view, x - back * std::cos(th) + half * std::sin(th),
                                y - back * std::sin(th) - half * std::cos(th));
  drawrectline(cv, corner, length * s.view.scale, 2.0 * half * s.view.scale, th, c);
}

// The first contacts with the map of the path (path b) and the runs of mechanism k: a ring
// round the reference point and the body's outline there, in the colour of each.
void drawcontacts(Canvas& cv, const Scene& s, int b, int k, const Color& theory) {
  const Contacts* c = s.route != nullptr ? &s.route->contacts
                      : s.sgnPATH == 'c' ? &s.cp->contacts
                                         : &s.ptp->contacts;
  if (!c->checked) return;
  const struct {
    const Contact& at;
    const Color& col;
    bool shown;
  } marks[] = {{c->path[b], theory, true},
               {c->cv[b][k], blue, k != 0 || s.sgnPATH == 'c'},  // 2DW1C's is its theory's
               {c->vv[b][k], theory, s.sgnPATH == 'p'},
               {c->tr[b][k], purple, true}};
  for (const auto& m : marks) {
    if (!m.at || !m.shown) continue;
    drawcircle(cv, toscreen(s.view, m.at.x, m.at.y), contactR, m.col);
    drawoutline(cv, s, m.at.x, m.at.y, m.at.th, m.col);
  }
}

// Polyline through the world points (x, y) of the records rec[0..n].  With `dashed`, where the
// path is driven backward (against the records' headings) it is dashed.
template <class R>
void drawpath(Canvas& cv, const View& v, int n, const R* rec, const Color& c, bool dashed = false) {
  for (int i = 1; i <= n; ++i) {
    const R& a = rec[i - 1];
    const R& b = rec[i];
    if (dashed && (b.x - a.x) * std::cos(a.th) + (b.y - a.y) * std::sin(a.th) < 0.0 &&
        std::fmod(a.s, 2.0 * backDash) >= backDash)
      continue;
    drawline(cv, toscreen(v, a.x, a.y), toscreen(v, b.x, b.y), pathW, c);
  }
}

// Dots on the world points of rec[0..n].
void drawtrace(Canvas& cv, const View& v, int n, const Record* rec, const Color& c = blue) {
  std::vector<Point> trace(static_cast<size_t>(n) + 1);
  for (int i = 0; i <= n; ++i) trace[i] = toscreen(v, rec[i].x, rec[i].y);
  drawdots(cv, n + 1, trace.data(), dotR, c);
}

// Figure at record r of a run, in a map with its body's outline.
void drawrun(Canvas& cv, const Scene& s, const Record& r, const Color& c) {
  drawagv(cv, s.view, s.agvType, s.params.Lw, {r.x, r.y}, r.th, r.phi, c);
  if (s.map != nullptr) drawoutline(cv, s, r.x, r.y, r.th, c);
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
void panel(Canvas& cv, const View& v) {
  cv.coverright(std::numeric_limits<double>::infinity());
  drawrect(cv, {panelx(v), v.yg2 - panelDown}, panelW, panelH, 0.0, white);
}

// The tracked AGV at step `step` with its trace (where a controller is set).
void drawtracked(Canvas& cv, const Scene& s, int k, int step) {
  const TrackedRun t = trackedrun(s, k);
  if (t.n < 0) return;
  const int c = within(step, t.n);
  drawtrace(cv, s.view, c, t.tr, purple);
  drawrun(cv, s, t.tr[c], purple);
}

// PTP scene; the steps it drew.  Before the first pass there are no runs.
void ptpscene(Canvas& cv, const Scene& s, int k, int& c, int& v) {
  const View& w = s.view;
  const PtpRuns r = ptpruns(s, k);
  const bool back = s.params.reverse != 0;
  drawpath(cv, w, static_cast<int>(r.arc->ref.size()) - 1, r.arc->ref.data(), red, back);
  drawpath(cv, w, static_cast<int>(r.cl->ref.size()) - 1, r.cl->ref.data(), green, back);
  if ((s.sgnDraw == 'a' || s.sgnDraw == 'b') && r.n >= 0 && r.nv >= 0) {
    c = within(w.kanimC, r.n);
    v = within(w.kanimV, r.nv);
    if (k != 0) {  // the steered mechanisms only
      drawtrace(cv, w, c, r.cv);
      drawrun(cv, s, r.cv[c], blue);
    }
    drawrun(cv, s, r.vv[v], lookof(r).theory);
    drawtracked(cv, s, k, w.kanimC);
    drawcontacts(cv, s, r.clothoid ? 1 : 0, k, lookof(r).theory);
  }
  if (s.route != nullptr) {
    for (const Waypoint& p : s.route->waypoints) drawdot(cv, w, {p.x, p.y}, black);
    return;
  }
  drawdot(cv, w, {s.x0, s.y0}, black);
  drawdot(cv, w, {s.xf, s.yf}, black);
}

// CP scene; the step it drew.
void cpscene(Canvas& cv, const Scene& s, int k, int& c) {
  const View& w = s.view;
  const CpRuns& run = s.cp->run[k];
  const int n = static_cast<int>(run.cv.size()) - 1;
  if (n >= 0) {
    c = within(w.kanimCP, n);
    drawtrace(cv, w, c, run.cv.data());
    drawrun(cv, s, run.cv[c], blue);
    drawtracked(cv, s, k, w.kanimCP);
    drawcontacts(cv, s, 0, k, red);
  }
  drawpath(cv, w, n, run.ref.data(), red);
  drawdot(cv, w, {s.cp->P0cp.x, s.cp->P0cp.y}, black);
  drawdot(cv, w, {s.cp->Pfcp.x, s.cp->Pfcp.y}, black);
}

// The tracked AGV's line of the legend, at y (where a controller is set); y of the next line.
float trackedlegend(Canvas& cv, const Scene& s, float y) {
  static const char* const kNames[] = {"", "Pure Pursuit", "Stanley", "Rear-Wheel Feedback"};
  if (s.params.controller == NoController) return y;
  char text[80];
  std::snprintf(text, sizeof text, "Purple AGV : Tracked by %s", kNames[s.params.controller]);
  drawtext(cv, -0.90f, y, big, text);
  return y - legendStep;
}

// The map's line of the legend, at y (a pass in a map).
void maplegend(Canvas& cv, const Scene& s, float y) {
  if (s.map != nullptr)
    drawtext(cv, -0.90f, y, big, "Black : Obstacles, Grey : Unknown, Rings : First Contacts");
}

}  // namespace

void drawtitle(Canvas& cv) { drawtext(cv, -0.99f, 0.95f, big, "Path generation and AGV motion"); }

void drawlegend(Canvas& cv, const Scene& s) {
  if (s.agvType == 1) drawtext(cv, -0.95f, 0.90f, big, "(1) 2DW1C AGV");
  if (s.agvType == 2) drawtext(cv, -0.95f, 0.90f, big, "(2) 1FDW1FS AGV");
  if (s.agvType == 3) drawtext(cv, -0.95f, 0.90f, big, "(3) 1RDW1FS AGV");
  if (s.sgnPATH == 'p') {
    drawtext(cv, -0.90f, 0.85f, big, "Red Curve  : Theoretical Line-Arc Trajectory");
    drawtext(cv, -0.90f, 0.80f, big, "Green Curve : Theoretical Line-Clothoid Trajectory");
    drawtext(cv, -0.90f, 0.75f, big, "Blue AGV : Constant Velocity Running");
    if (s.sgnDraw == 'a')
      drawtext(cv, -0.90f, 0.70f, big,
               "Red AGV  : Variable Velocity Running of Line-Arc Trajectory");
    if (s.sgnDraw == 'b')
      drawtext(cv, -0.90f, 0.70f, big,
               "Green AGV: Variable Velocity Running of Line-Clothoid Trajectory");
    drawtext(cv, -0.90f, 0.65f, big, "1 grid=(1.0, 1.0)[m]");
    float y = trackedlegend(cv, s, 0.60f);
    if (s.params.reverse != 0) {
      drawtext(cv, -0.90f, y, big, "Dashed Curve : Backing Up");
      y -= legendStep;
    }
    maplegend(cv, s, y);
  }
  if (s.sgnPATH == 'c') {
    char label[16];
    if (s.track)
      std::snprintf(label, sizeof label, "Track");
    else
      std::snprintf(label, sizeof label, "I=%d", s.curveNo);
    drawtext(cv, -0.90f, 0.85f, big, "CP motion");
    drawtext(cv, -0.65f, 0.85f, big, label);
    drawtext(cv, -0.90f, 0.80f, big, "Red Curve  : Theoretical CP Trajectory");
    drawtext(cv, -0.90f, 0.75f, big, "Blue Curve : Constant Velocity Running Trajectory");
    drawtext(cv, -0.90f, 0.70f, big, "1 grid=(1.0, 1.0)[m]");
    maplegend(cv, s, trackedlegend(cv, s, 0.65f));
  }
}

void display(Canvas& cv, const Scene& s) {
  const View& w = s.view;
  cv.framebegin();
  cv.coverright(panelx(w));
  if (s.map != nullptr) drawmap(cv, w, *s.map);
  drawtitle(cv);
  drawlegend(cv, s);
  drawgrid(cv, {w.scale * w.xorg + w.xshift, w.scale * w.yorg + w.yshift}, 0.0, gridN, w.scale,
           w.scale);
  int k = s.agvType - 1;
  int c = w.kanimC, v = w.kanimV, cp = w.kanimCP;
  if (s.sgnPATH == 'c')
    cpscene(cv, s, k, cp);
  else
    ptpscene(cv, s, k, c, v);
  panel(cv, w);
  drawgraphxy(cv, s, s.agvType, cp, c, v);
  drawgraphk(cv, s, s.agvType, cp, c, v);
  cv.frameend();
}

}  // namespace agv
