// Maps made from a seed, for the tests and benchmarks of the search: a hall cluttered with
// boxes, and a warehouse of racks along aisles.  The same seed makes the same map everywhere
// (the generator's own arithmetic on std::mt19937's numbers).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

#include "agv/map.h"

namespace agvtest {

// A number in [0, 1) from the generator.
inline double uniform(std::mt19937& g) { return g() / 4294967296.0; }

// An empty hall of w x h cells of side res [m], its lower-left corner at the origin.
inline agv::Map hall(int w, int h, double res) {
  agv::Map m;
  m.width = w;
  m.height = h;
  m.resolution = res;
  m.cells.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), agv::Cell::Free);
  return m;
}

// The cells of the box x0 ... x1, y0 ... y1 [m] set to v (rows counted from the top).
inline void fill(agv::Map& m, double x0, double y0, double x1, double y1,
                 agv::Cell v = agv::Cell::Occupied) {
  const int c0 = std::max(0, static_cast<int>(std::floor(x0 / m.resolution)));
  const int c1 = std::min(m.width, static_cast<int>(std::ceil(x1 / m.resolution)));
  const int r0 = std::max(0, static_cast<int>(std::floor(y0 / m.resolution)));
  const int r1 = std::min(m.height, static_cast<int>(std::ceil(y1 / m.resolution)));
  for (int r = r0; r < r1; ++r)
    for (int c = c0; c < c1; ++c)
      m.cells[static_cast<std::size_t>(m.height - 1 - r) * m.width + c] = v;
}

// A hall with `boxes` boxes of sides from lo to hi [m] placed at random.
inline agv::Map clutter(int w, int h, double res, int boxes, double lo, double hi,
                        std::uint32_t seed) {
  agv::Map m = hall(w, h, res);
  std::mt19937 g(seed);
  for (int i = 0; i < boxes; ++i) {
    const double x = uniform(g) * m.widthMetres(), y = uniform(g) * m.heightMetres();
    const double a = lo + (hi - lo) * uniform(g), b = lo + (hi - lo) * uniform(g);
    fill(m, x, y, x + a, y + b);
  }
  return m;
}

// A warehouse of w x h cells of side res: rows of racks 1 m deep along x, aisles of `aisle`
// metres between them, each row cut by gaps `gap` metres wide at places the seed picks, a free
// band `margin` metres wide round the racks and walls 0.2 m thick round the hall.
inline agv::Map racks(int w, int h, double res, double aisle, double gap, double margin,
                      std::uint32_t seed) {
  constexpr double kDepth = 1.0, kWall = 0.2, kRun = 6.0;
  agv::Map m = hall(w, h, res);
  std::mt19937 g(seed);
  const double W = m.widthMetres(), H = m.heightMetres();
  fill(m, 0, 0, W, kWall);
  fill(m, 0, H - kWall, W, H);
  fill(m, 0, 0, kWall, H);
  fill(m, W - kWall, 0, W, H);
  for (double y = margin; y + kDepth <= H - margin; y += kDepth + aisle) {
    double x = margin;
    while (x < W - margin) {
      const double run = kRun * (0.5 + uniform(g));
      const double end = std::min(W - margin, x + run);
      fill(m, x, y, end, y + kDepth);
      x = end + gap;
    }
  }
  return m;
}

}  // namespace agvtest
