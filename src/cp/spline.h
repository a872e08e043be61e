// The curve of a track: the cubic spline through its points, parameterised by chord length.
#pragma once

#include <cstddef>
#include <vector>

#include "agv/track.h"

namespace agv {

// One coordinate of a segment: a + b t + c t^2 + d t^3 at t = u - (the segment's first knot).
struct Cubic {
  double a, b, c, d;
};

// A cubic spline with continuous first and second derivatives through n points: the knots
// u[i] (u[0] = 0, u[i + 1] = u[i] + the chord from point i to i + 1 divided by the scale) and
// the n - 1 segments between them, x and y.
struct Spline {
  std::vector<double> u;
  std::vector<Cubic> x, y;
};

// The chord lengths of the points of t added [m]: NaN or infinity where they cannot be.
double chordlength(const Track& t);

// The spline through the points of t (at least two, none equal to the one before), its
// parameter the chord length divided by `scale` [m]: at an end where t gives a heading its
// first derivative is that heading's unit vector times the scale (clamped), elsewhere its
// second derivative is 0 (natural).
void splinethrough(const Track& t, double scale, Spline& s);

// The point P, first derivative D and second derivative E of s at u (by the first or the last
// segment beyond the ends); each may be null.
void splineat(const Spline& s, double u, double P[2], double D[2], double E[2]);

// The first knot after u; infinity after the last one.
double nextknot(const Spline& s, double u);

}  // namespace agv
