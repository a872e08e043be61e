// The search in a map: Hybrid A* over (x, y, heading) with the vehicle's arcs and lines as its
// moves, the planner's shortest joins as its estimate and its last move, and the path shortened
// by such joins where they are free and cheaper.
#include "agv/search.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <numbers>

#include "map/collide.h"
#include "ptp/reeds.h"
#include "search/footprint.h"
#include "search/grid.h"

namespace agv {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kMiB = 1024.0 * 1024.0;

// A move's length is at least this many cells: below it, the bins of the visited poses (a
// move's length over the square root of 2, so that every move leaves its bin) would outnumber
// the bits of their key.
constexpr double kMinStepCells = 0.1;
// The visited poses' key: the heading bin in the low bits, then the bins of y and x, each
// counted from the start's and offset by half their range.
constexpr int kHeadingBits = 12;
constexpr int kPlaceBits = 26;
constexpr std::int64_t kPlaceOffset = std::int64_t{1} << (kPlaceBits - 1);
// The analytic join is tried from every expanded node within this many moves of the goal (by
// the estimate), and from one node in (estimate / this many moves) farther away.
constexpr double kJoinMoves = 8.0;
// A shortening replaces a stretch only where the join saves more than this share of its cost
// (rounding aside).
constexpr double kSaving = 1e-9;
// A join is checked at every kCoarse-th sample before it is checked at every one.
constexpr long kCoarse = 8;
// The shortening tries joins from the poses this many pieces back, then twice as many, ...
constexpr std::size_t kShortBack = 6;
// The grid distance is between cell centres: a pose lies within half a diagonal of its cell's
// centre, the goal too [cells].
constexpr double kCellSlack = std::numbers::sqrt2;
// The most a tried join may be off the goal and still end on it, against the poses' scale.
constexpr double kCloses = 1e-9;

// A pose the search reached: where, how (the move from its parent), and at what cost.
struct Node {
  double x, y, th;
  double g;
  std::int32_t parent;
  std::int8_t k, dir;  // the move from the parent: curvature direction, driving direction
  bool closed;
};

// An entry of the open list: a node and the cost it was queued with.
struct Open {
  double f, g;
  std::int32_t node;
};

// Cheapest first; of equal estimates the deeper (larger g) first, and of those the node made
// first: an order with no ties, so that every heap pops the same sequence (the standard
// libraries of the native build and of the web page order ties each in its own way).
bool later(const Open& a, const Open& b) {
  return a.f > b.f || (a.f == b.f && (a.g < b.g || (a.g == b.g && a.node > b.node)));
}

// The visited poses: their key and node, open addressing with linear probing.
struct Table {
  static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};
  std::vector<std::uint64_t> keys;
  std::vector<std::int32_t> nodes;
  std::size_t used = 0;

  static std::size_t slot(std::uint64_t key, std::size_t mask) {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 17) & mask;
  }
  void clear(std::size_t capacity) {
    keys.assign(capacity, kEmpty);
    nodes.assign(capacity, -1);
    used = 0;
  }
  // The node of key, or -1.
  std::int32_t find(std::uint64_t key) const {
    const std::size_t mask = keys.size() - 1;
    for (std::size_t i = slot(key, mask);; i = (i + 1) & mask) {
      if (keys[i] == key) return nodes[i];
      if (keys[i] == kEmpty) return -1;
    }
  }
  void put(std::uint64_t key, std::int32_t node) {
    const std::size_t mask = keys.size() - 1;
    std::size_t i = slot(key, mask);
    while (keys[i] != kEmpty && keys[i] != key) i = (i + 1) & mask;
    if (keys[i] == kEmpty) ++used;
    keys[i] = key;
    nodes[i] = node;
  }
  std::size_t bytes() const { return keys.capacity() * (sizeof(std::uint64_t) + sizeof(std::int32_t)); }
};

