// Variable-velocity schedule of the two steered mechanisms on both PTP
// paths: steering phases at the joints of the arc-line path, and lowered
// speed on the clothoid stretches that would need faster steering.
#include "ptp/schedule.h"

#include <climits>
#include <cmath>

#include "ptp/clothoid.h"
#include "ptp/clpath.h"
#include "ptp/planner.h"

namespace agv {

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

// Arc-line schedule; 0 when a total reaches maxSteps.
int arcschedule(const Model& m, const ArcPath& a, Schedule& v) {
  double phiPrev = v.phiStart;  // the vehicles start with this steering
  for (int j = 0; j < a.nseg; ++j) {
    if (a.s[j] < sVanish) {
      // A vanishing segment gets no phases; the steering stays as it is.
      for (int k = kFront; k <= kRear; ++k) {
        for (int p = 0; p < 2; ++p) {
          v.Tv[k][j][p] = 0;
          v.dtv2[k][j][p] = 0;
          v.nv2[k][j][p] = 0;
        }
      }
    } else {
      const double phi = a.sgnK[j] * a.phiSeg[j];
      v.Tv[kFront][j][0] = v.Tv[kRear][j][0] = std::fabs(phi - phiPrev) / m.steerRate;
      calstep(v.Tv[kFront][j][0], m.dt, v.dtv2[kFront][j][0], v.nv2[kFront][j][0]);
      v.dtv2[kRear][j][0] = v.dtv2[kFront][j][0];
      v.nv2[kRear][j][0] = v.nv2[kFront][j][0];
      // The reference point of the front-drive mechanism is slower than its
      // wheel.
      v.Tv[kFront][j][1] = a.s[j] / refspeed(FRONTDRIVE, m.Vmax, phi);
      v.Tv[kRear][j][1] = a.s[j] / m.Vmax;
      calstep(v.Tv[kFront][j][1], m.dt, v.dtv2[kFront][j][1], v.nv2[kFront][j][1]);
      calstep(v.Tv[kRear][j][1], m.dt, v.dtv2[kRear][j][1], v.nv2[kRear][j][1]);
      phiPrev = phi;
    }
    for (int k = kFront; k <= kRear; ++k) {
      // Counts held at the largest int (a division far too fine) sum without overflow.
      const long long n = static_cast<long long>(v.nv2[k][j][0]) + v.nv2[k][j][1];
      v.nvSeg[k][j] = n < INT_MAX ? static_cast<int>(n) : INT_MAX;
    }
  }
  v.phiEnd = phiPrev;
  for (int k = kFront; k <= kRear; ++k) {
    if (steptotal(v.nvSeg[k], a.nseg, m.maxSteps) == 0) return 0;
  }
  return 1;
}

void setfive(std::array<double, 5>& a, double v0, double v1, double v2, double v3, double v4) {
  a[0] = v0;
  a[1] = v1;
  a[2] = v2;
  a[3] = v3;
  a[4] = v4;
}

// Phases of a curved clothoid-line segment for mechanism k.
void curvedphases(const Model& m, int k, int j, ClothoidPath& c, Schedule& v) {
  const double Lc = c.sc3[j][0];
  const double La = c.sc[j] - 2 * Lc;
  const double phiCj = c.phiC[j];
  const double kap = c.Kc[j];
  c.Kcs = kap;
  v.Vc[k][j] = Lc * m.steerRate / (m.Lw * kap);
  v.Wc[k][j] = m.Lw * kap * m.Vmax / Lc;
  const double e = k == kFront ? kExpFront : kExpRear;
  const double r = std::pow(v.Vc[k][j] / m.Vmax, e);
  const double phiS = r <= 1 ? std::acos(r) : 0;
  const double Ls = std::tan(phiS) * Lc / (m.Lw * kap);

  double t04 = 0;  // phases 0 and 4
  double t13 = 0;  // phases 1 and 3
  if (v.Vc[k][j] < m.Vmax && phiS < phiCj) {
    setfive(v.sv5[k][j], Ls, Lc - Ls, La, Lc - Ls, Ls);
    t04 = phiS / m.steerRate;
    t13 = k == kFront ? (F(phiCj) - F(phiS)) * Lc / (m.Lw * kap * m.Vmax) : (Lc - Ls) / m.Vmax;
  } else if (v.Vc[k][j] < m.Vmax) {
    // The whole clothoid is steering-limited.
    setfive(v.sv5[k][j], Lc, 0, La, 0, Lc);
    t04 = phiCj / m.steerRate;
  } else {
    // Full speed throughout.
    setfive(v.sv5[k][j], 0, Lc, La, Lc, 0);
    t13 = k == kFront ? F(phiCj) * Lc / (m.Lw * kap * m.Vmax) : Lc / m.Vmax;
  }
  const double t2 = La / refspeed(k + 1, m.Vmax, phiCj);
  setfive(v.Tv5[k][j], t04, t13, t2, t13, t04);
}

// Clothoid-line schedule; 0 when a total reaches maxSteps.
int clschedule(const Model& m, const ArcPath& a, ClothoidPath& c, Schedule& v) {
  for (int j = 0; j < a.nseg; ++j) {
    if (a.sgnK[j] == 0) {
      const double T = c.sc[j] / m.Vmax;
      double dtl = 0;
      int n = 0;
      calstep(T, m.dt, dtl, n);
      for (int k = kFront; k <= kRear; ++k) {
        v.Vc[k][j] = m.Vmax;
        v.Wc[k][j] = 0;
        v.dtvl[k][j] = dtl;
        setfive(v.sv5[k][j], 0, 0, c.sc[j], 0, 0);
        setfive(v.Tv5[k][j], 0, 0, T, 0, 0);
      }
    } else if (c.sc[j] < sVanish) {
      for (int k = kFront; k <= kRear; ++k) {
        setfive(v.sv5[k][j], 0, 0, 0, 0, 0);
        setfive(v.Tv5[k][j], 0, 0, 0, 0, 0);
        v.dtvl[k][j] = 0;
      }
    } else {
      for (int k = kFront; k <= kRear; ++k) curvedphases(m, k, j, c, v);
    }
  }
  // Every phase is divided here, the line phases included.
  for (int k = kFront; k <= kRear; ++k) {
    for (int j = 0; j < a.nseg; ++j) {
      long long n = 0;
      for (int p = 0; p < 5; ++p) {
        calstep(v.Tv5[k][j][p], m.dt, v.dtv5[k][j][p], v.nv5[k][j][p]);
        n += v.nv5[k][j][p];
      }
      // Counts held at the largest int sum without overflow.
      v.nvc[k][j] = n < INT_MAX ? static_cast<int>(n) : INT_MAX;
    }
    if (steptotal(v.nvc[k], a.nseg, m.maxSteps) == 0) return 0;
  }
  return 1;
}

}  // namespace

int calvelPTP(const Model& m, const ArcPath& a, ClothoidPath& c, const Steps& st, Schedule& v) {
  // Mechanism 0 steers nothing: its variable-velocity runs are its
  // reference runs, with their step totals.
  v.reset(a.nseg);
  v.nvSeg[0].total = st.nSeg[0].total;
  v.nvc[0].total = st.nc[0].total;
  if (arcschedule(m, a, v) == 0) return 0;
  return clschedule(m, a, c, v);
}

}  // namespace agv
