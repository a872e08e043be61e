// Vehicle models and the Runge-Kutta-Gill step.
#pragma once

#include <cmath>
#include <numbers>

#include "agv/ptp.h"
#include "base/model.h"

namespace agv {

// The mechanisms' numbers (agv::Mechanism) as the motion code's `type` holds them: 2DW1C turns
// at the path's curvature with no steering to wait for; 1FDW1FS and 1RDW1FS steer a front
// wheel, driving it or the rear axle.
inline constexpr int M2DW1C = static_cast<int>(Mechanism::M2DW1C);
inline constexpr int M1FDW1FS = static_cast<int>(Mechanism::M1FDW1FS);
inline constexpr int M1RDW1FS = static_cast<int>(Mechanism::M1RDW1FS);
static_assert(M1FDW1FS == FRONTDRIVE, "the front-drive model is mechanism 1FDW1FS");

// An angle [rad] reduced into (-pi, pi] by whole turns, exactly (one inside comes back as it
// is): the error of one heading against another, however many turns lie between them (an AGV
// that loops where its reference point does not, or a route's, whose AGV carries its heading on
// while the reference point starts each leg on its waypoint's, reduced).
inline double reduceangle(double a) { return std::remainder(a, 2.0 * std::numbers::pi); }

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
constexpr int kPtpFields = TPHI + 1;  // fields integrated on PTP paths: sR ... phi
constexpr int kCpFields = TU;         // on CP curves: all but u

// Integration record of the variable-velocity runs (one vehicle): a run
// record, whose time travels along.
using VarState = Record;

// Steering rate of the types 2 and 3 towards phiT.
double steerlaw(const Model& m, double phi, double phiT);

// What the PTP tracking model reads: the paths, the mechanism, the path
// ('a' arc-line, 'b' clothoid-line), the curvature direction of the
// segment (arc-line) and its driving direction (+1 forward, -1 backward:
// the positions and headings move back, the distances still grow).
struct PtpTrack {
  const Model& m;
  const ArcPath& a;
  const ClothoidPath& c;
  int type;
  char variant;
  int sgn;
  int drive;
};

// The clothoid-line variable-velocity model of one phase of a segment.
struct ClothoidPhase {
  int type;
  int sgn;     // curvature direction of the segment
  int dir;     // +1 entry clothoid, 0 circular middle, -1 exit clothoid
  int phase;   // 1 steering-limited, 2 full speed, 3 circular middle
  double s0;   // distance at the start of the segment
  double Lc;   // clothoid length
  double S;    // segment length
  double Kmid; // curvature of the middle
  double Vc;   // speed of the steering-limited phase
  double Wc;   // steering rate of the full-speed phase
  int drive;   // driving direction of the segment: +1 forward, -1 backward
};

// Models: the derivatives d[] of the integrated fields of r, in the
// record's field order.  Each first writes what it derives from r into r
// (targets, the steering of the caster type, the curvature).
void derivptp(const PtpTrack& w, double t, TrackState& r, double d[kPtpFields]);
void derivcp(const Model& m, double t, int type, TrackState& r, double d[kCpFields]);
void derivarcv(double t, double V, int drive, VarState& r, double d[6]);
void derivcldv(const Model& m, double t, const ClothoidPhase& p, VarState& r, double d[6]);

// Integrators: one step h from in into out.
void rkgptp(const PtpTrack& w, double t, double h, TrackState& in, TrackState& out);
// The CP target of a record from its distance sR: its curve parameter u,
// the curvature kapR and the target steering phiT; the search for u starts
// below the u the record holds.
struct CpTarget {
  void (*fn)(const void* ctx, TrackState& r);
  const void* ctx;
};
void rkgcp(const Model& m, double t, double h, int type, const CpTarget& target, TrackState& in,
           TrackState& out);
void rkgarcv(double t, double h, double V, int drive, VarState& in, VarState& out);
void rkgcldv(const Model& m, double t, double h, const ClothoidPhase& p, VarState& in,
             VarState& out);

// Runge-Kutta-Gill constants: 1 - 1/sqrt(2), 1 + 1/sqrt(2) and 1/6 as the
// scheme writes them.
inline constexpr double kGillA = 0.292893219;
inline constexpr double kGillB = 1.70710678;
inline constexpr double kSixth = 0.16666667;

// One Runge-Kutta-Gill step h from in into out of a model of one vehicle
// whose steering is no integrated field: f(t, r, d) writes the derivatives
// d[] of s, th, x and y of r at time t into the step (it may write phi and
// kap into r).  The scheme of the other steps written out for these four
// fields, the same operations in the same order; here so that the model is
// inlined into it.
template <class F>
void rkgfree(double h, F f, VarState& in, VarState& out) {
  const double c[3] = {0.5, kGillA, kGillB};
  const double ts[3] = {0.0, 0.5 * h, 0.5 * h};
  double y[4] = {in.s, in.th, in.x, in.y};
  double q[4] = {0.0, 0.0, 0.0, 0.0};
  double d[4];
  VarState cur = in;
  for (int st = 0; st < 3; ++st) {
    f(ts[st], cur, d);
    for (int i = 0; i < 4; ++i) {
      const double k = h * d[i];
      const double r = c[st] * (k - q[i]);
      y[i] = y[i] + r;
      q[i] = q[i] + 3.0 * r - c[st] * k;
    }
    cur.s = y[0], cur.th = y[1], cur.x = y[2], cur.y = y[3];
  }
  f(h, cur, d);
  out = cur;
  out.s = y[0] + (h * d[0] - 2.0 * q[0]) * kSixth;
  out.th = y[1] + (h * d[1] - 2.0 * q[1]) * kSixth;
  out.x = y[2] + (h * d[2] - 2.0 * q[2]) * kSixth;
  out.y = y[3] + (h * d[3] - 2.0 * q[3]) * kSixth;
}

// Closed-form step along a line, forward (drive +1) or backward (-1).
void stepline(const Model& m, double h, int drive, const VarState& in, VarState& out);

}  // namespace agv
