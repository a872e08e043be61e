// The text of agvbatch's files, which the web page offers for download too: numbers that read
// back to the same double, the lines of the run files, the summaries and the parameter file.
#pragma once

#include <string>
#include <type_traits>
#include <vector>

#include "agv/agv.h"

namespace agv::cli {

// A number that reads back to the same double, and a whole number, each after a comma
// (num alone: without).
void num(std::string& s, double v);
void field(std::string& s, double v);
void field(std::string& s, long v);

// Column names of a record with a prefix (and the curve parameter when u), and a record's
// fields after its time.
void fields(std::string& h, const char* prefix, bool u);
void row(std::string& s, const Record& r);

// A summary's columns: the header (their titles, comma-separated) and a row of their values
// (whole numbers as such, an empty field where the value is NaN), each without a line end.
struct SummaryColumns {
  SummaryColumns(Table t, const Features& f) : cols(columns(t, f)) {}
  std::vector<Column> cols;
  std::string header() const;
  void row(std::string& s, const std::vector<double>& values) const;
};

// The lines of a run file, each with its line end: the header, then line i = 0 ... size() - 1,
// one per time step.  The records of a constant-velocity run (reference, AGV, error; a CP
// reference with its curve parameter) or, with cv null, of a variable-velocity run; a route's
// records with their leg (1, 2, ...) last.
template <class R>
struct RunLines {
  const std::vector<R>& ref;
  const std::vector<Record>* cv = nullptr;
  const std::vector<Record>* err = nullptr;
  const std::vector<int>* legs = nullptr;

  static constexpr bool u = std::is_same_v<R, CurveRecord>;
  size_t size() const { return ref.size(); }
  void header(std::string& s) const {
    s += "t[s]";
    fields(s, cv != nullptr ? "ref_" : "vv_", u);
    if (cv != nullptr) {
      fields(s, "cv_", false);
      fields(s, "err_", false);
    }
    if (legs != nullptr) s += ",leg";
    s += '\n';
  }
  void line(std::string& s, size_t i) const {
    num(s, ref[i].t);
    row(s, ref[i]);
    if constexpr (u) field(s, ref[i].u);
    if (cv != nullptr) {
      row(s, (*cv)[i]);
      row(s, (*err)[i]);
    }
    if (legs != nullptr) field(s, static_cast<long>((*legs)[i] + 1));
    s += '\n';
  }
};

// The lines of a tracked AGV's file: its records and the cross-track error of each.
struct TrackedLines {
  const std::vector<Record>& tr;
  const std::vector<double>& xte;

  size_t size() const { return tr.size(); }
  void header(std::string& s) const;
  void line(std::string& s, size_t i) const;
};

// The spacing of the poses of path.csv [m]: they lie at most this far apart, and on every joint.
inline constexpr double kPathSpacing = 0.05;

// The lines of path.csv: the poses along a planned path (samplePath every kPathSpacing), s [m],
// x [m], y [m], th [deg] (turning on continuously), kap [1/m] and the driving direction dir.
struct PathLines {
  const std::vector<PathPose>& poses;

  size_t size() const { return poses.size(); }
  void header(std::string& s) const;
  void line(std::string& s, size_t i) const;
};

// The poses of path.csv of a pass, or of a route (its legs one after another), that is done.
void pathposes(const PtpResult& r, std::vector<PathPose>& poses);
void pathposes(const RouteResult& r, std::vector<PathPose>& poses);

// Whether a pass has path.csv: a pass in a map, or a path of more segments than the summary's
// columns show (a route: any of its legs).
bool haspath(const PtpResult& r);
bool haspath(const RouteResult& r);

// The run files of a result, in the order agvbatch writes them: fn(name, lines) for each, the
// lines a RunLines or TrackedLines, until fn returns false (then false).  A PTP pass and a
// route: PATH_M.csv, PATH_M_vv.csv and, with a controller, PATH_M_tr.csv for the arc and
// clothoid paths and mechanisms M = 1, 2, 3, then path.csv where it has one (a PathLines);
// a CP pass: cp_M.csv and cp_M_tr.csv.
template <class R, class Fn>
bool runfiles(const R& r, Fn fn) {
  const bool tracked = features(r.params).tracked;
  if constexpr (std::is_same_v<R, CpResult>) {
    for (Mechanism m : kMechanisms) {
      const CpRuns& run = r.runs(m);
      const std::string base = "cp_" + std::to_string(static_cast<int>(m));
      if (!fn(base + ".csv", RunLines<CurveRecord>{run.ref, &run.cv, &run.err}) ||
          (tracked && !fn(base + "_tr.csv", TrackedLines{run.tr, run.xte})))
        return false;
    }
  } else {
    for (const char* path : {"arc", "clothoid"})
      for (Mechanism m : kMechanisms) {
        const auto& runs = path[0] == 'a' ? r.arcruns(m) : r.clruns(m);
        const std::string base = std::string(path) + "_" + std::to_string(static_cast<int>(m));
        const std::vector<int>* legs = nullptr;
        const std::vector<int>* vlegs = nullptr;
        if constexpr (std::is_same_v<R, RouteResult>) {
          legs = &runs.leg;
          vlegs = &runs.vleg;
        }
        if (!fn(base + ".csv", RunLines<Record>{runs.ref, &runs.cv, &runs.err, legs}) ||
            !fn(base + "_vv.csv", RunLines<Record>{runs.vv, nullptr, nullptr, vlegs}) ||
            (tracked && !fn(base + "_tr.csv", TrackedLines{runs.tr, runs.xte})))
          return false;
      }
    if (haspath(r)) {
      std::vector<PathPose> poses;
      pathposes(r, poses);
      return fn("path.csv", PathLines{poses});
    }
  }
  return true;
}

// The whole text of a run file.
template <class Lines>
std::string runtext(const Lines& l) {
  std::string s;
  l.header(s);
  for (size_t i = 0; i < l.size(); ++i) l.line(s, i);
  return s;
}

// summary.csv of a pass or a route that is done: the header, then its row.
std::string summarytext(const PtpResult& r);
std::string summarytext(const CpResult& r);
std::string summarytext(const RouteResult& r);
std::string summarytext(const TrackResult& r);

// legs.csv of a route that is done: a row per leg, its poses as given, then the columns of a
// pass's summary.
std::string legstext(const RouteResult& r);

// The shortest text that reads back to the finite v: its fewest significant digits, in fixed or
// scientific notation (e+NN), whichever is shorter, fixed when they tie (std::to_chars's text,
// which not every standard library has).
std::string shortest(double v);

// params.toml: the parameters as a file that --params reads back, each value in its shortest
// text.
std::string paramtext(const Params& p);

}  // namespace agv::cli
