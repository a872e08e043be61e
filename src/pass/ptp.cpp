// The PTP pass: plan, step tables, schedules, runs and extents.
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "agv/ptp.h"
#include "agv/search.h"
#include "base/model.h"
#include "motion/extents.h"
#include "motion/runs.h"
#include "motion/tracked.h"
#include "motion/vehicle.h"
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
    const int runs[4] = {r.steps.nSeg[k].total, r.steps.nc[k].total,
                         k == 0 ? r.steps.nSeg[k].total : r.schedule.nvSeg[k].total,
                         k == 0 ? r.steps.nc[k].total : r.schedule.nvc[k].total};
    for (int i = 0; i < 4; ++i) {
      n += static_cast<size_t>(runs[i] + 1) * (i < 2 ? 3 : 1);
      most = std::max(most, runs[i]);
    }
    if (tracked && r.params.controller != NoController)
      track += (runs[0] + runs[1] + 2) * kTrackRecord;
  }
  return (static_cast<double>(n * sizeof(Record)) + track) / kMiB;
}

// The memory the tables of a plan of n segments take beyond the five a result held within
// itself before paths had more [MiB].
double tables(int n) { return n > kSegMax ? planbytes(n - kSegMax) / kMiB : 0.0; }

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
// heading and the turn between them, reduced into (-180, 180] as the planner's joins take it,
// converted exactly, or with DEG2RAD where `simulator` (from (0, 0, 0) the typed heading, reduced,
// times DEG2RAD, as ever).
void plannerposes(const Waypoint& start, const Waypoint& end, bool simulator, Pose& P0, Pose& PF) {
  P0 = Pose{start.x, start.y, reduceheading(start.thDeg) * kRadPerDeg, 0.0};
  const double turn = reduceheading(end.thDeg - start.thDeg);
  PF = Pose{end.x, end.y, P0.th + turn * (simulator ? DEG2RAD : kRadPerDeg), 0.0};
}

// Whether a pass is the simulator's own, a forward path from the origin (0, 0, 0 deg): the one
// pass whose end heading keeps DEG2RAD, and with it every byte it ever wrote.
bool simulatorpass(const Params& p, const Waypoint& start) {
  return p.reverse == 0 && start.x == 0 && start.y == 0 && reduceheading(start.thDeg) == 0;
}

}  // namespace

