// What the passes along a curve share, a CP curve's and a track's: the checks of its range and
// length, its arc-length table, and its runs.
#pragma once

#include <cstddef>

#include "agv/cp.h"
#include "base/model.h"
#include "cp/arclen.h"
#include "cp/curves.h"

namespace agv {

// r emptied for a new pass of curve k with the parameters p.
void resetcurve(CpResult& r, const Params& p, const Curve& k);

// The ends of the curve c of r, its range against the table, its length against the step
// capacity, its arc-length table: Done (r planned), or the refusal.
Status plancurve(const Model& m, const CurveModel& c, CpResult& r);

// The table of the curve c of r, as the inversion reads it.
CurveTable tableof(const CpResult& r, const CurveModel& c);

// The step counts, the runs and the extents of the curve c of r, planned; `extra` the bytes
// that the curve itself holds, counted with the records against maxMemory.
Status runcurve(CpResult& r, const CurveModel& c, size_t extra);

}  // namespace agv
