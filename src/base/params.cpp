// Parameter names, ranges and checks, and the model of a pass.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/model.h"

namespace agv {

namespace {

// Ranges: wide enough for any vehicle of this kind, narrow enough that every
// computation stays within the range of its numbers.  The texts are held in
// the rows, so that the table is constant data without addresses.
struct Row {
  char name[12];
  char unit[8];
  double lo;
  double hi;
  bool whole;
  char about[80];
  bool optin = false;
  char names[40] = "";
};
constexpr Row kInfo[nParams] = {
    {"Vmax", "m/s", 0.001, 100.0, false, "running speed of the AGV"},
    {"steerRate", "rad/s", 0.001, 100.0, false, "steering speed of the steered wheel"},
    {"Ra", "m", 0.001, 1000.0, false, "minimum turning radius"},
    {"Lw", "m", 0.001, 100.0, false, "wheel base"},
    {"dt", "s", 0.0001, 0.1, false, "time step of the PTP runs"},
    {"dtCP", "s", 0.0001, 0.1, false, "time step of the CP runs"},
    {"maxSteps", "", 1.0, 1000000.0, true,
     "step capacity: a run of this many time steps or more is refused"},
    {"threeArcs", "", 0.0, 1.0, true, "1: the planner also tries the three-arc joins"},
    {"maxMemory", "MiB", 1.0, 1048576.0, true, "the most memory the records of a pass may take"},
    {"controller", "", 0.0, 3.0, true, "the tracked AGV's controller", true,
     "none,purepursuit,stanley,rearwheel"},
    {"Ld", "m", 0.001, 1000.0, false, "pure pursuit: lookahead distance", true},
    {"kLd", "s", 0.0, 100.0, false, "pure pursuit: lookahead growth with the speed (Ld + kLd v)",
     true},
    {"kStanley", "1/s", 0.0, 100.0, false, "Stanley: gain of the cross-track error", true},
    {"kTheta", "1/m", 0.0, 100.0, false, "rear-wheel feedback: gain of the heading error", true},
    {"kE", "1/m^2", 0.0, 100.0, false, "rear-wheel feedback: gain of the cross-track error", true},
    {"offsetX", "m", -100.0, 100.0, false, "tracked AGV's start ahead of the path's start", true},
    {"offsetY", "m", -100.0, 100.0, false, "tracked AGV's start left of the path's start", true},
    {"offsetTh", "deg", -180.0, 180.0, false, "tracked AGV's start heading off the path's", true},
    {"reverse", "", 0.0, 1.0, true, "1: PTP paths may back up (arcs of Ra and lines, cusps)", true},
    {"reverseCost", "", 0.01, 100.0, false, "reverse: factor on the length driven backward", true},
    {"cuspCost", "m", 0.0, 1000.0, false, "reverse: metres added for each change of direction",
     true},
    {"bodyFront", "m", 0.001, 100.0, false, "body: reach ahead of the reference point", true},
    {"bodyRear", "m", 0.0, 100.0, false, "body: reach behind the reference point", true},
    {"bodyWidth", "m", 0.001, 100.0, false, "body: width", true},
    {"clearance", "m", 0.0, 100.0, false, "body: safety margin on every side", true},
    {"unknownFree", "", 0.0, 1.0, true, "1: a map's unknown cells count as free", true},
};

// The parameter of index i in p.
double get(const Params& p, int i) {
  switch (i) {
    case 0: return p.Vmax;
    case 1: return p.steerRate;
    case 2: return p.Ra;
    case 3: return p.Lw;
    case 4: return p.dt;
    case 5: return p.dtCP;
    case 6: return p.maxSteps;
    case 7: return p.threeArcs;
    case 8: return p.maxMemory;
    case 9: return p.controller;
    case 10: return p.Ld;
    case 11: return p.kLd;
    case 12: return p.kStanley;
    case 13: return p.kTheta;
    case 14: return p.kE;
    case 15: return p.offsetX;
    case 16: return p.offsetY;
    case 17: return p.offsetTh;
    case 18: return p.reverse;
    case 19: return p.reverseCost;
    case 20: return p.cuspCost;
    case 21: return p.bodyFront;
    case 22: return p.bodyRear;
    case 23: return p.bodyWidth;
    case 24: return p.clearance;
    default: return p.unknownFree;
  }
}

void set(Params& p, int i, double v) {
  switch (i) {
    case 0: p.Vmax = v; break;
    case 1: p.steerRate = v; break;
    case 2: p.Ra = v; break;
    case 3: p.Lw = v; break;
    case 4: p.dt = v; break;
    case 5: p.dtCP = v; break;
    case 6: p.maxSteps = static_cast<int>(v); break;
    case 7: p.threeArcs = static_cast<int>(v); break;
    case 8: p.maxMemory = static_cast<int>(v); break;
    case 9: p.controller = static_cast<int>(v); break;
    case 10: p.Ld = v; break;
    case 11: p.kLd = v; break;
    case 12: p.kStanley = v; break;
    case 13: p.kTheta = v; break;
    case 14: p.kE = v; break;
    case 15: p.offsetX = v; break;
    case 16: p.offsetY = v; break;
    case 17: p.offsetTh = v; break;
    case 18: p.reverse = static_cast<int>(v); break;
    case 19: p.reverseCost = v; break;
    case 20: p.cuspCost = v; break;
    case 21: p.bodyFront = v; break;
    case 22: p.bodyRear = v; break;
    case 23: p.bodyWidth = v; break;
    case 24: p.clearance = v; break;
    default: p.unknownFree = static_cast<int>(v); break;
  }
}

int find(std::string_view name) {
  for (int i = 0; i < nParams; ++i)
    if (name == kInfo[i].name) return i;
  return -1;
}

bool inrange(int i, double v) {
  const Row& r = kInfo[i];
  return v >= r.lo && v <= r.hi && (!r.whole || v == std::floor(v));
}

// A number with as many digits as it takes to read back as itself (a value a hair outside a
// range must not print as the range's end).
std::string numtext(double v) {
  char buf[32];
  for (int digits = 15; digits <= 17; ++digits) {
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    if (std::strtod(buf, nullptr) == v) break;
  }
  return buf;
}

std::string rangetext(int i) {
  const Row& r = kInfo[i];
  char buf[200];
  std::snprintf(buf, sizeof buf, "%s must be %s from %.15g to %.15g%s%s%s%s%s", r.name,
                r.whole ? "a whole number" : "a number", r.lo, r.hi, *r.unit ? " " : "", r.unit,
                *r.names ? " (or one of " : "", r.names, *r.names ? ")" : "");
  return buf;
}

}  // namespace

ParamInfo paraminfo(int i) {
  const Row& r = kInfo[i];
  return ParamInfo{r.name, r.unit, r.lo, r.hi, r.whole, r.about, r.optin, r.names};
}

double paramvalue(std::string_view name, std::string_view text) {
  const int i = find(name);
  if (i < 0 || text.empty()) return NAN;
  std::string_view names = kInfo[i].names;
  for (double v = kInfo[i].lo; !names.empty(); v += 1.0) {
    const size_t comma = names.find(',');
    if (names.substr(0, comma) == text) return v;
    names = comma == std::string_view::npos ? std::string_view{} : names.substr(comma + 1);
  }
  return NAN;
}

std::string paramname(std::string_view name, double v) {
  const int i = find(name);
  if (i < 0) return "";
  std::string_view names = kInfo[i].names;
  for (double w = kInfo[i].lo; !names.empty(); w += 1.0) {
    const size_t comma = names.find(',');
    if (w == v) return std::string(names.substr(0, comma));
    names = comma == std::string_view::npos ? std::string_view{} : names.substr(comma + 1);
  }
  return "";
}

bool listed(const Params& p, int i) { return !kInfo[i].optin || get(p, i) != get(Params{}, i); }

ParamCheck setparam(Params& p, std::string_view name, double value) {
  const int i = find(name);
  if (i < 0) return ParamCheck::UnknownName;
  if (!inrange(i, value)) return ParamCheck::OutOfRange;
  set(p, i, value);
  return ParamCheck::Ok;
}

double getparam(const Params& p, std::string_view name) {
  const int i = find(name);
  return i < 0 ? NAN : get(p, i);
}

std::string paramerror(std::string_view name, double value) {
  const int i = find(name);
  if (i < 0) {
    std::string names;
    for (int k = 0; k < nParams; ++k) names += std::string(k ? ", " : "") + kInfo[k].name;
    return "unknown parameter " + std::string(name) + " (the parameters: " + names + ")";
  }
  return rangetext(i) + ", not " + numtext(value);
}

std::string checkparams(const Params& p) {
  for (int i = 0; i < nParams; ++i)
    if (!inrange(i, get(p, i))) return paramerror(kInfo[i].name, get(p, i));
  return "";
}

bool validparams(const Params& p) {
  for (int i = 0; i < nParams; ++i)
    if (!inrange(i, get(p, i))) return false;
  return true;
}

bool isdefault(const Params& p) {
  const Params d;
  for (int i = 0; i < nParams; ++i)
    if (get(p, i) != get(d, i)) return false;
  return true;
}

Model makemodel(const Params& p, Kind kind) {
  Model m;
  static_cast<Params&>(m) = p;
  m.dsCP = m.Vmax * m.dtCP;
  m.dKds = m.steerRate / (m.Lw * m.Vmax);
  m.dSteerMax = kind == Kind::PTP ? m.steerRate * m.dt : m.steerRate * m.dtCP;
  return m;
}

}  // namespace agv
