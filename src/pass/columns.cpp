// The columns of the summaries, in one table: a column is one line below.
#include "agv/columns.h"

#include <cmath>
#include <limits>
#include <span>

namespace agv {

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();  // a value a row has not
constexpr int kSegForward = 3;  // the segments of a forward path

// When a column is shown: always, in the summaries of PTP paths (which have
// variable-velocity runs), or with a feature.
enum class Need { Always, Vv, Tracked, Reverse };

bool shown(Need n, Table t, const Features& f) {
  switch (n) {
    case Need::Always:
      return true;
    case Need::Vv:
      return t != Table::Cp && t != Table::Track;
    case Need::Tracked:
      return f.tracked;
    case Need::Reverse:
      return f.reverse;
  }
  return false;
}

// What a summary's values are read from.
struct Source {
  const ArcPath* path = nullptr;      // Ptp, Leg
  const CpResult* cp = nullptr;       // Cp
  const TrackResult* track = nullptr;  // Track
  const RouteResult* route = nullptr;  // Route, Leg
  int leg = 0;                        // Leg
  const RunSummary* runs = nullptr;   // [6] arc 1 ... 3, clothoid 1 ... 3, or [3] cp 1 ... 3
};

// A column of a summary's own: one, or one per segment (its name followed by the segment's
// number; NaN beyond the path's segments).
struct PassColumn {
  const char* name;
  const char* unit;
  bool whole;
  Need need;
  bool perSegment;
  double (*get)(const Source& s, int j);
};

// A segment's value, or none beyond the path's segments.
template <class T>
double seg(const Source& s, const T* v, int j) {
  return j < s.path->nseg ? static_cast<double>(v[j]) : kNone;
}

const Waypoint& legpose(const Source& s, int end) {
  return s.route->waypoints[static_cast<size_t>(s.leg + end)];
}

constexpr PassColumn kLeg[] = {
    {"leg", "", true, Need::Always, false, [](const Source& s, int) { return s.leg + 1.0; }},
    {"x0", "m", false, Need::Always, false, [](const Source& s, int) { return legpose(s, 0).x; }},
    {"y0", "m", false, Need::Always, false, [](const Source& s, int) { return legpose(s, 0).y; }},
    {"th0", "deg", false, Need::Always, false,
     [](const Source& s, int) { return legpose(s, 0).thDeg; }},
    {"xf", "m", false, Need::Always, false, [](const Source& s, int) { return legpose(s, 1).x; }},
    {"yf", "m", false, Need::Always, false, [](const Source& s, int) { return legpose(s, 1).y; }},
    {"thf", "deg", false, Need::Always, false,
     [](const Source& s, int) { return legpose(s, 1).thDeg; }},
};

constexpr PassColumn kPath[] = {
    {"row", "", true, Need::Always, false,
     [](const Source& s, int) { return static_cast<double>(s.path->krow); }},
    {"dir", "", true, Need::Always, true,
     [](const Source& s, int j) { return seg(s, s.path->sgnK, j); }},
    {"drive", "", true, Need::Reverse, true,
     [](const Source& s, int j) { return seg(s, s.path->drive, j); }},
    {"s", "m", false, Need::Always, true, [](const Source& s, int j) { return seg(s, s.path->s, j); }},
    {"sf", "m", false, Need::Always, false, [](const Source& s, int) { return s.path->sf; }},
    {"cusps", "", true, Need::Reverse, false,
     [](const Source& s, int) { return static_cast<double>(s.path->cusps()); }},
};

constexpr PassColumn kRoute[] = {
    {"waypoints", "", true, Need::Always, false,
     [](const Source& s, int) { return static_cast<double>(s.route->waypoints.size()); }},
    {"legs", "", true, Need::Always, false,
     [](const Source& s, int) { return static_cast<double>(s.route->legs.size()); }},
    {"sf", "m", false, Need::Always, false, [](const Source& s, int) { return s.route->sf; }},
    {"sfc", "m", false, Need::Always, false, [](const Source& s, int) { return s.route->sfc; }},
    {"cusps", "", true, Need::Reverse, false,
     [](const Source& s, int) { return static_cast<double>(s.route->cusps); }},
};

constexpr PassColumn kCp[] = {
    {"curve", "", true, Need::Always, false,
     [](const Source& s, int) { return static_cast<double>(s.cp->curve.I); }},
    {"c1", "", false, Need::Always, false, [](const Source& s, int) { return s.cp->curve.a; }},
    {"c2", "", false, Need::Always, false,
     [](const Source& s, int) { return nconsts(s.cp->curve.I) > 1 ? s.cp->curve.b : kNone; }},
    {"sf", "m", false, Need::Always, false, [](const Source& s, int) { return s.cp->length; }},
};

// The first stretch of a track tighter than 1/Ra, or null.
const Bend* firsttight(const Source& s) {
  return s.track->bends.tight.empty() ? nullptr : &s.track->bends.tight.front();
}

constexpr PassColumn kTrack[] = {
    {"points", "", true, Need::Always, false,
     [](const Source& s, int) { return static_cast<double>(s.track->track.points.size()); }},
    {"sf", "m", false, Need::Always, false, [](const Source& s, int) { return s.track->length; }},
    {"kapmax", "1/m", false, Need::Always, false,
     [](const Source& s, int) { return s.track->bends.kapmax; }},
    {"kapmax_s", "m", false, Need::Always, false,
     [](const Source& s, int) { return s.track->bends.s; }},
    {"kapmax_x", "m", false, Need::Always, false,
     [](const Source& s, int) { return s.track->bends.x; }},
    {"kapmax_y", "m", false, Need::Always, false,
     [](const Source& s, int) { return s.track->bends.y; }},
    {"tight", "m", false, Need::Always, false,
     [](const Source& s, int) { return s.track->bends.tightlength(); }},
    {"tights", "", true, Need::Always, false,
     [](const Source& s, int) { return static_cast<double>(s.track->bends.tight.size()); }},
    {"tight_s", "m", false, Need::Always, false,
     [](const Source& s, int) { return firsttight(s) != nullptr ? firsttight(s)->s0 : kNone; }},
};

// A column of each run, after the run's name ("arc1_", "cp2_").  The columns of a block are
// shown run after run, block after block.
struct RunColumn {
  const char* name;
  const char* unit;
  bool whole;
  Need need;
  double (*get)(const RunSummary& s);
};

constexpr RunColumn kRunOwn[] = {
    {"steps", "", true, Need::Always, [](const RunSummary& s) { return double(s.steps); }},
    {"T", "s", false, Need::Always, [](const RunSummary& s) { return s.T; }},
    {"vsteps", "", true, Need::Vv, [](const RunSummary& s) { return double(s.vsteps); }},
    {"vT", "s", false, Need::Vv, [](const RunSummary& s) { return s.vT; }},
    {"maxerr", "m", false, Need::Always, [](const RunSummary& s) { return s.maxerr; }},
    {"enderr", "m", false, Need::Always, [](const RunSummary& s) { return s.enderr; }},
    {"endtherr", "rad", false, Need::Always, [](const RunSummary& s) { return s.endtherr; }},
};

// The tracked AGV's (none where it did not run).
constexpr RunColumn kRunTracked[] = {
    {"trsteps", "", true, Need::Tracked, [](const RunSummary& s) { return double(s.trsteps); }},
    {"trT", "s", false, Need::Tracked, [](const RunSummary& s) { return s.trT; }},
    {"trmaxxte", "m", false, Need::Tracked, [](const RunSummary& s) { return s.trmaxxte; }},
    {"trrmsxte", "m", false, Need::Tracked, [](const RunSummary& s) { return s.trrmsxte; }},
    {"trendxte", "m", false, Need::Tracked, [](const RunSummary& s) { return s.trendxte; }},
    {"trenderr", "m", false, Need::Tracked, [](const RunSummary& s) { return s.trenderr; }},
    {"trendtherr", "rad", false, Need::Tracked, [](const RunSummary& s) { return s.trendtherr; }},
    {"cvmaxxte", "m", false, Need::Tracked, [](const RunSummary& s) { return s.cvmaxxte; }},
};

constexpr std::span<const RunColumn> kRunBlocks[] = {kRunOwn, kRunTracked};

constexpr const char* kPtpRuns[] = {"arc1_",      "arc2_",      "arc3_",
                                    "clothoid1_", "clothoid2_", "clothoid3_"};
constexpr const char* kCpRuns[] = {"cp1_", "cp2_", "cp3_"};

// A column as the walk finds it: a name in up to three pieces.
struct Piece {
  const char* prefix;  // the run's name, or ""
  const char* name;
  int j;               // the segment's number, or -1
  const char* unit;
  bool whole;
};

// Calls col(piece, value) for every column of table t with features f, in order; the values
// are read from src (NaN without one).
template <class F>
void walk(Table t, const Features& f, const Source* src, F&& col) {
  std::span<const PassColumn> own[2];
  switch (t) {
    case Table::Ptp:
      own[0] = kPath;
      break;
    case Table::Leg:
      own[0] = kLeg;
      own[1] = kPath;
      break;
    case Table::Route:
      own[0] = kRoute;
      break;
    case Table::Cp:
      own[0] = kCp;
      break;
    case Table::Track:
      own[0] = kTrack;
      break;
  }
  for (std::span<const PassColumn> part : own)
    for (const PassColumn& c : part) {
      if (!shown(c.need, t, f)) continue;
      const int n = !c.perSegment ? 1 : f.reverse ? kSegMax : kSegForward;
      for (int j = 0; j < n; ++j)
        col(Piece{"", c.name, c.perSegment ? j : -1, c.unit, c.whole},
            src != nullptr ? c.get(*src, j) : kNone);
    }
  const std::span<const char* const> runs = t == Table::Cp || t == Table::Track
                                                ? std::span<const char* const>(kCpRuns)
                                                : std::span<const char* const>(kPtpRuns);
  for (std::span<const RunColumn> block : kRunBlocks)
    for (size_t i = 0; i < runs.size(); ++i)
      for (const RunColumn& c : block) {
        if (!shown(c.need, t, f)) continue;
        double v = kNone;
        if (src != nullptr && (c.need != Need::Tracked || src->runs[i].tracked)) v = c.get(src->runs[i]);
        col(Piece{runs[i], c.name, -1, c.unit, c.whole}, v);
      }
}

void collect(Table t, const Features& f, const Source& src, std::vector<double>& out) {
  out.clear();
  walk(t, f, &src, [&](const Piece&, double v) { out.push_back(v); });
}

// The summaries of a PTP pass or a route as one array of six runs.
void flatten(const PtpSummary& sum, RunSummary (&runs)[6]) {
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k) runs[3 * b + k] = sum.run[b][k];
}

}  // namespace

