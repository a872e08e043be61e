#include "render/graphs.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>

#include "control/dialogue.h"
#include "control/params.h"
#include "control/view.h"
#include "cp/track.h"
#include "motion/runs.h"
#include "motion/varruns.h"
#include "ptp/clpath.h"
#include "ptp/schedule.h"

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

void* const big = GLUT_BITMAP_HELVETICA_18;
void* const small = GLUT_BITMAP_HELVETICA_12;

// A scale factor that can place points: not infinite or NaN, as it is for
// a zero step count or a zero extent.
bool scalable(double dx, double ys) { return std::isfinite(dx) && std::isfinite(ys); }

// Step marker or end dot at (x, y); none where a run value cannot be
// placed (an infinite curvature of a turn on the spot).
void dot(double x, double y, double r, const Color& c) {
  if (std::isfinite(x) && std::isfinite(y)) drawdisc({x, y}, r, c);
}

// Texts of an x(t) or y(t) graph at the origin (X, Y).
struct XyTexts {
  const char* title;
  const char* theory;
  const char* real;
  const char* unit;
};

void xytexts(double X, double Y, const XyTexts& t) {
  drawtext(X + 0.1, Y - 0.05, big, t.title);
  if (sgnPATH == 'p') {
    if (sgnDraw == 'a') drawtext(X + 0.1, Y + 0.25, big, "red  :Var.Velocity");
    if (sgnDraw == 'b') drawtext(X + 0.1, Y + 0.25, big, "green:Var.Velocity");
    drawtext(X + 0.1, Y + 0.2, big, "blue :Const.Velocity");
  }
  if (sgnPATH == 'c') {
    drawtext(X + 0.2, Y + 0.25, big, t.theory);
    drawtext(X + 0.2, Y + 0.2, big, t.real);
  }
  drawtext(X - 0.1, Y + hg - 0.03, big, t.unit);
  drawtext(X + 0.25, Y + 0.05, small, "thin line:5*error");
}

void ptpxy(int k, int c, int v) {
  PtpRuns r = ptpruns(k);
  Point o1{xg1, yg1}, o2{xg2, yg2};
  double B = bndPTP[k][2];
  drawframe(o1, tickUnit, r.T, B);
  drawframe(o2, tickUnit, r.T, B);
  double dx = wg / r.n;
  double ys = hg / B;
  double ye = errGain * ys;
  if (scalable(dx, ys)) {
    dot(xg1, yg1 + ys * r.ref[0][RX], r.endr, red);
    dot(xg1 + wg, yg1 + ys * r.ref[r.n][RX], r.endr, red);
    dot(xg2, yg2 + ys * r.ref[0][RY], r.endr, red);
    dot(xg2 + wg, yg2 + ys * r.ref[r.n][RY], r.endr, red);
    plotcol(r.n, o1, dx, ys, theoryW, r.theory, r.ref, RX);
    plotcol(r.n, o1, dx, ys, runW, blue, r.cv, RX);
    plotcol(r.n, o2, dx, ys, theoryW, r.theory, r.ref, RY);
    plotcol(r.n, o2, dx, ys, runW, blue, r.cv, RY);
    plotcol(r.n, o1, dx, ye, errW, red, r.err, RX);
    plotcol(r.n, o2, dx, ye, errW, red, r.err, RY);
    const Color& refMark = r.plainMarks ? black : red;
    const Color& cvMark = r.plainMarks ? black : blue;
    dot(xg1 + c * dx, yg1 + ys * r.ref[c][RX], stepR, refMark);
    dot(xg1 + c * dx, yg1 + ys * r.cv[c][RX], stepR, cvMark);
    dot(xg2 + c * dx, yg2 + ys * r.ref[c][RY], stepR, refMark);
    dot(xg2 + c * dx, yg2 + ys * r.cv[c][RY], stepR, cvMark);
  }
  dx = wg / r.nv;
  if (scalable(dx, ys)) {
    plotcol(r.nv, o1, dx, ys, runW, r.theory, r.vv, RX);
    plotcol(r.nv, o2, dx, ys, runW, r.theory, r.vv, RY);
    const Color& vvMark = r.plainMarks ? black : red;
    dot(xg1 + v * dx, yg1 + ys * r.vv[v][RX], stepR, vvMark);
    dot(xg2 + v * dx, yg2 + ys * r.vv[v][RY], stepR, vvMark);
  }
}

void cpxy(int k, int kc) {
  Point o1{xg1, yg1}, o2{xg2, yg2};
  int n = NN[k];
  double ys = hg / bndCP[k][2];
  double ye = errGain * ys;
  double dx = wg / n;
  drawframe(o1, tickUnit, TCP[k], bndCP[k][2]);
  drawframe(o2, tickUnit, TCP[k], bndCP[k][2]);
  if (!scalable(dx, ys)) return;
  dot(xg1, yg1 + ys * refCP[k][0][RX], endR, red);
  dot(xg1 + wg, yg1 + ys * refCP[k][n][RX], endR, red);
  dot(xg2, yg2 + ys * refCP[k][0][RY], endR, red);
  dot(xg2 + wg, yg2 + ys * refCP[k][n][RY], endR, red);
  plotcol(n, o1, dx, ys, theoryW, red, refCP[k], RX);
  plotcol(n, o2, dx, ys, theoryW, red, refCP[k], RY);
  plotcol(n, o1, dx, ys, runW, blue, cvCP[k], RX);
  plotcol(n, o2, dx, ys, runW, blue, cvCP[k], RY);
  plotcol(n, o1, dx, ye, errW, red, errCP[k], RX);
  plotcol(n, o2, dx, ye, errW, red, errCP[k], RY);
  dot(xg1 + kc * dx, yg1 + ys * refCP[k][kc][RX], stepR, red);
  dot(xg1 + kc * dx, yg1 + ys * cvCP[k][kc][RX], stepR, blue);
  dot(xg2 + kc * dx, yg2 + ys * refCP[k][kc][RY], stepR, red);
  dot(xg2 + kc * dx, yg2 + ys * cvCP[k][kc][RY], stepR, blue);
}

}  // namespace

