#include "motion/vehicle.h"

#include <cmath>

namespace agv {

namespace {

// Proportional steering gain inside the band [1/s].
constexpr double kSteerGain = 100.0;

constexpr double TrackState::*kTrack[] = {
    &TrackState::sR,   &TrackState::thR,  &TrackState::xR, &TrackState::yR,  &TrackState::sA,
    &TrackState::thA,  &TrackState::xA,   &TrackState::yA, &TrackState::phi, &TrackState::phiT,
    &TrackState::kapR, &TrackState::kapA, &TrackState::u};
constexpr double VarState::*kVar[] = {&VarState::s, &VarState::th,  &VarState::x,
                                      &VarState::y, &VarState::phi, &VarState::kap};

constexpr int kVarFields = 6;  // all six of a run record but its time
constexpr int kMaxFields = sizeof(kTrack) / sizeof(kTrack[0]);

// One Runge-Kutta-Gill step over the first n fields of `fld`.  f(t, y, d)
// is the model, filling d with the derivatives of y; stage(y) runs on every
// intermediate record y1, y2, y3 right after it is formed.  The
// intermediate records are whole records, so the fields that are not
// integrated travel along, including what the model wrote into the record
// it evaluated.
template <class Rec, class Model, class Stage>
void rkg(double t, double h, double Rec::*const* fld, int n, Model f, Stage stage, Rec& in,
         Rec& out) {
  // Stages 1 to 3: r = c*(k - q), q += 3r - c*k with q starting at 0, which
  // for c = 0.5 is r1 = 0.5*k1, q1 = 3*r1 - 0.5*k1.
  const double c[3] = {0.5, kGillA, kGillB};
  const double ts[3] = {t, t + 0.5 * h, t + 0.5 * h};
  double d[kMaxFields];
  double k[kMaxFields];
  double q[kMaxFields] = {};
  Rec y1, y2, y3;
  Rec* y[4] = {&in, &y1, &y2, &y3};
  for (int st = 0; st < 3; ++st) {
    Rec& a = *y[st];
    Rec& b = *y[st + 1];
    f(ts[st], a, d);
    for (int i = 0; i < n; ++i) k[i] = h * d[i];
    b = a;
    for (int i = 0; i < n; ++i) {
      const double r = c[st] * (k[i] - q[i]);
      b.*fld[i] = a.*fld[i] + r;
      q[i] = q[i] + 3.0 * r - c[st] * k[i];
    }
    stage(b);
  }

  f(t + h, y3, d);
  for (int i = 0; i < n; ++i) k[i] = h * d[i];
  out = y3;
  for (int i = 0; i < n; ++i) {
    const double r4 = (k[i] - 2.0 * q[i]) * kSixth;
    out.*fld[i] = y3.*fld[i] + r4;
  }
}

// Target on the arc-line path: the segment's direction times the arc.
void arctarget(const ArcPath& a, int sgn, TrackState& r) {
  r.phiT = sgn * a.phiArc;
  r.kapR = sgn * a.Karc;
}

// Target on the clothoid-line path, found from the distance sR over the
// segments.
void clothoidtarget(const Model& m, const ArcPath& a, const ClothoidPath& c, TrackState& r) {
  double d = r.sR;
  r.kapR = 0.0;
  for (int j = 0; j < a.nseg; ++j) {
    if (c.sc[j] == 0.0) continue;
    const double k = a.sgnK[j] * c.Kc[j];
    if (c.sc3[j][0] > 0.0 && d <= c.sc3[j][0]) {
      r.kapR = k * d / c.sc3[j][0];
      break;
    }
    if (d <= c.sc3[j][0] + c.sc3[j][1]) {
      r.kapR = k;
      break;
    }
    if (d <= c.sc[j]) {
      r.kapR = k * (c.sc[j] - d) / c.sc3[j][2];
      break;
    }
    d = d - c.sc[j];
  }
  r.phiT = std::atan(m.Lw * r.kapR);
}

// Derivatives of the tracking model from phiT, kapR and phi of r: the
// tracked points move at the speed of the reference point (refspeed), in
// the driving direction g (+1 or -1; the distances grow either way).
void trackrates(const Model& m, int type, const TrackState& r, double g, double* d) {
  const double V = m.Vmax;
  const double gV = g * V;
  const bool front = type == M1FDW1FS;
  const double vR = refspeed(type, V, r.phiT);
  const double vA = refspeed(type, V, r.phi);
  d[TSR] = vR;
  d[TTHR] = front ? gV * std::sin(r.phiT) / m.Lw : gV * r.kapR;
  d[TXR] = g * vR * std::cos(r.thR);
  d[TYR] = g * vR * std::sin(r.thR);
  d[TSA] = vA;
  if (type == M2DW1C) {
    d[TTHA] = gV * r.kapR;
  } else {
    d[TTHA] = front ? gV * std::sin(r.phi) / m.Lw : gV * std::tan(r.phi) / m.Lw;
  }
  d[TXA] = g * vA * std::cos(r.thA);
  d[TYA] = g * vA * std::sin(r.thA);
  d[TPHI] = type == M2DW1C ? 0.0 : steerlaw(m, r.phi, r.phiT);
}

}  // namespace

double steerlaw(const Model& m, double phi, double phiT) {
  const double d = phi - phiT;
  if (d > m.dSteerMax) return -m.steerRate;
  if (d < -m.dSteerMax) return m.steerRate;
  if (std::fabs(d) < m.dSteerMax) {
    const double e = kSteerGain * (phiT - phi);
    if (std::fabs(e) > m.steerRate) return e > 0.0 ? m.steerRate : -m.steerRate;
    return e;
  }
  return 0.0;  // |d| = dSteerMax exactly
}

void derivptp(const PtpTrack& w, double, TrackState& r, double d[kPtpFields]) {
  if (w.variant == 'a') {
    arctarget(w.a, w.sgn, r);
  } else {
    clothoidtarget(w.m, w.a, w.c, r);
  }
  if (w.type == M2DW1C) r.phi = r.phiT;
  trackrates(w.m, w.type, r, w.drive, d);
}

void derivcp(const Model& m, double, int type, TrackState& r, double d[kCpFields]) {
  if (type == M2DW1C) r.phi = r.phiT;
  trackrates(m, type, r, 1.0, d);
  // The target, the curvatures: no rates of their own.
  d[TPHIT] = d[TKAPR] = d[TKAPA] = 0.0;
}

void derivarcv(double, double V, int drive, VarState& r, double d[6]) {
  const double gV = drive * V;
  d[0] = V;
  d[1] = gV * r.kap;
  d[2] = gV * std::cos(r.th);
  d[3] = gV * std::sin(r.th);
  d[4] = d[5] = 0.0;
}

void derivcldv(const Model& m, double, const ClothoidPhase& p, VarState& r, double d[6]) {
  const double c = std::cos(r.phi);
  double V;
  double dphi;
  if (p.phase == 1) {
    V = p.Vc / (c * c);
    dphi = p.sgn * p.dir * m.steerRate;
  } else if (p.phase == 2) {
    V = refspeed(p.type, m.Vmax, r.phi);
    dphi = p.type == M1FDW1FS ? p.sgn * p.dir * p.Wc * c * c * c : p.sgn * p.dir * p.Wc * c * c;
  } else {
    V = refspeed(p.type, m.Vmax, r.phi);
    dphi = 0.0;
  }

  const double w = r.s - p.s0;
  if (p.phase == 3) {
    r.kap = p.sgn * p.Kmid;
  } else if (p.dir > 0) {
    r.kap = p.sgn * p.Kmid * w / p.Lc;
  } else {
    r.kap = p.sgn * p.Kmid * (p.S - w) / p.Lc;
  }

  const double gV = p.drive * V;
  d[0] = V;
  d[1] = r.kap * gV;
  d[2] = gV * std::cos(r.th);
  d[3] = gV * std::sin(r.th);
  d[4] = dphi;
  d[5] = 0.0;
}

void rkgptp(const PtpTrack& w, double t, double h, TrackState& in, TrackState& out) {
  // The model rewrites phiT and kapR in every record it evaluates, so what
  // the whole-record copy carries forward is rewritten at the next stage,
  // and out keeps the values written on y3.
  rkg(
      t, h, kTrack, kPtpFields,
      [&w](double ts, TrackState& y, double* d) { derivptp(w, ts, y, d); }, [](TrackState&) {},
      in, out);
  out.kapA = std::tan(out.phi) / w.m.Lw;
}

void rkgcp(const Model& m, double t, double h, int type, const CpTarget& target, TrackState& in,
           TrackState& out) {
  const auto stage = [&target](TrackState& y) { target.fn(target.ctx, y); };
  rkg(
      t, h, kTrack, kCpFields,
      [&m, type](double ts, TrackState& y, double* d) { derivcp(m, ts, type, y, d); }, stage, in,
      out);
  stage(out);
}

void rkgarcv(double t, double h, double V, int drive, VarState& in, VarState& out) {
  rkg(
      t, h, kVar, kVarFields,
      [V, drive](double ts, VarState& y, double* d) { derivarcv(ts, V, drive, y, d); },
      [](VarState&) {}, in, out);
}

void rkgcldv(const Model& m, double t, double h, const ClothoidPhase& p, VarState& in,
             VarState& out) {
  // kap has derivative 0, so out carries the value the model wrote on y3.
  rkg(
      t, h, kVar, kVarFields,
      [&m, &p](double ts, VarState& y, double* d) { derivcldv(m, ts, p, y, d); },
      [](VarState&) {}, in, out);
}

void stepline(const Model& m, double h, int drive, const VarState& in, VarState& out) {
  const double ds = m.Vmax * h;
  const double gds = drive * ds;
  out.t = in.t;
  out.s = in.s + ds;
  out.th = in.th;
  out.x = in.x + gds * std::cos(in.th);
  out.y = in.y + gds * std::sin(in.th);
  out.phi = 0.0;
  out.kap = 0.0;
}

}  // namespace agv
