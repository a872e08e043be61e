// Variable-velocity schedule of the two steered mechanisms on both PTP
// paths: steering phases at the joints of the arc-line path, and lowered
// speed on the clothoid stretches that would need faster steering.
#include "ptp/schedule.h"

#include <cmath>

#include "control/base/params.h"
#include "ptp/clothoid.h"
#include "ptp/path.h"
#include "ptp/steps.h"

namespace agv {

double Tv[3][3][2];
double dtv2[3][3][2];
int nv2[3][3][2];
int nvSeg[3][4];

double sv5[3][3][5];
double Tv5[3][3][5];
double dtv5[3][3][5];
int nv5[3][3][5];
double Vc[3][3];
double Wc[3][3];
double dtvl[3][3];
int nvc[3][4];

namespace {

// The steered mechanisms: the front drive, whose steered wheel drives, and
// the rear drive.
constexpr int kFront = FRONTDRIVE - 1;
constexpr int kRear = 2;

// Exponents of the speed ratio that give the steering angle above which
// full speed suffices: the needed steering rate falls with cos^3 (front
// drive) or cos^2 (rear drive) of the steering angle.
constexpr double kExpFront = 0.333333333333;
constexpr double kExpRear = 1.0 / 2;

// Integral of 1/cos^3 from 0 to x.
double F(double x) { return (std::tan(x) / std::cos(x) + std::log(std::tan(x / 2 + PI / 4))) / 2; }

// Arc-line schedule; 0 when a total reaches MAX.
int arcschedule() {
  double phiPrev = 0;  // the vehicles start with straight steering
  for (int j = 0; j < 3; ++j) {
    if (s[j] < sVanish) {
      // A vanishing segment gets no phases; the steering stays as it is.
      for (int k = kFront; k <= kRear; ++k) {
        for (int p = 0; p < 2; ++p) {
          Tv[k][j][p] = 0;
          dtv2[k][j][p] = 0;
          nv2[k][j][p] = 0;
        }
      }
    } else {
      const double phi = sgnK[j] * phiSeg[j];
      Tv[kFront][j][0] = Tv[kRear][j][0] = std::fabs(phi - phiPrev) / steerRate;
      calstep(Tv[kFront][j][0], dt, dtv2[kFront][j][0], nv2[kFront][j][0]);
      dtv2[kRear][j][0] = dtv2[kFront][j][0];
      nv2[kRear][j][0] = nv2[kFront][j][0];
      // The reference point of the front-drive mechanism is slower than its
      // wheel.
      Tv[kFront][j][1] = s[j] / refspeed(FRONTDRIVE, Vmax, phi);
      Tv[kRear][j][1] = s[j] / Vmax;
      calstep(Tv[kFront][j][1], dt, dtv2[kFront][j][1], nv2[kFront][j][1]);
      calstep(Tv[kRear][j][1], dt, dtv2[kRear][j][1], nv2[kRear][j][1]);
      phiPrev = phi;
    }
    for (int k = kFront; k <= kRear; ++k) nvSeg[k][j] = nv2[k][j][0] + nv2[k][j][1];
  }
  for (int k = kFront; k <= kRear; ++k) {
    if (steptotal(nvSeg[k]) == 0) return 0;
  }
  return 1;
}

void setfive(double a[5], double v0, double v1, double v2, double v3, double v4) {
  a[0] = v0;
  a[1] = v1;
  a[2] = v2;
  a[3] = v3;
  a[4] = v4;
}

// Phases of a curved clothoid-line segment for mechanism k.
void curvedphases(int k, int j) {
  const double Lc = sc3[j][0];
  const double La = sc[j] - 2 * Lc;
  const double phiCj = phiC[j];
  const double kap = Kc[j];
  Kcs = kap;
  Vc[k][j] = Lc * steerRate / (Lw * kap);
  Wc[k][j] = Lw * kap * Vmax / Lc;
  const double e = k == kFront ? kExpFront : kExpRear;
  const double r = std::pow(Vc[k][j] / Vmax, e);
  const double phiS = r <= 1 ? std::acos(r) : 0;
  const double Ls = std::tan(phiS) * Lc / (Lw * kap);

  double t04 = 0;  // phases 0 and 4
  double t13 = 0;  // phases 1 and 3
  if (Vc[k][j] < Vmax && phiS < phiCj) {
    setfive(sv5[k][j], Ls, Lc - Ls, La, Lc - Ls, Ls);
    t04 = phiS / steerRate;
    t13 = k == kFront ? (F(phiCj) - F(phiS)) * Lc / (Lw * kap * Vmax) : (Lc - Ls) / Vmax;
  } else if (Vc[k][j] < Vmax) {
    // The whole clothoid is steering-limited.
    setfive(sv5[k][j], Lc, 0, La, 0, Lc);
    t04 = phiCj / steerRate;
  } else {
    // Full speed throughout.
    setfive(sv5[k][j], 0, Lc, La, Lc, 0);
    t13 = k == kFront ? F(phiCj) * Lc / (Lw * kap * Vmax) : Lc / Vmax;
  }
  const double t2 = La / refspeed(k + 1, Vmax, phiCj);
  setfive(Tv5[k][j], t04, t13, t2, t13, t04);
}

// Clothoid-line schedule; 0 when a total reaches MAX.
int clschedule() {
  for (int j = 0; j < 3; ++j) {
    if (sgnK[j] == 0) {
      const double T = sc[j] / Vmax;
      double dtl = 0;
      int n = 0;
      calstep(T, dt, dtl, n);
      for (int k = kFront; k <= kRear; ++k) {
        Vc[k][j] = Vmax;
        Wc[k][j] = 0;
        dtvl[k][j] = dtl;
        setfive(sv5[k][j], 0, 0, sc[j], 0, 0);
        setfive(Tv5[k][j], 0, 0, T, 0, 0);
      }
    } else if (sc[j] < sVanish) {
      for (int k = kFront; k <= kRear; ++k) {
        setfive(sv5[k][j], 0, 0, 0, 0, 0);
        setfive(Tv5[k][j], 0, 0, 0, 0, 0);
        dtvl[k][j] = 0;
      }
    } else {
      for (int k = kFront; k <= kRear; ++k) curvedphases(k, j);
    }
  }
  // Every phase is divided here, the line phases included.
  for (int k = kFront; k <= kRear; ++k) {
    for (int j = 0; j < 3; ++j) {
      nvc[k][j] = 0;
      for (int m = 0; m < 5; ++m) {
        calstep(Tv5[k][j][m], dt, dtv5[k][j][m], nv5[k][j][m]);
        nvc[k][j] += nv5[k][j][m];
      }
    }
    if (steptotal(nvc[k]) == 0) return 0;
  }
  return 1;
}

}  // namespace

int calvelPTP() {
  // Mechanism 0 steers nothing: its variable-velocity runs are its
  // reference runs, with their step totals.
  nvSeg[0][TOTAL] = nSeg[0][TOTAL];
  nvc[0][TOTAL] = nc[0][TOTAL];
  if (arcschedule() == 0) return 0;
  return clschedule();
}

}  // namespace agv
