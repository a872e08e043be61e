#include "batch/csv.h"

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

void errors(std::string& s, const RunSummary& r) {
  field(s, r.maxerr);
  field(s, r.enderr);
  field(s, r.endtherr);
}

void trackheader(std::string& h, const std::string& prefix) {
  for (const char* f : {"trsteps", "trT[s]", "trmaxxte[m]", "trrmsxte[m]", "trendxte[m]",
                        "trenderr[m]", "trendtherr[rad]", "cvmaxxte[m]"})
    h += "," + prefix + f;
}

void trackfields(std::string& s, const RunSummary& r) {
  if (!r.tracked) {
    s.append(8, ',');
    return;
  }
  field(s, r.trsteps);
  for (double v :
       {r.trT, r.trmaxxte, r.trrmsxte, r.trendxte, r.trenderr, r.trendtherr, r.cvmaxxte})
    field(s, v);
}

std::string runsheader(bool tracked) {
  std::string h;
  for (const char* path : {"arc", "clothoid"})
    for (int k = 1; k <= 3; ++k) {
      const std::string p = std::string(path) + std::to_string(k) + "_";
      for (const char* f :
           {"steps", "T[s]", "vsteps", "vT[s]", "maxerr[m]", "enderr[m]", "endtherr[rad]"})
        h += "," + p + f;
    }
  if (tracked)
    for (const char* path : {"arc", "clothoid"})
      for (int k = 1; k <= 3; ++k) trackheader(h, std::string(path) + std::to_string(k) + "_");
  return h;
}

void runsfields(std::string& s, const PtpSummary& sum, bool tracked) {
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k) {
      const RunSummary& run = sum.run[b][k];
      field(s, static_cast<long>(run.steps));
      field(s, run.T);
      field(s, static_cast<long>(run.vsteps));
      field(s, run.vT);
      errors(s, run);
    }
  if (tracked)
    for (int b = 0; b < 2; ++b)
      for (int k = 0; k < 3; ++k) trackfields(s, sum.run[b][k]);
}

std::string ptpheader(bool tracked, bool reverse) {
  if (!reverse) return "row,dir0,dir1,dir2,s0[m],s1[m],s2[m],sf[m]" + runsheader(tracked);
  std::string h = "row";
  for (const char* f : {"dir", "drive", "s"})
    for (int j = 0; j < kSegMax; ++j) {
      h.append(",").append(f).append(std::to_string(j));
      if (f[0] == 's') h.append("[m]");
    }
  return h + ",sf[m],cusps" + runsheader(tracked);
}

std::string ptpsummary(const ArcPath& a, const PtpSummary& sum, bool tracked, bool reverse) {
  std::string s = std::to_string(a.krow);
  if (!reverse) {
    for (int j = 0; j < 3; ++j) field(s, static_cast<long>(a.sgnK[j]));
    for (int j = 0; j < 3; ++j) field(s, a.s[j]);
    field(s, a.sf);
  } else {
    // Up to five segments; the fields of the segments a path has not are empty.
    for (const int* v : {a.sgnK, a.drive})
      for (int j = 0; j < kSegMax; ++j) {
        if (j < a.nseg) field(s, static_cast<long>(v[j]));
        else s += ',';
      }
    for (int j = 0; j < kSegMax; ++j) {
      if (j < a.nseg) field(s, a.s[j]);
      else s += ',';
    }
    field(s, a.sf);
    field(s, static_cast<long>(a.cusps()));
  }
  runsfields(s, sum, tracked);
  return s;
}

std::string ptpsummary(const PtpResult& r, bool tracked) {
  return ptpsummary(r.path, summarize(r), tracked, r.params.reverse != 0);
}

}  // namespace agvbatch
