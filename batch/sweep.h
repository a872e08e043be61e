// Sweeps: a PTP pass to every end pose of a grid, with vehicle parameters that may vary along
// axes of their own; slices of a sweep for many machines, and their merge.
#pragma once

#include <string>
#include <vector>

#include "agv/agv.h"
#include "agv/map.h"

namespace agvbatch {

// A range A:B:STEP of the grid.
struct Range {
  double a = 0.0, b = 0.0, step = 0.0;
  // A heading axis [deg]: a last value a whole turn from the first is the same heading, and is
  // left out.
  bool turn = false;
  double points() const;  // how many values A, A + STEP, ... up to B (a little past, for rounding)
  long count() const;     // the values used, or 0 when the range is empty or too long
  double at(long i) const;  // A + i STEP, but never past B (where rounding would take it),
                            // and without overflow near the largest doubles
  bool wraps() const;     // a heading axis whose last value is left out
};

// A range A:B:STEP: three finite numbers, A <= B, STEP > 0, at most kPosesMax points; false with
// the reason in err.
bool parserange(const std::string& s, Range& r, std::string& err);

// A vehicle parameter along an axis of the grid.
struct Axis {
  std::string name;
  Range r;
};

// The grid of a sweep, in its order: the parameter axes outermost (in the order given), then
// x, y and the heading.
struct Grid {
  agv::Params base;        // the parameters that do not vary
  const agv::Map* map = nullptr;  // the map of every pass, or none
  std::string mapname;            // its file
  std::vector<Axis> sets;  // the parameters that do
  Range x, y, th;
  long size() const;
  // The parameters and the end pose (x, y [m], th [deg]) of grid index i.
  void at(long i, agv::Params& p, double& px, double& py, double& pth) const;
  // A text that tells the grid and its parameters, the same for every slice of a sweep.
  std::string identity() const;
};

// The most poses a grid may have, and the most slices it may be cut into.
constexpr double kPosesMax = 1e8;
constexpr long kShardsMax = 1000000;

struct SweepOptions {
  int jobs = 1;         // threads
  long shard = 0;       // the slice computed: indices shard, shard + shards, ...
  long shards = 1;      // into how many slices the grid is cut (1: the whole sweep)
  bool sharded = false;  // a slice (of any number, 1 too): its first line says which
  bool progress = false;
  std::string out;
};

// The rows of the sweep (or of its slice) written to o.out; an exit status, after a message
// on stderr when it is not OK.
int sweep(const Grid& g, const SweepOptions& o);

// The slices files, all of one sweep, merged into out in grid order: the bytes of the same
// sweep run whole.  An exit status, after a message when it is not OK.
int merge(const std::vector<std::string>& files, const std::string& out);

}  // namespace agvbatch
