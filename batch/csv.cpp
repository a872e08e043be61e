#include "batch/csv.h"

#include <cmath>
#include <cstdio>

namespace agvbatch {

using namespace agv;

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

}  // namespace agvbatch
