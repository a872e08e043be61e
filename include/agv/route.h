// Routes: waypoints one after another, each leg a PTP path from one to the next, driven
// without a break.
//
// Each leg is planned with the same parameters.  The runs carry on from leg to leg: on every
// leg each mechanism's constant-velocity and variable-velocity AGV starts in the state it
// ended the leg before in (position, heading, steering angle, time, distance), while the
// reference point starts on the leg's first waypoint; the error carries on.
//
//   std::vector<agv::Waypoint> w = {{0, 0, 0}, {4, 2, 90}, {0, 6, 180}};
//   auto r = std::make_unique<agv::RouteResult>();
//   if (agv::passRoute(agv::Params{}, w, *r) == agv::Status::Done)
//     ... r->arcruns(agv::Mechanism::M1FDW1FS).cv ...
#pragma once

#include <vector>

#include "agv/ptp.h"

namespace agv {

// The most waypoints a route may have.
inline constexpr int kRouteMax = 100000;

// The runs of one mechanism on one path of a route: the records of its legs one after another,
// each leg's whole (the last record of a leg and the first of the next hold the same state of
// the AGVs), and the leg of each record.
struct RouteRuns : Runs {
  std::vector<int> leg;   // [n] the leg of ref, cv and err record n
  std::vector<int> vleg;  // [n] the leg of vv record n
};

// Everything a route pass computes.
struct RouteResult {
  Refusal refusal;        // Done, or why the route stopped
  int leg = -1;           // the leg refused (0 ... legs - 1), or -1
  Params params;          // the parameters it was computed with
  bool planned = false;   // every leg is planned
  std::vector<Waypoint> waypoints;
  std::vector<PtpResult> legs;  // [i] the plan of leg i, from waypoint i to i + 1 (no runs)
  double sf = 0.0;              // length of the arc-line route
  double sfc = 0.0;             // length of the clothoid-line route
  int cusps = 0;                // changes of driving direction, at the waypoints too
  RouteRuns arc[3];             // [index(m)] on the arc-line path (filled by runRoute)
  RouteRuns cl[3];              // [index(m)] on the clothoid-line path
  Extent bndPTP[3];             // [index(m)] x and y of the arc-line reference runs
  Contacts contacts;            // where the route first touches the map of a pass with one (and
                                // each leg: its plan's contacts, its own records)
  // The runs of mechanism m on the arc-line and on the clothoid-line route.
  const RouteRuns& arcruns(Mechanism m) const { return arc[index(m)]; }
  const RouteRuns& clruns(Mechanism m) const { return cl[index(m)]; }
};

// The plans of the legs (BadRoute: fewer than two waypoints or more than kRouteMax; a leg's
// refusal refuses the route, `leg` naming it; TooMuchMemory: the runs of the whole route
// would take more than maxMemory).
Status planRoute(const Params& p, const std::vector<Waypoint>& waypoints, RouteResult& r);

// The plans of the legs in a map: each leg's path searched round its obstacles, as planPTP plans
// a path in a map (NoPathInMap for a leg whose search finds none, `leg` naming it).
Status planRoute(const Params& p, const std::vector<Waypoint>& waypoints, const MapIndex& map,
                 RouteResult& r);

// The runs of every leg, one after another, and the extents (planRoute first).
Status runRoute(RouteResult& r);

// planRoute, then runRoute.
Status passRoute(const Params& p, const std::vector<Waypoint>& waypoints, RouteResult& r);

// A route in a map: planRoute in the map, runRoute, then findcontacts with the map's index,
// built for p's body.
Status passRoute(const Params& p, const std::vector<Waypoint>& waypoints, const MapIndex& map,
                 RouteResult& r);

// The first contacts of the whole route (r.contacts) and of each leg's records (the leg's
// r.legs[i].contacts; the tracked AGV, which drives the route as one path, the route's only)
// with the map of ix.
void findcontacts(const MapIndex& ix, RouteResult& r);

// The summary of a route that is done, over the whole route (leg -1) or one leg: [0][k] the
// arc-line runs of mechanism k, [1][k] the clothoid-line runs; a leg's durations are its own.
PtpSummary summarize(const RouteResult& r, int leg = -1);

// Why a route did not finish, in English, the leg named; empty for Done.
std::string reason(const RouteResult& r);

}  // namespace agv