// The cheapest way found to a pose of the path: its cost, the pose it comes from, whether over a
// join (else the piece before), and its last driving direction.
struct Way {
  double cost = 0.0;
  std::size_t from = 0;
  bool joined = false;
  int dir = 0;
};

}  // namespace

struct SearchWork::Buffers {
  std::vector<Node> nodes;
  std::vector<Open> open;
  Table table;
  std::vector<std::uint64_t> oldkeys;  // the table's keys while it grows
  std::vector<std::int32_t> oldnodes;
  GridDistance grid;
  std::vector<SearchSegment> pieces;  // the path as found
  std::vector<Pose> poses;            // the pose before each piece, and the goal
  std::vector<Way> way;               // the cheapest ways to its poses
  std::vector<SearchSegment> joined;  // the path shortened
};

SearchWork::SearchWork() : b_(std::make_unique<Buffers>()) {}
SearchWork::~SearchWork() = default;
SearchWork::SearchWork(SearchWork&&) noexcept = default;
SearchWork& SearchWork::operator=(SearchWork&&) noexcept = default;

double searchstep(const Params& p, double resolution) {
  const double step = p.searchStep > 0 ? p.searchStep
                                       : std::max(p.Ra * kTwoPi / p.headingBins,
                                                  std::numbers::sqrt2 * resolution);
  return std::max(step, kMinStepCells * resolution);
}

namespace {


// The search of one call: its parameters, the map, the buffers and the numbers it keeps.
class Search {
 public:
  Search(const Params& p, const MapIndex& ix, SearchWork::Buffers& b, SearchResult& r,
         bool (*stop)(void*), void* data)
      : p_(p), ix_(ix), body_(ix, p), b_(b), r_(r), stop_(stop), data_(data) {
    rc_ = p.reverse != 0 ? p.reverseCost : kInf;
    cc_ = p.reverse != 0 ? p.cuspCost : 0.0;
    limit_ = static_cast<double>(p.maxMemory) * kMiB;
    step_ = searchstep(p, ix.resolution);
    bin_ = step_ / std::numbers::sqrt2;
    binsTh_ = p.headingBins;
    gridScale_ = p.reverse != 0 ? std::min(1.0, p.reverseCost) : 1.0;
    r_.step = step_;
  }

  SearchStatus run(const Pose& P0, const Pose& PF);

 private:
  const Params& p_;
  const MapIndex& ix_;
  const Footprint body_;
  SearchWork::Buffers& b_;
  SearchResult& r_;
  bool (*stop_)(void*);
  void* data_;
  double rc_, cc_, limit_, step_, bin_, gridScale_, want_ = 0.0;
  int binsTh_;
  Pose P0_, PF_;

  SearchStatus refuse(SearchStatus s) { return r_.status = s; }
  // The cheapest join from a to the goal, forward only unless reverse=1.
  void join(const Pose& a, const Pose& b, Word& w) const { reedsshepp(a, b, p_.Ra, rc_, cc_, w); }
  double estimate(const Pose& a);
  std::uint64_t key(double x, double y, double th) const;
  bool free(const Pose& a, const Word& w) const;
  double cusp(int a, int b) const { return a != 0 && b != 0 && a != b ? cc_ : 0.0; }
  double memory() const;
  // Whether `more` bytes fit within maxMemory; if not, the bytes the search would take then.
  bool room(std::size_t more) {
    want_ = memory() + static_cast<double>(more);
    return want_ <= limit_;
  }
  SearchStatus outofmemory() {
    r_.value = want_ / kMiB;
    r_.limit = p_.maxMemory;
    return refuse(SearchStatus::MemoryBound);
  }
  template <class T>
  bool grow(std::vector<T>& v);
  bool growtable();
  bool ask() const { return stop_ != nullptr && stop_(data_); }
  void finish(std::int32_t last, const Word& w);
  void shorten();
  bool verify(const std::vector<SearchSegment>& segs) const;
  void publish(const std::vector<SearchSegment>& segs);
};

double Search::memory() const {
  return static_cast<double>(b_.nodes.capacity() * sizeof(Node) + b_.open.capacity() * sizeof(Open) +
                             b_.table.bytes() + b_.grid.bytes());
}

template <class T>
bool Search::grow(std::vector<T>& v) {
  if (v.size() < v.capacity()) return true;
  // Nodes are numbered by 32-bit integers.
  if (v.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() / 2)) {
    want_ = kInf;
    return false;
  }
  const std::size_t more = std::max<std::size_t>(v.capacity(), 64);
  if (!room(more * sizeof(T))) return false;
  v.reserve(v.capacity() + more);
  return true;
}

