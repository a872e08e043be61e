#include "web/page.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "agv/agv.h"
#include "cli/csv.h"
#include "cli/paramarg.h"
#include "cli/passargs.h"
#include "cli/route.h"
#include "session/shot.h"

namespace agvweb {

using namespace agv;

namespace {

// The entries of the pass that are no parameter.
const char* const kInputs[] = {"path", "x0", "y0", "th0", "xf", "yf", "thf", "I", "route", "map"};
const char* const kPoses[] = {"x0", "y0", "th0", "xf", "yf", "thf"};
const char* const kPoseDefaults[] = {"0", "0", "0", "2", "3", "0"};

// The route the page offers first: a floor round, station after station.
constexpr char kRoute[] = "x,y,th\n0,0,0\n4,2,90\n0,6,180\n-3,0,-90\n";

// The most pan keys an address may ask for, each way: far beyond any picture.
constexpr long kPanMax = 100000;

// The names of the constants of each curve, as its set-up prompt asks for them.
struct CurveNames {
  int I;
  const char* names[2];
};
constexpr CurveNames kCurveNames[] = {
    {1, {"A", "L"}},  {2, {"A", "L"}},      {3, {"A", "L"}},  {4, {"A", "L"}},  {11, {"A", "B"}},
    {12, {"A", "n"}}, {13, {"A", nullptr}}, {14, {"A", "n"}}, {16, {"A", "n"}},
};

// The entries that are no parameter: the inputs, the view, and the constants of the curves.
bool isinput(const std::string& name) {
  for (const char* n : kInputs)
    if (name == n) return true;
  for (const char* n : kViewNames)
    if (name == n) return true;
  for (const CurveNames& c : kCurveNames)
    for (const char* n : c.names)
      if (n != nullptr && name == n) return true;
  return false;
}

// A double as text that reads back to it.
std::string text(double v) {
  std::string s;
  cli::num(s, v);
  return s;
}

}  // namespace

const char* constname(int I, int i) {
  for (const CurveNames& c : kCurveNames)
    if (c.I == I) return i >= 0 && i < nconsts(I) ? c.names[i] : nullptr;
  return nullptr;
}

Page::Page() { reset(); }

void Page::reset() {
  s_ = std::make_unique<Session>();
  in_.clear();
  errors_.clear();
  done_ = false;
  panx_ = pany_ = 0;
}

void Page::set(const std::string& name, const std::string& value) { in_[name] = value; }

bool Page::mapyaml(const std::string& name, std::string_view text, std::string& err) {
  pending_ = mapfile::MapYaml{};
  pendingName_.clear();
  if (!mapfile::parseyaml(text, name, pending_, err)) return false;
  pendingName_ = name;
  return true;
}

bool Page::mapbytes(const std::uint8_t* data, std::size_t size, std::string& err) {
  if (pendingName_.empty()) {
    err = "no map's YAML file read before its image";
    return false;
  }
  auto m = std::make_unique<Map>();
  if (!mapfile::readimage(data, size, pending_.image, pending_, kMapMaxSide, *m, err)) return false;
  mapfile::placemap(pending_, *m);
  map_ = std::move(m);
  mapName_ = pendingName_.substr(0, pendingName_.rfind(".yaml"));
  return true;
}

std::string Page::entry(const std::string& name, const std::string& fallback) const {
  const auto it = in_.find(name);
  return it == in_.end() ? fallback : it->second;
}

void Page::refuse(const std::string& name, const std::string& why) {
  errors_.emplace_back(name, why);
}

bool Page::run() {
  errors_.clear();
  done_ = false;
  Session& s = *s_;
  const std::string path = entry("path", "ptp");
  if (path != "ptp" && path != "cp" && path != "route")
    refuse("path", "unknown path kind " + path + " (the kinds: ptp, cp, route)");
  const char kind = path == "cp" ? 'c' : path == "route" ? 'r' : 'p';

  // The poses of a PTP pass: the start (agvbatch's --from) and the end.
  double pose[6] = {};
  for (int i = 0; i < 6; ++i) {
    std::string err;
    if (!cli::numbers({entry(kPoses[i], kPoseDefaults[i])}, &pose[i], err)) refuse(kPoses[i], err);
  }
  // The curve and its constants, the defaults those the set-up menu starts with.
  Curve curve;
  {
    std::vector<std::string> args{entry("I", "1")};
    long I = 0;
    double* dflt[2] = {nullptr, nullptr};
    Session fresh;
    const int n = cli::whole(args[0], I) && I > INT_MIN && I < INT_MAX
                      ? curveconsts(fresh, static_cast<int>(I), dflt)
                      : 0;
    for (int i = 0; i < n; ++i)
      args.push_back(entry(constname(static_cast<int>(I), i), text(*dflt[i])));
    std::string err;
    if (kind == 'c' && !cli::curveargs(args, curve, err)) {
      // The message names the curve number, or the first constant refused.
      std::string field = "I";
      for (int i = 0; i < n && field == "I"; ++i) {
        double v = 0.0;
        std::string e;
        if (!cli::numbers({args[1 + i]}, &v, e) || v < 0) field = constname(static_cast<int>(I), i);
      }
      refuse(field, err);
    }
  }
  std::vector<Waypoint> waypoints;
  if (kind == 'r') {
    std::string err;
    if (!cli::parseroute(entry("route", kRoute), "route", waypoints, err)) refuse("route", err);
  }
  // The parameters, in the order of their table, then names that are none.
  Params p;
  std::vector<std::string> names;
  for (int i = 0; i < nParams; ++i)
    if (in_.count(paraminfo(i).name) > 0) names.push_back(paraminfo(i).name);
  for (const auto& [name, value] : in_)
    if (!isinput(name) && std::find(names.begin(), names.end(), name) == names.end())
      names.push_back(name);
  for (const std::string& name : names) {
    std::string err;
    if (!cli::setparamarg(p, name + "=" + in_.at(name), err)) refuse(name, err);
  }
  // The map of the entry: the one read, in the index of these parameters' body.
  const std::string mapname = entry("map", "");
  s.mapped = false;
  if (!mapname.empty() && (map_ == nullptr || mapname != mapName_))
    refuse("map", "no map " + mapname + " read (the map read: " +
                      (map_ == nullptr ? std::string("none") : mapName_) + ")");
  if (!errors_.empty()) return false;
  if (!mapname.empty()) {
    s.map = *map_;
    if (!buildindex(s.map, p, s.index)) {
      const std::string why = checkmap(s.map);
      refuse("map", mapname + ".yaml: " + (why.empty() ? checkparams(p) : why));
      return false;
    }
    s.mapped = true;
  }

  s.params = p;
  s.routed = false;
  Status st = Status::Done;
  std::string why;
  if (kind == 'p') {
    s.sgnPATH = 'p';
    const Waypoint from{pose[0], pose[1], pose[2]}, to{pose[3], pose[4], pose[5]};
    st = s.mapped ? passPTP(p, from, to, s.index, s.ptp) : passPTP(p, from, to, s.ptp);
    why = reason(s.ptp.refusal, p);
    s.x0 = pose[0], s.y0 = pose[1], s.th0 = pose[2] * DEG2RAD;
    s.xf = pose[3], s.yf = pose[4], s.thfDeg = pose[5], s.thf = pose[5] * DEG2RAD;
  } else if (kind == 'c') {
    s.sgnPATH = 'c';
    s.curveNo = curve.I;
    double* c[2] = {nullptr, nullptr};
    const int n = curveconsts(s, curve.I, c);
    for (int i = 0; i < n; ++i) *c[i] = i == 0 ? curve.a : curve.b;
    st = s.mapped ? passCP(p, curve, s.index, s.cp) : passCP(p, curve, s.cp);
    why = reason(s.cp.refusal, p);
  } else {
    s.sgnPATH = 'p';
    st = s.mapped ? passRoute(p, waypoints, s.index, s.route) : passRoute(p, waypoints, s.route);
    why = reason(s.route);
    s.routed = true;
  }
  if (st != Status::Done) {
    refuse("pass", "refused: " + why);
    return false;
  }
  kind_ = kind;
  s.view = View{};
  passed(s);
  if (kind == 'r' && !s.mapped) routeview(s.view, s.route);  // a map's view is the whole map
  done_ = view();
  return done_;
}

// The view of the entries, on the pass just done: as a picture of agvbatch chooses it, then
// the zoom and pan keys.
bool Page::view() {
  Session& s = *s_;
  const size_t before = errors_.size();
  Shot shot;
  const std::string mech = entry("mech", "1");
  long m = 0;
  if (!cli::whole(mech, m) || m < INT_MIN || m > INT_MAX)
    refuse("mech",
           "no mechanism " + mech + ": the mechanisms are 1 (2DW1C), 2 (1FDW1FS) and 3 (1RDW1FS)");
  shot.mechanism = static_cast<int>(m);
  const std::string drawing = entry("drawing", "a");
  shot.drawing = drawing == "a" || drawing == "arc"        ? 'a'
                 : drawing == "b" || drawing == "clothoid" ? 'b'
                                                           : '?';
  long step = 0;
  std::string err;
  if (!stepof(entry("step", "0"), step, err)) refuse("step", err);
  shot.step = step;
  // The keys of the address: how many times each pair is pressed (+ the second key).
  const char* keys[3][2] = {{"zoom", "wW"}, {"panx", "xX"}, {"pany", "yY"}};
  long presses[3] = {};
  for (int k = 0; k < 3; ++k) {
    const std::string t = entry(keys[k][0], "0");
    if (!cli::whole(t, presses[k]) || presses[k] < -kPanMax || presses[k] > kPanMax)
      refuse(keys[k][0], std::string(keys[k][0]) + " is a whole number of keys from " +
                             std::to_string(-kPanMax) + " to " + std::to_string(kPanMax) +
                             ", not " + t);
  }
  // The mechanism and the drawing as a picture of agvbatch takes them, each on its own; then
  // the step of the motion they show.
  Scene sc = sceneof(s);
  if (errors_.size() == before && !choose(sc, Shot{shot.mechanism, 'a', 0}, err))
    refuse("mech", err);
  if (!choose(sc, Shot{1, shot.drawing, 0}, err)) refuse("drawing", err);
  if (errors_.size() > before) return false;
  if (!choose(sc, shot, err)) {
    refuse("step", err);
    return false;
  }
  s.agvType = sc.agvType;
  s.sgnDraw = sc.sgnDraw;
  s.view = sc.view;
  panx_ = pany_ = 0;
  for (int k = 0; k < 3; ++k) {
    // A zoom key beyond the zoom's bound does nothing, as in the window.
    for (long i = 0; i < std::labs(presses[k]); ++i)
      if (!press(static_cast<unsigned char>(keys[k][1][presses[k] > 0 ? 1 : 0]))) break;
  }
  return true;
}

bool Page::key(unsigned char k) { return done_ && press(k); }

bool Page::press(unsigned char k) {
  if (!viewkey(*s_, k)) return false;
  if (k == 'x' || k == 'X') panx_ += k == 'X' ? 1 : -1;
  if (k == 'y' || k == 'Y') pany_ += k == 'Y' ? 1 : -1;
  return true;
}

std::string Page::viewquery() const {
  const Session& s = *s_;
  const View& v = s.view;
  std::string q;
  const auto add = [&](const char* name, long value, long dflt) {
    if (value == dflt) return;
    q += (q.empty() ? "" : "&") + std::string(name) + "=" + std::to_string(value);
  };
  add("mech", s.agvType, 1);
  if (s.sgnDraw == 'b') q += (q.empty() ? "" : "&") + std::string("drawing=b");
  add("step", s.sgnPATH == 'c' ? v.kanimCP : std::max(v.kanimC, v.kanimV), 0);
  add("zoom", v.zoom, 0);
  add("panx", panx_, 0);
  add("pany", pany_, 0);
  return q;
}

std::string Page::summary() const {
  if (!done_) return "";
  if (kind_ == 'c') return cli::summarytext(s_->cp);
  if (kind_ == 'r') return cli::summarytext(s_->route);
  return cli::summarytext(s_->ptp);
}

namespace {

// fn(name, lines) for every run file of the pass.
template <class Fn>
void eachrunfile(const Session& s, char kind, Fn fn) {
  if (kind == 'c')
    cli::runfiles(s.cp, fn);
  else if (kind == 'r')
    cli::runfiles(s.route, fn);
  else
    cli::runfiles(s.ptp, fn);
}

}  // namespace

std::vector<std::string> Page::files() const {
  std::vector<std::string> names;
  if (!done_) return names;
  eachrunfile(*s_, kind_, [&](const std::string& name, const auto&) {
    names.push_back(name);
    return true;
  });
  if (kind_ == 'r') names.push_back("legs.csv");
  names.push_back("summary.csv");
  names.push_back("params.toml");
  return names;
}

std::string Page::file(const std::string& name) const {
  if (!done_) return "";
  if (name == "summary.csv") return summary();
  if (name == "params.toml") return cli::paramtext(s_->params);
  if (name == "legs.csv") return kind_ == 'r' ? cli::legstext(s_->route) : "";
  std::string text;
  eachrunfile(*s_, kind_, [&](const std::string& n, const auto& lines) {
    if (n != name) return true;
    text = cli::runtext(lines);
    return false;
  });
  return text;
}

}  // namespace agvweb
