// Circles along the body: each as wide as the body and as long as its share of the body's
// length, so that in an aisle most poses are cleared by a few look-ups where the one circle
// round the whole body is not.
#include "search/footprint.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "map/collide.h"

namespace agv {

namespace {

// As the index clears its circle: the centres of the circle's cell and a blocked cell lie more
// than the index's distance d apart, their nearest points d - 2 half diagonals apart.
constexpr double kTwoHalfDiagonals = 1.4142135623730951;
// A point lies within half a diagonal of its cell's centre [cells].
constexpr double kHalfDiagonal = 0.70710678118654752;
constexpr double kRadiusMargin = 1e-6;

}  // namespace

Footprint::Footprint(const MapIndex& ix, const Params& p) : ix_(ix) {
  const double length = p.bodyFront + p.bodyRear + 2 * p.clearance;
  const double width = p.bodyWidth + 2 * p.clearance;
  n_ = std::clamp(static_cast<int>(std::ceil(length / width)), 1, kMaxCircles);
  const double piece = length / n_;
  for (int i = 0; i < n_; ++i) ahead_[i] = -p.bodyRear - p.clearance + (i + 0.5) * piece;
  const double radius = std::hypot(piece / 2, width / 2) / ix.resolution;
  clear_ = static_cast<int>(
      std::ceil(radius * (1 + kRadiusMargin) + kTwoHalfDiagonals + kRadiusMargin));
  // The disc inside the body round a centre; a blocked cell's centre lies less than d + 1 + half
  // a diagonal from the point, d its cell's index distance, and inside the disc reaches half a
  // cell into the body.
  const double inside = std::min(piece, width) / 2 / ix.resolution;
  hit_ = static_cast<int>(std::floor(inside * (1 - kRadiusMargin) - 1 - kHalfDiagonal));
}

bool Footprint::free(double x, double y, double th) const {
  const double c = std::cos(th), s = std::sin(th);
  bool clear = true;
  for (int i = 0; i < n_; ++i) {
    const double dx = x + ahead_[i] * c - ix_.x, dy = y + ahead_[i] * s - ix_.y;
    const double u = (ix_.cosYaw * dx + ix_.sinYaw * dy) / ix_.resolution;
    const double v = (ix_.cosYaw * dy - ix_.sinYaw * dx) / ix_.resolution;
    if (!(u >= 0 && u < ix_.width && v >= 0 && v < ix_.height)) {
      clear = false;
      continue;
    }
    const std::size_t k = (static_cast<std::size_t>(v) + 1) * static_cast<std::size_t>(ix_.width + 2) +
                          static_cast<std::size_t>(u) + 1;
    const int d = ix_.dist[k];
    if (d <= hit_) return false;
    clear = clear && d >= clear_;
  }
  return clear || !collides(ix_, x, y, th);
}

bool Footprint::free(const Pose& a, double kap, double len, int drive, long stride) const {
  const double steps = std::ceil(len / samplespacing(ix_));
  if (!(len >= 0 && steps <= kMaxSteps) || !std::isfinite(kap)) return false;
  const long n = std::max(1L, static_cast<long>(steps));
  for (long i = 0; i <= n; i = i < n && i + stride > n ? n : i + stride) {
    const double d = len * static_cast<double>(i) / static_cast<double>(n);
    const Pose q = along(a, kap, drive * d);
    if (!free(q.x, q.y, q.th)) return false;
  }
  return true;
}

}  // namespace agv