bool Search::growtable() {
  Table& t = b_.table;
  if (2 * (t.used + 1) <= t.keys.size()) return true;
  const std::size_t cap = t.keys.size() * 2;
  if (!room(cap * (sizeof(std::uint64_t) + sizeof(std::int32_t)) * 2)) return false;
  b_.oldkeys.swap(t.keys);
  b_.oldnodes.swap(t.nodes);
  t.clear(cap);
  for (std::size_t i = 0; i < b_.oldkeys.size(); ++i)
    if (b_.oldkeys[i] != Table::kEmpty) t.put(b_.oldkeys[i], b_.oldnodes[i]);
  b_.oldkeys.clear();
  b_.oldnodes.clear();
  b_.oldkeys.shrink_to_fit();
  b_.oldnodes.shrink_to_fit();
  return true;
}

std::uint64_t Search::key(double x, double y, double th) const {
  const auto place = [&](double d) {
    const double b = std::floor(d / bin_);
    const double lim = static_cast<double>(kPlaceOffset - 1);
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(std::clamp(b, -lim, lim)) + kPlaceOffset);
  };
  double t = std::fmod(th, kTwoPi);
  if (t < 0) t += kTwoPi;
  std::uint64_t h = static_cast<std::uint64_t>(t / kTwoPi * binsTh_);
  if (h >= static_cast<std::uint64_t>(binsTh_)) h = 0;
  return (place(x - P0_.x) << (kPlaceBits + kHeadingBits)) | (place(y - P0_.y) << kHeadingBits) | h;
}

double Search::estimate(const Pose& a) {
  Word w;
  join(a, PF_, w);
  const double joined = p_.reverse != 0 ? w.cost : w.length;
  const double d = b_.grid.distance(a.x, a.y, stop_, data_);
  if (d == GridDistance::kUnreachable) return kInf;
  const double grid = gridScale_ * std::max(0.0, d - kCellSlack * b_.grid.side());
  return std::max(std::isfinite(joined) ? joined : 0.0, grid);
}

bool Search::free(const Pose& a, const Word& w) const {
  // Every kCoarse-th sample first: a join that collides mostly collides deep, where a sample is
  // cleared at once; then every sample.
  for (const long stride : {kCoarse, 1L}) {
    Pose q = a;
    for (int i = 0; i < w.n; ++i) {
      const Segment& g = w.seg[i];
      const double kap = g.k / p_.Ra;
      if (!body_.free(q, kap, g.len, g.dir, stride)) return false;
      q = along(q, kap, g.dir * g.len);
    }
  }
  return true;
}

