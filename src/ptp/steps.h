// Step tables of the PTP runs: how long each segment or phase takes and in
// how many equal steps it is run, per mechanism k.  Index TOTAL of a
// segment position holds the sum over the three segments.
#pragma once

namespace agv {

constexpr int TOTAL = 3;

// Printed by each PTP stage that finds the path too long for the
// time-series capacity.
inline constexpr char msgTooLong[] = "\n経路長長過ぎる．経路設定し直し";

// Sums the step counts n[0..2] of the three segments into n[TOTAL]; 1 when
// the total is below MAX, 0 after the too-long message.
int steptotal(int n[4]);

// Constant-velocity runs (written by calclothoid).
// Arc-line path, [k][j]:
extern double Tseg[3][4];  // time of segment j
extern double dtSeg[3][3]; // step length in time
extern int nSeg[3][4];     // steps
// Clothoid-line path, [k][j] and [k][j][m] for part m of segment j:
extern double Tc[3][4];
extern double Tc3[3][3][3];
extern double dtc3[3][3][3];
extern int nc3[3][3][3];
extern int nc[3][4];

// Variable-velocity runs of the steered mechanisms (written by calvelPTP;
// the totals of mechanism 0 are those of its constant-velocity runs).
// Arc-line path, phase p = 0 steering, 1 running:
extern double Tv[3][3][2];
extern double dtv2[3][3][2];
extern int nv2[3][3][2];
extern int nvSeg[3][4];
// Clothoid-line path, phases m = 0..4:
extern double sv5[3][3][5];
extern double Tv5[3][3][5];
extern double dtv5[3][3][5];
extern int nv5[3][3][5];
extern double Vc[3][3];
extern double Wc[3][3];
extern double dtvl[3][3];
extern int nvc[3][4];

}  // namespace agv
