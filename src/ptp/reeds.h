// Paths of arcs and lines driven forward and backward: the shortest (or the
// cheapest, with weights on reversing and on cusps) of the Reeds-Shepp words
// between two poses, and the pose a word drives to.
#pragma once

#include "agv/ptp.h"

namespace agv {

// One segment: its curvature direction (+1 left arc, 0 line, -1 right arc),
// its driving direction (+1 forward, -1 backward) and its length [m].
struct Segment {
  int k = 0;
  int dir = 1;
  double len = 0.0;
};

// A path of arcs and lines as its segments in driving order, its length [m]
// and its cost.
struct Word {
  int n = 0;
  Segment seg[kSegMax];
  double length = 0.0;
  double cost = 0.0;
};

// The path of least cost from pose a to pose b (x, y [m], th [rad]) with arcs
// of radius r and lines in either direction: cost = forward length +
// reverseCost x backward length + cuspCost x number of changes of direction.
// With reverseCost 1 and cuspCost 0 it is the shortest such path; with
// reverseCost infinite, the shortest forward one.  Of words of equal cost the
// first in a fixed order is taken; no memory is allocated.  Segments of no
// length (below 1e-12 r) are left out: b equal to a gives n = 0, length 0.
// A pose or radius that is not finite, r <= 0, a weight that is negative or
// not a number, or poses so far apart that the lengths overflow give n = 0
// with length and cost NaN.  `from` is the driving direction of the path
// before a (+1, -1; 0 none, as for a path alone): a first segment driven the
// other way is a change of direction too, and costs cuspCost.
void reedsshepp(const Pose& a, const Pose& b, double r, double reverseCost, double cuspCost, Word& w,
                int from = 0);

// The pose reached from p by driving the word's segments with arcs of radius
// r; its heading turns continuously (not reduced) and its s grows by the
// length driven.
Pose drive(const Pose& p, const Word& w, double r);

}  // namespace agv
