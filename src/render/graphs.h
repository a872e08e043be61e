// Time-series graphs of the right-hand panel: x(t), y(t) and curvature.
#pragma once

#include <cmath>

#include "render/prims.h"

namespace agv {

constexpr double hg = 0.3;  // half height of a graph [screen units]

// The runs of the current PTP drawing: the clothoid-line path for 'b',
// the arc-line path for any other drawing.
struct PtpRuns {
  double T;  // duration of the constant-velocity runs
  int n;     // their step total
  const double (*ref)[6];
  const double (*cv)[6];
  const double (*err)[6];
  int nv;  // step total of the variable-velocity run
  const double (*vv)[6];
  double endr;          // end dot radius
  double kapw;          // line width of the theoretical curvature
  const Color& theory;  // theoretical and variable-velocity curves and figure
  bool plainMarks;      // black step markers
};

// The runs of mechanism k in the current drawing.
PtpRuns ptpruns(int k);

// x(t) and y(t) graphs of mechanism `type` at the steps kCP (CP run), kC
// (PTP constant-velocity run) and kV (PTP variable-velocity run).
void drawgraphxy(int type, int kCP, int kC, int kV);

// Curvature graph, same arguments.
void drawgraphk(int type, int kCP, int kC, int kV);

// Axes, ticks every a, the duration label for T [s] and the value labels
// of one graph whose half height stands for the value B.
void drawframe(const Point& o, double a, double T, double B);

// Curve of field `field` of the records rec[0..n] from the origin o, dx
// apart, ys screen units per unit of value.  A piece with an end outside
// the band of +-hg around o.y is left out.
template <int F>
void plotcol(int n, const Point& o, double dx, double ys, double width, const Color& c,
             const double (*rec)[F], int field) {
  Point p{o.x, o.y + ys * rec[0][field]};
  for (int i = 1; i <= n; ++i) {
    Point q{o.x + i * dx, o.y + ys * rec[i][field]};
    if (std::fabs(p.y - o.y) < hg && std::fabs(q.y - o.y) < hg) drawline(p, q, width, c);
    p = q;
  }
}

}  // namespace agv
