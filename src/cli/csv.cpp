#include "cli/csv.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>

namespace agv::cli {

namespace {

constexpr int kNumChars = 32;   // room for any double in %.17g or %e
constexpr int kMaxDigits = 17;  // significant digits that read back to any double
constexpr int kWholeChars = 32; // room for a whole double whose fixed text is its shortest
constexpr double kRadPerDeg = std::numbers::pi / 180;  // exact to the last place

}  // namespace

void num(std::string& s, double v) {
  char buf[kNumChars];
  const int n = std::snprintf(buf, sizeof buf, "%.17g", v);
  s.append(buf, static_cast<size_t>(n));
}

void field(std::string& s, double v) {
  s += ',';
  num(s, v);
}

void field(std::string& s, long v) {
  s += ',';
  s += std::to_string(v);
}

void fields(std::string& h, const char* prefix, bool u) {
  for (const char* f : {"s[m]", "th[rad]", "x[m]", "y[m]", "phi[rad]", "kap[1/m]"})
    h.append(",").append(prefix).append(f);
  if (u) h.append(",").append(prefix).append("u");
}

void row(std::string& s, const Record& r) {
  for (double v : {r.s, r.th, r.x, r.y, r.phi, r.kap}) field(s, v);
}

std::string SummaryColumns::header() const {
  std::string h;
  for (size_t i = 0; i < cols.size(); ++i) {
    if (i > 0) h += ',';
    h += cols[i].title();
  }
  return h;
}

void SummaryColumns::row(std::string& s, const std::vector<double>& values) const {
  for (size_t i = 0; i < cols.size(); ++i) {
    if (i > 0) s += ',';
    const double v = i < values.size() ? values[i] : NAN;
    if (std::isnan(v)) continue;
    if (cols[i].whole) s += std::to_string(static_cast<long>(v));
    else num(s, v);
  }
}

void TrackedLines::header(std::string& s) const {
  s += "t[s]";
  fields(s, "", false);
  s += ",xte[m]\n";
}

void TrackedLines::line(std::string& s, size_t i) const {
  num(s, tr[i].t);
  row(s, tr[i]);
  field(s, xte[i]);
  s += '\n';
}

void PathLines::header(std::string& s) const { s += "s[m],x[m],y[m],th[deg],kap[1/m],dir\n"; }

void PathLines::line(std::string& s, size_t i) const {
  const PathPose& p = poses[i];
  num(s, p.s);
  for (double v : {p.x, p.y, p.th / kRadPerDeg, p.kap}) field(s, v);
  field(s, static_cast<long>(p.drive));
  s += '\n';
}

void pathposes(const PtpResult& r, std::vector<PathPose>& poses) {
  poses.clear();
  samplePath(r, kPathSpacing, poses);
}

void pathposes(const RouteResult& r, std::vector<PathPose>& poses) {
  poses.clear();
  for (const PtpResult& leg : r.legs) samplePath(leg, kPathSpacing, poses);
}

bool haspath(const PtpResult& r) { return r.path.nseg > kSegMax || features(r).map; }

bool haspath(const RouteResult& r) {
  if (features(r).map) return true;
  for (const PtpResult& leg : r.legs)
    if (haspath(leg)) return true;
  return false;
}

namespace {

// The header of table t, then the result's row.
template <class R>
std::string summaryof(Table t, const R& r) {
  const Features f = features(r);
  const SummaryColumns cols(t, f);
  std::vector<double> v;
  values(r, f, v);
  std::string s = cols.header() + "\n";
  cols.row(s, v);
  return s + "\n";
}

}  // namespace

std::string summarytext(const PtpResult& r) { return summaryof(Table::Ptp, r); }
std::string summarytext(const CpResult& r) { return summaryof(Table::Cp, r); }
std::string summarytext(const RouteResult& r) { return summaryof(Table::Route, r); }
std::string summarytext(const TrackResult& r) { return summaryof(Table::Track, r); }

std::string legstext(const RouteResult& r) {
  // The tracked AGV's columns empty: it drives the route as one path.
  const Features f = features(r);
  const SummaryColumns cols(Table::Leg, f);
  std::string s = cols.header() + "\n";
  std::vector<double> v;
  for (size_t i = 0; i < r.legs.size(); ++i) {
    values(r, static_cast<int>(i), f, v);
    cols.row(s, v);
    s += '\n';
  }
  return s;
}

namespace {

// A decimal of scientific notation: its digits d0 d1 ... (the point after d0) and exponent.
struct Decimal {
  bool minus = false;
  std::string digits;
  int exp = 0;

