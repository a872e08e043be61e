// Step tables of the arc-line runs, the clothoid-line path that replaces
// every arc by a clothoid-arc-clothoid curve, and its step tables.
#include "ptp/clpath.h"

#include <climits>
#include <cmath>

#include "ptp/clothoid.h"
#include "ptp/planner.h"

namespace agv {

namespace {

// Arc-line step tables; 0 when a mechanism's total reaches maxSteps.
int arcsteps(const Model& m, const ArcPath& a, Steps& st) {
  for (int j = 0; j < a.nseg; ++j) {
    for (int k = 0; k < 3; ++k) {
      // On an arc the reference point of the front drive is slower than its wheel.
      st.Tseg[k][j] = a.sgnK[j] != 0 ? a.s[j] / refspeed(k + 1, m.Vmax, a.phiArc) : a.s[j] / m.Vmax;
      calstep(st.Tseg[k][j], m.dt, st.dtSeg[k][j], st.nSeg[k][j]);
    }
  }
  for (int k = 0; k < 3; ++k) {
    st.Tseg[k][TOTAL] = segsum(st.Tseg[k], a.nseg);
    if (steptotal(st.nSeg[k], a.nseg, m.maxSteps) == 0) return 0;
  }
  return 1;
}

void straight(const Model& m, const ArcPath& a, int j, ClothoidPath& c, Steps& st) {
  c.sc[j] = a.s[j];
  c.sc3[j][0] = 0;
  c.sc3[j][1] = a.s[j];
  c.sc3[j][2] = 0;
  c.sc3[j][3] = a.s[j];
  c.Kc[j] = 0;
  for (int k = 0; k < 3; ++k) {
    st.Tc[k][j] = c.sc[j] / m.Vmax;
    double dt1 = 0;
    int n1 = 0;
    calstep(st.Tc[k][j], m.dt, dt1, n1);
    st.Tc3[k][j][0] = 0;
    st.Tc3[k][j][1] = st.Tc[k][j];
    st.Tc3[k][j][2] = 0;
    st.dtc3[k][j][0] = 0;
    st.dtc3[k][j][1] = dt1;
    st.dtc3[k][j][2] = 0;
    st.nc3[k][j][0] = 0;
    st.nc3[k][j][1] = n1;
    st.nc3[k][j][2] = 0;
    st.nc[k][j] = n1;
  }
}

void vanishing(const ArcPath& a, int j, ClothoidPath& c, Steps& st) {
  for (int p = 0; p < 4; ++p) c.sc3[j][p] = 0;
  c.sc[j] = 0;
  c.Kc[j] = 1 / a.Rarc;
  for (int k = 0; k < 3; ++k) {
    for (int p = 0; p < 3; ++p) {
      st.Tc3[k][j][p] = 0;
      st.dtc3[k][j][p] = 0;
      st.nc3[k][j][p] = 0;
    }
    st.Tc[k][j] = 0;
    st.nc[k][j] = 0;
  }
}

// Turns, and fits of the curved segments of the current plan, so that a
// turn equal to an earlier one (a symmetric path) is not fitted again.
struct Fit {
  int n;
  double Th[kSegMax], phi[kSegMax], kap[kSegMax];
};

void curved(const Model& m, const ArcPath& a, int j, Fit& fit, ClothoidPath& c, Steps& st) {
  const double Th = a.s[j] / a.Rarc;
  double phi = 0;
  double kap = 0;
  int i = 0;
  while (i < fit.n && fit.Th[i] != Th) ++i;
  if (i < fit.n) {
    phi = fit.phi[i];
    kap = fit.kap[i];
  } else {
    clsolve(Th, a.Karc, m.dKds, phi, kap);
    fit.Th[fit.n] = Th;
    fit.phi[fit.n] = phi;
    fit.kap[fit.n] = kap;
    ++fit.n;
  }
  c.Kcs = kap;
  c.Kc[j] = kap;
  c.phiC[j] = std::atan(m.Lw * kap);
  const double Lc = 2 * phi / kap;
  const double Ltot = (2 * phi + Th) / kap;
  const double Lm = Ltot - 2 * Lc;
  c.sc3[j][0] = Lc;
  c.sc3[j][1] = Lm;
  c.sc3[j][2] = Lc;
  c.sc3[j][3] = Ltot;
  c.sc[j] = Ltot;

  for (int k = 0; k < 3; ++k) {
    if (k + 1 == FRONTDRIVE) {
      // Mean of sqrt(1 + (Lw*curvature)^2) while the curvature grows
      // linearly from 0 to kap.
      const double u = m.Lw * kap;
      const double g = (u * std::sqrt(u * u + 1) - std::log(std::sqrt(u * u + 1) - u)) / (2 * u);
      const double tcl = g * Lc / m.Vmax;
      const double tm = std::sqrt((m.Lw * kap) * (m.Lw * kap) + 1) * Lm / m.Vmax;
      st.Tc3[k][j][0] = tcl;
      st.Tc3[k][j][1] = tm;
      st.Tc3[k][j][2] = tcl;
      st.Tc[k][j] = 2 * tcl + tm;
    } else {
      st.Tc3[k][j][0] = Lc / m.Vmax;
      st.Tc3[k][j][1] = Lm / m.Vmax;
      st.Tc3[k][j][2] = Lc / m.Vmax;
      st.Tc[k][j] = st.Tc3[k][j][0] + st.Tc3[k][j][1] + st.Tc3[k][j][2];
    }
  }
  for (int p = 0; p < 3; ++p) {
    for (int k = 0; k < 3; ++k) calstep(st.Tc3[k][j][p], m.dt, st.dtc3[k][j][p], st.nc3[k][j][p]);
  }
  // The two clothoids have equal times and therefore equal counts.
  for (int k = 0; k < 3; ++k) st.nc[k][j] = st.nc3[k][j][1] + 2 * st.nc3[k][j][0];
}

}  // namespace

double segsum(const double T[], int nseg) {
  double t = 0.0;
  for (int j = 0; j < nseg; ++j) t += T[j];
  return t;
}

int steptotal(int n[], int nseg, int max) {
  // Counts near the range of int (a division held at its largest count)
  // are summed without overflow.
  long long t = 0;
  for (int j = 0; j < nseg; ++j) t += n[j];
  n[TOTAL] = t < INT_MAX ? static_cast<int>(t) : INT_MAX;
  return n[TOTAL] < max ? 1 : 0;
}

int calclothoid(const Model& m, const ArcPath& a, ClothoidPath& c, Steps& st) {
  if (arcsteps(m, a, st) == 0) return 0;

  Fit fit{};
  for (int j = 0; j < a.nseg; ++j) {
    if (a.sgnK[j] == 0) {
      straight(m, a, j, c, st);
    } else if (a.s[j] < sVanish) {
      vanishing(a, j, c, st);
    } else {
      curved(m, a, j, fit, c, st);
    }
  }
  c.sf = segsum(c.sc, a.nseg);
  for (int k = 0; k < 3; ++k) {
    st.Tc[k][TOTAL] = segsum(st.Tc[k], a.nseg);
    if (steptotal(st.nc[k], a.nseg, m.maxSteps) == 0) return 0;
  }
  return 1;
}

}  // namespace agv
