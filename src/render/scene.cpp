#include "render/scene.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <limits>

#include "control/base/params.h"
#include "control/base/view.h"
#include "cp/curves.h"
#include "motion/records.h"
#include "motion/shown.h"
#include "ptp/steps.h"
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

void* const big = GLUT_BITMAP_HELVETICA_18;

// Polyline through the world points (x, y) of rec[0..n].
template <int F>
void drawpath(int n, const double (*rec)[F], const Color& c) {
  for (int i = 1; i <= n; ++i)
    drawline(toscreen(rec[i - 1][RX], rec[i - 1][RY]), toscreen(rec[i][RX], rec[i][RY]), pathW, c);
}

// Dots on the world points of rec[0..n].
Point trace[MAXDOTS];
void drawtrace(int n, const double (*rec)[6]) {
  for (int i = 0; i <= n; ++i) trace[i] = toscreen(rec[i][RX], rec[i][RY]);
  drawdots(n + 1, trace, dotR, blue);
}

// Figure at record r of a run.
void drawrun(const double* r, const Color& c) { drawagv({r[RX], r[RY]}, r[RTH], r[RPHI], c); }

// A step within 0 ... last.  The keys keep the steps there; a step set
// from elsewhere beyond the run shows the run's last record.
int within(int step, int last) {
  if (step > last) step = last;
  if (step < 0) step = 0;
  return step;
}

// The graph background: everything right of its left edge is painted over.
double panelx() { return xg2 - panelLeft; }
void panel() {
  coverright(std::numeric_limits<double>::infinity());
  drawrect({panelx(), yg2 - panelDown}, panelW, panelH, 0.0, white);
}

// PTP scene; the steps it drew.
void ptpscene(int k, int& c, int& v) {
  drawpath(nSeg[k][TOTAL], refA[k], red);
  drawpath(nc[k][TOTAL], refB[k], green);
  if (sgnDraw == 'a' || sgnDraw == 'b') {
    const PtpRuns r = ptpruns(k);
    c = within(kanimC, r.n);
    v = within(kanimV, r.nv);
    if (k != 0) {  // the steered mechanisms only
      drawtrace(c, r.cv);
      drawrun(r.cv[c], blue);
    }
    drawrun(r.vv[v], lookof(r).theory);
  }
  drawdot({x0, y0}, black);
  drawdot({xf, yf}, black);
}

void cpscene(int k) {
  drawtrace(kanimCP, cvCP[k]);
  drawrun(cvCP[k][kanimCP], blue);
  drawpath(NN[k], refCP[k], red);
  drawdot({P0cp[curveNo][0], P0cp[curveNo][1]}, black);
  drawdot({Pfcp[curveNo][0], Pfcp[curveNo][1]}, black);
}

}  // namespace

void drawtitle() { drawtext(-0.99f, 0.95f, big, "Path generation and AGV motion"); }

void drawlegend() {
  if (agvType == 1) drawtext(-0.95f, 0.90f, big, "(1) 2DW1C AGV");
  if (agvType == 2) drawtext(-0.95f, 0.90f, big, "(2) 1FDW1FS AGV");
  if (agvType == 3) drawtext(-0.95f, 0.90f, big, "(3) 1RDW1FS AGV");
  if (sgnPATH == 'p') {
    drawtext(-0.90f, 0.85f, big, "Red Curve  : Theoretical Line-Arc Trajectory");
    drawtext(-0.90f, 0.80f, big, "Green Curve : Theoretical Line-Clothoid Trajectory");
    drawtext(-0.90f, 0.75f, big, "Blue AGV : Constant Velocity Running");
    if (sgnDraw == 'a')
      drawtext(-0.90f, 0.70f, big, "Red AGV  : Variable Velocity Running of Line-Arc Trajectory");
    if (sgnDraw == 'b')
      drawtext(-0.90f, 0.70f, big,
               "Green AGV: Variable Velocity Running of Line-Clothoid Trajectory");
    drawtext(-0.90f, 0.65f, big, "1 grid=(1.0, 1.0)[m]");
  }
  if (sgnPATH == 'c') {
    char label[16];
    std::snprintf(label, sizeof label, "I=%d", curveNo);
    drawtext(-0.90f, 0.85f, big, "CP motion");
    drawtext(-0.65f, 0.85f, big, label);
    drawtext(-0.90f, 0.80f, big, "Red Curve  : Theoretical CP Trajectory");
    drawtext(-0.90f, 0.75f, big, "Blue Curve : Constant Velocity Running Trajectory");
    drawtext(-0.90f, 0.70f, big, "1 grid=(1.0, 1.0)[m]");
  }
}

void display() {
  framebegin();
  coverright(panelx());
  drawtitle();
  drawlegend();
  drawgrid({scale * xorg + xshift, scale * yorg + yshift}, 0.0, gridN, scale, scale);
  int k = agvType - 1;
  int c = kanimC, v = kanimV;
  if (sgnPATH == 'c')
    cpscene(k);
  else
    ptpscene(k, c, v);
  panel();
  drawgraphxy(agvType, kanimCP, c, v);
  drawgraphk(agvType, kanimCP, c, v);
  frameend();
}

}  // namespace agv
