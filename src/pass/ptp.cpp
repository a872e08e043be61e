// The PTP pass: plan, step tables, schedules, runs and extents.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "agv/ptp.h"
#include "base/model.h"
#include "motion/extents.h"
#include "motion/runs.h"
#include "motion/tracked.h"
#include "motion/varruns.h"
#include "ptp/clpath.h"
#include "ptp/planner.h"
#include "pass/legs.h"
#include "ptp/schedule.h"

namespace agv {

namespace {

Status refuse(PtpResult& r, Status s, int stage = 0) {
  r.refusal.status = s;
  r.refusal.stage = stage;
  return s;
}

// No run of a pass that did not finish.
void clearruns(PtpResult& r) {
  r.contacts = Contacts{};
  for (int k = 0; k < 3; ++k) {
    for (Runs* runs : {&r.arc[k], &r.cl[k]}) {
      runs->ref.clear();
      runs->cv.clear();
      runs->err.clear();
      runs->vv.clear();
      runs->tr.clear();
      runs->xte.clear();
    }
    r.bndPTP[k] = Extent{};
  }
}

// The memory the runs of a plan will take [MiB], and their most time steps: every run of the
// step tables and the schedules, reference, AGV and error records, the variable-velocity
// records (mechanism 0 copies its reference) and the tracked runs at their bound.
double records(const PtpResult& r, int& most, bool tracked = true) {
  size_t n = 0;
  double track = 0.0;
  most = 0;
  for (int k = 0; k < 3; ++k) {
    const int runs[4] = {r.steps.nSeg[k][TOTAL], r.steps.nc[k][TOTAL],
                         k == 0 ? r.steps.nSeg[k][TOTAL] : r.schedule.nvSeg[k][TOTAL],
                         k == 0 ? r.steps.nc[k][TOTAL] : r.schedule.nvc[k][TOTAL]};
    for (int i = 0; i < 4; ++i) {
      n += static_cast<size_t>(runs[i] + 1) * (i < 2 ? 3 : 1);
      most = std::max(most, runs[i]);
    }
    if (tracked && r.params.controller != NoController)
      track += (runs[0] + runs[1] + 2) * kTrackRecord;
  }
  return (static_cast<double>(n * sizeof(Record)) + track) / kMiB;
}

}  // namespace

double reduceheading(double deg) {
  if (deg > -180.0 && deg <= 180.0) return deg;
  double r = std::fmod(deg, 360.0);  // exact, within (-360, 360)
  if (r > 180.0) r -= 360.0;         // exact: r and 360 are within a factor of two
  if (r <= -180.0) r += 360.0;
  return r;
}

namespace {

// The start and end poses as the planner takes them: the start heading converted exactly, so
// that moving both poses by one rigid motion moves the path with it; the end heading the start
// heading and the turn between them, reduced into (-180, 180] as the planner's joins take it
// (from (0, 0, 0) the typed one, reduced, as ever).
void plannerposes(const Waypoint& start, const Waypoint& end, Pose& P0, Pose& PF) {
  P0 = Pose{start.x, start.y, reduceheading(start.thDeg) * (std::numbers::pi / 180), 0.0};
  PF = Pose{end.x, end.y, P0.th + reduceheading(end.thDeg - start.thDeg) * DEG2RAD, 0.0};
}

bool finite(const Waypoint& w) {
  return std::isfinite(w.x) && std::isfinite(w.y) && std::isfinite(w.thDeg);
}

}  // namespace

PlanWord planOnly(const Params& p, const Waypoint& start, const Waypoint& end) {
  PlanWord out;
  if (!validparams(p)) {
    out.status = Status::BadParams;
    return out;
  }
  if (!finite(start) || !finite(end)) {
    out.status = Status::BadPose;
    return out;
  }
  Pose P0, PF;
  plannerposes(start, end, P0, PF);
  Word w;
  if (p.reverse != 0) {
    reedsshepp(P0, PF, p.Ra, p.reverseCost, p.cuspCost, w);
    out.Rarc = p.Ra;
    if (!std::isfinite(w.length)) out.status = Status::PathTooLong;
  } else if (planjoin(P0, PF, p.Ra, p.threeArcs != 0, w, out.Rarc) < 0) {
    out.status = Status::PathTooLong;
  }
  if (out.status != Status::Done) return out;
  out.n = w.n;
  for (int j = 0; j < w.n; ++j) {
    out.sgnK[j] = w.seg[j].k;
    out.drive[j] = w.seg[j].dir;
    out.s[j] = w.seg[j].len;
  }
  out.length = w.length;
  return out;
}

Status planleg(const Params& p, const Waypoint& start, const Waypoint& end, double phiStart,
               PtpResult& r) {
  r.refusal = Refusal{};
  r.params = p;
  r.start = start;
  r.end = end;
  r.planned = false;
  r.path = ArcPath{};
  r.clothoid = ClothoidPath{};
  r.steps = Steps{};
  r.schedule = Schedule{};
  r.schedule.phiStart = phiStart;
  clearruns(r);
  if (!validparams(p)) return refuse(r, Status::BadParams);
  if (!finite(start) || !finite(end)) return refuse(r, Status::BadPose);

  const Model m = makemodel(p, Kind::PTP);
  Pose P0, PF;
  plannerposes(start, end, P0, PF);
  if (calPTP(m, P0, PF, r.path) == 0) return refuse(r, Status::PathTooLong, 0);
  if (calclothoid(m, r.path, r.clothoid, r.steps) == 0 ||
      calvelPTP(m, r.path, r.clothoid, r.steps, r.schedule) == 0)
    return refuse(r, Status::PathTooLong, 1);
  r.refusal.value = records(r, r.refusal.count);
  if (r.refusal.value > p.maxMemory) {
    r.refusal.limit = p.maxMemory;
    return refuse(r, Status::TooMuchMemory);
  }
  r.refusal = Refusal{};
  r.planned = true;
  return Status::Done;
}

Status planPTP(const Params& p, const Waypoint& start, const Waypoint& end, PtpResult& r) {
  return planleg(p, start, end, 0.0, r);
}

Status planPTP(const Params& p, double xf, double yf, double thfDeg, PtpResult& r) {
  return planPTP(p, Waypoint{}, Waypoint{xf, yf, thfDeg}, r);
}

Status runPTP(PtpResult& r) {
  if (!r.planned || r.refusal.status != Status::Done) return Status::NotPlanned;
  const Model m = makemodel(r.params, Kind::PTP);
  int n = caltrajPTP(m, r);
  if (n < m.maxSteps) n = caltrajVV(m, r);
  if (n >= m.maxSteps) {
    // A variable-velocity run says nothing of its own.
    if (r.refusal.status != Status::RunTooLong) {
      r.refusal.run = 'v';
      r.refusal.count = m.maxSteps;
    }
    clearruns(r);
    return refuse(r, Status::RunTooLong);
  }
  int most = 0;
  const long steps = trackbound(m, records(r, most, false) * kMiB, 6, m.maxSteps);
  for (int k = 0; k < 3; ++k)
    for (Runs* runs : {&r.arc[k], &r.cl[k]}) trackruns(m, k, m.dt, steps, *runs);
  extentsPTP(r);
  return Status::Done;
}

Status passPTP(const Params& p, const Waypoint& start, const Waypoint& end, PtpResult& r) {
  const Status s = planPTP(p, start, end, r);
  return s == Status::Done ? runPTP(r) : s;
}

Status passPTP(const Params& p, double xf, double yf, double thfDeg, PtpResult& r) {
  return passPTP(p, Waypoint{}, Waypoint{xf, yf, thfDeg}, r);
}

}  // namespace agv
