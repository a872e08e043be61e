#include "motion/runs.h"

#include "motion/vehicle.h"

namespace agv {

namespace {

// Appends the record of a run at time t: the reference point, the AGV and
// their difference (the headings' reduced into (-pi, pi]); the run's time
// and distances begin at those of b.
void store(const TrackState& st, double t, const RunStart& b, Runs& out) {
  const Record ref{t + b.t, st.sR + b.sR, st.thR, st.xR, st.yR, st.phiT, st.kapR};
  const Record cv{t + b.t, st.sA + b.sA, st.thA, st.xA, st.yA, st.phi, st.kapA};
  out.ref.push_back(ref);
  out.cv.push_back(cv);
  out.err.push_back(Record{cv.t, cv.s - ref.s, reduceangle(cv.th - ref.th), cv.x - ref.x,
                           cv.y - ref.y, cv.phi - ref.phi, cv.kap - ref.kap});
}

}  // namespace

RunStart startof(const ArcPath& a) {
  RunStart b;
  b.th = a.P0.th;
  b.x = a.P0.x;
  b.y = a.P0.y;
  return b;
}

RunStart carryon(const Runs& runs) {
  const Record& ref = runs.ref.back();
  const Record& cv = runs.cv.back();
  return RunStart{cv.t, ref.s, cv.s, cv.th, cv.x, cv.y, cv.phi};
}

int runptp(const Model& m, const PtpResult& r, char variant, int k, const RunStart& b, Runs& out,
           Refusal& refusal) {
  const ArcPath& a = r.path;
  const Steps& st = r.steps;
  const int type = k + 1;
  const size_t total = out.ref.size() + (variant == 'a' ? st.nSeg[k].total : st.nc[k].total) + 1;
  out.ref.reserve(total);
  out.cv.reserve(total);
  out.err.reserve(total);

  TrackState cur{};
  cur.thR = a.P0.th;
  cur.xR = a.P0.x;
  cur.yR = a.P0.y;
  cur.thA = b.th;
  cur.xA = b.x;
  cur.yA = b.y;
  cur.phi = b.phi;
  if (variant == 'a' && a.nseg > 0) {
    cur.phiT = a.sgnK[0] * a.phiSeg[0];
    cur.kapR = a.sgnK[0] * a.Kseg[0];
  }
  // A step's model writes the target (and the caster's steering) of the
  // record it starts from into that record: a record is stored once the
  // step after it is taken, the last one at the end.
  double t = 0.0;
  int n = 0;
  TrackState next;
  const auto step = [&](double h, int sgn, int drive) {
    if (n + 1 >= m.maxSteps) {
      refusal.status = Status::RunTooLong;
      refusal.run = variant;
      refusal.count = n + 1;
      return false;
    }
    rkgptp(PtpTrack{m, a, r.clothoid, type, variant, sgn, drive}, 0.0, h, cur, next);
    store(cur, t, b, out);
    cur = next;
    t += h;
    ++n;
    return true;
  };

  for (int j = 0; j < a.nseg; ++j) {
    if (variant == 'a') {
      for (int i = 0; i < st.nSeg[k][j]; ++i) {
        if (!step(st.dtSeg[k][j], a.sgnK[j], a.drive[j])) return m.maxSteps;
      }
    } else {
      for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < st.nc3[k][j][p]; ++i) {
          if (!step(st.dtc3[k][j][p], a.sgnK[j], a.drive[j])) return m.maxSteps;
        }
      }
    }
  }
  store(cur, t, b, out);
  return n;
}

int caltrajPTP(const Model& m, PtpResult& r) {
  int N = 0;
  for (char variant : {'a', 'b'})
    for (int k = 0; k < 3; ++k) {
      Runs& out = variant == 'a' ? r.arc[k] : r.cl[k];
      out.ref.clear();
      out.cv.clear();
      out.err.clear();
      N = runptp(m, r, variant, k, startof(r.path), out, r.refusal);
      if (N >= m.maxSteps) return N;
    }
  return N;
}

}  // namespace agv
