#include "render/graphs.h"

#include <cmath>
#include <cstdio>


namespace agv {

namespace {

constexpr double tickUnit = 1.0;   // value and time ticks every metre, 1/m or second
constexpr double errGain = 5.0;    // magnification of the error curves
constexpr double axisW = 0.006;    // axes
constexpr double tickLen = 0.02;   // time and value ticks
constexpr double theoryW = 0.005;  // theoretical x(t), y(t) and CP curvature
constexpr double runW = 0.008;     // simulated runs
constexpr double errW = 0.003;     // error curves
constexpr double kapWA = 0.002;    // theoretical curvature of the arc-line path
constexpr double kapWB = 0.003;    // and of the clothoid-line path
constexpr double endR = 0.01;      // end dots
constexpr double endRb = 0.008;    // end dots of the clothoid-line drawing
constexpr double stepR = 0.006;    // step markers
constexpr double kapMax = 2.0;     // cap of the CP curvature range [1/m]
constexpr Point graph1{0.4, 0.68};
constexpr Point graph2{0.4, 0.1};
constexpr Point graphK{0.4, -0.55};

constexpr Typeface big = Typeface::Big;
constexpr Typeface small = Typeface::Small;

// A scale factor that can place points: not infinite or NaN, as it is for
// a zero step count or a zero extent.
bool scalable(double dx, double ys) { return std::isfinite(dx) && std::isfinite(ys); }

// Step marker or end dot at (x, y); none where a run value cannot be
// placed (an infinite curvature of a turn on the spot).
void dot(Canvas& cv, double x, double y, double r, const Color& c) {
  if (std::isfinite(x) && std::isfinite(y)) drawdisc(cv, {x, y}, r, c);
}

// Texts of an x(t) or y(t) graph at the origin (X, Y).
struct XyTexts {
  const char* title;
  const char* theory;
  const char* real;
  const char* unit;
};

void xytexts(Canvas& cv, const Scene& s, double X, double Y, const XyTexts& t) {
  drawtext(cv, X + 0.1, Y - 0.05, big, t.title);
  if (s.sgnPATH == 'p') {
    if (s.sgnDraw == 'a') drawtext(cv, X + 0.1, Y + 0.25, big, "red  :Var.Velocity");
    if (s.sgnDraw == 'b') drawtext(cv, X + 0.1, Y + 0.25, big, "green:Var.Velocity");
    drawtext(cv, X + 0.1, Y + 0.2, big, "blue :Const.Velocity");
  }
  if (s.sgnPATH == 'c') {
    drawtext(cv, X + 0.2, Y + 0.25, big, t.theory);
    drawtext(cv, X + 0.2, Y + 0.2, big, t.real);
  }
  if (s.params.controller != NoController) drawtext(cv, X + 0.1, Y + 0.15, big, "purple:Tracked");
  drawtext(cv, X - 0.1, Y + hg - 0.03, big, t.unit);
  drawtext(cv, X + 0.25, Y + 0.05, small, "thin line:5*error");
}

// The tracked AGV on a graph of n steps across its width dx apart (its records beyond n
// left out), at the step `step`: field f scaled by ys from o, and on `errors` its cross-track
// errors scaled by ye.
void trackedplot(Canvas& cv, const Scene& s, int k, int n, const Point& o, double dx, double ys,
                 double Record::*f, int step, const double* ye) {
  const TrackedRun t = trackedrun(s, k);
  if (t.n < 0 || !scalable(dx, ys)) return;
  const int m = t.n < n ? t.n : n;
  plotcol(cv, m, o, dx, ys, runW, purple, t.tr, f);
  if (ye != nullptr)
    for (int i = 1; i <= m; ++i) {
      const double a = *ye * t.xte[i - 1], b = *ye * t.xte[i];
      if (std::fabs(a) < hg && std::fabs(b) < hg)
        drawline(cv, {o.x + (i - 1) * dx, o.y + a}, {o.x + i * dx, o.y + b}, errW, purple);
    }
  const int c = step < m ? step : m;
  dot(cv, o.x + c * dx, o.y + ys * (t.tr[c].*f), stepR, purple);
}

void ptpxy(Canvas& cv, const Scene& s, int k, int c, int v) {
  const double wg = s.view.wg;
  const PtpRuns r = ptpruns(s, k);
  const Look l = lookof(r);
  const Point o1 = graph1, o2 = graph2;
  double B = r.B;
  drawframe(cv, o1, wg, tickUnit, r.T, B);
  drawframe(cv, o2, wg, tickUnit, r.T, B);
  if (r.n < 0 || r.nv < 0) return;  // no pass yet
  double dx = wg / r.n;
  double ys = hg / B;
  double ye = errGain * ys;
  if (scalable(dx, ys)) {
    dot(cv, o1.x, o1.y + ys * r.ref[0].x, l.endr, red);
    dot(cv, o1.x + wg, o1.y + ys * r.ref[r.n].x, l.endr, red);
    dot(cv, o2.x, o2.y + ys * r.ref[0].y, l.endr, red);
    dot(cv, o2.x + wg, o2.y + ys * r.ref[r.n].y, l.endr, red);
    plotcol(cv, r.n, o1, dx, ys, theoryW, l.theory, r.ref, &Record::x);
    plotcol(cv, r.n, o1, dx, ys, runW, blue, r.cv, &Record::x);
    plotcol(cv, r.n, o2, dx, ys, theoryW, l.theory, r.ref, &Record::y);
    plotcol(cv, r.n, o2, dx, ys, runW, blue, r.cv, &Record::y);
    plotcol(cv, r.n, o1, dx, ye, errW, red, r.err, &Record::x);
    plotcol(cv, r.n, o2, dx, ye, errW, red, r.err, &Record::y);
    const Color& refMark = l.plainMarks ? black : red;
    const Color& cvMark = l.plainMarks ? black : blue;
    dot(cv, o1.x + c * dx, o1.y + ys * r.ref[c].x, stepR, refMark);
    dot(cv, o1.x + c * dx, o1.y + ys * r.cv[c].x, stepR, cvMark);
    dot(cv, o2.x + c * dx, o2.y + ys * r.ref[c].y, stepR, refMark);
    dot(cv, o2.x + c * dx, o2.y + ys * r.cv[c].y, stepR, cvMark);
    trackedplot(cv, s, k, r.n, o1, dx, ys, &Record::x, s.view.kanimC, nullptr);
    trackedplot(cv, s, k, r.n, o2, dx, ys, &Record::y, s.view.kanimC, &ye);
  }
  dx = wg / r.nv;
  if (scalable(dx, ys)) {
    plotcol(cv, r.nv, o1, dx, ys, runW, l.theory, r.vv, &Record::x);
    plotcol(cv, r.nv, o2, dx, ys, runW, l.theory, r.vv, &Record::y);
    const Color& vvMark = l.plainMarks ? black : red;
    dot(cv, o1.x + v * dx, o1.y + ys * r.vv[v].x, stepR, vvMark);
    dot(cv, o2.x + v * dx, o2.y + ys * r.vv[v].y, stepR, vvMark);
  }
}

void cpxy(Canvas& cv, const Scene& s, int k, int kc) {
  const double wg = s.view.wg;
  const CpRuns& run = s.cp->run[k];
  const CurveRecord* ref = run.ref.data();
  const Record* cvr = run.cv.data();
  const Record* err = run.err.data();
  const Point o1 = graph1, o2 = graph2;
  int n = s.cp->NN[k];
  const double B = s.cp->bndCP[k].mag;
  double ys = hg / B;
  double ye = errGain * ys;
  double dx = wg / n;
  drawframe(cv, o1, wg, tickUnit, s.cp->TCP[k], B);
  drawframe(cv, o2, wg, tickUnit, s.cp->TCP[k], B);
  if (run.ref.empty() || !scalable(dx, ys)) return;
  dot(cv, o1.x, o1.y + ys * ref[0].x, endR, red);
  dot(cv, o1.x + wg, o1.y + ys * ref[n].x, endR, red);
  dot(cv, o2.x, o2.y + ys * ref[0].y, endR, red);
  dot(cv, o2.x + wg, o2.y + ys * ref[n].y, endR, red);
  plotcol(cv, n, o1, dx, ys, theoryW, red, ref, &Record::x);
  plotcol(cv, n, o2, dx, ys, theoryW, red, ref, &Record::y);
  plotcol(cv, n, o1, dx, ys, runW, blue, cvr, &Record::x);
  plotcol(cv, n, o2, dx, ys, runW, blue, cvr, &Record::y);
  plotcol(cv, n, o1, dx, ye, errW, red, err, &Record::x);
  plotcol(cv, n, o2, dx, ye, errW, red, err, &Record::y);
  dot(cv, o1.x + kc * dx, o1.y + ys * ref[kc].x, stepR, red);
  dot(cv, o1.x + kc * dx, o1.y + ys * cvr[kc].x, stepR, blue);
  dot(cv, o2.x + kc * dx, o2.y + ys * ref[kc].y, stepR, red);
  dot(cv, o2.x + kc * dx, o2.y + ys * cvr[kc].y, stepR, blue);
  trackedplot(cv, s, k, n, o1, dx, ys, &Record::x, s.view.kanimCP, nullptr);
  trackedplot(cv, s, k, n, o2, dx, ys, &Record::y, s.view.kanimCP, &ye);
}

// Curvature of the PTP runs of mechanism `type`: the steered mechanisms
// also show their variable-velocity run.
void ptpk(Canvas& cv, const Scene& s, int type, int kC, int kV) {
  const double wg = s.view.wg;
  const Point& K = graphK;
  const PtpRuns r = ptpruns(s, type - 1);
  const Look l = lookof(r);
  double B = 2.0 / s.params.Ra;
  double ys = hg / B;
  drawframe(cv, K, wg, tickUnit, r.T, B);
  if (r.n < 0 || r.nv < 0) return;  // no pass yet
  double dx = wg / r.n;
  if (scalable(dx, ys)) {
    plotcol(cv, r.n, K, dx, ys, l.kapw, l.theory, r.ref, &Record::kap);
    plotcol(cv, r.n, K, dx, ys, runW, blue, r.cv, &Record::kap);
    dot(cv, K.x + kC * dx, K.y + ys * r.cv[kC].kap, stepR, black);
    trackedplot(cv, s, type - 1, r.n, K, dx, ys, &Record::kap, s.view.kanimC, nullptr);
  }
  if (type == 2 || type == 3) {
    dx = wg / r.nv;
    if (scalable(dx, ys)) {
      plotcol(cv, r.nv, K, dx, ys, runW, l.theory, r.vv, &Record::kap);
      dot(cv, K.x + kV * dx, K.y + ys * r.vv[kV].kap, stepR, black);
    }
  }
}

// Curvature of the CP run of mechanism k, its range capped.
void cpk(Canvas& cv, const Scene& s, int k, int kCP) {
  const double wg = s.view.wg;
  const CpRuns& run = s.cp->run[k];
  const CurveRecord* ref = run.ref.data();
  const Record* cvr = run.cv.data();
  const Point& K = graphK;
  int n = s.cp->NN[k];
  double dx = wg / n;
  double B = s.cp->bndCPk[k].mag;
  if (B > kapMax) B = kapMax;
  double ys = hg / B;
  drawframe(cv, K, wg, tickUnit, s.cp->TCP[k], B);
  if (run.ref.empty() || !scalable(dx, ys)) return;
  plotcol(cv, n, K, dx, ys, theoryW, red, ref, &Record::kap);
  plotcol(cv, n, K, dx, ys, runW, blue, cvr, &Record::kap);
  dot(cv, K.x + kCP * dx, K.y + ys * ref[kCP].kap, stepR, black);
  dot(cv, K.x + kCP * dx, K.y + ys * cvr[kCP].kap, stepR, black);
  trackedplot(cv, s, k, n, K, dx, ys, &Record::kap, s.view.kanimCP, nullptr);
}

}  // namespace

Look lookof(const PtpRuns& r) {
  if (r.clothoid) return {endRb, kapWB, green, true};
  return {endR, kapWA, red, false};
}

void drawframe(Canvas& cv, const Point& o, double wg, double a, double T, double B) {
  drawline(cv, o, {o.x + wg, o.y}, axisW, black);
  double dx = wg / T;
  int nT = static_cast<int>(T);
  for (int i = 1; i <= nT; ++i)
    drawthin(cv, {o.x + i * dx, o.y}, {o.x + i * dx, o.y + tickLen}, black);
  double lx = nT > 0 ? o.x + nT * dx : o.x + wg;
  char label[16];
  std::snprintf(label, sizeof label, "%ds", nT);
  drawtext(cv, static_cast<float>(lx), static_cast<float>(o.y - 0.03), small, label);
  drawthin(cv, {o.x + wg, o.y - hg}, {o.x + wg, o.y + hg}, black);
  double ys = a * hg / B;
  if (std::isfinite(ys)) {
    drawtext(cv, static_cast<float>(o.x - 0.03), static_cast<float>(o.y + ys - 0.015), big, "1");
    drawtext(cv, static_cast<float>(o.x - 0.05), static_cast<float>(o.y - ys - 0.015), big, "-1");
    int ny = static_cast<int>(B / a);
    for (int i = -ny; i <= ny; ++i)
      drawthin(cv, {o.x, o.y + i * ys}, {o.x + tickLen, o.y + i * ys}, black);
  }
  drawline(cv, {o.x, o.y - hg}, {o.x, o.y + hg}, axisW, black);
}

void drawgraphxy(Canvas& cv, const Scene& s, int type, int kCP, int kC, int kV) {
  xytexts(cv, s, graph1.x, graph1.y, {"x(t) and error", "red :Theory", "blue:Real", "x[m]"});
  xytexts(cv, s, graph2.x, graph2.y, {"y(t) and error", "red :theory", "blue:real", "y[m]"});
  int k = type - 1;
  if (s.sgnPATH == 'p') ptpxy(cv, s, k, kC, kV);
  if (s.sgnPATH == 'c') cpxy(cv, s, k, kCP);
}

void drawgraphk(Canvas& cv, const Scene& s, int type, int kCP, int kC, int kV) {
  drawtext(cv, 0.5f, -0.6f, big, "Curvature Kappa");
  if (s.sgnPATH == 'p') {
    if (s.sgnDraw == 'a') drawtext(cv, 0.52f, -0.30f, big, "red  :Var.Velocity");
    if (s.sgnDraw == 'b') drawtext(cv, 0.52f, -0.30f, big, "green:Var.Velocity");
    drawtext(cv, 0.52f, -0.35f, big, "blue :Const.Velocity");
  }
  if (s.sgnPATH == 'c') {
    drawtext(cv, 0.52f, -0.30f, big, "red :Theory");
    drawtext(cv, 0.52f, -0.35f, big, "blue:Real");
  }
  drawtext(cv, 0.28f, -0.30f, big, "Kappa");
  drawtext(cv, 0.30f, -0.35f, big, "[1/m]");
  if (s.sgnPATH == 'p') ptpk(cv, s, type, kC, kV);
  if (s.sgnPATH == 'c') cpk(cv, s, type - 1, kCP);
}

}  // namespace agv
