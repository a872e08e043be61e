// The columns of the summaries: one table, read by every file and binding that shows a
// summary (agvbatch's summary.csv, legs.csv and sweep rows, Python's summaries).
//
//   const agv::Features f = agv::features(r.params);
//   std::vector<double> v;
//   agv::values(r, f, v);  // v[i] is the value of agv::columns(agv::Table::Ptp, f)[i]
#pragma once

#include <string>
#include <vector>

#include "agv/cp.h"
#include "agv/ptp.h"
#include "agv/route.h"
#include "agv/track.h"

namespace agv {

// The opt-in capabilities that add columns to a summary.  The parameters of a pass and its map
// decide them; a table of many passes (a sweep) shows the columns of any of its passes.
struct Features {
  bool tracked = false;  // a controller: the tracked AGV's columns
  bool reverse = false;  // paths that may back up: five segments with their driving
                         // directions, and the cusps
  bool map = false;      // a pass in a map: its search (segments, cost, expansions, time, the
                         // cusps), the first contacts of the paths and the runs
  Features& operator|=(const Features& o);
};
// The features of a pass with the parameters p, in a map or not; of a result, its own.
Features features(const Params& p, bool map = false);
Features features(const PtpResult& r);
Features features(const CpResult& r);
Features features(const RouteResult& r);

// The summaries: a PTP pass (a sweep's row too), a CP pass, a whole route, one leg of a route,
// a track.
enum class Table { Ptp, Cp, Route, Leg, Track };

// One column: its name, its unit (empty for none) and whether its values are whole numbers.
struct Column {
  std::string name;
  std::string unit;
  bool whole = false;
  std::string title() const;  // the name with its unit, as the files head it: "sf[m]"
};

// The columns of table t with the features f, in order.
std::vector<Column> columns(Table t, const Features& f);

// The values of a summary, in the order of columns(t, f), into out: NaN where the row has none
// (a segment the path has not, the tracked AGV's where it did not run).  f holds at least the
// features of the result's own parameters.  For a pass that is done.
void values(const PtpResult& r, const Features& f, std::vector<double>& out);
void values(const CpResult& r, const Features& f, std::vector<double>& out);
void values(const TrackResult& r, const Features& f, std::vector<double>& out);
// The whole route (Table::Route), or its leg `leg` = 0 ... legs - 1 (Table::Leg; every value
// NaN for a leg the route has not).
void values(const RouteResult& r, const Features& f, std::vector<double>& out);
void values(const RouteResult& r, int leg, const Features& f, std::vector<double>& out);

}  // namespace agv