SearchStatus Search::run(const Pose& P0, const Pose& PF) {
  P0_ = P0;
  PF_ = PF;
  const double others = memory() - static_cast<double>(b_.grid.bytes());
  const double bytes = std::max(0.0, limit_ - others);
  if (!b_.grid.start(ix_, p_, PF.x, PF.y, static_cast<std::size_t>(bytes))) {
    want_ = others + static_cast<double>(b_.grid.need());
    return outofmemory();
  }
  b_.nodes.clear();
  b_.open.clear();
  if (b_.table.keys.empty()) b_.table.clear(1024);
  else b_.table.clear(b_.table.keys.size());

  // The goal at once, where the join to it is free.
  Word w;
  join(P0, PF, w);
  if (std::isfinite(w.cost) && free(P0, w)) {
    b_.nodes.push_back(Node{P0.x, P0.y, P0.th, 0.0, -1, 0, 0, true});
    finish(0, w);
    return r_.status = SearchStatus::Found;
  }
  const double h0 = estimate(P0);
  if (b_.grid.stopped()) return refuse(SearchStatus::Interrupted);
  if (h0 == kInf) {
    r_.stage = 0;
    return refuse(SearchStatus::Unreachable);
  }
  if (!grow(b_.nodes) || !grow(b_.open)) return outofmemory();
  b_.nodes.push_back(Node{P0.x, P0.y, P0.th, 0.0, -1, 0, 0, false});
  b_.open.push_back(Open{p_.searchWeight * h0, 0.0, 0});
  b_.table.put(key(P0.x, P0.y, P0.th), 0);
  int countdown = 0;
  const int dirs = p_.reverse != 0 ? 2 : 1;
  while (!b_.open.empty()) {
    std::pop_heap(b_.open.begin(), b_.open.end(), later);
    const Open top = b_.open.back();
    b_.open.pop_back();
    Node& n = b_.nodes[top.node];
    if (n.closed || n.g != top.g) continue;
    n.closed = true;
    if (r_.expansions >= p_.maxExpansions) {
      r_.count = r_.expansions;
      return refuse(SearchStatus::ExpansionBound);
    }
    ++r_.expansions;
    if (r_.expansions % kSearchAsk == 0 && ask()) return refuse(SearchStatus::Interrupted);
    const Pose a{n.x, n.y, n.th, 0.0};
    const double g = n.g;
    const int ndir = n.dir;
    // The join to the goal: from every node near it, from fewer farther away.
    if (--countdown <= 0) {
      join(a, PF, w);
      if (std::isfinite(w.cost) && free(a, w)) {
        finish(top.node, w);
        return r_.status = SearchStatus::Found;
      }
      const double h = (top.f - g) / p_.searchWeight;
      countdown = static_cast<int>(std::min(h / (kJoinMoves * step_), 1e6));
    }
    for (int di = 0; di < dirs; ++di) {
      const int dir = di == 0 ? 1 : -1;
      const double gstep = g + (dir > 0 ? step_ : p_.reverseCost * step_) + cusp(ndir, dir);
      for (int k = 1; k >= -1; --k) {
        const double kap = k / p_.Ra;
        const Pose q = along(a, kap, dir * step_);
        const std::uint64_t kq = key(q.x, q.y, q.th);
        const std::int32_t seen = b_.table.find(kq);
        if (seen >= 0 && (b_.nodes[seen].closed || b_.nodes[seen].g <= gstep)) continue;
        if (!body_.free(a, kap, step_, dir)) continue;
        const double h = estimate(q);
        if (b_.grid.stopped()) return refuse(SearchStatus::Interrupted);
        if (h == kInf) continue;
        std::int32_t id = seen;
        if (id < 0) {
          if (!grow(b_.nodes) || !growtable()) return outofmemory();
          id = static_cast<std::int32_t>(b_.nodes.size());
          b_.nodes.push_back(Node{});
          b_.table.put(kq, id);
        }
        b_.nodes[id] = Node{q.x, q.y, q.th, gstep, top.node, static_cast<std::int8_t>(k),
                            static_cast<std::int8_t>(dir), false};
        if (!grow(b_.open)) return outofmemory();
        b_.open.push_back(Open{gstep + p_.searchWeight * h, gstep, id});
        std::push_heap(b_.open.begin(), b_.open.end(), later);
      }
    }
  }
  r_.stage = 1;
  return refuse(SearchStatus::Unreachable);
}

// The path found: the moves from the start to node `last`, then the join w; shortened, and
// published where it checks free (else the path as found, which was checked move by move).
void Search::finish(std::int32_t last, const Word& w) {
  std::vector<SearchSegment>& pieces = b_.pieces;
  pieces.clear();
  for (std::int32_t i = last; b_.nodes[i].parent >= 0; i = b_.nodes[i].parent)
    pieces.push_back(SearchSegment{b_.nodes[i].k, b_.nodes[i].dir, step_});
  std::reverse(pieces.begin(), pieces.end());
  for (int i = 0; i < w.n; ++i) pieces.push_back(SearchSegment{w.seg[i].k, w.seg[i].dir, w.seg[i].len});
  shorten();
  if (verify(b_.joined)) {
    publish(b_.joined);
  } else {
    publish(pieces);
  }
}

