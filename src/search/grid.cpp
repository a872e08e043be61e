// The grid distance to the goal: Dijkstra's search over the map's cells with whole weights in
// Dial's buckets, settled lazily.
#include "search/grid.h"

#include <algorithm>
#include <cmath>

namespace agv {

namespace {

// Weights of the moves between cell centres, in units of kUnit a cell: the steps along a row
// or a column, along a diagonal and a knight's move; their ratios are those of 1, sqrt(2) and
// sqrt(5) within 0.3%.
constexpr std::uint32_t kUnit = 29;
constexpr std::uint32_t kDiagonal = 41;
constexpr std::uint32_t kKnight = 65;
constexpr std::uint32_t kBuckets = kKnight + 1;
constexpr std::uint32_t kNone = 0xffffffffu;
// A point of a cell lies at most half a diagonal from its centre [cells].
constexpr double kHalfDiagonal = 0.70710678118654752;
// Cells settled between two questions to the stop callback.
constexpr long kAskCells = 1L << 16;

// The 16 moves: (dc, dr), weight, and the cells a knight's move passes (relative to the
// cell it leaves), or for a diagonal move the two cells beside it, of which one must be open.
struct Move {
  int dc, dr;
  std::uint32_t w;
  int ac, ar, bc, br;
  bool knight;
};
constexpr Move kMoves[16] = {
    {1, 0, kUnit, 0, 0, 0, 0, false},       {-1, 0, kUnit, 0, 0, 0, 0, false},
    {0, 1, kUnit, 0, 0, 0, 0, false},       {0, -1, kUnit, 0, 0, 0, 0, false},
    {1, 1, kDiagonal, 1, 0, 0, 1, false},   {-1, 1, kDiagonal, -1, 0, 0, 1, false},
    {1, -1, kDiagonal, 1, 0, 0, -1, false}, {-1, -1, kDiagonal, -1, 0, 0, -1, false},
    {2, 1, kKnight, 1, 0, 1, 1, true},      {2, -1, kKnight, 1, 0, 1, -1, true},
    {-2, 1, kKnight, -1, 0, -1, 1, true},   {-2, -1, kKnight, -1, 0, -1, -1, true},
    {1, 2, kKnight, 0, 1, 1, 1, true},      {-1, 2, kKnight, 0, 1, -1, 1, true},
    {1, -2, kKnight, 0, -1, 1, -1, true},   {-1, -2, kKnight, 0, -1, -1, -1, true},
};

}  // namespace

std::size_t GridDistance::cellof(double x, double y) const {
  const double dx = x - ix_->x, dy = y - ix_->y;
  const double u = (ix_->cosYaw * dx + ix_->sinYaw * dy) / ix_->resolution;
  const double v = (ix_->cosYaw * dy - ix_->sinYaw * dx) / ix_->resolution;
  // Clamped before the conversion: a point far outside (or not finite) takes the edge's cell.
  const double cu = std::clamp(std::floor(u), 0.0, static_cast<double>(ix_->width - 1));
  const double cv = std::clamp(std::floor(v), 0.0, static_cast<double>(ix_->height - 1));
  const int c = std::isnan(cu) ? 0 : static_cast<int>(cu) / f_ + kPad;
  const int r = std::isnan(cv) ? 0 : static_cast<int>(cv) / f_ + kPad;
  return static_cast<std::size_t>(r) * static_cast<std::size_t>(w_) + static_cast<std::size_t>(c);
}

double GridDistance::side() const { return f_ * ix_->resolution; }

std::size_t GridDistance::bytes() const {
  std::size_t b = dist_.capacity() * sizeof(std::uint32_t) + open_.capacity();
  for (const auto& q : buckets_) b += q.capacity() * sizeof(std::uint32_t);
  return b;
}

bool GridDistance::start(const MapIndex& ix, const Params& p, double gx, double gy,
                         std::size_t bytes) {
  // The disc the body holds round the reference point [cells]; a cell is closed where its
  // farthest point lies nearer than that to a blocked cell's centre: the index's distance d is
  // rounded down, so the centres lie less than d + 1 apart.
  const double rho =
      (std::min({p.bodyFront, p.bodyRear, p.bodyWidth / 2}) + p.clearance) / ix.resolution;
  const int blocked = std::max(0, static_cast<int>(std::floor(rho - 1 - kHalfDiagonal)));
  // A wall one cell thick closes a band of 2 blocked + 1 cells: it holds f whole cells in a row
  // wherever it lies for f up to blocked + 1.
  const int f = std::clamp(blocked + 1, 1, kMaxSquare);
  const int w = (ix.width + f - 1) / f + 2 * kPad, h = (ix.height + f - 1) / f + 2 * kPad;
  const std::size_t squares = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  const std::size_t need = squares * (sizeof(std::uint32_t) + 1);
  need_ = need;
  if (need > bytes) return false;
  ix_ = &ix;
  f_ = f;
  w_ = w;
  h_ = h;
  open_.assign(squares, 0);
  const std::size_t stride = static_cast<std::size_t>(ix.width) + 2;
  for (int r = 0; r < ix.height; ++r) {
    const std::uint16_t* d = &ix.dist[(static_cast<std::size_t>(r) + 1) * stride + 1];
    std::uint8_t* o = &open_[static_cast<std::size_t>(r / f + kPad) * w + kPad];
    for (int c = 0; c < ix.width; ++c)
      if (d[c] > blocked) o[c / f] = 1;
  }
  dist_.assign(squares, kNone);
  buckets_.resize(kBuckets);
  for (auto& q : buckets_) q.clear();
  cur_ = 0;
  queued_ = 0;
  stopped_ = false;
  const std::size_t g = cellof(gx, gy);
  dist_[g] = 0;
  buckets_[0].push_back(static_cast<std::uint32_t>(g));
  queued_ = 1;
  return true;
}

void GridDistance::settle(std::uint32_t cell) {
  const std::uint8_t* o = &open_[cell];
  const std::ptrdiff_t w = w_;
  for (const Move& m : kMoves) {
    const std::ptrdiff_t step = m.dr * w + m.dc;
    if (o[step] == 0) continue;
    const std::uint8_t a = o[m.ar * w + m.ac], b = o[m.br * w + m.bc];
    if (m.knight ? (a == 0 || b == 0) : (m.ac != 0 && a == 0 && b == 0)) continue;
    const std::size_t n = cell + static_cast<std::size_t>(step);
    const std::uint32_t d = cur_ + m.w;
    if (d < dist_[n]) {
      dist_[n] = d;
      buckets_[d % kBuckets].push_back(static_cast<std::uint32_t>(n));
      ++queued_;
    }
  }
}

double GridDistance::distance(double x, double y, bool (*stop)(void*), void* data) {
  const std::size_t cell = cellof(x, y);
  long asked = 0;
  while (dist_[cell] > cur_ && queued_ > 0) {
    std::vector<std::uint32_t>& q = buckets_[cur_ % kBuckets];
    if (q.empty()) {
      ++cur_;
      continue;
    }
    const std::uint32_t c = q.back();
    q.pop_back();
    --queued_;
    if (dist_[c] != cur_) continue;  // settled before, at a smaller distance
    settle(c);
    if (stop != nullptr && ++asked % kAskCells == 0 && stop(data)) {
      stopped_ = true;
      return 0.0;
    }
  }
  if (dist_[cell] == kNone) return kUnreachable;
  return static_cast<double>(dist_[cell]) / kUnit * side();
}

}  // namespace agv
