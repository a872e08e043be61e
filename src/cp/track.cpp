// CP tracking run: the reference point on the curve and the
// constant-velocity AGV of each mechanism, side by side.
#include "cp/track.h"

#include <cmath>

#include "control/base/console.h"
#include "cp/arclen.h"
#include "cp/curves.h"
#include "motion/model.h"
#include "motion/records.h"

namespace agv {

double refCP[3][MAXCP][7];
double cvCP[3][MAXCP][6];
double errCP[3][MAXCP][6];
// calpath counts the steps first; the run writes its own counts over them.
int NN[3];
double TCP[3];

namespace {

constexpr int kSub = 5;             // integration sub-steps per record
constexpr double kH = dtCP / kSub;  // sub-step [s]

// The CP search for the curve parameter starts this far below the
// parameter of the record the new one was formed from.
constexpr double kSearchBack = 0.1;

// Target on CP curve I at the distance sR.
void cptarget(int I, TrackState& r) {
  r.u = s2u(r.u - kSearchBack, r.sR, I);
  r.kapR = curvk(r.u, I);
  r.phiT = std::atan(r.kapR * Lw);
}

void store(int k, int r, const TrackState& st) {
  double* ref = refCP[k][r];
  ref[RS] = st.sR;
  ref[RTH] = st.thR;
  ref[RX] = st.xR;
  ref[RY] = st.yR;
  ref[RPHI] = st.phiT;
  ref[RKAP] = st.kapR;
  ref[RU] = st.u;
  double* cv = cvCP[k][r];
  cv[RS] = st.sA;
  cv[RTH] = st.thA;
  cv[RX] = st.xA;
  cv[RY] = st.yA;
  cv[RPHI] = st.phi;
  cv[RKAP] = std::tan(st.phi) / Lw;
}

}  // namespace

int caltraj(int I) {
  const double sf = Pfcp[I][LENGTH];
  for (int k = 0; k < 3; ++k) {
    const int type = k + 1;

    double P[2];
    double D[3];
    curvpt(0.0, I, P);
    curvd1(0.0, I, D);
    const double thStart = D[2];
    const double kap0 = curvk(0.0, I);
    const double phi0 = std::atan(kap0 * Lw);

    TrackState st{};
    st.sR = st.sA = 0.0;
    st.thR = st.thA = thStart;
    st.xR = st.xA = P[0];
    st.yR = st.yA = P[1];
    st.phi = st.phiT = phi0;
    st.kapR = kap0;
    st.u = 0.0;
    store(k, 0, st);
    cvCP[k][0][RKAP] = kap0;

    double t = 0.0;
    double sprev = 0.0;
    int j = 0;
    int r = 0;
    TrackState nw{};
    for (;;) {
      j = j + 1;
      rkgcp(t, kH, I, type, cptarget, st, nw);
      if (nw.sR > sf) break;
      t = t + kH;
      if (j % kSub == 0) {
        r = r + 1;
        if (r >= MAX) {
          con::out("\ncaltraj() I=%d AGV=%d 刻み数NN=%d>=%d=MAX 経路長長過ぎる．経路設定し直し", I,
                   type, r, MAX);
          return MAX;
        }
        store(k, r, nw);
      }
      sprev = nw.sR;
      st = nw;
    }

    // The last sub-step is shortened so that the reference point lands on
    // the end of the curve.
    const double hlast = kH * (sf - sprev) / (nw.sR - sprev);
    TrackState fin{};
    rkgcp(t, hlast, I, type, cptarget, st, fin);
    TCP[k] = (j - 1) * kH + hlast;
    NN[k] = r + 1;
    store(k, NN[k], fin);

    for (int i = 0; i <= NN[k]; ++i)
      for (int f = 0; f < 6; ++f) errCP[k][i][f] = cvCP[k][i][f] - refCP[k][i][f];
  }
  return NN[2];
}

}  // namespace agv
