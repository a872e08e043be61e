// The columns of the summaries, in one table: a column is one line below.
#include "agv/columns.h"

#include <cmath>
#include <limits>
#include <span>

namespace agv {

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();  // a value a row has not
constexpr int kSegForward = 3;  // the segments of a forward path

// When a column is shown: always, or where each of its needs is met: in the summaries of PTP
// paths (which have variable-velocity runs; a CP curve's and a track's have not), with a
// feature.
// Cusps: paths that may back up, or are searched in a map.
enum Need : unsigned { Always = 0, Vv = 1, Tracked = 2, Reverse = 4, Mapped = 8, Cusps = 16 };

bool shown(unsigned need, Table t, const Features& f) {
  const bool curve = t == Table::Cp || t == Table::Track;
  return (!(need & Vv) || !curve) && (!(need & Tracked) || f.tracked) &&
         (!(need & Reverse) || f.reverse) && (!(need & Mapped) || f.map) &&
         (!(need & Cusps) || f.reverse || f.map);
}

// What a summary's values are read from.
struct Source {
  const ArcPath* path = nullptr;      // Ptp, Leg
  const CpResult* cp = nullptr;       // Cp
  const TrackResult* track = nullptr;  // Track
  const RouteResult* route = nullptr;  // Route, Leg
  int leg = 0;                        // Leg
  const RunSummary* runs = nullptr;   // [6] arc 1 ... 3, clothoid 1 ... 3, or [3] cp 1 ... 3
  const Contacts* contacts = nullptr;  // the paths' first contacts with a map
  const Searched* search = nullptr;    // Ptp, Leg, Route: the search in a map
};

// A column of a summary's own: one, or one per segment (its name followed by the segment's
// number; NaN beyond the path's segments).
struct PassColumn {
  const char* name;
  const char* unit;
  bool whole;
  unsigned need;
  bool perSegment;
  double (*get)(const Source& s, int j);
};

// A segment's value, or none beyond the path's segments.
template <class T>
double seg(const Source& s, const std::vector<T>& v, int j) {
  return j < s.path->nseg ? static_cast<double>(v[j]) : kNone;
}

const Waypoint& legpose(const Source& s, int end) {
  return s.route->waypoints[static_cast<size_t>(s.leg + end)];
}

// A value of the first contact c, or none where there is none.
double contact(const Contact& c, double v) { return c ? v : kNone; }
double contactt(const Source& s, int b) { return contact(s.contacts->path[b], s.contacts->path[b].t); }
double contactx(const Source& s, int b) { return contact(s.contacts->path[b], s.contacts->path[b].x); }
double contacty(const Source& s, int b) { return contact(s.contacts->path[b], s.contacts->path[b].y); }
double contactth(const Source& s, int b) { return contact(s.contacts->path[b], s.contacts->path[b].th); }

// The first contacts of both paths with a map: when (the reference run's time there) and where.
constexpr PassColumn kPathContacts[] = {
    {"arc_contact", "s", false, Mapped, false, [](const Source& s, int) { return contactt(s, 0); }},
    {"arc_contactx", "m", false, Mapped, false, [](const Source& s, int) { return contactx(s, 0); }},
    {"arc_contacty", "m", false, Mapped, false, [](const Source& s, int) { return contacty(s, 0); }},
    {"arc_contactth", "rad", false, Mapped, false,
     [](const Source& s, int) { return contactth(s, 0); }},
    {"clothoid_contact", "s", false, Mapped, false,
     [](const Source& s, int) { return contactt(s, 1); }},
    {"clothoid_contactx", "m", false, Mapped, false,
     [](const Source& s, int) { return contactx(s, 1); }},
    {"clothoid_contacty", "m", false, Mapped, false,
     [](const Source& s, int) { return contacty(s, 1); }},
    {"clothoid_contactth", "rad", false, Mapped, false,
     [](const Source& s, int) { return contactth(s, 1); }},
};

// The curve's (a CP curve's or a track's).
constexpr PassColumn kCurveContacts[] = {
    {"cp_contact", "s", false, Mapped, false, [](const Source& s, int) { return contactt(s, 0); }},
    {"cp_contactx", "m", false, Mapped, false, [](const Source& s, int) { return contactx(s, 0); }},
    {"cp_contacty", "m", false, Mapped, false, [](const Source& s, int) { return contacty(s, 0); }},
    {"cp_contactth", "rad", false, Mapped, false,
     [](const Source& s, int) { return contactth(s, 0); }},
};

constexpr PassColumn kLeg[] = {
    {"leg", "", true, Always, false, [](const Source& s, int) { return s.leg + 1.0; }},
    {"x0", "m", false, Always, false, [](const Source& s, int) { return legpose(s, 0).x; }},
    {"y0", "m", false, Always, false, [](const Source& s, int) { return legpose(s, 0).y; }},
    {"th0", "deg", false, Always, false,
     [](const Source& s, int) { return legpose(s, 0).thDeg; }},
    {"xf", "m", false, Always, false, [](const Source& s, int) { return legpose(s, 1).x; }},
    {"yf", "m", false, Always, false, [](const Source& s, int) { return legpose(s, 1).y; }},
    {"thf", "deg", false, Always, false,
     [](const Source& s, int) { return legpose(s, 1).thDeg; }},
};

constexpr PassColumn kPath[] = {
    {"row", "", true, Always, false,
     [](const Source& s, int) { return static_cast<double>(s.path->krow); }},
    {"dir", "", true, Always, true,
     [](const Source& s, int j) { return seg(s, s.path->sgnK, j); }},
    {"drive", "", true, Reverse, true,
     [](const Source& s, int j) { return seg(s, s.path->drive, j); }},
    {"s", "m", false, Always, true, [](const Source& s, int j) { return seg(s, s.path->s, j); }},
    {"sf", "m", false, Always, false, [](const Source& s, int) { return s.path->sf; }},
    {"cusps", "", true, Cusps, false,
     [](const Source& s, int) { return static_cast<double>(s.path->cusps()); }},
};

// A value of the search of a pass in a map, or none where there was none.
double searched(const Source& s, double v) { return s.search->done ? v : kNone; }

// The search in a map (a route's: its legs' summed), beside the path's segments and cusps; its
// time differs from run to run, as the only column of a summary does.
constexpr PassColumn kSearch[] = {
    {"segments", "", true, Mapped, false,
     [](const Source& s, int) { return searched(s, s.search->segments); }},
    {"cost", "m", false, Mapped, false,
     [](const Source& s, int) { return searched(s, s.search->cost); }},
    {"expansions", "", true, Mapped, false,
     [](const Source& s, int) { return searched(s, static_cast<double>(s.search->expansions)); }},
    {"searchtime", "s", false, Mapped, false,
     [](const Source& s, int) { return searched(s, s.search->seconds); }},
};

constexpr PassColumn kRoute[] = {
    {"waypoints", "", true, Always, false,
     [](const Source& s, int) { return static_cast<double>(s.route->waypoints.size()); }},
    {"legs", "", true, Always, false,
     [](const Source& s, int) { return static_cast<double>(s.route->legs.size()); }},
    {"sf", "m", false, Always, false, [](const Source& s, int) { return s.route->sf; }},
    {"sfc", "m", false, Always, false, [](const Source& s, int) { return s.route->sfc; }},
    {"cusps", "", true, Cusps, false,
     [](const Source& s, int) { return static_cast<double>(s.route->cusps); }},
};

constexpr PassColumn kCp[] = {
    {"curve", "", true, Always, false,
     [](const Source& s, int) { return static_cast<double>(s.cp->curve.I); }},
    {"c1", "", false, Always, false, [](const Source& s, int) { return s.cp->curve.a; }},
    {"c2", "", false, Always, false,
     [](const Source& s, int) { return nconsts(s.cp->curve.I) > 1 ? s.cp->curve.b : kNone; }},
    {"sf", "m", false, Always, false, [](const Source& s, int) { return s.cp->length; }},
};

// The first stretch of a track tighter than 1/Ra, or null.
const Bend* firsttight(const Source& s) {
  return s.track->bends.tight.empty() ? nullptr : &s.track->bends.tight.front();
}

constexpr PassColumn kTrack[] = {
    {"points", "", true, Always, false,
     [](const Source& s, int) { return static_cast<double>(s.track->track.points.size()); }},
    {"sf", "m", false, Always, false, [](const Source& s, int) { return s.track->length; }},
    {"kapmax", "1/m", false, Always, false,
     [](const Source& s, int) { return s.track->bends.kapmax; }},
    {"kapmax_s", "m", false, Always, false,
     [](const Source& s, int) { return s.track->bends.s; }},
    {"kapmax_x", "m", false, Always, false,
     [](const Source& s, int) { return s.track->bends.x; }},
    {"kapmax_y", "m", false, Always, false,
     [](const Source& s, int) { return s.track->bends.y; }},
    {"tight", "m", false, Always, false,
     [](const Source& s, int) { return s.track->bends.tightlength(); }},
    {"tights", "", true, Always, false,
     [](const Source& s, int) { return static_cast<double>(s.track->bends.tight.size()); }},
    {"tight_s", "m", false, Always, false,
     [](const Source& s, int) { return firsttight(s) != nullptr ? firsttight(s)->s0 : kNone; }},
};

// A column of each run, after the run's name ("arc1_", "cp2_").  The columns of a block are
// shown run after run, block after block.
struct RunColumn {
  const char* name;
  const char* unit;
  bool whole;
  unsigned need;
  double (*get)(const RunSummary& s);
};

constexpr RunColumn kRunOwn[] = {
    {"steps", "", true, Always, [](const RunSummary& s) { return double(s.steps); }},
    {"T", "s", false, Always, [](const RunSummary& s) { return s.T; }},
    {"vsteps", "", true, Vv, [](const RunSummary& s) { return double(s.vsteps); }},
    {"vT", "s", false, Vv, [](const RunSummary& s) { return s.vT; }},
    {"maxerr", "m", false, Always, [](const RunSummary& s) { return s.maxerr; }},
    {"enderr", "m", false, Always, [](const RunSummary& s) { return s.enderr; }},
    {"endtherr", "rad", false, Always, [](const RunSummary& s) { return s.endtherr; }},
};

// The tracked AGV's (none where it did not run).
constexpr RunColumn kRunTracked[] = {
    {"trsteps", "", true, Tracked, [](const RunSummary& s) { return double(s.trsteps); }},
    {"trT", "s", false, Tracked, [](const RunSummary& s) { return s.trT; }},
    {"trmaxxte", "m", false, Tracked, [](const RunSummary& s) { return s.trmaxxte; }},
    {"trrmsxte", "m", false, Tracked, [](const RunSummary& s) { return s.trrmsxte; }},
    {"trendxte", "m", false, Tracked, [](const RunSummary& s) { return s.trendxte; }},
    {"trenderr", "m", false, Tracked, [](const RunSummary& s) { return s.trenderr; }},
    {"trendtherr", "rad", false, Tracked, [](const RunSummary& s) { return s.trendtherr; }},
    {"cvmaxxte", "m", false, Tracked, [](const RunSummary& s) { return s.cvmaxxte; }},
};

// The first contacts of the AGVs with a map (none where a run never touches).
constexpr RunColumn kRunContacts[] = {
    {"cvcontact", "s", false, Mapped, [](const RunSummary& s) { return contact(s.cvcontact, s.cvcontact.t); }},
    {"cvcontactx", "m", false, Mapped, [](const RunSummary& s) { return contact(s.cvcontact, s.cvcontact.x); }},
    {"cvcontacty", "m", false, Mapped, [](const RunSummary& s) { return contact(s.cvcontact, s.cvcontact.y); }},
    {"cvcontactth", "rad", false, Mapped,
     [](const RunSummary& s) { return contact(s.cvcontact, s.cvcontact.th); }},
    {"vvcontact", "s", false, Vv | Mapped, [](const RunSummary& s) { return contact(s.vvcontact, s.vvcontact.t); }},
    {"vvcontactx", "m", false, Vv | Mapped, [](const RunSummary& s) { return contact(s.vvcontact, s.vvcontact.x); }},
    {"vvcontacty", "m", false, Vv | Mapped, [](const RunSummary& s) { return contact(s.vvcontact, s.vvcontact.y); }},
    {"vvcontactth", "rad", false, Vv | Mapped,
     [](const RunSummary& s) { return contact(s.vvcontact, s.vvcontact.th); }},
    {"trcontact", "s", false, Tracked | Mapped,
     [](const RunSummary& s) { return contact(s.trcontact, s.trcontact.t); }},
    {"trcontactx", "m", false, Tracked | Mapped,
     [](const RunSummary& s) { return contact(s.trcontact, s.trcontact.x); }},
    {"trcontacty", "m", false, Tracked | Mapped,
     [](const RunSummary& s) { return contact(s.trcontact, s.trcontact.y); }},
    {"trcontactth", "rad", false, Tracked | Mapped,
     [](const RunSummary& s) { return contact(s.trcontact, s.trcontact.th); }},
};

constexpr std::span<const RunColumn> kRunBlocks[] = {kRunOwn, kRunTracked, kRunContacts};

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
  std::span<const PassColumn> own[4];
  switch (t) {
    case Table::Ptp:
      own[0] = kPath;
      own[1] = kSearch;
      own[2] = kPathContacts;
      break;
    case Table::Leg:
      own[0] = kLeg;
      own[1] = kPath;
      own[2] = kSearch;
      own[3] = kPathContacts;
      break;
    case Table::Route:
      own[0] = kRoute;
      own[1] = kSearch;
      own[2] = kPathContacts;
      break;
    case Table::Cp:
      own[0] = kCp;
      own[1] = kCurveContacts;
      break;
    case Table::Track:
      own[0] = kTrack;
      own[1] = kCurveContacts;
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
        if (src != nullptr && (c.need != Tracked || src->runs[i].tracked)) v = c.get(src->runs[i]);
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
  map = map || o.map;
  return *this;
}

Features features(const Params& p, bool map) {
  Features f;
  f.tracked = p.controller != NoController;
  f.reverse = p.reverse != 0;
  f.map = map;
  return f;
}

Features features(const PtpResult& r) { return features(r.params, r.contacts.checked); }
Features features(const CpResult& r) { return features(r.params, r.contacts.checked); }
Features features(const RouteResult& r) { return features(r.params, r.contacts.checked); }

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
  s.contacts = &r.contacts;
  s.search = &r.search;
  collect(Table::Ptp, f, s, out);
}

