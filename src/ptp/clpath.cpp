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
    st.Tseg[k].total = segsum(st.Tseg[k].seg, a.nseg);
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

// The earlier curved segment of path a that turns as segment j does (a symmetric path), or -1.
int sameturn(const ArcPath& a, int j, double Th) {
  for (int i = 0; i < j; ++i)
    if (a.sgnK[i] != 0 && a.s[i] >= sVanish && a.s[i] / a.Rarc == Th) return i;
  return -1;
}

void curved(const Model& m, const ArcPath& a, int j, ClothoidPath& c, Steps& st) {
  const double Th = a.s[j] / a.Rarc;
  // A turn equal to an earlier one is not fitted again: its clothoids and their steps are the
  // earlier segment's, which the same numbers gave.
  const int i = sameturn(a, j, Th);
  if (i >= 0) {
    c.Kcs = c.Kc[j] = c.Kc[i];
    c.phiC[j] = c.phiC[i];
    c.sc3[j] = c.sc3[i];
    c.sc[j] = c.sc[i];
    for (int k = 0; k < 3; ++k) {
      st.Tc3[k][j] = st.Tc3[k][i];
      st.Tc[k][j] = st.Tc[k][i];
      st.dtc3[k][j] = st.dtc3[k][i];
      st.nc3[k][j] = st.nc3[k][i];
      st.nc[k][j] = st.nc[k][i];
    }
    return;
  }
  double phi = 0;
  double kap = 0;
  clsolve(Th, a.Karc, m.dKds, phi, kap);
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

double segsum(const std::vector<double>& T, int nseg) {
  double t = 0.0;
  for (int j = 0; j < nseg; ++j) t += T[j];
  return t;
}

int steptotal(Summed<int>& n, int nseg, int max) {
  // Counts near the range of int (a division held at its largest count)
  // are summed without overflow.
  long long t = 0;
  for (int j = 0; j < nseg; ++j) t += n[j];
  n.total = t < INT_MAX ? static_cast<int>(t) : INT_MAX;
  return n.total < max ? 1 : 0;
}

int calclothoid(const Model& m, const ArcPath& a, ClothoidPath& c, Steps& st) {
  c.reset(a.nseg);
  st.reset(a.nseg);
  if (arcsteps(m, a, st) == 0) return 0;

  for (int j = 0; j < a.nseg; ++j) {
    if (a.sgnK[j] == 0) {
      straight(m, a, j, c, st);
    } else if (a.s[j] < sVanish) {
      vanishing(a, j, c, st);
    } else {
      curved(m, a, j, c, st);
    }
  }
  c.sf = segsum(c.sc, a.nseg);
  for (int k = 0; k < 3; ++k) {
    st.Tc[k].total = segsum(st.Tc[k].seg, a.nseg);
    if (steptotal(st.nc[k], a.nseg, m.maxSteps) == 0) return 0;
  }
  return 1;
}

}  // namespace agv

namespace agv {

namespace {

// n values v, the vector's memory kept.
template <class T>
void fill(std::vector<T>& t, int n, const T& v = T()) {
  t.assign(static_cast<size_t>(n), v);
}

template <class T>
void fill(Summed<T>& t, int n) {
  fill(t.seg, n);
  t.total = T();
}

}  // namespace

void ArcPath::reset(int n) {
  krow = 0;
  nseg = n;
  fill(sgnK, n);
  fill(drive, n, 1);
  fill(s, n);
  sf = Rarc = Karc = phiArc = 0.0;
  fill(Kseg, n);
  fill(phiSeg, n);
  P0 = Pf = Pose{};
  fill(Pj, n > 0 ? n - 1 : 0);
}

void ClothoidPath::reset(int n) {
  fill(sc, n);
  fill(sc3, n);
  fill(Kc, n);
  fill(phiC, n);
  Kcs = sf = 0.0;
}

void Steps::reset(int n) {
  for (int k = 0; k < 3; ++k) {
    fill(Tseg[k], n);
    fill(dtSeg[k], n);
    fill(nSeg[k], n);
    fill(Tc[k], n);
    fill(Tc3[k], n);
    fill(dtc3[k], n);
    fill(nc3[k], n);
    fill(nc[k], n);
  }
}

void Schedule::reset(int n) {
  phiEnd = 0.0;
  for (int k = 0; k < 3; ++k) {
    fill(Tv[k], n);
    fill(dtv2[k], n);
    fill(nv2[k], n);
    fill(nvSeg[k], n);
    fill(sv5[k], n);
    fill(Tv5[k], n);
    fill(dtv5[k], n);
    fill(nv5[k], n);
    fill(Vc[k], n);
    fill(Wc[k], n);
    fill(dtvl[k], n);
    fill(nvc[k], n);
  }
}

double planbytes(int n) {
  constexpr size_t d = sizeof(double), i = sizeof(int);
  constexpr size_t path = 2 * i + 3 * d + sizeof(Pose);  // sgnK, drive, s, Kseg, phiSeg, Pj
  constexpr size_t clothoid = (3 + 4) * d;                // sc, sc3, Kc, phiC
  constexpr size_t steps = 3 * (2 * d + 2 * i + d + 2 * 3 * d + 3 * i);
  constexpr size_t schedule = 3 * (2 * 2 * d + 2 * i + i + 3 * 5 * d + 5 * i + 3 * d + i);
  return static_cast<double>(n) * static_cast<double>(path + clothoid + steps + schedule);
}

}  // namespace agv