// The pieces shortened: the cheapest way from the start to each pose of the path found, over
// its pieces and over the cheapest joins from poses before it (the few just before, then 8,
// 16, 32, ... back, and the start) where these are free; the segments of the way to the goal,
// merged where a segment goes on as the one before it.
void Search::shorten() {
  const std::vector<SearchSegment>& pieces = b_.pieces;
  std::vector<Pose>& poses = b_.poses;
  std::vector<Way>& way = b_.way;
  poses.clear();
  Pose q = P0_;
  for (const SearchSegment& g : pieces) {
    poses.push_back(q);
    q = along(q, g.k / p_.Ra, g.drive * g.len);
  }
  poses.push_back(PF_);
  const std::size_t n = pieces.size();
  way.assign(n + 1, Way{});
  Word w;
  for (std::size_t j = 1; j <= n; ++j) {
    const SearchSegment& g = pieces[j - 1];
    const Way& before = way[j - 1];
    Way& to = way[j];
    to = Way{before.cost + (g.drive > 0 ? g.len : rc_ * g.len) + cusp(before.dir, g.drive), j - 1,
             false, g.drive};
    const auto offer = [&](std::size_t i) {
      join(poses[i], poses[j], w);
      if (!std::isfinite(w.cost) || w.n == 0) return;
      const double c = way[i].cost + w.cost + cusp(way[i].dir, w.seg[0].dir);
      if (!(c < to.cost * (1 - kSaving)) || !free(poses[i], w)) return;
      to = Way{c, i, true, w.seg[w.n - 1].dir};
    };
    for (std::size_t back = 2; back <= kShortBack && back <= j; ++back) offer(j - back);
    for (std::size_t back = 2 * kShortBack; back < j; back *= 2) offer(j - back);
    if (j > kShortBack) offer(0);
  }
  // The way back from the goal, then forward.
  std::vector<SearchSegment>& out = b_.joined;
  out.clear();
  for (std::size_t j = n; j > 0; j = way[j].from) {
    const Way& to = way[j];
    if (!to.joined) {
      out.push_back(pieces[j - 1]);
      continue;
    }
    join(poses[to.from], poses[j], w);
    for (int m = w.n - 1; m >= 0; --m) out.push_back(SearchSegment{w.seg[m].k, w.seg[m].dir, w.seg[m].len});
  }
  std::reverse(out.begin(), out.end());
  // Segments that go on as the one before them, one.
  std::size_t k = 0;
  for (std::size_t m = 0; m < out.size(); ++m) {
    if (k > 0 && out[k - 1].k == out[m].k && out[k - 1].drive == out[m].drive) {
      out[k - 1].len += out[m].len;
    } else {
      out[k++] = out[m];
    }
  }
  out.resize(k);
}

// Whether the segments, driven from the start, are free by the map's check and end on the goal.
bool Search::verify(const std::vector<SearchSegment>& segs) const {
  Pose q = P0_;
  for (const SearchSegment& g : segs) {
    const double kap = g.k / p_.Ra;
    if (!body_.free(q, kap, g.len, g.drive)) return false;
    q = along(q, kap, g.drive * g.len);
  }
  const double scale = 1 + std::fabs(P0_.x) + std::fabs(P0_.y) + std::fabs(PF_.x) + std::fabs(PF_.y);
  return std::fabs(q.x - PF_.x) <= kCloses * scale && std::fabs(q.y - PF_.y) <= kCloses * scale &&
         std::fabs(std::remainder(q.th - PF_.th, kTwoPi)) <= kCloses * scale;
}

