// Time-series graphs of the right-hand panel: x(t), y(t) and curvature.
#pragma once

#include <cmath>

#include "render/prims.h"
#include "session/session.h"

namespace agv {

constexpr double hg = 0.3;  // half height of a graph [screen units]

// How the runs of a PTP drawing look: end dot radius, width of the
// theoretical curvature, colour of the theory and the variable-velocity
// run, and whether the step markers are all black.
struct Look {
  double endr;
  double kapw;
  const Color& theory;
  bool plainMarks;
};
Look lookof(const PtpRuns& r);

// x(t) and y(t) graphs of mechanism `type`, on the canvas cv, at the steps kCP (CP run), kC
// (PTP constant-velocity run) and kV (PTP variable-velocity run).
void drawgraphxy(Canvas& cv, const Scene& s, int type, int kCP, int kC, int kV);

// Curvature graph, same arguments.
void drawgraphk(Canvas& cv, const Scene& s, int type, int kCP, int kC, int kV);

// Axes, ticks every a, the duration label for T [s] and the value labels
// of one graph of width wg whose half height stands for the value B.
void drawframe(Canvas& cv, const Point& o, double wg, double a, double T, double B);

// Curve of field `field` of the records rec[0..n] from the origin o, dx
// apart, ys screen units per unit of value.  A piece with an end outside
// the band of +-hg around o.y is left out.
template <class R>
void plotcol(Canvas& cv, int n, const Point& o, double dx, double ys, double width, const Color& c,
             const R* rec, double Record::*field) {
  Point p{o.x, o.y + ys * (rec[0].*field)};
  for (int i = 1; i <= n; ++i) {
    Point q{o.x + i * dx, o.y + ys * (rec[i].*field)};
    if (std::fabs(p.y - o.y) < hg && std::fabs(q.y - o.y) < hg) drawline(cv, p, q, width, c);
    p = q;
  }
}

}  // namespace agv