  // The text as %e writes it: d0.d1...e+NN.
  std::string sci() const {
    char e[kNumChars];
    std::snprintf(e, sizeof e, "e%+03d", exp);
    return (minus ? "-" : "") + digits.substr(0, 1) +
           (digits.size() > 1 ? "." + digits.substr(1) : std::string()) + e;
  }
  // The same digits in fixed notation.
  std::string fixed() const {
    const int n = static_cast<int>(digits.size());
    std::string f = minus ? "-" : "";
    if (exp < 0) return f + "0." + std::string(static_cast<size_t>(-exp - 1), '0') + digits;
    if (n <= exp + 1) return f + digits + std::string(static_cast<size_t>(exp + 1 - n), '0');
    return f + digits.substr(0, static_cast<size_t>(exp + 1)) + "." +
           digits.substr(static_cast<size_t>(exp + 1));
  }
  // One unit of the last digit up (step 1) or down (step -1) in magnitude, as many digits.
  Decimal next(int step) const {
    Decimal d = *this;
    const size_t n = digits.size();
    long long m = std::stoll(digits) + step;
    const long long top = std::stoll("1" + std::string(n, '0'));
    if (m == top) {
      m = top / 10;
      ++d.exp;
    } else if (m < top / 10) {
      m = top - 1;
      --d.exp;
    }
    d.digits = std::to_string(m);
    return d;
  }
};

}  // namespace

std::string shortest(double v) {
  // The fewest significant digits that read back to v: with as many digits, the correctly
  // rounded decimal or, where it does not read back (the gap below a power of two is half the
  // gap above), its neighbour on v's other side.
  Decimal d;
  for (int n = 1;; ++n) {
    char e[kNumChars];
    std::snprintf(e, sizeof e, "%.*e", n - 1, v);
    const char* at = std::strchr(e, 'e');
    d.minus = e[0] == '-';
    d.digits = std::string(static_cast<const char*>(e) + (d.minus ? 1 : 0), at);
    if (d.digits.size() > 1) d.digits.erase(1, 1);
    d.exp = std::atoi(at + 1);
    const double back = std::strtod(e, nullptr);
    if (back == v || n == kMaxDigits) break;
    const Decimal other = d.next((std::fabs(back) < std::fabs(v)) ? 1 : -1);
    if (std::strtod(other.sci().c_str(), nullptr) == v) {
      d = other;
      break;
    }
  }
  const std::string sci = d.sci(), fixed = d.fixed();
  if (fixed.size() > sci.size()) return sci;
  // A whole number in fixed notation: its exact digits, as many as the shortest digits padded.
  if (d.exp + 1 < static_cast<int>(d.digits.size())) return fixed;
  char whole[kWholeChars];
  return std::string(whole, static_cast<size_t>(std::snprintf(whole, sizeof whole, "%.0f", v)));
}

std::string paramtext(const Params& p) {
  std::string s = "# the parameters of this run (agvbatch --params reads this file)\n";
  for (int i = 0; i < nParams; ++i) {
    if (!listed(p, i)) continue;
    const ParamInfo info = paraminfo(i);
    const double v = getparam(p, info.name);
    const std::string named = paramname(info.name, v);
    // A whole number without an exponent (a TOML integer), a float with a point or an exponent.
    std::string text;
    if (!named.empty()) {
      text = "\"" + named + "\"";
    } else if (info.whole) {
      char buf[kNumChars];
      text.assign(buf, static_cast<size_t>(std::snprintf(buf, sizeof buf, "%.0f", v)));
    } else {
      text = shortest(v);
      if (text.find_first_of(".e") == std::string::npos) text += ".0";
    }
    s += std::string(info.name) + " = " + text + '\n';
  }
  return s;
}

}  // namespace agv::cli
