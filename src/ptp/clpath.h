// Clothoid-line PTP path and the step tables of the constant-velocity runs.
#pragma once

namespace agv {

// A segment shorter than this [m] is taken as vanishing: it gets no
// clothoids and no steps.
constexpr double sVanish = 1e-5;

// Arc-line step tables, [k][j]; [k][3] totals.
extern double Tseg[3][4];
extern double dtSeg[3][3];
extern int nSeg[3][4];

// Clothoid-line path.
extern double sc[3];
extern double sc3[3][4];
extern double Kc[3];
extern double phiC[3];
extern double Kcs;

// Clothoid-line step tables.
extern double Tc[3][4];
extern double Tc3[3][3][3];
extern double dtc3[3][3][3];
extern int nc3[3][3][3];
extern int nc[3][4];

// 1 on success, 0 when a step total reaches MAX.
int calclothoid();

// Sums the step counts n[0..2] of the three segments into n[3]; 1 when the
// total is below MAX, 0 after the too-long message.
int steptotal(int n[4]);

}  // namespace agv
