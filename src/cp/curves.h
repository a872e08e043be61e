// CP curve catalogue: nine analytic curves, parameter u = x (graph curves
// 1-4) or u = beta (polar curves 11-16).
#pragma once

namespace agv {

constexpr int NCURVE = 17;  // per-curve records are indexed by the curve number

// Derived constants.
extern double w1, w2, c12;
extern double AA11, BB11, AB11, dAB11;

// Per-curve records.
extern double uend[NCURVE];     // end of the parameter range
extern double P0cp[NCURVE][3];  // start pose {x, y, theta}
extern double Pfcp[NCURVE][4];  // end pose {x, y, theta} and, at LENGTH, the curve's length
constexpr int LENGTH = 3;

// True for the nine catalogue numbers.
bool iscurve(int I);

// The constants a user gives curve I, in the order they are asked for (A
// and L, A and B, A and the turns, A and n; the cardioid's A alone); their
// count, 0 for a number outside the catalogue.
int curveconsts(int I, double* v[2]);

// True when the current constants of curve I define a curve that can be
// evaluated (no division by zero, finite range).
bool curvdefined(int I);

// Derived constants, range, start and end pose of curve I.
void curvsetup(int I);

double curvpt(double u, int I, double P[2]);
double curvd1(double u, int I, double D[3]);
double curvd2(double u, int I, double E[2]);
double curvk(double u, int I);
double curvds(double u, int I);
double curvlen(double u0, double u1, int I);

// Length check of curve I: 1 when it may be run in the time-series
// capacity, 0 after a message when it is too long.  Stores the length in
// Pfcp[I][3].
int chklen(int I);

}  // namespace agv
