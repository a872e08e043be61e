// Console dialogue: asks for the path and computes everything the window
// shows.
#pragma once

namespace agv {

// Extents {largest, smallest, larger magnitude} per mechanism.
extern double bndPTP[3][3];
extern double bndCP[3][3];
extern double bndCPk[3][3];

// One dialogue pass.
void dialogue();

// Length check of CP curve I: 1 when it may be used, 0 when too long.
// Stores the length in Pfcp[I][3].
int chklen(int I);

// Extent of the points pts[0..n] (x and y pooled).
void bounds(int n, const double (*pts)[2], double out[3]);

// The extents that scale the graphs, from the runs just computed: bndPTP
// from the arc-line reference of each type, bndCP and bndCPk from the CP
// records.
void extentsPTP();
void extentsCP();

}  // namespace agv
