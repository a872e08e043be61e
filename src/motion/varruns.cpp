#include "motion/varruns.h"

#include <cmath>

#include "motion/model.h"
#include "motion/records.h"
#include "ptp/path.h"
#include "ptp/steps.h"

namespace agv {

double vvA[3][MAX][6];
double vvB[3][MAX][6];

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

// Working records of one run, reused for each run.
VarState vs[MAX];

// Record 0 of every run: standing at the start pose, steering straight.
void startrec() { vs[0] = VarState{0.0, th0, x0, y0, 0.0, 0.0}; }

// Arc-line run of mechanism k (type 2 or 3): the last record index, or
// MAX when the schedule would run past the working array.
int arcrun(int k) {
  const int type = k + 1;
  startrec();
  double phi = 0.0;   // steering angle
  double phip = 0.0;  // previous target
  int n = 0;
  for (int j = 0; j < 3; ++j) {
    if (nv2[k][j][0] > 0) {
      // Standing still, the steering wheel turns to the segment's angle.
      const double phin = sgnK[j] * phiSeg[j];
      double w = 0.0;
      if (std::fabs(phin - phip) >= kSameAngle) w = phin - phip > 0.0 ? steerRate : -steerRate;
      phip = phin;
      const VarState start = vs[n];
      const double h = dtv2[k][j][0];
      for (int i = 0; i < nv2[k][j][0]; ++i) {
        if (n + 1 >= MAX) return MAX;
        VarState& r = vs[++n];
        r = start;
        phi = phi + w * h;
        r.phi = phi;
      }
      phi = phin;
      vs[n].phi = phin;
    }
    if (nv2[k][j][1] > 0) {
      const double h = dtv2[k][j][1];
      if (sgnK[j] == 0) {
        for (int i = 0; i < nv2[k][j][1]; ++i) {
          if (n + 1 >= MAX) return MAX;
          stepline(h, vs[n], vs[n + 1]);
          ++n;
        }
        phi = 0.0;
      } else {
        const double phia = sgnK[j] * phiSeg[j];
        const double V = refspeed(type, Vmax, phia);
        vs[n].kap = sgnK[j] * Kseg[j];
        for (int i = 0; i < nv2[k][j][1]; ++i) {
          if (n + 1 >= MAX) return MAX;
          rkgarcv(0.0, h, V, vs[n], vs[n + 1]);
          ++n;
        }
        phi = phia;
      }
    }
  }
  return n;
}

// Clothoid-line run of mechanism k (type 2 or 3): the last record index,
// or MAX when the schedule would run past the working array.
int cldrun(int k) {
  const int type = k + 1;
  startrec();
  int n = 0;
  for (int j = 0; j < 3; ++j) {
    const double s0 = vs[n].s;
    if (sgnK[j] == 0) {
      for (int i = 0; i < nvc[k][j]; ++i) {
        if (n + 1 >= MAX) return MAX;
        stepline(dtvl[k][j], vs[n], vs[n + 1]);
        ++n;
      }
      continue;
    }
    for (int m = 0; m < 5; ++m) {
      const Part& p = kParts[m];
      const double V = p.circle ? Vmax : Vc[k][j];
      const double W = p.circle ? 0.0 : Wc[k][j];
      for (int i = 0; i < nv5[k][j][m]; ++i) {
        if (n + 1 >= MAX) return MAX;
        rkgcldv(0.0, dtv5[k][j][m], type, sgnK[j], p.dir, p.phase, s0, sc3[j][0], sc[j], Kc[j], V,
                W, vs[n], vs[n + 1]);
        ++n;
      }
    }
  }
  return n;
}

void store(int N, double (*vv)[6]) {
  for (int n = 0; n <= N; ++n) {
    const VarState& r = vs[n];
    vv[n][RS] = r.s;
    vv[n][RTH] = r.th;
    vv[n][RX] = r.x;
    vv[n][RY] = r.y;
    vv[n][RPHI] = r.phi;
    vv[n][RKAP] = r.kap;
  }
}

// Position, heading and steering angle of a type-1 reference record.
void copy5(const double (*ref)[6], int N, double (*vv)[6]) {
  for (int n = 0; n <= N; ++n) {
    for (int f = RS; f <= RPHI; ++f) vv[n][f] = ref[n][f];
  }
}

}  // namespace

int caltrajVV() {
  for (int k = 1; k < 3; ++k) {
    const int N = arcrun(k);
    if (N >= MAX) return MAX;
    store(N, vvA[k]);
  }
  copy5(refA[0], nSeg[0][TOTAL], vvA[0]);
  copy5(refB[0], nc[0][TOTAL], vvB[0]);
  for (int k = 1; k < 3; ++k) {
    const int N = cldrun(k);
    if (N >= MAX) return MAX;
    store(N, vvB[k]);
  }
  return 0;
}

}  // namespace agv
