// CP curve catalogue: nine analytic curves, parameter u = x (graph curves
// 1-4) or u = beta (polar curves 11-16).
#pragma once

#include "agv/cp.h"
#include "base/model.h"

namespace agv {

// A curve of the catalogue with its constants and the constants derived
// from them, its range and its end poses.
struct CurveModel {
  int I = 0;
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
double curvlen(double u0, double u1, const CurveModel& c);

// Length check of curve c against the limit smax: 1 when it may be run,
// 0 when it is too long; len gets the length.
int chklen(const CurveModel& c, double smax, double& len);

}  // namespace agv
