// CP arc-length table, its inverse and the path step count.
#pragma once

#include "control/base/params.h"
#include "cp/curves.h"

namespace agv {

// Rows {u, s} from u = 0 in steps of 0.01 up to uend[I].
extern double utab[NCURVE][MAX][2];
// Arc length of the step that ends at row k (the length from row k - 1).
extern double utabd[NCURVE][MAX];
// Index of the last used row, the one at uend[I].
extern int ntab[NCURVE];

// 1 when the parameter range of curve I fits the table, 0 (after a
// message) when it does not.
int chkrange(int I);

void caltab(int I);
// Parameter at arc length s from the start, ug a guess below the answer.
// 0 for s <= 0, uend[I] from the end on, NaN for NaN.
double s2u(double ug, double s, int I);
int calpath(int I);

}  // namespace agv
