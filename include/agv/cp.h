// CP (continuous path) curves: the reference point runs along one of nine
// analytic curves at the AGV's speed; each mechanism (agv::Mechanism) follows it
// at constant speed with its own steering.
//
//   agv::CpResult r;
//   if (agv::passCP(agv::Params{}, {16, 0.2, 3}, r) == agv::Status::Done)
//     ... r.runs(agv::Mechanism::M1FDW1FS).cv ...
#pragma once

#include <vector>

#include "agv/params.h"
#include "agv/types.h"

namespace agv {

struct MapIndex;  // agv/map.h

// A curve of the catalogue and its constants, in the order the set-up asks
// for them:
//   1 cosine y = A(1 - cos(2 pi x / L))          a = A, b = L
//   2 cycloid y = A(x/L - sin(2 pi x / L) / 2pi)   a = A, b = L
//   3 quadratic y = A (x/L)^2                    a = A, b = L
//   4 cubic y = A (x/L)^3                        a = A, b = L
//   11 ellipse r = AB / sqrt(A^2 sin^2 + B^2 cos^2)   a = A, b = B
//   12 Archimedes spiral r = A beta / 2pi       a = A, b = turns
//   13 cardioid r = A (cardioidB - cos beta)    a = A (b unused)
//   14 rose r = A sin(n beta)                   a = A, b = n
//   16 wavy circle r = wavyR + A cos(n beta)    a = A, b = n
struct Curve {
  int I = 1;
  double a = 0.0;
  double b = 0.0;
};
inline constexpr double cardioidB = 1.2;
inline constexpr double wavyR = 2.0;

// True for the nine curve numbers.
bool iscurve(int I);
// The number of constants curve I takes (2, or 1 for the cardioid); 0 for a
// number outside the catalogue.
int nconsts(int I);
// True when the constants define a curve that can be evaluated: no division
// by zero, a finite range, and for the polar curves no shrinking to the origin.
bool curvedefined(const Curve& c);

// One row of the arc-length table: the parameter u, the length from the
// start, and the length from the row before.  Rows follow u in steps of
// 0.01; where the curve bends too sharply for one such step, the step is cut
// into parts (`part`), each short enough for a single Simpson panel.
struct TabRow {
  double u = 0.0;
  double s = 0.0;
  double d = 0.0;
  bool part = false;
};

// The runs of one mechanism: records 0 ... NN, every dtCP seconds, the last
// one at the end of the curve.
struct CpRuns {
  std::vector<CurveRecord> ref;  // reference point, with its curve parameter
  std::vector<Record> cv;        // constant-velocity AGV
  std::vector<Record> err;       // cv - ref
  std::vector<Record> tr;        // the tracked AGV, as in Runs
  std::vector<double> xte;       // its cross-track errors [m]
};

// Everything a CP pass computes.
struct CpResult {
  Refusal refusal;       // Done, or why the pass stopped
  Params params;         // the parameters it was computed with
  bool planned = false;  // the checks are done and the length known
  Curve curve;
  double uend = 0.0;     // end of the parameter range
  Pose P0cp, Pfcp;       // start and end pose of the curve
  double length = 0.0;   // length of the curve
  std::vector<TabRow> utab;  // arc-length table
  CpRuns run[3];             // [index(m)] the runs of mechanism m
  int NN[3] = {};            // [index(m)] the last record
  double TCP[3] = {};        // [index(m)] duration of the run
  Extent bndCP[3];           // [index(m)] x and y of the reference run
  Extent bndCPk[3];          // [index(m)] curvature of the reference and AGV runs
  Contacts contacts;         // where the curve ([0]) and the runs first touch the map of a pass
                             // with one
  const CpRuns& runs(Mechanism m) const { return run[index(m)]; }
};

// The checks of curve c: its constants, its range against the table and its
// length against the step capacity; its length and arc-length table.
Status planCP(const Params& p, const Curve& c, CpResult& r);

// The step counts, the runs and the extents (planCP first).
Status runCP(CpResult& r);

// planCP, then runCP.
Status passCP(const Params& p, const Curve& c, CpResult& r);

// A pass in a map: passCP, then findcontacts with the map's index, built for p's body.
Status passCP(const Params& p, const Curve& c, const MapIndex& map, CpResult& r);

// The first contacts of the curve and the runs of a pass that is done with the map of ix, into
// r.contacts (the curve and the runs in its [0]).
void findcontacts(const MapIndex& ix, CpResult& r);

// The summary of a pass that is done: [index(m)] the run of mechanism m.
struct CpSummary {
  RunSummary run[3];
  const RunSummary& of(Mechanism m) const { return run[index(m)]; }
};
CpSummary summarize(const CpResult& r);

}  // namespace agv
