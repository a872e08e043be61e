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

// The first record of a run appended to vs, room made for its total steps; its index.
int startrec(const Record& first, int total, std::vector<Record>& vs) {
  vs.reserve(vs.size() + static_cast<size_t>(total) + 1);
  vs.push_back(first);
  return static_cast<int>(vs.size()) - 1;
}

// Record n + 1, one step h after record n, written by step(in, out).
template <class Step>
void advance(std::vector<Record>& vs, int n, double h, Step step) {
  vs.emplace_back();
  step(vs[n], vs[n + 1]);
  vs[n + 1].t = vs[n].t + h;
}

// Arc-line run of mechanism k (type 2 or 3) from the record `first`: the
// number of steps taken, or maxSteps when the schedule would run past the
// step capacity.
int arcrun(const Model& m, const PtpResult& res, int k, const Record& first,
           std::vector<Record>& vs) {
  const ArcPath& a = res.path;
  const Schedule& v = res.schedule;
  const int type = k + 1;
  const int base = startrec(first, v.nvSeg[k].total, vs);
  double phi = first.phi;     // steering angle
  double phip = v.phiStart;   // previous target
  int n = base;
  for (int j = 0; j < a.nseg; ++j) {
    const int g = a.drive[j];
    if (v.nv2[k][j][0] > 0) {
      // Standing still, the steering wheel turns to the segment's angle.
      const double phin = a.sgnK[j] * a.phiSeg[j];
      double w = 0.0;
      if (std::fabs(phin - phip) >= kSameAngle) w = phin - phip > 0.0 ? m.steerRate : -m.steerRate;
      phip = phin;
      const Record start = vs[n];
      const double h = v.dtv2[k][j][0];
      for (int i = 0; i < v.nv2[k][j][0]; ++i) {
        if (n - base + 1 >= m.maxSteps) return m.maxSteps;
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
          if (n - base + 1 >= m.maxSteps) return m.maxSteps;
          advance(vs, n, h, [&](const Record& in, Record& out) { stepline(m, h, g, in, out); });
          ++n;
        }
        phi = 0.0;
      } else {
        const double phia = a.sgnK[j] * a.phiSeg[j];
        const double V = refspeed(type, m.Vmax, phia);
        vs[n].kap = a.sgnK[j] * a.Kseg[j];
        for (int i = 0; i < v.nv2[k][j][1]; ++i) {
          if (n - base + 1 >= m.maxSteps) return m.maxSteps;
          advance(vs, n, h, [&](Record& in, Record& out) { rkgarcv(0.0, h, V, g, in, out); });
          ++n;
        }
        phi = phia;
      }
    }
  }
  return n - base;
}

// Clothoid-line run of mechanism k (type 2 or 3) from the record `first`:
// the number of steps taken, or maxSteps when the schedule would run past
// the step capacity.
int cldrun(const Model& m, const PtpResult& res, int k, const Record& first,
           std::vector<Record>& vs) {
  const ArcPath& a = res.path;
  const ClothoidPath& c = res.clothoid;
  const Schedule& v = res.schedule;
  const int type = k + 1;
  const int base = startrec(first, v.nvc[k].total, vs);
  int n = base;
  for (int j = 0; j < a.nseg; ++j) {
    const double s0 = vs[n].s;
    const int g = a.drive[j];
    if (a.sgnK[j] == 0) {
      const double h = v.dtvl[k][j];
      for (int i = 0; i < v.nvc[k][j]; ++i) {
        if (n - base + 1 >= m.maxSteps) return m.maxSteps;
        advance(vs, n, h, [&](const Record& in, Record& out) { stepline(m, h, g, in, out); });
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
                             part.circle ? 0.0 : v.Wc[k][j],
                             g};
      const double h = v.dtv5[k][j][p];
      for (int i = 0; i < v.nv5[k][j][p]; ++i) {
        if (n - base + 1 >= m.maxSteps) return m.maxSteps;
        advance(vs, n, h, [&](Record& in, Record& out) { rkgcldv(m, 0.0, h, ph, in, out); });
        ++n;
      }
    }
  }
  return n - base;
}

}  // namespace

Record vvstart(const ArcPath& a) { return Record{0.0, 0.0, a.P0.th, a.P0.x, a.P0.y, 0.0, 0.0}; }

int vvrun(const Model& m, const PtpResult& r, char variant, int k, const Record& first,
          std::vector<Record>& vv) {
  return variant == 'a' ? arcrun(m, r, k, first, vv) : cldrun(m, r, k, first, vv);
}

void copyref(const std::vector<Record>& ref, size_t from, std::vector<Record>& vv) {
  vv.reserve(vv.size() + ref.size() - from);
  for (size_t n = from; n < ref.size(); ++n) {
    const Record& r = ref[n];
    vv.push_back(Record{r.t, r.s, r.th, r.x, r.y, r.phi, 0.0});
  }
}

int caltrajVV(const Model& m, PtpResult& r) {
  for (int k = 0; k < 3; ++k) {
    r.arc[k].vv.clear();
    r.cl[k].vv.clear();
  }
  for (int k = 1; k < 3; ++k) {
    if (vvrun(m, r, 'a', k, vvstart(r.path), r.arc[k].vv) >= m.maxSteps) return m.maxSteps;
  }
  copyref(r.arc[0].ref, 0, r.arc[0].vv);
  copyref(r.cl[0].ref, 0, r.cl[0].vv);
  for (int k = 1; k < 3; ++k) {
    if (vvrun(m, r, 'b', k, vvstart(r.path), r.cl[k].vv) >= m.maxSteps) return m.maxSteps;
  }
  return 0;
}

}  // namespace agv
