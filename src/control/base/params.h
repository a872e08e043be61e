// Simulation parameters, current choices and CP curve constants.
#pragma once

#include <cmath>

namespace agv {

// Fixed parameters.
constexpr double Vmax = 1.0;       // running speed [m/s]
constexpr double steerRate = 2.0;  // steering speed of the steered wheel [rad/s]
constexpr double dt = 0.02;        // time step of the PTP runs [s]
constexpr double dtCP = 0.02;      // time step of the CP runs [s]
constexpr double Ra = 1.0;         // minimum turning radius [m]
constexpr double Lw = 1.0;         // wheel base [m]

// Mathematical constants.
constexpr double PI = 3.14159265358979;
constexpr double PI2 = 2.0 * PI;
constexpr double PI_2 = 1.5707963267948;
constexpr double RAD2DEG = 57.2957795;
constexpr double DEG2RAD = 0.0174532925;

// Derived parameters.
constexpr double dsCP = Vmax * dtCP;              // distance of one CP time step [m]
constexpr double dKds = steerRate / (Lw * Vmax);  // largest curvature change per metre [1/m^2]

// Mechanism 2 (1FDW1FS) drives its steered front wheel: where that wheel
// runs at v with the steering angle phi, the reference point on the rear
// axle runs at v cos(phi).  The reference point of mechanisms 1 and 3 runs
// at the speed of their driven wheels.
constexpr int FRONTDRIVE = 2;
inline double refspeed(int type, double v, double phi) {
  return type == FRONTDRIVE ? v * std::cos(phi) : v;
}

// Capacity of every time-series array.
constexpr int MAX = 3000;

// Largest steering change in one time step; set by the dialogue before
// each computation (0 until the first one).
extern double dSteerMax;

// Current choices: the dialogue sets them, the window's keys change them,
// and each dialogue pass resets the mechanism and the drawing.
extern int agvType;   // 1 = 2DW1C, 2 = 1FDW1FS, 3 = 1RDW1FS
extern char sgnPATH;  // 'p' PTP, 'c' CP
extern char sgnDraw;  // 'a' arc-line, 'b' clothoid-line drawing
extern int curveNo;   // CP curve number

// PTP start and end poses (headings in radians).
extern double x0, y0, th0;
extern double xf, yf, thf;

extern int ndlg;    // completed dialogue passes
extern char keyin;  // last key pressed in the viewer window

// CP curve constants.
extern double A1, L1;
extern double A2, L2;
extern double A3, L3;
extern double A4, L4;
extern double A11, B11;
extern double A12, nt12;
extern double A13, B13;
extern double A14, nr14;
extern double R16, A16, nw16;

}  // namespace agv
