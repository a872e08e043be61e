// Console dialogue: asks for the path and runs the pass that computes
// everything the window shows.
#pragma once

#include <vector>

#include "console/console.h"
#include "session/session.h"

namespace agv {

// One dialogue pass.
void dialogue(Session& s);

// The pass of a route, with its reports, for the window to show (the route
// its picture until a dialogue pass); false, the route refused (the console
// says so, and that the program ends), with its reason in s.route.
bool routepass(Session& s, const std::vector<Waypoint>& waypoints);

// The pass of a track, with its reports (its length and largest curvature,
// where it is tighter than the vehicle can steer and, in the session's map,
// where it and its runs first touch it), for the window to show as a CP curve
// (its picture until a dialogue pass); false, the track
// refused, with its reason in s.cp.refusal.
bool trackpass(Session& s, const Track& t);

// Printed by each PTP stage that finds the path too long for the step
// capacity.
inline constexpr const char* msgTooLong = con::text("\n経路長長過ぎる．経路設定し直し");

}  // namespace agv
