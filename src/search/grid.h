// The distance over the map's grid from a cell to the goal's, round the cells that no pose of
// the reference point can be in: the search's estimate round obstacles, and its proof that a
// goal cannot be reached.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "agv/map.h"
#include "agv/params.h"

namespace agv {

// Dijkstra's search from the goal's cell over a grid of squares of the map's cells, each
// joined to its 16 neighbours (the 8 round it and the 8 a knight's move away, where the squares
// it passes are open), run as far as the distances asked for need (Dial's buckets: the weights
// are whole).  A map cell is closed where every pose of the reference point in it collides,
// whatever its heading: the body holds the disc of radius min(bodyFront, bodyRear,
// bodyWidth / 2) + clearance round that point, and the disc reaches the centre of a blocked
// cell; a square is closed where all its cells are.  So a square the grid cannot reach from the
// goal's holds no pose a path can reach.  The squares are as many cells on a side as the
// closed band round a wall one cell thick is sure to hold, at most kMaxSquare: then no wall
// has a way through it that the body cannot take.
class GridDistance {
 public:
  static constexpr double kUnreachable = std::numeric_limits<double>::infinity();

  // Starts the search from the goal's cell for index ix and the body of p; false when the
  // grid would take more than `bytes` (nothing changed then but need()).
  bool start(const MapIndex& ix, const Params& p, double gx, double gy, std::size_t bytes);

  // The distance [m] from the cell of world point (x, y) (the nearest cell of the map for a point
  // outside it) to the goal's cell; kUnreachable where none.  Runs the search on as far as that
  // cell needs.  `stop` is asked every so many cells; when it says stop, this returns 0 and
  // stopped() is true.
  double distance(double x, double y, bool (*stop)(void*), void* data);

  bool stopped() const { return stopped_; }

  // The memory the grid holds, and the memory the last start needed [bytes].
  std::size_t bytes() const;
  std::size_t need() const { return need_; }

  // The square of world point (x, y), the nearest one of the map for a point outside it.
  std::size_t cellof(double x, double y) const;

  // The side of a square [m].
  double side() const;

 private:
  static constexpr int kMaxSquare = 2;
  static constexpr int kPad = 2;  // closed squares round the grid: a knight's move stays in it
  const MapIndex* ix_ = nullptr;
  int f_ = 1;           // cells on a side of a square
  int w_ = 0, h_ = 0;   // squares across and down, padding included
  std::vector<std::uint8_t> open_;             // [row * w + col], rows from the bottom: 1 open
  std::vector<std::uint32_t> dist_;            // the same squares' distances
  std::vector<std::vector<std::uint32_t>> buckets_;
  std::uint32_t cur_ = 0;   // the distance settled so far
  std::size_t queued_ = 0;  // cells in the buckets
  std::size_t need_ = 0;
  bool stopped_ = false;

  void settle(std::uint32_t cell);
};

}  // namespace agv
