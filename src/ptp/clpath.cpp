// Step tables of the arc-line runs, the clothoid-line path that replaces
// every arc by a clothoid-arc-clothoid curve, and its step tables.
#include "ptp/clpath.h"

#include <cmath>

#include "control/base/console.h"
#include "control/base/params.h"
#include "ptp/clothoid.h"
#include "ptp/path.h"
#include "ptp/steps.h"

namespace agv {

double Tseg[3][4];
double dtSeg[3][3];
int nSeg[3][4];

double sc[3];
double sc3[3][4];
double Kc[3];
double phiC[3];
double Kcs;

double Tc[3][4];
double Tc3[3][3][3];
double dtc3[3][3][3];
int nc3[3][3][3];
int nc[3][4];

namespace {

// Arc-line step tables; 0 when a mechanism's total reaches MAX.
int arcsteps() {
  for (int j = 0; j < 3; ++j) {
    for (int k = 0; k < 3; ++k) {
      // On an arc the reference point of the front drive is slower than its wheel.
      Tseg[k][j] = sgnK[j] != 0 ? s[j] / refspeed(k + 1, Vmax, phiArc) : s[j] / Vmax;
      calstep(Tseg[k][j], dt, dtSeg[k][j], nSeg[k][j]);
    }
  }
  for (int k = 0; k < 3; ++k) {
    Tseg[k][TOTAL] = Tseg[k][0] + Tseg[k][1] + Tseg[k][2];
    if (steptotal(nSeg[k]) == 0) return 0;
  }
  return 1;
}

void straight(int j) {
  sc[j] = s[j];
  sc3[j][0] = 0;
  sc3[j][1] = s[j];
  sc3[j][2] = 0;
  sc3[j][3] = s[j];
  Kc[j] = 0;
  for (int k = 0; k < 3; ++k) {
    Tc[k][j] = sc[j] / Vmax;
    double dt1 = 0;
    int n1 = 0;
    calstep(Tc[k][j], dt, dt1, n1);
    Tc3[k][j][0] = 0;
    Tc3[k][j][1] = Tc[k][j];
    Tc3[k][j][2] = 0;
    dtc3[k][j][0] = 0;
    dtc3[k][j][1] = dt1;
    dtc3[k][j][2] = 0;
    nc3[k][j][0] = 0;
    nc3[k][j][1] = n1;
    nc3[k][j][2] = 0;
    nc[k][j] = n1;
  }
}

void vanishing(int j) {
  for (int m = 0; m < 4; ++m) sc3[j][m] = 0;
  sc[j] = 0;
  Kc[j] = 1 / Rarc;
  for (int k = 0; k < 3; ++k) {
    for (int m = 0; m < 3; ++m) {
      Tc3[k][j][m] = 0;
      dtc3[k][j][m] = 0;
      nc3[k][j][m] = 0;
    }
    Tc[k][j] = 0;
    nc[k][j] = 0;
  }
}

// Turns, and fits of the curved segments of the current plan, so that a
// turn equal to an earlier one (a symmetric path) is not fitted again.
struct Fit {
  int n;
  double Th[3], phi[3], kap[3];
};

void curved(int j, Fit& fit) {
  const double Th = s[j] / Rarc;
  double phi = 0;
  double kap = 0;
  int i = 0;
  while (i < fit.n && fit.Th[i] != Th) ++i;
  if (i < fit.n) {
    phi = fit.phi[i];
    kap = fit.kap[i];
  } else {
    clsolve(Th, phi, kap);
    fit.Th[fit.n] = Th;
    fit.phi[fit.n] = phi;
    fit.kap[fit.n] = kap;
    ++fit.n;
  }
  Kcs = kap;
  Kc[j] = kap;
  phiC[j] = std::atan(Lw * kap);
  const double Lc = 2 * phi / kap;
  const double Ltot = (2 * phi + Th) / kap;
  const double Lm = Ltot - 2 * Lc;
  sc3[j][0] = Lc;
  sc3[j][1] = Lm;
  sc3[j][2] = Lc;
  sc3[j][3] = Ltot;
  sc[j] = Ltot;

  for (int k = 0; k < 3; ++k) {
    if (k + 1 == FRONTDRIVE) {
      // Mean of sqrt(1 + (Lw*curvature)^2) while the curvature grows
      // linearly from 0 to kap.
      const double u = Lw * kap;
      const double g = (u * std::sqrt(u * u + 1) - std::log(std::sqrt(u * u + 1) - u)) / (2 * u);
      const double tcl = g * Lc / Vmax;
      const double tm = std::sqrt((Lw * kap) * (Lw * kap) + 1) * Lm / Vmax;
      Tc3[k][j][0] = tcl;
      Tc3[k][j][1] = tm;
      Tc3[k][j][2] = tcl;
      Tc[k][j] = 2 * tcl + tm;
    } else {
      Tc3[k][j][0] = Lc / Vmax;
      Tc3[k][j][1] = Lm / Vmax;
      Tc3[k][j][2] = Lc / Vmax;
      Tc[k][j] = Tc3[k][j][0] + Tc3[k][j][1] + Tc3[k][j][2];
    }
  }
  for (int m = 0; m < 3; ++m) {
    for (int k = 0; k < 3; ++k) calstep(Tc3[k][j][m], dt, dtc3[k][j][m], nc3[k][j][m]);
  }
  // The two clothoids have equal times and therefore equal counts.
  for (int k = 0; k < 3; ++k) nc[k][j] = nc3[k][j][1] + 2 * nc3[k][j][0];
}

}  // namespace

int steptotal(int n[4]) {
  n[TOTAL] = n[0] + n[1] + n[2];
  if (n[TOTAL] >= MAX) {
    con::out("%s", msgTooLong);
    return 0;
  }
  return 1;
}

int calclothoid() {
  if (arcsteps() == 0) return 0;

  Fit fit{};
  for (int j = 0; j < 3; ++j) {
    if (sgnK[j] == 0) {
      straight(j);
    } else if (s[j] < sVanish) {
      vanishing(j);
    } else {
      curved(j, fit);
    }
  }
  for (int k = 0; k < 3; ++k) {
    Tc[k][TOTAL] = Tc[k][0] + Tc[k][1] + Tc[k][2];
    if (steptotal(nc[k]) == 0) return 0;
  }
  return 1;
}

}  // namespace agv
