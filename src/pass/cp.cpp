// The CP pass: checks, arc-length table, step counts, runs and extents.
#include <algorithm>
#include <cmath>

#include "agv/cp.h"
#include "motion/tracked.h"
#include "base/model.h"
#include "cp/arclen.h"
#include "cp/curves.h"
#include "cp/track.h"
#include "motion/extents.h"
#include "pass/curve.h"

namespace agv {

namespace {

Status refuse(CpResult& r, Status s) {
  r.refusal.status = s;
  return s;
}

// No run of a pass that did not finish.
void clearruns(CpResult& r) {
  r.contacts = Contacts{};
  for (int k = 0; k < 3; ++k) {
    r.run[k].ref.clear();
    r.run[k].cv.clear();
    r.run[k].err.clear();
    r.run[k].tr.clear();
    r.run[k].xte.clear();
    r.NN[k] = 0;
    r.TCP[k] = 0.0;
    r.bndCP[k] = Extent{};
    r.bndCPk[k] = Extent{};
  }
}

// The curve of r with its derived constants.
CurveModel setup(const CpResult& r) {
  CurveModel c = curvemodel(r.curve);
  curvsetup(c);
  return c;
}

}  // namespace

void resetcurve(CpResult& r, const Params& p, const Curve& k) {
  r.refusal = Refusal{};
  r.params = p;
  r.planned = false;
  r.curve = k;
  r.uend = 0.0;
  r.P0cp = Pose{};
  r.Pfcp = Pose{};
  r.length = 0.0;
  r.utab.clear();
  clearruns(r);
}

Status plancurve(const Model& m, const CurveModel& c, CpResult& r) {
  r.uend = c.uend;
  r.P0cp = Pose{c.P0[0], c.P0[1], c.P0[2], 0.0};
  r.Pfcp = Pose{c.Pf[0], c.Pf[1], c.Pf[2], 0.0};
  // A parameter range beyond the arc-length table is refused first: the
  // length of such a curve would take long to integrate for nothing.
  if (chkrange(c, m.maxSteps, r.refusal) == 0) return Status::RangeTooLong;
  const double smax = m.maxSteps * m.dsCP;
  switch (chklen(c, m.maxSteps, smax, r.length)) {
    case Status::Done:
      break;
    case Status::CurveTooLong:
      r.refusal.value = r.length;
      r.refusal.limit = smax;
      return refuse(r, Status::CurveTooLong);
    default:
      return refuse(r, Status::CurveTooSharp);
  }
  r.Pfcp.s = r.length;
  if (!caltab(c, m.maxSteps, r.length, r.utab)) {
    r.refusal.stage = 1;
    return refuse(r, Status::CurveTooSharp);
  }
  r.planned = true;
  return Status::Done;
}

Status planCP(const Params& p, const Curve& curve, CpResult& r) {
  resetcurve(r, p, curve);
  if (!validparams(p)) return refuse(r, Status::BadParams);
  if (!iscurve(curve.I)) return refuse(r, Status::UnknownCurve);
  const double consts[2] = {curve.a, curve.b};
  for (int i = 0; i < nconsts(curve.I); ++i)
    if (!std::isfinite(consts[i]) || consts[i] < 0) return refuse(r, Status::BadConstants);
  if (!curvedefined(curve)) return refuse(r, Status::UndefinedCurve);
  return plancurve(makemodel(p, Kind::CP), setup(r), r);
}

CurveTable tableof(const CpResult& r, const CurveModel& c) {
  const bool whole =
      std::none_of(r.utab.begin(), r.utab.end(), [](const TabRow& row) { return row.part; });
  return CurveTable{c, r.length, r.utab, whole};
}

Status runcurve(CpResult& r, const CurveModel& c, size_t extra) {
  const Model m = makemodel(r.params, Kind::CP);
  const CurveTable t = tableof(r, c);
  if (calpath(m, t, r.NN, r.TCP, r.refusal) >= m.maxSteps) {
    clearruns(r);
    return r.refusal.status;
  }
  // The runs' records, as the step counts promise them, the table and the tracked runs.
  size_t bytes = r.utab.capacity() * sizeof(TabRow) + extra;
  int most = 0;
  for (int k = 0; k < 3; ++k) {
    bytes += static_cast<size_t>(r.NN[k] + 2) * (sizeof(CurveRecord) + 2 * sizeof(Record));
    most = std::max(most, r.NN[k]);
  }
  double track = 0.0;
  if (m.controller != NoController)
    for (int k = 0; k < 3; ++k) track += (r.NN[k] + 1) * kTrackRecord;
  const double mib = (static_cast<double>(bytes) + track) / kMiB;
  if (mib > m.maxMemory) {
    r.refusal.run = 'c';
    r.refusal.count = most;
    r.refusal.value = mib;
    r.refusal.limit = m.maxMemory;
    clearruns(r);
    return refuse(r, Status::TooMuchMemory);
  }
  if (caltraj(m, t, r) >= m.maxSteps) {
    clearruns(r);
    return r.refusal.status;
  }
  const long steps = trackbound(m, static_cast<double>(bytes), 3, m.maxSteps);
  for (int k = 0; k < 3; ++k) trackruns(m, k, m.dtCP, steps, r.run[k]);
  extentsCP(r);
  return Status::Done;
}

Status runCP(CpResult& r) {
  // A track's curve is its spline, which runTrack builds.
  if (!r.planned || r.refusal.status != Status::Done || !iscurve(r.curve.I))
    return Status::NotPlanned;
  return runcurve(r, setup(r), 0);
}

Status passCP(const Params& p, const Curve& c, CpResult& r) {
  const Status s = planCP(p, c, r);
  return s == Status::Done ? runCP(r) : s;
}

}  // namespace agv
