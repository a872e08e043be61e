// CP curve catalogue: nine analytic curves, parameter u = x (graph curves
// 1-4) or u = beta (polar curves 11-16); and the spline through a track's
// points (number 0), parameter u the chord length.
#pragma once

#include "agv/cp.h"
#include "base/model.h"

namespace agv {

struct Spline;

// A curve of the catalogue with its constants and the constants derived
// from them, its range and its end poses; or a spline (I = 0).
struct CurveModel {
  int I = 0;
  const Spline* spline = nullptr;  // the spline of a track, which its owner keeps
  // Constants: A and L (1-4); A and B (11, 13); A and the turns nt (12);
  // A and n (14); R, A and n (16).
  double A = 0.0, B = 0.0, L = 0.0, n = 0.0, R = 0.0;
  // Derived constants: w = 2 pi / L (1, 2); c12 = A / 2 pi (12); the
  // ellipse's squares, product and difference AA, BB, AB, dAB (11).
  double w = 0.0, c12 = 0.0, AA = 0.0, BB = 0.0, AB = 0.0, dAB = 0.0;
  double uend = 0.0;  // end of the parameter range
  double P0[3] = {};  // start pose {x, y, theta}
  double Pf[3] = {};  // end pose
};

// The constants of c in the model, nothing derived yet.
CurveModel curvemodel(const Curve& c);

// The spline s as a curve: its range and its end poses.
CurveModel splinemodel(const Spline& s);

// True when the constants of curve c define a curve that can be evaluated
// (no division by zero, finite range).
bool curvdefined(const CurveModel& c);

// Derived constants, range, start and end pose of curve c.
void curvsetup(CurveModel& c);

double curvpt(double u, const CurveModel& c, double P[2]);
double curvd1(double u, const CurveModel& c, double D[3]);
double curvd2(double u, const CurveModel& c, double E[2]);
double curvk(double u, const CurveModel& c);
double curvds(double u, const CurveModel& c);
// The arc length by Simpson panels of about 0.002 in u (one for a shorter
// interval); 0 over less than 1e-8.
double curvlen(double u0, double u1, const CurveModel& c);
// The first point after u where the speed of curve c may peak or bend
// sharply (the ends of an ellipse's axes, the crests and troughs of a
// cosine, the knots of a spline); infinity for a curve without such points.
double curvpeak(double u, const CurveModel& c);
// The arc length measured to a relative error of about 1e-9 at most, or to
// abstol where that is larger (the estimate of Simpson's error, which
// Richardson's extrapolation reduces further): Simpson panels halved where
// their error estimate is largest, cut first at the points of curvpeak, in
// `pieces` pieces at most (at most kPieces).  ok is false when the pieces
// run out first (a curve too sharp to measure).
double curvlenx(double u0, double u1, const CurveModel& c, double abstol, int pieces, bool& ok);
// The most pieces of a measured length: a step of 0.01 of a smooth curve
// takes one or a few, a sharp peak of its speed some tens to hundreds.
inline constexpr int kPieces = 512;

// An interval of u narrower than this has no length.
inline constexpr double kZeroWidth = 1e-8;

// Lengths by Simpson panels are kept where they agree with the measured
// length to this difference, relative to the curve's length; elsewhere the
// measured length counts.
inline constexpr double kLenAgree = 1e-7;

}  // namespace agv