Features& Features::operator|=(const Features& o) {
  tracked = tracked || o.tracked;
  reverse = reverse || o.reverse;
  return *this;
}

Features features(const Params& p) {
  Features f;
  f.tracked = p.controller != NoController;
  f.reverse = p.reverse != 0;
  return f;
}

std::string Column::title() const { return unit.empty() ? name : name + "[" + unit + "]"; }

std::vector<Column> columns(Table t, const Features& f) {
  std::vector<Column> out;
  walk(t, f, nullptr, [&](const Piece& p, double) {
    std::string name = std::string(p.prefix) + p.name;
    if (p.j >= 0) name += std::to_string(p.j);
    out.push_back(Column{std::move(name), p.unit, p.whole});
  });
  return out;
}

void values(const PtpResult& r, const Features& f, std::vector<double>& out) {
  RunSummary runs[6];
  flatten(summarize(r), runs);
  Source s;
  s.path = &r.path;
  s.runs = runs;
  collect(Table::Ptp, f, s, out);
}

void values(const CpResult& r, const Features& f, std::vector<double>& out) {
  const CpSummary sum = summarize(r);
  Source s;
  s.cp = &r;
  s.runs = sum.run;
  collect(Table::Cp, f, s, out);
}

void values(const TrackResult& r, const Features& f, std::vector<double>& out) {
  const CpSummary sum = summarize(r);
  Source s;
  s.track = &r;
  s.runs = sum.run;
  collect(Table::Track, f, s, out);
}

void values(const RouteResult& r, const Features& f, std::vector<double>& out) {
  RunSummary runs[6];
  flatten(summarize(r), runs);
  Source s;
  s.route = &r;
  s.runs = runs;
  collect(Table::Route, f, s, out);
}

void values(const RouteResult& r, int leg, const Features& f, std::vector<double>& out) {
  if (leg < 0 || static_cast<size_t>(leg) >= r.legs.size()) {  // no such leg: no values
    out.assign(columns(Table::Leg, f).size(), kNone);
    return;
  }
  RunSummary runs[6];
  flatten(summarize(r, leg), runs);
  Source s;
  s.path = &r.legs[static_cast<size_t>(leg)].path;
  s.route = &r;
  s.leg = leg;
  s.runs = runs;
  collect(Table::Leg, f, s, out);
}

}  // namespace agv
