// CP tracking run.
#pragma once

#include "agv/cp.h"
#include "base/model.h"
#include "cp/arclen.h"

namespace agv {

// Runs the three mechanisms along the curve into r.run, r.NN and r.TCP;
// NN[2] on success, maxSteps when a run needs maxSteps records or more
// (r.refusal gets the mechanism and the count) or its reference point
// strays too far from the curve (CurveTooSharp, stage 2).
int caltraj(const Model& m, const CurveTable& t, CpResult& r);

}  // namespace agv