PtpRuns ptpruns(int k) {
  if (sgnDraw == 'b')
    return {Tc[k][3], nc[k][3], refB[k], cvB[k], errB[k], nvc[k][3],
            vvB[k],   endRb,    kapWB,   green,  true};
  return {Tseg[k][3], nSeg[k][3], refA[k], cvA[k], errA[k], nvSeg[k][3],
          vvA[k],     endR,       kapWA,   red,    false};
}

void drawframe(const Point& o, double a, double T, double B) {
  drawline(o, {o.x + wg, o.y}, axisW, black);
  double dx = wg / T;
  int nT = static_cast<int>(T);
  for (int i = 1; i <= nT; ++i) drawthin({o.x + i * dx, o.y}, {o.x + i * dx, o.y + tickLen}, black);
  double lx = nT > 0 ? o.x + nT * dx : o.x + wg;
  char label[16];
  std::snprintf(label, sizeof label, "%ds", nT);
  drawtext(static_cast<float>(lx), static_cast<float>(o.y - 0.03), small, label);
  drawthin({o.x + wg, o.y - hg}, {o.x + wg, o.y + hg}, black);
  double ys = a * hg / B;
  if (std::isfinite(ys)) {
    drawtext(static_cast<float>(o.x - 0.03), static_cast<float>(o.y + ys - 0.015), big, "1");
    drawtext(static_cast<float>(o.x - 0.05), static_cast<float>(o.y - ys - 0.015), big, "-1");
    int ny = static_cast<int>(B / a);
    for (int i = -ny; i <= ny; ++i)
      drawthin({o.x, o.y + i * ys}, {o.x + tickLen, o.y + i * ys}, black);
  }
  drawline({o.x, o.y - hg}, {o.x, o.y + hg}, axisW, black);
}

void drawgraphxy(int type, int kCP, int kC, int kV) {
  xg1 = graph1.x;
  yg1 = graph1.y;
  xg2 = graph2.x;
  yg2 = graph2.y;
  xytexts(xg1, yg1, {"x(t) and error", "red :Theory", "blue:Real", "x[m]"});
  xytexts(xg2, yg2, {"y(t) and error", "red :theory", "blue:real", "y[m]"});
  int k = type - 1;
  if (sgnPATH == 'p') ptpxy(k, kC, kV);
  if (sgnPATH == 'c') cpxy(k, kCP);
}

void drawgraphk(int type, int kCP, int kC, int kV) {
  const Point& K = graphK;
  drawtext(0.5f, -0.6f, big, "Curvature Kappa");
  if (sgnPATH == 'p') {
    if (sgnDraw == 'a') drawtext(0.52f, -0.30f, big, "red  :Var.Velocity");
    if (sgnDraw == 'b') drawtext(0.52f, -0.30f, big, "green:Var.Velocity");
    drawtext(0.52f, -0.35f, big, "blue :Const.Velocity");
  }
  if (sgnPATH == 'c') {
    drawtext(0.52f, -0.30f, big, "red :Theory");
    drawtext(0.52f, -0.35f, big, "blue:Real");
  }
  drawtext(0.28f, -0.30f, big, "Kappa");
  drawtext(0.30f, -0.35f, big, "[1/m]");
  int k = type - 1;
  if (sgnPATH == 'p') {
    const PtpRuns r = ptpruns(k);
    double B = 2.0 / Ra;
    double ys = hg / B;
    drawframe(K, tickUnit, r.T, B);
    double dx = wg / r.n;
    if (scalable(dx, ys)) {
      plotcol(r.n, K, dx, ys, r.kapw, r.theory, r.ref, RKAP);
      plotcol(r.n, K, dx, ys, runW, blue, r.cv, RKAP);
      dot(K.x + kC * dx, K.y + ys * r.cv[kC][RKAP], stepR, black);
    }
    if (type == 2 || type == 3) {
      dx = wg / r.nv;
      if (scalable(dx, ys)) {
        plotcol(r.nv, K, dx, ys, runW, r.theory, r.vv, RKAP);
        dot(K.x + kV * dx, K.y + ys * r.vv[kV][RKAP], stepR, black);
      }
    }
  }
  if (sgnPATH == 'c') {
    int n = NN[k];
    double dx = wg / n;
    double B = bndCPk[k][2];
    if (B > kapMax) B = kapMax;
    double ys = hg / B;
    drawframe(K, tickUnit, TCP[k], B);
    if (!scalable(dx, ys)) return;
    plotcol(n, K, dx, ys, theoryW, red, refCP[k], RKAP);
    plotcol(n, K, dx, ys, runW, blue, cvCP[k], RKAP);
    dot(K.x + kCP * dx, K.y + ys * refCP[k][kCP][RKAP], stepR, black);
    dot(K.x + kCP * dx, K.y + ys * cvCP[k][kCP][RKAP], stepR, black);
  }
}

}  // namespace agv
