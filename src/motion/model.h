// Vehicle models and the Runge-Kutta-Gill step.
#pragma once

namespace agv {

// Integration record of the tracking runs (reference point and AGV side by
// side).  Field order is the integration order.
struct TrackState {
  double sR, thR, xR, yR;  // reference point: distance, heading, position
  double sA, thA, xA, yA;  // AGV: distance, heading, position
  double phi;              // steering angle of the AGV
  double phiT;             // target steering angle at the reference point
  double kapR;             // path curvature at the reference point
  double kapA;             // curvature the AGV drives (PTP)
  double u;                // CP curve parameter at sR
};

// Field indices of TrackState, in the record's field order.
enum TrackField : int { TSR, TTHR, TXR, TYR, TSA, TTHA, TXA, TYA, TPHI, TPHIT, TKAPR, TKAPA, TU };

// Integration record of the variable-velocity runs (one vehicle).
struct VarState {
  double s, th, x, y, phi, kap;
};

// Field indices of VarState, in the record's field order.
enum VarField : int { VS, VTH, VX, VY, VPHI, VKAP };

// Steering rate of the types 2 and 3 towards phiT.
double steerlaw(double phi, double phiT);

// Models: the derivative of field `field` (index in the record's field
// order) of the record r.
double derivptp(int field, double t, int type, char variant, int sgn, TrackState& r);
double derivcp(int field, double t, int type, TrackState& r);
double derivarcv(int field, double t, double V, VarState& r);
double derivcldv(int field, double t, int type, int sgn, int dir, int phase, double s0, double Lc,
                 double S, double Kmid, double Vc, double Wc, VarState& r);

// Integrators: one step h from in into out.
void rkgptp(double t, double h, int type, char variant, int sgn, TrackState& in, TrackState& out);
// The CP target of a record from its distance sR: its curve parameter u,
// the curvature kapR and the target steering phiT on curve I; the search
// for u starts below the u the record holds.
using CpTarget = void (*)(int I, TrackState& r);
void rkgcp(double t, double h, int I, int type, CpTarget target, TrackState& in, TrackState& out);
void rkgarcv(double t, double h, double V, VarState& in, VarState& out);
void rkgcldv(double t, double h, int type, int sgn, int dir, int phase, double s0, double Lc,
             double S, double Kmid, double Vc, double Wc, VarState& in, VarState& out);

// Closed-form step along a line.
void stepline(double h, const VarState& in, VarState& out);

}  // namespace agv
