// Tracks: a path given as points (a lane drawn in a layout tool, another planner's path, a
// recorded trajectory), joined by a cubic spline and driven as a CP curve is.
//
// The spline passes through every point, with continuous heading and curvature; its parameter
// is the chord length from the first point.  Its ends are natural (no curvature) unless a
// heading is given there, which the spline then takes.  It is measured and parameterised by
// arc length as the catalogue's curves are, and the three mechanisms run along it as along a
// curve (agv/cp.h): the same runs, tracked AGV and summary.
//
//   agv::Track t;
//   t.points = {{0, 0}, {2, 1}, {4, 0}, {6, 1}};
//   auto r = std::make_unique<agv::TrackResult>();
//   if (agv::passTrack(agv::Params{}, t, *r) == agv::Status::Done)
//     ... r->runs(agv::Mechanism::M1FDW1FS).cv ... r->bends.kapmax ...
#pragma once

#include <optional>
#include <vector>

#include "agv/cp.h"

namespace agv {

// The fewest and the most points of a track.
inline constexpr int kTrackMin = 3;
inline constexpr int kTrackMax = 100000;

// A point of a track [m].
struct TrackPoint {
  double x = 0.0;
  double y = 0.0;
};

// A path as points, with the headings at its ends where they are given [deg].
struct Track {
  std::vector<TrackPoint> points;
  std::optional<double> th0Deg;  // at the first point; free (no curvature there) when none
  std::optional<double> thfDeg;  // at the last point
};

// A stretch of a track tighter than the vehicle can steer: from s0 to s1 along it [m],
// beginning at the point (x, y).
struct Bend {
  double s0 = 0.0;
  double s1 = 0.0;
  double x = 0.0;
  double y = 0.0;
};

// How a track bends: its largest curvature and where it is, and the stretches where the
// curvature's magnitude exceeds 1/Ra, the curvature of the vehicle's tightest turn.  (The
// curvature is sampled 16 times between two points, and its largest value and the ends of the
// stretches found between the samples.)
struct Bends {
  double kapmax = 0.0;  // the largest magnitude of the curvature [1/m]
  double s = 0.0;       // where it is: the arc length [m]
  double x = 0.0;       // and the point [m]
  double y = 0.0;
  std::vector<Bend> tight;     // the stretches tighter than 1/Ra, in order
  double tightlength() const;  // their lengths added [m]
};

// Everything a track's pass computes: a CP pass's (its curve is the spline: `curve` holds
// number 0, `uend` the end of its parameter, the chord length divided by `scale`), the track
// as given and how it bends.
struct TrackResult : CpResult {
  Track track;
  double scale = 1.0;  // metres of chord per unit of the parameter u: 1, or more where the chord
                       // is longer than the arc-length table's maxSteps rows of 0.01 hold
  Bends bends;
};

// The checks of the track (BadTrack: fewer than kTrackMin or more than kTrackMax points, a
// coordinate or heading that is not finite, a point equal to the one before it, or points whose
// distances or spline overflow a double; the refusal's count names the point, 1 ... n), the spline, its length and arc-length table
// against the step capacity, as planCP; and its bends.
Status planTrack(const Params& p, const Track& t, TrackResult& r);

// The step counts, the runs and the extents (planTrack first), as runCP.
Status runTrack(TrackResult& r);

// planTrack, then runTrack.
Status passTrack(const Params& p, const Track& t, TrackResult& r);

// A pass in a map: passTrack, then findcontacts (agv/cp.h) with the map's index, built for p's
// body: the track's first contacts and its runs' in r.contacts, as a curve's.
Status passTrack(const Params& p, const Track& t, const MapIndex& map, TrackResult& r);

}  // namespace agv
