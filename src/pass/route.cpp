// The route pass: a PTP plan for every leg, and the runs of the whole route, leg after leg.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "agv/route.h"
#include "agv/search.h"
#include "base/model.h"
#include "motion/extents.h"
#include "motion/runs.h"
#include "motion/tracked.h"
#include "motion/varruns.h"
#include "pass/legs.h"

namespace agv {

namespace {

Status refuse(RouteResult& r, Status s) {
  r.refusal.status = s;
  return s;
}

void clearruns(RouteResult& r) {
  r.contacts = Contacts{};
  for (int k = 0; k < 3; ++k) {
    for (RouteRuns* runs : {&r.arc[k], &r.cl[k]}) {
      runs->ref.clear();
      runs->cv.clear();
      runs->err.clear();
      runs->vv.clear();
      runs->leg.clear();
      runs->vleg.clear();
      runs->tr.clear();
      runs->xte.clear();
    }
    r.bndPTP[k] = Extent{};
  }
}

// The records of a leg's runs of mechanism k: [0] the arc-line reference and constant-velocity
// runs, [1] the clothoid-line ones, [2] and [3] the variable-velocity runs of each path.
struct LegRecords {
  size_t n[4];
};
LegRecords legrecords(const PtpResult& leg, int k) {
  const Steps& st = leg.steps;
  const Schedule& v = leg.schedule;
  const int runs[4] = {st.nSeg[k].total, st.nc[k].total, k == 0 ? st.nSeg[k].total : v.nvSeg[k].total,
                       k == 0 ? st.nc[k].total : v.nvc[k].total};
  LegRecords l{};
  for (int i = 0; i < 4; ++i) l.n[i] = static_cast<size_t>(runs[i] + 1);
  return l;
}

// The records of every run of the whole route [MiB]: those of its legs, and the leg of each,
// and the tracked runs (as large as the constant-velocity runs) unless `tracked` is false.
double records(const RouteResult& r, bool tracked = true) {
  size_t n = 0;
  double track = 0.0;
  for (const PtpResult& leg : r.legs)
    for (int k = 0; k < 3; ++k) {
      const LegRecords l = legrecords(leg, k);
      for (int i = 0; i < 4; ++i) n += l.n[i] * ((i < 2 ? 3 : 1) * sizeof(Record) + sizeof(int));
      if (tracked && r.params.controller != NoController)
        track += static_cast<double>(l.n[0] + l.n[1]) * kTrackRecord;
    }
  return (static_cast<double>(n) + track) / kMiB;
}

// Room for the records of the whole route at once, so that appending leg after leg never
// copies what the legs before wrote.
void reserve(RouteResult& r) {
  for (int k = 0; k < 3; ++k) {
    size_t n[4] = {0, 0, 0, 0};
    for (const PtpResult& leg : r.legs) {
      const LegRecords l = legrecords(leg, k);
      for (int i = 0; i < 4; ++i) n[i] += l.n[i];
    }
    for (int i = 0; i < 2; ++i) {
      RouteRuns& runs = i == 0 ? r.arc[k] : r.cl[k];
      runs.ref.reserve(n[i]);
      runs.cv.reserve(n[i]);
      runs.err.reserve(n[i]);
      runs.leg.reserve(n[i]);
      runs.vv.reserve(n[i + 2]);
      runs.vleg.reserve(n[i + 2]);
    }
  }
}

// The runs of leg i of mechanism k on the path of `variant`, appended to out: the constant-
// velocity run from where the leg before left its AGV, the variable-velocity run from its last
// record.  False when a run is refused (the route's refusal says why).
bool legruns(const Model& m, RouteResult& r, int i, char variant, int k, RouteRuns& out) {
  const PtpResult& leg = r.legs[static_cast<size_t>(i)];
  const size_t first = out.ref.size();
  const RunStart b = first == 0 ? startof(leg.path) : carryon(out);
  if (runptp(m, leg, variant, k, b, out, r.refusal) >= m.maxSteps) return false;
  out.leg.resize(out.ref.size(), i);
  if (k == 0) {
    copyref(out.ref, first, out.vv);
  } else {
    const Record start = out.vv.empty() ? vvstart(leg.path) : out.vv.back();
    if (vvrun(m, leg, variant, k, start, out.vv) >= m.maxSteps) {
      r.refusal.run = 'v';
      r.refusal.count = m.maxSteps;
      return false;
    }
  }
  out.vleg.resize(out.vv.size(), i);
  return true;
}

}  // namespace

Status planroute(const Params& p, const std::vector<Waypoint>& waypoints, const MapIndex* ix,
                 RouteResult& r) {
  r.refusal = Refusal{};
  r.leg = -1;
  r.params = p;
  r.planned = false;
  r.waypoints = waypoints;
  r.sf = r.sfc = 0.0;
  r.cusps = 0;
  clearruns(r);
  r.legs.clear();
  if (waypoints.size() < 2 || waypoints.size() > static_cast<size_t>(kRouteMax))
    return refuse(r, Status::BadRoute);
  r.legs.resize(waypoints.size() - 1);
  double phi = 0.0;  // the steering the arc-line variable-velocity runs carry on with
  int drive = 0;     // the driving direction the last leg ended in (0: none yet), which the next
                     // leg's plan knows, so that a change of it costs cuspCost there too
  std::optional<SearchWork> work;  // one for every leg searched in the map
  SearchResult found;
  if (ix != nullptr) work.emplace();
  for (size_t i = 0; i + 1 < waypoints.size(); ++i) {
    PtpResult& leg = r.legs[i];
    const Status s = ix != nullptr
                         ? planlegmap(p, *ix, waypoints[i], waypoints[i + 1], phi, *work, found, leg)
                         : planleg(p, waypoints[i], waypoints[i + 1], phi, drive, leg);
    if (s != Status::Done) {
      r.refusal = leg.refusal;
      r.leg = static_cast<int>(i);
      return s;
    }
    phi = leg.schedule.phiEnd;
    r.sf += leg.path.sf;
    r.sfc += leg.clothoid.sf;
    // The changes of driving direction: inside the leg, and at its first waypoint.
    const ArcPath& a = leg.path;
    r.cusps += a.cusps();
    if (a.nseg > 0 && drive != 0 && a.drive[0] != drive) ++r.cusps;
    if (a.nseg > 0) drive = a.drive[a.nseg - 1];
  }
  const double mib = records(r);
  if (mib > p.maxMemory) {
    r.refusal.value = mib;
    r.refusal.limit = p.maxMemory;
    for (const PtpResult& leg : r.legs)
      for (int k = 0; k < 3; ++k)
        r.refusal.count = std::max({r.refusal.count, leg.steps.nSeg[k].total, leg.steps.nc[k].total});
    return refuse(r, Status::TooMuchMemory);
  }
  r.planned = true;
  return Status::Done;
}

Status planRoute(const Params& p, const std::vector<Waypoint>& waypoints, RouteResult& r) {
  return planroute(p, waypoints, nullptr, r);
}

Status runRoute(RouteResult& r) {
  if (!r.planned || r.refusal.status != Status::Done) return Status::NotPlanned;
  const Model m = makemodel(r.params, Kind::PTP);
  clearruns(r);
  reserve(r);
  for (char variant : {'a', 'b'})
    for (int k = 0; k < 3; ++k) {
      RouteRuns& out = variant == 'a' ? r.arc[k] : r.cl[k];
      for (int i = 0; i < static_cast<int>(r.legs.size()); ++i) {
        if (!legruns(m, r, i, variant, k, out)) {
          r.leg = i;
          clearruns(r);
          return refuse(r, Status::RunTooLong);
        }
      }
    }
  // The tracked AGV drives the whole route, maxSteps steps for each leg at most.
  const long steps = trackbound(m, records(r, false) * kMiB, 6,
                                static_cast<long>(m.maxSteps) * static_cast<long>(r.legs.size()));
  for (int k = 0; k < 3; ++k)
    for (RouteRuns* runs : {&r.arc[k], &r.cl[k]}) trackruns(m, k, m.dt, steps, *runs);
  for (int k = 0; k < 3; ++k) {
    const std::vector<Record>& ref = r.arc[k].ref;
    r.bndPTP[k] = bounds(ref, &Record::x, ref, &Record::y);
  }
  return Status::Done;
}

Status passRoute(const Params& p, const std::vector<Waypoint>& waypoints, RouteResult& r) {
  const Status s = planRoute(p, waypoints, r);
  return s == Status::Done ? runRoute(r) : s;
}

std::string reason(const RouteResult& r) {
  const std::string why = reason(r.refusal, r.params);
  if (r.leg < 0) return why;
  const auto pose = [](const Waypoint& w) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "(%g, %g, %g deg)", w.x, w.y, w.thDeg);
    return std::string(buf);
  };
  const size_t i = static_cast<size_t>(r.leg);
  return "leg " + std::to_string(r.leg + 1) + " from " + pose(r.waypoints[i]) + " to " +
         pose(r.waypoints[i + 1]) + ": " + why;
}

}  // namespace agv
