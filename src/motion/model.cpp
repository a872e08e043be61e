#include "motion/model.h"

#include <cmath>

#include "control/base/params.h"
#include "ptp/path.h"

namespace agv {

namespace {

// Runge-Kutta-Gill constants: 1 - 1/sqrt(2), 1 + 1/sqrt(2) and 1/6 as the
// scheme writes them.
constexpr double kGillA = 0.292893219;
constexpr double kGillB = 1.70710678;
constexpr double kSixth = 0.16666667;

// Proportional steering gain inside the band [1/s].
constexpr double kSteerGain = 100.0;

constexpr double TrackState::*kTrack[] = {
    &TrackState::sR,   &TrackState::thR,  &TrackState::xR, &TrackState::yR,  &TrackState::sA,
    &TrackState::thA,  &TrackState::xA,   &TrackState::yA, &TrackState::phi, &TrackState::phiT,
    &TrackState::kapR, &TrackState::kapA, &TrackState::u};
constexpr double VarState::*kVar[] = {&VarState::s, &VarState::th,  &VarState::x,
                                      &VarState::y, &VarState::phi, &VarState::kap};

// Fields integrated by each integrator: a prefix of the record's fields.
constexpr int kPtpFields = TPHI + 1;  // sR ... phi
constexpr int kCpFields = TU;         // all but u
constexpr int kVarFields = VKAP + 1;  // all six

constexpr int kMaxFields = sizeof(kTrack) / sizeof(kTrack[0]);

// One Runge-Kutta-Gill step over the first n fields of `fld`.  f(i, t, y)
// is the model; stage(y) runs on every intermediate record y1, y2, y3
// right after it is formed.  The intermediate records are whole records,
// so the fields that are not integrated travel along, including what the
// model wrote into the record it evaluated.
template <class Rec, class Model, class Stage>
void rkg(double t, double h, double Rec::*const* fld, int n, Model f, Stage stage, Rec& in,
         Rec& out) {
  // Stages 1 to 3: r = c*(k - q), q += 3r - c*k with q starting at 0, which
  // for c = 0.5 is r1 = 0.5*k1, q1 = 3*r1 - 0.5*k1.
  const double c[3] = {0.5, kGillA, kGillB};
  const double ts[3] = {t, t + 0.5 * h, t + 0.5 * h};
  double k[kMaxFields];
  double q[kMaxFields] = {};
  Rec y1, y2, y3;
  Rec* y[4] = {&in, &y1, &y2, &y3};
  for (int st = 0; st < 3; ++st) {
    Rec& a = *y[st];
    Rec& b = *y[st + 1];
    for (int i = 0; i < n; ++i) k[i] = h * f(i, ts[st], a);
    b = a;
    for (int i = 0; i < n; ++i) {
      const double r = c[st] * (k[i] - q[i]);
      b.*fld[i] = a.*fld[i] + r;
      q[i] = q[i] + 3.0 * r - c[st] * k[i];
    }
    stage(b);
  }

  for (int i = 0; i < n; ++i) k[i] = h * f(i, t + h, y3);
  out = y3;
  for (int i = 0; i < n; ++i) {
    const double r4 = (k[i] - 2.0 * q[i]) * kSixth;
    out.*fld[i] = y3.*fld[i] + r4;
  }
}

// Target on the arc-line path: the segment's direction times the arc.
void arctarget(int sgn, TrackState& r) {
  r.phiT = sgn * phiArc;
  r.kapR = sgn * Karc;
}

// Target on the clothoid-line path, found from the distance sR over the
// three segments.
void clothoidtarget(TrackState& r) {
  double d = r.sR;
  r.kapR = 0.0;
  for (int j = 0; j < 3; ++j) {
    if (sc[j] == 0.0) continue;
    const double k = sgnK[j] * Kc[j];
    if (sc3[j][0] > 0.0 && d <= sc3[j][0]) {
      r.kapR = k * d / sc3[j][0];
      break;
    }
    if (d <= sc3[j][0] + sc3[j][1]) {
      r.kapR = k;
      break;
    }
    if (d <= sc[j]) {
      r.kapR = k * (sc[j] - d) / sc3[j][2];
      break;
    }
    d = d - sc[j];
  }
  r.phiT = std::atan(Lw * r.kapR);
}

// Derivatives of the tracking model from phiT, kapR and phi of r: the
// tracked points move at the speed of the reference point (refspeed).
double trackrate(int field, int type, const TrackState& r) {
  const double V = Vmax;
  const bool front = type == FRONTDRIVE;
  switch (field) {
    case TSR:
      return refspeed(type, V, r.phiT);
    case TTHR:
      return front ? V * std::sin(r.phiT) / Lw : V * r.kapR;
    case TXR:
      return refspeed(type, V, r.phiT) * std::cos(r.thR);
    case TYR:
      return refspeed(type, V, r.phiT) * std::sin(r.thR);
    case TSA:
      return refspeed(type, V, r.phi);
    case TTHA:
      if (type == 1) return V * r.kapR;
      return front ? V * std::sin(r.phi) / Lw : V * std::tan(r.phi) / Lw;
    case TXA:
      return refspeed(type, V, r.phi) * std::cos(r.thA);
    case TYA:
      return refspeed(type, V, r.phi) * std::sin(r.thA);
    case TPHI:
      return type == 1 ? 0.0 : steerlaw(r.phi, r.phiT);
    default:
      return 0.0;
  }
}

}  // namespace

double steerlaw(double phi, double phiT) {
  const double d = phi - phiT;
  if (d > dSteerMax) return -steerRate;
  if (d < -dSteerMax) return steerRate;
  if (std::fabs(d) < dSteerMax) {
    const double e = kSteerGain * (phiT - phi);
    if (std::fabs(e) > steerRate) return e > 0.0 ? steerRate : -steerRate;
    return e;
  }
  return 0.0;  // |d| = dSteerMax exactly
}

double derivptp(int field, double, int type, char variant, int sgn, TrackState& r) {
  if (variant == 'a') {
    arctarget(sgn, r);
  } else {
    clothoidtarget(r);
  }
  if (type == 1) r.phi = r.phiT;
  return trackrate(field, type, r);
}

double derivcp(int field, double, int type, TrackState& r) {
  if (type == 1) r.phi = r.phiT;
  return trackrate(field, type, r);
}

double derivarcv(int field, double, double V, VarState& r) {
  switch (field) {
    case VS:
      return V;
    case VTH:
      return V * r.kap;
    case VX:
      return V * std::cos(r.th);
    case VY:
      return V * std::sin(r.th);
    default:
      return 0.0;
  }
}

double derivcldv(int field, double, int type, int sgn, int dir, int phase, double s0, double Lc,
                 double S, double Kmid, double Vc, double Wc, VarState& r) {
  const double c = std::cos(r.phi);
  double V;
  double dphi;
  if (phase == 1) {
    V = Vc / (c * c);
    dphi = sgn * dir * steerRate;
  } else if (phase == 2) {
    V = refspeed(type, Vmax, r.phi);
    dphi = type == FRONTDRIVE ? sgn * dir * Wc * c * c * c : sgn * dir * Wc * c * c;
  } else {
    V = refspeed(type, Vmax, r.phi);
    dphi = 0.0;
  }

  const double w = r.s - s0;
  if (phase == 3) {
    r.kap = sgn * Kmid;
  } else if (dir > 0) {
    r.kap = sgn * Kmid * w / Lc;
  } else {
    r.kap = sgn * Kmid * (S - w) / Lc;
  }

  switch (field) {
    case VS:
      return V;
    case VTH:
      return r.kap * V;
    case VX:
      return V * std::cos(r.th);
    case VY:
      return V * std::sin(r.th);
    case VPHI:
      return dphi;
    default:
      return 0.0;
  }
}

void rkgptp(double t, double h, int type, char variant, int sgn, TrackState& in, TrackState& out) {
  // The model rewrites phiT and kapR in every record it evaluates, so what
  // the whole-record copy carries forward is rewritten at the next stage,
  // and out keeps the values written on y3.
  rkg(
      t, h, kTrack, kPtpFields,
      [&](int i, double ts, TrackState& y) { return derivptp(i, ts, type, variant, sgn, y); },
      [](TrackState&) {}, in, out);
  out.kapA = std::tan(out.phi) / Lw;
}

void rkgcp(double t, double h, int I, int type, CpTarget target, TrackState& in,
           TrackState& out) {
  const auto stage = [I, target](TrackState& y) { target(I, y); };
  rkg(
      t, h, kTrack, kCpFields,
      [type](int i, double ts, TrackState& y) { return derivcp(i, ts, type, y); }, stage, in, out);
  stage(out);
}

void rkgarcv(double t, double h, double V, VarState& in, VarState& out) {
  rkg(
      t, h, kVar, kVarFields, [V](int i, double ts, VarState& y) { return derivarcv(i, ts, V, y); },
      [](VarState&) {}, in, out);
}

void rkgcldv(double t, double h, int type, int sgn, int dir, int phase, double s0, double Lc,
             double S, double Kmid, double Vc, double Wc, VarState& in, VarState& out) {
  // kap has derivative 0, so out carries the value the model wrote on y3.
  rkg(
      t, h, kVar, kVarFields,
      [&](int i, double ts, VarState& y) {
        return derivcldv(i, ts, type, sgn, dir, phase, s0, Lc, S, Kmid, Vc, Wc, y);
      },
      [](VarState&) {}, in, out);
}

void stepline(double h, const VarState& in, VarState& out) {
  const double ds = Vmax * h;
  out.s = in.s + ds;
  out.th = in.th;
  out.x = in.x + ds * std::cos(in.th);
  out.y = in.y + ds * std::sin(in.th);
  out.phi = 0.0;
  out.kap = 0.0;
}

}  // namespace agv
