// Variable-velocity schedule of the PTP paths (mechanisms k = 1, 2).
#pragma once

namespace agv {

// Arc-line path: phase p = 0 steering, 1 running.
extern double Tv[3][3][2];
extern double dtv2[3][3][2];
extern int nv2[3][3][2];
extern int nvSeg[3][4];

// Clothoid-line path: phases m = 0..4.
extern double sv5[3][3][5];
extern double Tv5[3][3][5];
extern double dtv5[3][3][5];
extern int nv5[3][3][5];
extern double Vc[3][3];
extern double Wc[3][3];
extern double dtvl[3][3];
extern int nvc[3][4];

// 1 on success, 0 when a step total reaches MAX.
int calvelPTP();

}  // namespace agv
