// PTP constant-velocity runs.
#pragma once

#include "agv/ptp.h"
#include "base/model.h"

namespace agv {

// One run of mechanism k on the path of `variant` ('a' arc-line, 'b'
// clothoid-line) into out.ref, out.cv and out.err: the number of steps
// taken, or maxSteps when the step index would reach maxSteps (refusal gets
// the count refused).
int runptp(const Model& m, const PtpResult& r, char variant, int k, Runs& out, Refusal& refusal);

// The six runs (arc-line, then clothoid-line, types 1 to 3); the step
// count of the last, or maxSteps when a run is refused.
int caltrajPTP(const Model& m, PtpResult& r);

}  // namespace agv
