// Route files: the waypoints of a route as CSV, as both programs read them.
//
//   # a route (comments from '#' to the end of the line; blank lines skipped)
//   x,y,th
//   0, 0, 0
//   4, 2, 90      (x [m], y [m], th [deg]: one waypoint a line)
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "agv/route.h"

namespace agv::cli {

// The waypoints of the text of a route file (`name` names it in messages); false with one
// English line "NAME:LINE: ..." in err when the header is missing, a line has other than three
// fields, a field is not a finite number, or there are fewer than 2 or more than kRouteMax
// waypoints.
bool parseroute(std::string_view text, const std::string& name, std::vector<Waypoint>& w,
                std::string& err);

// The same from the file at path.
bool readroute(const std::string& path, std::vector<Waypoint>& w, std::string& err);

}  // namespace agv::cli
