#include "motion/varruns.h"

#include <cmath>

#include "motion/vehicle.h"

namespace agv {

namespace {

// A change of steering angle smaller than this needs no steering [rad].
constexpr double kSameAngle = 0.0001;

// The five parts of a turning segment of the clothoid-line path.
struct Part {
  int dir;      // +1 entry clothoid, 0 circular part, -1 exit clothoid
  int phase;    // 1 speed-limited, 2 full speed, 3 circular part
  bool circle;  // driven with Vmax and no steering instead of Vc and Wc
};
constexpr Part kParts[5] = {
    {+1, 1, false}, {+1, 2, false}, {0, 3, true}, {-1, 2, false}, {-1, 1, false}};

// Record 0 of every run: standing at the start pose, steering straight.
void startrec(const ArcPath& a, int total, std::vector<Record>& vs) {
  vs.clear();
  vs.reserve(total + 1);
  vs.push_back(Record{0.0, 0.0, a.P0.th, a.P0.x, a.P0.y, 0.0, 0.0});
}

// Record n + 1, one step h after record n, written by step(in, out).
template <class Step>
void advance(std::vector<Record>& vs, int n, double h, Step step) {
  vs.emplace_back();
  step(vs[n], vs[n + 1]);
  vs[n + 1].t = vs[n].t + h;
}

// Arc-line run of mechanism k (type 2 or 3): the last record index, or
// maxSteps when the schedule would run past the step capacity.
int arcrun(const Model& m, const PtpResult& res, int k, std::vector<Record>& vs) {
  const ArcPath& a = res.path;
  const Schedule& v = res.schedule;
  const int type = k + 1;
  startrec(a, v.nvSeg[k][TOTAL], vs);
  double phi = 0.0;   // steering angle
  double phip = 0.0;  // previous target
  int n = 0;
  for (int j = 0; j < 3; ++j) {
    if (v.nv2[k][j][0] > 0) {
      // Standing still, the steering wheel turns to the segment's angle.
      const double phin = a.sgnK[j] * a.phiSeg[j];
      double w = 0.0;
      if (std::fabs(phin - phip) >= kSameAngle) w = phin - phip > 0.0 ? m.steerRate : -m.steerRate;
      phip = phin;
      const Record start = vs[n];
      const double h = v.dtv2[k][j][0];
      for (int i = 0; i < v.nv2[k][j][0]; ++i) {
        if (n + 1 >= m.maxSteps) return m.maxSteps;
        phi = phi + w * h;
        advance(vs, n, h, [&](const Record&, Record& r) {
          r = start;
          r.phi = phi;
        });
        ++n;
      }
      phi = phin;
      vs[n].phi = phin;
    }
    if (v.nv2[k][j][1] > 0) {
      const double h = v.dtv2[k][j][1];
      if (a.sgnK[j] == 0) {
        for (int i = 0; i < v.nv2[k][j][1]; ++i) {
          if (n + 1 >= m.maxSteps) return m.maxSteps;
          advance(vs, n, h, [&](const Record& in, Record& out) { stepline(m, h, in, out); });
          ++n;
        }
        phi = 0.0;
      } else {
        const double phia = a.sgnK[j] * a.phiSeg[j];
        const double V = refspeed(type, m.Vmax, phia);
        vs[n].kap = a.sgnK[j] * a.Kseg[j];
        for (int i = 0; i < v.nv2[k][j][1]; ++i) {
          if (n + 1 >= m.maxSteps) return m.maxSteps;
          advance(vs, n, h, [&](Record& in, Record& out) { rkgarcv(0.0, h, V, in, out); });
          ++n;
        }
        phi = phia;
      }
    }
  }
  return n;
}

// Clothoid-line run of mechanism k (type 2 or 3): the last record index,
// or maxSteps when the schedule would run past the step capacity.
int cldrun(const Model& m, const PtpResult& res, int k, std::vector<Record>& vs) {
  const ArcPath& a = res.path;
  const ClothoidPath& c = res.clothoid;
  const Schedule& v = res.schedule;
  const int type = k + 1;
  startrec(a, v.nvc[k][TOTAL], vs);
  int n = 0;
  for (int j = 0; j < 3; ++j) {
    const double s0 = vs[n].s;
    if (a.sgnK[j] == 0) {
      const double h = v.dtvl[k][j];
      for (int i = 0; i < v.nvc[k][j]; ++i) {
        if (n + 1 >= m.maxSteps) return m.maxSteps;
        advance(vs, n, h, [&](const Record& in, Record& out) { stepline(m, h, in, out); });
        ++n;
      }
      continue;
    }
    for (int p = 0; p < 5; ++p) {
      const Part& part = kParts[p];
      const ClothoidPhase ph{type,
                             a.sgnK[j],
                             part.dir,
                             part.phase,
                             s0,
                             c.sc3[j][0],
                             c.sc[j],
                             c.Kc[j],
                             part.circle ? m.Vmax : v.Vc[k][j],
                             part.circle ? 0.0 : v.Wc[k][j]};
      const double h = v.dtv5[k][j][p];
      for (int i = 0; i < v.nv5[k][j][p]; ++i) {
        if (n + 1 >= m.maxSteps) return m.maxSteps;
        advance(vs, n, h, [&](Record& in, Record& out) { rkgcldv(m, 0.0, h, ph, in, out); });
        ++n;
      }
    }
  }
  return n;
}

// The reference run of mechanism 0 as its variable-velocity run: time,
// distance, heading, position and steering; no curvature.
void copyref(const std::vector<Record>& ref, std::vector<Record>& vv) {
  vv.resize(ref.size());
  for (size_t n = 0; n < ref.size(); ++n) {
    const Record& r = ref[n];
    vv[n] = Record{r.t, r.s, r.th, r.x, r.y, r.phi, 0.0};
  }
}

}  // namespace

int caltrajVV(const Model& m, PtpResult& r) {
  for (int k = 1; k < 3; ++k) {
    if (arcrun(m, r, k, r.arc[k].vv) >= m.maxSteps) return m.maxSteps;
  }
  copyref(r.arc[0].ref, r.arc[0].vv);
  copyref(r.cl[0].ref, r.cl[0].vv);
  for (int k = 1; k < 3; ++k) {
    if (cldrun(m, r, k, r.cl[k].vv) >= m.maxSteps) return m.maxSteps;
  }
  return 0;
}

}  // namespace agv
