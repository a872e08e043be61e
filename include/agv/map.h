// A world to drive in: an occupancy grid, the vehicle's body in it, and collision checks.
//
// A Map is a value the caller owns: cells free, occupied or unknown, row 0 the top row of the
// image (as the map files hold it), placed in the world by the pose of its lower-left corner.
// A MapIndex, built once for a map and a body and also the caller's, makes a check cheap: the
// distance of every cell to the nearest blocked one, so that most poses are cleared by one
// look-up of the circle round the body; only near misses take the exact test.
//
//   agv::MapIndex ix;                               // reuse it for every check of one map
//   if (agv::buildindex(map, params, ix))
//     if (agv::Contact c = agv::collides(ix, x, y, th)) ... c.touch, c.col, c.row ...
//
// The body is the rectangle of Params bodyFront, bodyRear and bodyWidth about the reference
// point, grown by clearance on every side, turned with the heading.  It collides where it
// reaches more than kTouch into an occupied cell (an unknown one too unless unknownFree = 1), or
// more than kTouch out of the map: a cell it only touches does not count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "agv/params.h"
#include "agv/types.h"

namespace agv {

// A cell of a map.
enum class Cell : std::uint8_t { Free = 0, Occupied = 1, Unknown = 2 };

// Bounds of a map: its sides in cells, its cell size [m].
inline constexpr int kMapMaxSide = 16384;
inline constexpr double kMapMinResolution = 1e-6;
inline constexpr double kMapMaxResolution = 1e6;

// How far the body may reach into an occupied cell, or out of the map, and still not touch it
// [m]: far below any cell, far above the rounding of a turned rectangle's corners.
inline constexpr double kTouch = 1e-9;

// An occupancy grid.
struct Map {
  int width = 0;            // cells across (columns)
  int height = 0;           // cells down (rows)
  double resolution = 0.0;  // side of a cell [m]
  double x = 0.0;           // world position of the lower-left corner of the lower-left cell [m]
  double y = 0.0;
  double yaw = 0.0;         // the map turned about that corner, counter-clockwise [rad]
  std::vector<Cell> cells;  // [row * width + col], row 0 the top row

  Cell at(int col, int row) const { return cells[static_cast<std::size_t>(row) * width + col]; }
  double widthMetres() const { return width * resolution; }
  double heightMetres() const { return height * resolution; }
};

// Empty for a map within its bounds (sides 1 ... kMapMaxSide, width x height cells, each one of
// the three, resolution kMapMinResolution ... kMapMaxResolution, a finite origin); otherwise one
// English line that names the first fault.
std::string checkmap(const Map& m);

// What a map and a body make cheap to check; built by buildindex.  The fields are the index's
// own: read them, do not change them.
struct MapIndex {
  int width = 0;  // the map's size [cells]
  int height = 0;
  double resolution = 0.0;  // [m]
  double x = 0.0;           // the map's origin [m] and the cosine and sine of its yaw
  double y = 0.0;
  double cosYaw = 1.0;
  double sinYaw = 0.0;
  double yaw = 0.0;
  double ahead = 0.0;       // the body's centre ahead of the reference point [cells]
  double halfLength = 0.0;  // half the body's length and width, clearance included [cells]
  double halfWidth = 0.0;
  int clearDistance = 0;    // a distance (below) that clears the body's circle at once
  // [(r + 1) * (width + 2) + c + 1], column c = -1 ... width, row r = -1 ... height counted
  // from the bottom: the distance from the cell's centre to the nearest blocked cell's centre
  // [cells], rounded down, at most 65535.  Blocked: an occupied cell, an unknown one unless
  // unknownFree, and the ring of cells round the map, which stands for all outside it.
  std::vector<std::uint16_t> dist;
};

// Builds ix for map m and the body and unknownFree of p; false (ix left as it was) when
// checkmap(m) or checkparams(p) finds a fault.  Takes 2 bytes a cell.
bool buildindex(const Map& m, const Params& p, MapIndex& ix);

// Whether the body at pose (x [m], y [m], th [rad]) collides; a pose that is not finite lies
// outside the map.
Contact collides(const MapIndex& ix, double x, double y, double th);

// The first record of a run (time, distance, pose) whose pose collides; touch None if none.
Contact firstcontact(const MapIndex& ix, std::span<const Record> run);

// The first pose of a path, sampled at most samplespacing(ix) apart, that collides.
Contact firstcontact(const MapIndex& ix, std::span<const Pose> path);

// The spacing of a path's samples that no collision slips through: half a cell [m].
double samplespacing(const MapIndex& ix);

// A line (kap = 0) or an arc of curvature kap [1/m] (left positive) from pose a over the length
// len [m], driven forward (drive +1) or backward (-1): the heading turns by kap x the signed
// distance driven, as the planner's segments do.  segmentcontact checks its poses spaced
// evenly at most samplespacing(ix) apart, both ends included, without allocating; their s
// counts on from a.s.  A segment that is not finite (or of more than 2^53 samples) lies outside
// the map.
Contact segmentcontact(const MapIndex& ix, const Pose& a, double kap, double len, int drive);

// The same poses, at most `spacing` apart, appended to out (a itself first); nothing for a
// segment that is not finite or a spacing that is not positive.
void samplesegment(const Pose& a, double kap, double len, int drive, double spacing,
                   std::vector<Pose>& out);

}  // namespace agv
