// The map's check and its index: the distance of every cell to the nearest blocked one.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "agv/map.h"

namespace agv {

namespace {

// The largest distance the index holds [cells]; farther ones are held as this.
constexpr int kDistMax = 65535;
// A point of a cell is at most half a diagonal from the cell's centre, and so is the nearest
// point of a blocked cell from that cell's centre: the circle round the body is clear when the
// centres are farther apart than its radius and two half diagonals [cells].
constexpr double kTwoHalfDiagonals = 1.4142135623730951;
// Margin over the rounding of the body's radius [cells].
constexpr double kRadiusMargin = 1e-6;

// The distances along each column to the nearest blocked cell of the column, in place of the
// 0 (blocked) / 1 (free) marks of d: a sweep up the rows, then one down, a row at a time.
void columndistances(std::vector<std::uint16_t>& d, int w2, int h2) {
  for (int r = 1; r < h2; ++r) {
    std::uint16_t* row = &d[static_cast<std::size_t>(r) * w2];
    const std::uint16_t* below = row - w2;
    for (int c = 0; c < w2; ++c)
      if (row[c] != 0) row[c] = static_cast<std::uint16_t>(below[c] + 1);
  }
  for (int r = h2 - 2; r >= 0; --r) {
    std::uint16_t* row = &d[static_cast<std::size_t>(r) * w2];
    const std::uint16_t* above = row + w2;
    for (int c = 0; c < w2; ++c) row[c] = std::min(row[c], static_cast<std::uint16_t>(above[c] + 1));
  }
}

// The Euclidean distances of one row from its column distances g: the lower envelope of the
// parabolas (c - q)^2 + g(q)^2 (Felzenszwalb and Huttenlocher, "Distance Transforms of Sampled
// Functions", 2012).  v, z: room for the envelope.
void rowdistances(std::uint16_t* row, int w2, std::vector<std::int64_t>& f, std::vector<int>& v,
                  std::vector<double>& z) {
  for (int c = 0; c < w2; ++c) f[c] = static_cast<std::int64_t>(row[c]) * row[c];
  // Where the parabola of q meets that of p < q.
  auto meet = [&](int q, int p) {
    return static_cast<double>((f[q] + static_cast<std::int64_t>(q) * q) -
                               (f[p] + static_cast<std::int64_t>(p) * p)) /
           (2.0 * (q - p));
  };
  int k = 0;
  v[0] = 0;
  z[0] = -HUGE_VAL;
  z[1] = HUGE_VAL;
  for (int q = 1; q < w2; ++q) {
    double s = meet(q, v[k]);
    while (s <= z[k]) s = meet(q, v[--k]);
    ++k;
    v[k] = q;
    z[k] = s;
    z[k + 1] = HUGE_VAL;
  }
  k = 0;
  for (int c = 0; c < w2; ++c) {
    while (z[k + 1] < c) ++k;
    const std::int64_t dc = c - v[k];
    const double dist = std::floor(std::sqrt(static_cast<double>(dc * dc + f[v[k]])));
    row[c] = static_cast<std::uint16_t>(std::min(dist, static_cast<double>(kDistMax)));
  }
}

std::string sidetext(const char* side, int n) {
  char buf[120];
  std::snprintf(buf, sizeof buf, "the map's %s must be from 1 to %d cells, not %d", side,
                kMapMaxSide, n);
  return buf;
}

}  // namespace

std::string checkmap(const Map& m) {
  if (!(m.width >= 1 && m.width <= kMapMaxSide)) return sidetext("width", m.width);
  if (!(m.height >= 1 && m.height <= kMapMaxSide)) return sidetext("height", m.height);
  char buf[160];
  const std::size_t n = static_cast<std::size_t>(m.width) * static_cast<std::size_t>(m.height);
  if (m.cells.size() != n) {
    std::snprintf(buf, sizeof buf, "the map holds %zu cells, not %d x %d = %zu", m.cells.size(),
                  m.width, m.height, n);
    return buf;
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (static_cast<int>(m.cells[i]) > static_cast<int>(Cell::Unknown)) {
      std::snprintf(buf, sizeof buf,
                    "cell %zu of the map (column %zu, row %zu) is %d, not 0 free, 1 occupied "
                    "or 2 unknown",
                    i, i % static_cast<std::size_t>(m.width), i / static_cast<std::size_t>(m.width),
                    static_cast<int>(m.cells[i]));
      return buf;
    }
  }
  if (!(m.resolution >= kMapMinResolution && m.resolution <= kMapMaxResolution)) {
    std::snprintf(buf, sizeof buf, "the map's resolution must be from %g to %g m, not %.17g",
                  kMapMinResolution, kMapMaxResolution, m.resolution);
    return buf;
  }
  if (!std::isfinite(m.x) || !std::isfinite(m.y) || !std::isfinite(m.yaw)) {
    std::snprintf(buf, sizeof buf, "the map's origin must be finite, not (%g, %g, %g)", m.x, m.y,
                  m.yaw);
    return buf;
  }
  return "";
}

bool buildindex(const Map& m, const Params& p, MapIndex& ix) {
  if (!checkmap(m).empty() || !checkparams(p).empty()) return false;
  const int w2 = m.width + 2, h2 = m.height + 2;
  // Blocked cells 0, the rest 1, rows from the bottom; the ring round the map blocked.
  std::vector<std::uint16_t>& d = ix.dist;
  d.assign(static_cast<std::size_t>(w2) * static_cast<std::size_t>(h2), 0);
  for (int r = 0; r < m.height; ++r) {
    std::uint16_t* row = &d[static_cast<std::size_t>(r + 1) * w2 + 1];
    const Cell* cells = &m.cells[static_cast<std::size_t>(m.height - 1 - r) * m.width];
    for (int c = 0; c < m.width; ++c)
      row[c] = cells[c] == Cell::Free || (cells[c] == Cell::Unknown && p.unknownFree != 0) ? 1 : 0;
  }
  columndistances(d, w2, h2);
  std::vector<std::int64_t> f(w2);
  std::vector<int> v(w2);
  std::vector<double> z(static_cast<std::size_t>(w2) + 1);
  for (int r = 0; r < h2; ++r) rowdistances(&d[static_cast<std::size_t>(r) * w2], w2, f, v, z);

  ix.width = m.width;
  ix.height = m.height;
  ix.resolution = m.resolution;
  ix.x = m.x;
  ix.y = m.y;
  ix.yaw = m.yaw;
  ix.cosYaw = std::cos(m.yaw);
  ix.sinYaw = std::sin(m.yaw);
  ix.ahead = (p.bodyFront - p.bodyRear) / 2 / m.resolution;
  ix.halfLength = ((p.bodyFront + p.bodyRear) / 2 + p.clearance) / m.resolution;
  ix.halfWidth = (p.bodyWidth / 2 + p.clearance) / m.resolution;
  const double need = std::ceil(std::hypot(ix.halfLength, ix.halfWidth) * (1 + kRadiusMargin) +
                                kTwoHalfDiagonals + kRadiusMargin);
  ix.clearDistance = static_cast<int>(std::min(need, static_cast<double>(kDistMax) + 1));
  return true;
}

}  // namespace agv
