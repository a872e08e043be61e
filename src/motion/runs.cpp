#include "motion/runs.h"

#include "control/base/console.h"
#include "motion/model.h"
#include "motion/records.h"
#include "ptp/path.h"
#include "ptp/steps.h"

namespace agv {

double refA[3][MAX][6], cvA[3][MAX][6], errA[3][MAX][6];
double refB[3][MAX][6], cvB[3][MAX][6], errB[3][MAX][6];

namespace {

// Working records of one run, reused for each run.
TrackState trk[MAX];

// One run on the path of `variant` for mechanism k; the number of steps
// taken, or MAX when the step index would reach MAX.
int runptp(char variant, int k) {
  const int type = k + 1;
  TrackState& r0 = trk[0];
  r0 = TrackState{};
  r0.thR = r0.thA = th0;
  r0.xR = r0.xA = x0;
  r0.yR = r0.yA = y0;
  if (variant == 'a') {
    r0.phiT = sgnK[0] * phiSeg[0];
    r0.kapR = sgnK[0] * Kseg[0];
  }

  int n = 0;
  const auto step = [&](double h, int sgn) {
    if (n + 1 >= MAX) {
      if (variant == 'a') {
        con::out("\n円弧－直線経路 時間刻み数Nk=%d>MAX=%d 設定し直し", n + 1, MAX);
      } else {
        con::out("\nCLD－直線経路 時間刻み数Nk=%d>MAX=%d 設定し直し", n + 1, MAX);
      }
      return false;
    }
    rkgptp(0.0, h, type, variant, sgn, trk[n], trk[n + 1]);
    ++n;
    return true;
  };

  for (int j = 0; j < 3; ++j) {
    if (variant == 'a') {
      for (int i = 0; i < nSeg[k][j]; ++i) {
        if (!step(dtSeg[k][j], sgnK[j])) return MAX;
      }
    } else {
      for (int m = 0; m < 3; ++m) {
        for (int i = 0; i < nc3[k][j][m]; ++i) {
          if (!step(dtc3[k][j][m], sgnK[j])) return MAX;
        }
      }
    }
  }
  return n;
}

// Records 0 ... N of the working array into the run arrays of one
// mechanism.
void store(int N, double (*ref)[6], double (*cv)[6], double (*err)[6]) {
  for (int n = 0; n <= N; ++n) {
    const TrackState& r = trk[n];
    const double rv[6] = {r.sR, r.thR, r.xR, r.yR, r.phiT, r.kapR};
    const double cvv[6] = {r.sA, r.thA, r.xA, r.yA, r.phi, r.kapA};
    for (int f = 0; f < 6; ++f) {
      ref[n][f] = rv[f];
      cv[n][f] = cvv[f];
      err[n][f] = cvv[f] - rv[f];
    }
  }
}

}  // namespace

int caltrajPTP() {
  int N = 0;
  for (int k = 0; k < 3; ++k) {
    N = runptp('a', k);
    if (N >= MAX) return N;
    store(N, refA[k], cvA[k], errA[k]);
  }
  for (int k = 0; k < 3; ++k) {
    N = runptp('b', k);
    if (N >= MAX) return N;
    store(N, refB[k], cvB[k], errB[k]);
  }
  return N;
}

}  // namespace agv