PlanWord planOnly(const Params& p, const Waypoint& start, const Waypoint& end) {
  PlanWord out;
  if (!validparams(p)) {
    out.status = Status::BadParams;
    return out;
  }
  if (!finite(start) || !finite(end) || !within(start) || !within(end)) {
    out.status = Status::BadPose;
    return out;
  }
  Pose P0, PF;
  plannerposes(start, end, false, P0, PF);
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

namespace {

// A result made ready for a plan: the poses asked for, nothing planned, no runs, the tables
// empty with their memory kept.
void begin(const Params& p, const Waypoint& start, const Waypoint& end, double phiStart,
           PtpResult& r) {
  r.refusal = Refusal{};
  r.params = p;
  r.start = start;
  r.end = end;
  r.planned = false;
  r.path.reset(0);
  r.clothoid.reset(0);
  r.steps.reset(0);
  r.schedule.reset(0);
  r.schedule.phiStart = phiStart;
  r.search = Searched{};
  clearruns(r);
}

// The clothoid-line path, the step tables and the schedules of the path planned, within the
// step and memory bounds.
Status finish(const Model& m, PtpResult& r) {
  if (calclothoid(m, r.path, r.clothoid, r.steps) == 0 ||
      calvelPTP(m, r.path, r.clothoid, r.steps, r.schedule) == 0)
    return refuse(r, Status::PathTooLong, 1);
  r.refusal.value = records(r, r.refusal.count) + tables(r.path.nseg);
  if (r.refusal.value > r.params.maxMemory) {
    r.refusal.limit = r.params.maxMemory;
    return refuse(r, Status::TooMuchMemory);
  }
  r.refusal = Refusal{};
  r.planned = true;
  return Status::Done;
}

// A segment of a path given as its segments is one the vehicle of p can drive: backward only
// where it may back up (reverse=1), whose runs then look for cusps.
bool drivable(const Params& p, const PathSegment& g) {
  return g.k >= -1 && g.k <= 1 && (g.drive == 1 || (g.drive == -1 && p.reverse != 0)) &&
         g.len >= 0 && std::isfinite(g.len);
}

}  // namespace

Status planleg(const Params& p, const Waypoint& start, const Waypoint& end, double phiStart, int from,
               PtpResult& r) {
  begin(p, start, end, phiStart, r);
  if (!validparams(p)) return refuse(r, Status::BadParams);
  if (!finite(start) || !finite(end)) return refuse(r, Status::BadPose);
  if (!simulatorpass(p, start) && (!within(start) || !within(end))) return refuse(r, Status::BadPose, 1);

  const Model m = makemodel(p, Kind::PTP);
  Pose P0, PF;
  plannerposes(start, end, simulatorpass(p, start), P0, PF);
  if (calPTP(m, P0, PF, r.path, from) == 0) return refuse(r, Status::PathTooLong, 0);
  return finish(m, r);
}

Status planlegpath(const Params& p, const Waypoint& start, const Waypoint* end,
                   const std::vector<PathSegment>& segments, double phiStart, PtpResult& r) {
  begin(p, start, end != nullptr ? *end : start, phiStart, r);
  if (!validparams(p)) return refuse(r, Status::BadParams);
  if (!finite(start) || (end != nullptr && !finite(*end))) return refuse(r, Status::BadPose);
  if (!within(start) || (end != nullptr && !within(*end))) return refuse(r, Status::BadPose, 1);
  for (size_t j = 0; j < segments.size(); ++j)
    if (!drivable(p, segments[j])) {
      r.refusal.count = static_cast<int>(std::min<size_t>(j + 1, INT_MAX));
      return refuse(r, Status::BadPath, 0);
    }
  // The tables of the segments count towards maxMemory before they are made.
  const double mib = tables(static_cast<int>(std::min<size_t>(segments.size(), INT_MAX)));
  if (segments.size() > static_cast<size_t>(INT_MAX) || mib > p.maxMemory) {
    r.refusal.value = mib;
    r.refusal.limit = p.maxMemory;
    return refuse(r, Status::TooMuchMemory);
  }

  const Model m = makemodel(p, Kind::PTP);
  Pose P0, PF;
  plannerposes(start, start, false, P0, PF);
  calsegments(m, P0, segments, PF, r.path);
  if (end != nullptr) {
    Pose E0, EF;
    plannerposes(start, *end, false, E0, EF);
    const double gap = std::max({std::fabs(PF.x - EF.x), std::fabs(PF.y - EF.y),
                                 std::fabs(reduceangle(PF.th - EF.th))});
    if (!(gap <= kEndGap)) {
      r.refusal.value = gap;
      return refuse(r, Status::BadPath, 1);
    }
    EF.s = r.path.sf;
    r.path.Pf = EF;
  } else {
    r.end = Waypoint{PF.x, PF.y, reduceheading(reduceangle(PF.th) / kRadPerDeg)};
  }
  return finish(m, r);
}

Status planPTP(const Params& p, const Waypoint& start, const Waypoint& end, PtpResult& r) {
  return planleg(p, start, end, 0.0, 0, r);
}

Status planPTP(const Params& p, double xf, double yf, double thfDeg, PtpResult& r) {
  return planPTP(p, Waypoint{}, Waypoint{xf, yf, thfDeg}, r);
}

Status planlegmap(const Params& p, const MapIndex& ix, const Waypoint& start, const Waypoint& end,
                  double phiStart, SearchWork& work, SearchResult& found, PtpResult& r) {
  planInMap(p, ix, start, end, work, found);
  if (found.status == SearchStatus::Found) {
    const Status s = planlegpath(p, start, &end, found.segments, phiStart, r);
    r.search = Searched{true, found.cost, static_cast<int>(found.segments.size()), found.cusps,
                        found.expansions, found.seconds};
    return s;
  }
  begin(p, start, end, phiStart, r);
  if (found.status == SearchStatus::BadParams) return refuse(r, Status::BadParams);
  if (found.status == SearchStatus::BadPose) return refuse(r, Status::BadPose);
  r.refusal.stage = static_cast<int>(found.status);
  // The count of the refusal: the search's stage where it found the goal unreachable, the
  // expansions it made otherwise.
  const long count = found.status == SearchStatus::Unreachable ? found.stage : found.expansions;
  r.refusal.count = static_cast<int>(std::min<long>(count, INT_MAX));
  r.refusal.value = found.value;
  r.refusal.limit = found.limit;
  r.refusal.contact = found.contact;
  return refuse(r, Status::NoPathInMap, r.refusal.stage);
}

Status planPath(const Params& p, const Waypoint& start, const std::vector<PathSegment>& segments,
                PtpResult& r) {
  return planlegpath(p, start, nullptr, segments, 0.0, r);
}

Status planPath(const Params& p, const Waypoint& start, const Waypoint& end,
                const std::vector<PathSegment>& segments, PtpResult& r) {
  return planlegpath(p, start, &end, segments, 0.0, r);
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