void Search::publish(const std::vector<SearchSegment>& segs) {
  r_.segments.assign(segs.begin(), segs.end());
  r_.cost = 0.0;
  r_.length = 0.0;
  r_.cusps = 0;
  for (std::size_t i = 0; i < segs.size(); ++i) {
    r_.length += segs[i].len;
    r_.cost += segs[i].drive > 0 ? segs[i].len : p_.reverseCost * segs[i].len;
    if (i > 0 && segs[i].drive != segs[i - 1].drive) {
      ++r_.cusps;
      r_.cost += p_.cuspCost;
    }
  }
}

// A body the index was built for: the same as p's, to the rounding of the division.
bool samebody(const MapIndex& ix, const Params& p) {
  if (ix.width <= 0 || ix.height <= 0 || !(ix.resolution > 0) ||
      ix.dist.size() != static_cast<std::size_t>(ix.width + 2) * static_cast<std::size_t>(ix.height + 2))
    return false;
  const double a = ((p.bodyFront + p.bodyRear) / 2 + p.clearance) / ix.resolution;
  const double b = (p.bodyWidth / 2 + p.clearance) / ix.resolution;
  const double ahead = (p.bodyFront - p.bodyRear) / 2 / ix.resolution;
  return a == ix.halfLength && b == ix.halfWidth && ahead == ix.ahead;
}

bool finite(const Waypoint& w) {
  return std::isfinite(w.x) && std::isfinite(w.y) && std::isfinite(w.thDeg);
}

// The start pose as the planner takes it: its heading converted exactly.
Pose startpose(const Waypoint& start) {
  return Pose{start.x, start.y, reduceheading(start.thDeg) * (std::numbers::pi / 180), 0.0};
}

// The pose a distance u along a segment of curvature kap driven in direction dir from a.
PlanPose posealong(const PlanPose& a, double kap, int dir, double u) {
  const Pose q = along(Pose{a.x, a.y, a.th, a.s}, kap, dir * u);
  return PlanPose{q.x, q.y, q.th, dir, a.s + u};
}

// A segment as planInMap gives them: a direction of each kind and a finite length.
bool segment(const SearchSegment& g) {
  return g.k >= -1 && g.k <= 1 && (g.drive == 1 || g.drive == -1) && g.len >= 0 &&
         std::isfinite(g.len);
}

}  // namespace

SearchStatus planInMap(const Params& p, const MapIndex& ix, const Waypoint& start,
                       const Waypoint& goal, SearchWork& work, SearchResult& r,
                       bool (*stop)(void* data), void* data) {
  const auto t0 = std::chrono::steady_clock::now();
  r.status = SearchStatus::Found;
  r.segments.clear();
  r.cost = r.length = 0.0;
  r.cusps = 0;
  r.expansions = 0;
  r.seconds = 0.0;
  r.step = 0.0;
  r.contact = Contact{};
  r.stage = 0;
  r.count = 0;
  r.value = r.limit = 0.0;
  if (!checkparams(p).empty()) return r.status = SearchStatus::BadParams;
  if (!finite(start) || !finite(goal)) return r.status = SearchStatus::BadPose;
  if (!samebody(ix, p)) return r.status = SearchStatus::BadIndex;
  // The poses as the planner takes them: the start heading converted exactly, the goal's the
  // start's and the turn between them.
  const Pose P0 = startpose(start);
  const Pose PF{goal.x, goal.y, P0.th + reduceheading(goal.thDeg - start.thDeg) * DEG2RAD, 0.0};
  const auto touches = [&r, &ix](const Pose& q) {
    r.contact = collides(ix, q.x, q.y, q.th);
    r.contact.x = q.x;
    r.contact.y = q.y;
    r.contact.th = q.th;
    return static_cast<bool>(r.contact);
  };
  if (touches(P0)) return r.status = SearchStatus::StartCollides;
  if (touches(PF)) return r.status = SearchStatus::GoalCollides;
  r.contact = Contact{};
  Search s(p, ix, work.buffers(), r, stop, data);
  try {
    s.run(P0, PF);
  } catch (const std::bad_alloc&) {  // the system refused memory within maxMemory
    r.segments.clear();
    r.value = kInf;
    r.limit = p.maxMemory;
    r.status = SearchStatus::MemoryBound;
  }
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  return r.status;
}

