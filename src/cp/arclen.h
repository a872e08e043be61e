// CP arc-length table, its inverse and the path step count.
#pragma once

#include "control/params.h"
#include "cp/curves.h"

namespace agv {

// Rows {u, s} from u = 0 in steps of 0.01 up to uend[I].
extern double utab[NCURVE][MAX][2];

// 1 when the parameter range of curve I fits the table, 0 (after a
// message) when it does not.
int chkrange(int I);

void caltab(int I);
double s2u(double ug, double s, int I);
int calpath(int I);

}  // namespace agv
