// Passes in a map: where their paths and runs first touch it.
#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "agv/cp.h"
#include "agv/map.h"
#include "agv/ptp.h"
#include "agv/route.h"
#include "agv/search.h"
#include "agv/track.h"
#include "pass/legs.h"

namespace agv {

namespace {

// The contact c of a pose, with where and when it lies.
Contact placed(Contact c, long index, double t, double s, double x, double y, double th) {
  c.index = index;
  c.t = t;
  c.s = s;
  c.x = x;
  c.y = y;
  c.th = th;
  return c;
}

// The first pose of a path that collides, the path given by the records [first, last) of its
// reference run: each record, and between two records farther apart than half a cell, poses
// evenly on the chord between them (records a time step apart on arcs of Ra or wider: the chord
// strays from the path by a small part of its length).  The time and distance of a pose between
// records are the records' in proportion.
template <class R>
Contact pathcontact(const MapIndex& ix, const std::vector<R>& ref, size_t first, size_t last) {
  const double gap = samplespacing(ix);
  for (size_t i = first; i < last; ++i) {
    const R& a = ref[i];
    if (const Contact c = collides(ix, a.x, a.y, a.th))
      return placed(c, static_cast<long>(i), a.t, a.s, a.x, a.y, a.th);
    if (i + 1 >= last) break;
    const R& b = ref[i + 1];
    const double d = std::hypot(b.x - a.x, b.y - a.y);
    if (!(d > gap)) continue;
    const double n = std::ceil(d / gap);
    for (double j = 1; j < n; ++j) {
      const double f = j / n;
      const double x = a.x + f * (b.x - a.x), y = a.y + f * (b.y - a.y), th = a.th + f * (b.th - a.th);
      if (const Contact c = collides(ix, x, y, th))
        return placed(c, static_cast<long>(i), a.t + f * (b.t - a.t), a.s + f * (b.s - a.s), x, y,
                      th);
    }
  }
  return Contact{};
}

// The first record of [first, last) of a run that collides.
Contact runcontact(const MapIndex& ix, const std::vector<Record>& run, size_t first, size_t last) {
  last = std::min(last, run.size());
  if (first >= last) return Contact{};
  Contact c = firstcontact(ix, std::span<const Record>(run.data() + first, last - first));
  if (c) c.index += static_cast<long>(first);
  return c;
}

// The records of leg `leg` in a route's run, by the leg of each record: [first, last).
void legspan(const std::vector<int>& legs, int leg, size_t& first, size_t& last) {
  first = static_cast<size_t>(std::lower_bound(legs.begin(), legs.end(), leg) - legs.begin());
  last = static_cast<size_t>(std::upper_bound(legs.begin(), legs.end(), leg) - legs.begin());
}

constexpr size_t kAll = static_cast<size_t>(-1);

// The contacts of the paths and runs of a pass or a route (its leg `leg`, or all of it for -1).
template <class R>
void pathcontacts(const MapIndex& ix, const R& r, int leg, Contacts& out) {
  out = Contacts{};
  out.checked = true;
  for (int b = 0; b < 2; ++b)
    for (Mechanism m : kMechanisms) {
      const int k = index(m);
      const auto& runs = b == 0 ? r.arc[k] : r.cl[k];
      size_t first = 0, last = kAll, vfirst = 0, vlast = kAll;
      if constexpr (std::is_same_v<R, RouteResult>) {
        if (leg >= 0) {
          legspan(runs.leg, leg, first, last);
          legspan(runs.vleg, leg, vfirst, vlast);
        }
      }
      if (k == 0) out.path[b] = pathcontact(ix, runs.ref, first, std::min(last, runs.ref.size()));
      out.cv[b][k] = runcontact(ix, runs.cv, first, last);
      out.vv[b][k] = runcontact(ix, runs.vv, vfirst, vlast);
      // The tracked AGV drives a route as one path: no leg of its own.
      if (leg < 0) out.tr[b][k] = runcontact(ix, runs.tr, 0, kAll);
    }
}

}  // namespace

void findcontacts(const MapIndex& ix, PtpResult& r) { pathcontacts(ix, r, -1, r.contacts); }

void findcontacts(const MapIndex& ix, RouteResult& r) {
  pathcontacts(ix, r, -1, r.contacts);
  for (size_t i = 0; i < r.legs.size(); ++i)
    pathcontacts(ix, r, static_cast<int>(i), r.legs[i].contacts);
}

void findcontacts(const MapIndex& ix, CpResult& r) {
  r.contacts = Contacts{};
  r.contacts.checked = true;
  r.contacts.path[0] = pathcontact(ix, r.run[0].ref, 0, r.run[0].ref.size());
  for (Mechanism m : kMechanisms) {
    const CpRuns& run = r.runs(m);
    r.contacts.cv[0][index(m)] = runcontact(ix, run.cv, 0, kAll);
    r.contacts.tr[0][index(m)] = runcontact(ix, run.tr, 0, kAll);
  }
}

Status planPTP(const Params& p, const Waypoint& start, const Waypoint& end, const MapIndex& map,
               PtpResult& r) {
  SearchWork work;
  SearchResult found;
  return planlegmap(p, map, start, end, 0.0, work, found, r);
}

Status passPTP(const Params& p, const Waypoint& start, const Waypoint& end, const MapIndex& map,
               PtpResult& r) {
  Status s = planPTP(p, start, end, map, r);
  if (s == Status::Done) s = runPTP(r);
  if (s == Status::Done) findcontacts(map, r);
  return s;
}

Status passCP(const Params& p, const Curve& c, const MapIndex& map, CpResult& r) {
  const Status s = passCP(p, c, r);
  if (s == Status::Done) findcontacts(map, r);
  return s;
}

Status passTrack(const Params& p, const Track& t, const MapIndex& map, TrackResult& r) {
  const Status s = passTrack(p, t, r);
  if (s == Status::Done) findcontacts(map, r);
  return s;
}

Status planRoute(const Params& p, const std::vector<Waypoint>& waypoints, const MapIndex& map,
                 RouteResult& r) {
  return planroute(p, waypoints, &map, r);
}

Status passRoute(const Params& p, const std::vector<Waypoint>& waypoints, const MapIndex& map,
                 RouteResult& r) {
  Status s = planRoute(p, waypoints, map, r);
  if (s == Status::Done) s = runRoute(r);
  if (s == Status::Done) findcontacts(map, r);
  return s;
}

}  // namespace agv
