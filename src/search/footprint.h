// The map's segment check made cheap for the search: the same samples, each cleared where it
// can be by a few circles that cover the body, or found to collide where a disc inside the body
// holds a blocked cell's centre, and checked by the map's own test otherwise.
#pragma once

#include "agv/map.h"
#include "agv/params.h"
#include "agv/types.h"

namespace agv {

class Footprint {
 public:
  // The circles for the body of p in the map of index ix.
  Footprint(const MapIndex& ix, const Params& p);

  // Whether the segment from pose a (a line, kap = 0, or an arc of curvature kap [1/m]) of
  // length len driven in direction drive is free: what segmentcontact(ix, a, kap, len, drive)
  // says, sample for sample.  With stride > 1 only every stride-th sample is checked (and the
  // last): false then means that the segment collides, true that it may be free.
  bool free(const Pose& a, double kap, double len, int drive, long stride = 1) const;

  // Whether the body at (x, y, th) is free: what collides(ix, x, y, th) says.
  bool free(double x, double y, double th) const;

 private:
  static constexpr int kMaxCircles = 8;
  const MapIndex& ix_;
  int n_ = 1;                      // circles along the body
  double ahead_[kMaxCircles] = {};  // their centres ahead of the reference point [m]
  int clear_ = 0;                  // an index distance that clears each of them [cells]
  int hit_ = -1;                   // an index distance at most this puts a blocked cell's
                                   // centre in the disc inside the body round them [cells]
};

}  // namespace agv