Status samplePath(const std::vector<SearchSegment>& segs, const Params& p, const Waypoint& start,
                  double ds, std::vector<PlanPose>& poses) {
  poses.clear();
  if (!checkparams(p).empty()) return Status::BadParams;
  if (!std::all_of(segs.begin(), segs.end(), segment)) return Status::NotPlanned;
  if (!finite(start)) return Status::BadPose;
  if (!(ds > 0)) return Status::BadSpacing;
  double total = 0.0;
  for (const SearchSegment& g : segs) total += g.len;
  // The multiples of ds below the end, the joints and the ends.
  const double count = std::floor(total / ds) + static_cast<double>(segs.size()) + 2;
  if (!(count <= static_cast<double>(kSampleMax))) return Status::BadSpacing;
  poses.reserve(static_cast<std::size_t>(count));

  const Pose P0 = startpose(start);
  PlanPose at{P0.x, P0.y, P0.th, segs.empty() ? 1 : segs.front().drive, 0.0};
  const auto add = [&poses](const PlanPose& q) {
    if (poses.empty() || q.s > poses.back().s) poses.push_back(q);
  };
  double next = 1;  // the next multiple of ds
  for (const SearchSegment& g : segs) {
    const double kap = g.k / p.Ra;
    at.drive = g.drive;
    add(at);
    const double end = at.s + g.len;
    for (; next * ds < end; ++next) add(posealong(at, kap, g.drive, next * ds - at.s));
    at = posealong(at, kap, g.drive, g.len);
  }
  add(at);
  return Status::Done;
}

std::string searchreason(const SearchResult& r, const Params& p) {
  char buf[256];
  const char* touch = r.contact.touch == Touch::Outside ? "leaves the map" : "touches an obstacle";
  switch (r.status) {
    case SearchStatus::Found:
      return "";
    case SearchStatus::StartCollides:
    case SearchStatus::GoalCollides:
      std::snprintf(buf, sizeof buf, "the %s pose (%.6g m, %.6g m, %.6g deg) %s",
                    r.status == SearchStatus::StartCollides ? "start" : "goal", r.contact.x,
                    r.contact.y, r.contact.th * (180 / std::numbers::pi), touch);
      if (r.contact.touch == Touch::Occupied)
        std::snprintf(buf + std::strlen(buf), sizeof buf - std::strlen(buf),
                      " (cell column %d, row %d)", r.contact.col, r.contact.row);
      return buf;
    case SearchStatus::Unreachable:
      return r.stage == 0 ? "the goal cannot be reached: no way over the map's free cells leads "
                            "from the start to it"
                          : "the goal cannot be reached: every pose the moves reach was searched";
    case SearchStatus::ExpansionBound:
      std::snprintf(buf, sizeof buf,
                    "no path within maxExpansions = %d expanded nodes; a larger maxExpansions "
                    "searches on",
                    p.maxExpansions);
      return buf;
    case SearchStatus::MemoryBound:
      if (!std::isfinite(r.value))
        return "the search ran out of memory within maxMemory (the system refused more, or its "
               "nodes outgrew their numbers)";
      std::snprintf(buf, sizeof buf,
                    "the search would take %.0f MiB, more than maxMemory = %d MiB; a larger "
                    "maxMemory searches on",
                    r.value, p.maxMemory);
      return buf;
    case SearchStatus::Interrupted:
      return "the search was interrupted";
    case SearchStatus::BadParams:
      return checkparams(p);
    case SearchStatus::BadPose:
      return "a pose is not finite";
    case SearchStatus::BadIndex:
      return "the map's index was not built for this body (buildindex with the same parameters)";
  }
  return "";
}

}  // namespace agv
