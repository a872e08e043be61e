// CP tracking run.
#pragma once

#include "control/params.h"

namespace agv {

// Records 0..NN[k]; one more than MAX so that the end record always fits.
constexpr int MAXCP = MAX + 1;
constexpr int RU = 6;              // field of the curve parameter in refCP
extern double refCP[3][MAXCP][7];  // s, th, x, y, phi, kap, u
extern double cvCP[3][MAXCP][6];   // s, th, x, y, phi, kap
extern double errCP[3][MAXCP][6];
extern int NN[3];
extern double TCP[3];

// Runs the three mechanisms along curve I; NN[2] on success, MAX (after
// a message) when a run needs MAX records or more.
int caltraj(int I);

}  // namespace agv
