// CP tracking run: the reference point on the curve and the
// constant-velocity AGV of each mechanism, side by side.
#include "cp/track.h"

#include <algorithm>
#include <cmath>

#include "cp/curves.h"
#include "motion/vehicle.h"

namespace agv {

namespace {

constexpr int kSub = 5;  // integration sub-steps per record

// The CP search for the curve parameter starts this far below the
// parameter of the record the new one was formed from.
constexpr double kSearchBack = 0.1;

// The reference point is integrated with the time step; on a curve that
// bends too sharply for the step it strays from the curve.  A run whose
// reference point strays further than this share of the curve's length is
// refused.
constexpr double kStray = 1e-3;

// What the CP target reads.
struct Target {
  const Model& m;
  const CurveTable& t;
};

// Target on the curve at the distance sR.
void cptarget(const void* ctx, TrackState& r) {
  const Target& g = *static_cast<const Target*>(ctx);
  r.u = s2u(r.u - kSearchBack, r.sR, g.t);
  r.kapR = curvk(r.u, g.t.c);
  r.phiT = std::atan(r.kapR * g.m.Lw);
}

// How far the reference point of st lies from the curve's point at its parameter.
double stray(const TrackState& st, const CurveModel& c) {
  double P[2];
  curvpt(st.u, c, P);
  return std::hypot(st.xR - P[0], st.yR - P[1]);
}

// Record r of a run, at time t.
void store(const Model& m, const TrackState& st, double t, CpRuns& run) {
  CurveRecord ref;
  ref.t = t;
  ref.s = st.sR;
  ref.th = st.thR;
  ref.x = st.xR;
  ref.y = st.yR;
  ref.phi = st.phiT;
  ref.kap = st.kapR;
  ref.u = st.u;
  run.ref.push_back(ref);
  run.cv.push_back(Record{t, st.sA, st.thA, st.xA, st.yA, st.phi, std::tan(st.phi) / m.Lw});
}

}  // namespace

int caltraj(const Model& m, const CurveTable& tab, CpResult& res) {
  const CurveModel& c = tab.c;
  const double sf = tab.length;
  const double kH = m.dtCP / kSub;  // sub-step [s]
  const Target target{m, tab};
  const CpTarget cpt{cptarget, &target};
  for (int k = 0; k < 3; ++k) {
    const int type = k + 1;
    CpRuns& run = res.run[k];
    run.ref.clear();
    run.cv.clear();
    run.err.clear();
    // The step count of calpath is close to the run's record count.
    run.ref.reserve(static_cast<size_t>(res.NN[k]) + 2);
    run.cv.reserve(static_cast<size_t>(res.NN[k]) + 2);

    double P[2];
    double D[3];
    curvpt(0.0, c, P);
    curvd1(0.0, c, D);
    const double thStart = D[2];
    const double kap0 = curvk(0.0, c);
    const double phi0 = std::atan(kap0 * m.Lw);

    TrackState st{};
    st.sR = st.sA = 0.0;
    st.thR = st.thA = thStart;
    st.xR = st.xA = P[0];
    st.yR = st.yA = P[1];
    st.phi = st.phiT = phi0;
    st.kapR = kap0;
    st.u = 0.0;
    store(m, st, 0.0, run);
    run.cv[0].kap = kap0;

    double t = 0.0;
    double sprev = 0.0;
    int j = 0;
    int r = 0;
    double far = 0.0;  // the largest stray of the reference point
    TrackState nw{};
    for (;;) {
      j = j + 1;
      rkgcp(m, t, kH, type, cpt, st, nw);
      if (nw.sR > sf) break;
      t = t + kH;
      if (j % kSub == 0) {
        r = r + 1;
        if (r >= m.maxSteps) {
          res.refusal.status = Status::CurveSteps;
          res.refusal.stage = 1;
          res.refusal.mechanism = type;
          res.refusal.count = r;
          return m.maxSteps;
        }
        store(m, nw, r * m.dtCP, run);
        far = std::max(far, stray(nw, c));
      }
      sprev = nw.sR;
      st = nw;
    }

    // The last sub-step is shortened so that the reference point lands on
    // the end of the curve.
    const double hlast = kH * (sf - sprev) / (nw.sR - sprev);
    TrackState fin{};
    rkgcp(m, t, hlast, type, cpt, st, fin);
    res.TCP[k] = (j - 1) * kH + hlast;
    res.NN[k] = r + 1;
    store(m, fin, res.TCP[k], run);
    far = std::max(far, stray(fin, c));
    if (!(far <= kStray * sf)) {
      res.refusal.status = Status::CurveTooSharp;
      res.refusal.stage = 2;
      res.refusal.mechanism = type;
      res.refusal.value = far;
      res.refusal.limit = kStray * sf;
      return m.maxSteps;
    }

    run.err.resize(run.ref.size());
    for (size_t i = 0; i < run.ref.size(); ++i) {
      const CurveRecord& a = run.ref[i];
      const Record& b = run.cv[i];
      run.err[i] = Record{a.t, b.s - a.s, reduceangle(b.th - a.th), b.x - a.x, b.y - a.y,
                          b.phi - a.phi, b.kap - a.kap};
    }
  }
  return res.NN[2];
}

}  // namespace agv
