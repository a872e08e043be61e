#include "cli/csv.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace agv::cli {

void num(std::string& s, double v) {
  char buf[32];
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

namespace {

// The header of table t, then the result's row.
template <class R>
std::string summaryof(Table t, const R& r) {
  const Features f = features(r.params);
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

std::string legstext(const RouteResult& r) {
  // The tracked AGV's columns empty: it drives the route as one path.
  const Features f = features(r.params);
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

std::string paramtext(const Params& p) {
  std::string s = "# the parameters of this run (agvbatch --params reads this file)\n";
  for (int i = 0; i < nParams; ++i) {
    if (!listed(p, i)) continue;
    const ParamInfo info = paraminfo(i);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", getparam(p, info.name));
    const std::string named = paramname(info.name, getparam(p, info.name));
    if (!named.empty()) std::snprintf(buf, sizeof buf, "\"%s\"", named.c_str());
    s += std::string(info.name) + " = " + buf;
    // A TOML float needs a point or an exponent.
    if (!info.whole && std::strpbrk(buf, ".eEn") == nullptr) s += ".0";
    s += '\n';
  }
  return s;
}

}  // namespace agv::cli
