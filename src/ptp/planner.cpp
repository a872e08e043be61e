// Arc-line PTP path planner: twelve candidate joins of arcs of the
// minimum turning radius and straight lines; the shortest is adopted.
#include "ptp/planner.h"

namespace agv {

int sgnK[3];
double s[3];
double sf;
double Rarc;
double Karc;
double Kseg[3];
double phiArc;
double phiSeg[3];
double P1[3], P2[3], Pf[3];

}  // namespace agv
