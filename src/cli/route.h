// Route and track files: the waypoints of a route, or the points of a track, as CSV, as both
// programs read them.
//
//   # a route (comments from '#' to the end of the line; blank lines skipped)
//   x,y,th
//   0, 0, 0
//   4, 2, 90      (x [m], y [m], th [deg]: one waypoint a line)
//
//   # a track: a header x,y or x,y,th, then one point a line, at least 3
//   x,y,th
//   0, 0, 0       (the heading th [deg] at the first point, or none: 0, 0)
//   4, 2
//   8, 0, -30     (and at the last point, or none)
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "agv/route.h"
#include "agv/track.h"

namespace agv::cli {

// The waypoints of the text of a route file (`name` names it in messages); false with one
// English line "NAME:LINE: ..." in err when the header is missing, a line has other than three
// fields, a field is not a finite number, or there are fewer than 2 or more than kRouteMax
// waypoints.
bool parseroute(std::string_view text, const std::string& name, std::vector<Waypoint>& w,
                std::string& err);

// The same from the file at path.
bool readroute(const std::string& path, std::vector<Waypoint>& w, std::string& err);

// A track as its file gives it, with the line of each point.
struct TrackFile {
  Track track;
  std::vector<int> lines;
};

// The track of the text of a track file (`name` names it in messages); false with one English
// line "NAME:LINE: ..." in err when the header is missing, a line has another number of fields
// than the header, a field is not a finite number, a heading is given at a point that is
// neither the first nor the last, a point repeats the one before it, the points lie too far
// apart for their distances to be added, or there are fewer than kTrackMin or more than
// kTrackMax points.
bool parsetrack(std::string_view text, const std::string& name, TrackFile& t, std::string& err);

// The same from the file at path.
bool readtrack(const std::string& path, TrackFile& t, std::string& err);

// A track of the file `name` that the pass refused as a bad track (Status::BadTrack, with its
// reason `why`), as "NAME:LINE: WHY", LINE the line of the point the refusal names.
std::string trackerror(const std::string& name, const TrackFile& t, const Refusal& r,
                       const std::string& why);

}  // namespace agv::cli