void values(const CpResult& r, const Features& f, std::vector<double>& out) {
  const CpSummary sum = summarize(r);
  Source s;
  s.cp = &r;
  s.runs = sum.run;
  s.contacts = &r.contacts;
  collect(Table::Cp, f, s, out);
}

void values(const TrackResult& r, const Features& f, std::vector<double>& out) {
  const CpSummary sum = summarize(r);
  Source s;
  s.track = &r;
  s.runs = sum.run;
  s.contacts = &r.contacts;
  collect(Table::Track, f, s, out);
}

void values(const RouteResult& r, const Features& f, std::vector<double>& out) {
  RunSummary runs[6];
  flatten(summarize(r), runs);
  // The legs' searches as one: their costs, segments, expansions and times summed.
  Searched all;
  all.done = !r.legs.empty();
  for (const PtpResult& leg : r.legs) {
    all.done = all.done && leg.search.done;
    all.cost += leg.search.cost;
    all.segments += leg.search.segments;
    all.expansions += leg.search.expansions;
    all.seconds += leg.search.seconds;
  }
  Source s;
  s.route = &r;
  s.runs = runs;
  s.contacts = &r.contacts;
  s.search = &all;
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
  s.contacts = &r.legs[static_cast<size_t>(leg)].contacts;
  s.search = &r.legs[static_cast<size_t>(leg)].search;
  collect(Table::Leg, f, s, out);
}

}  // namespace agv
