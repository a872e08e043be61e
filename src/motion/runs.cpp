#include "motion/runs.h"

#include "motion/vehicle.h"

namespace agv {

namespace {

// Appends record n of a run at time t: the reference point, the AGV and
// their difference.
void store(const TrackState& st, double t, Runs& out) {
  const Record ref{t, st.sR, st.thR, st.xR, st.yR, st.phiT, st.kapR};
  const Record cv{t, st.sA, st.thA, st.xA, st.yA, st.phi, st.kapA};
  out.ref.push_back(ref);
  out.cv.push_back(cv);
  out.err.push_back(Record{t, cv.s - ref.s, cv.th - ref.th, cv.x - ref.x, cv.y - ref.y,
                           cv.phi - ref.phi, cv.kap - ref.kap});
}

}  // namespace

int runptp(const Model& m, const PtpResult& r, char variant, int k, Runs& out, Refusal& refusal) {
  const ArcPath& a = r.path;
  const Steps& st = r.steps;
  const int type = k + 1;
  const int total = variant == 'a' ? st.nSeg[k][TOTAL] : st.nc[k][TOTAL];
  out.ref.clear();
  out.cv.clear();
  out.err.clear();
  out.ref.reserve(total + 1);
  out.cv.reserve(total + 1);
  out.err.reserve(total + 1);

  TrackState cur{};
  cur.thR = cur.thA = a.P0.th;
  cur.xR = cur.xA = a.P0.x;
  cur.yR = cur.yA = a.P0.y;
  if (variant == 'a') {
    cur.phiT = a.sgnK[0] * a.phiSeg[0];
    cur.kapR = a.sgnK[0] * a.Kseg[0];
  }
  // A step's model writes the target (and the caster's steering) of the
  // record it starts from into that record: a record is stored once the
  // step after it is taken, the last one at the end.
  double t = 0.0;
  int n = 0;
  TrackState next;
  const auto step = [&](double h, int sgn) {
    if (n + 1 >= m.maxSteps) {
      refusal.status = Status::RunTooLong;
      refusal.run = variant;
      refusal.count = n + 1;
      return false;
    }
    rkgptp(PtpTrack{m, a, r.clothoid, type, variant, sgn}, 0.0, h, cur, next);
    store(cur, t, out);
    cur = next;
    t += h;
    ++n;
    return true;
  };

  for (int j = 0; j < 3; ++j) {
    if (variant == 'a') {
      for (int i = 0; i < st.nSeg[k][j]; ++i) {
        if (!step(st.dtSeg[k][j], a.sgnK[j])) return m.maxSteps;
      }
    } else {
      for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < st.nc3[k][j][p]; ++i) {
          if (!step(st.dtc3[k][j][p], a.sgnK[j])) return m.maxSteps;
        }
      }
    }
  }
  store(cur, t, out);
  return n;
}

int caltrajPTP(const Model& m, PtpResult& r) {
  int N = 0;
  for (int k = 0; k < 3; ++k) {
    N = runptp(m, r, 'a', k, r.arc[k], r.refusal);
    if (N >= m.maxSteps) return N;
  }
  for (int k = 0; k < 3; ++k) {
    N = runptp(m, r, 'b', k, r.cl[k], r.refusal);
    if (N >= m.maxSteps) return N;
  }
  return N;
}

}  // namespace agv
