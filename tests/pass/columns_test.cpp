// The table of summary columns: every table with every feature has a value for each column,
// whole numbers where the column says so, and NaN exactly where a row has no value.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "agv/agv.h"

namespace {

using namespace agv;

struct Case {
  const char* what;
  Table table;
  Params params;
  Features shown;  // the features of the table: the pass's own, and perhaps more (a sweep's)
};

Params with(const char* name, double v) {
  Params p;
  setparam(p, name, v);
  return p;
}

// Runs the pass of c and gives its values.
std::vector<double> valuesof(const Case& c) {
  std::vector<double> v;
  const std::vector<Waypoint> w = {{0, 0, 0}, {0, 1, 0}, {3, 1, 90}};
  switch (c.table) {
    case Table::Ptp: {
      auto r = std::make_unique<PtpResult>();
      EXPECT_EQ(passPTP(c.params, w[0], w[1], *r), Status::Done);
      values(*r, c.shown, v);
      break;
    }
    case Table::Cp: {
      auto r = std::make_unique<CpResult>();
      EXPECT_EQ(passCP(c.params, Curve{13, 1.0, 0.0}, *r), Status::Done);
      values(*r, c.shown, v);
      break;
    }
    case Table::Route:
    case Table::Leg: {
      auto r = std::make_unique<RouteResult>();
      EXPECT_EQ(passRoute(c.params, w, *r), Status::Done);
      if (c.table == Table::Route) values(*r, c.shown, v);
      else values(*r, 0, c.shown, v);
      break;
    }
    case Table::Track: {  // a U-turn too tight for the vehicle: its stretch has values too
      auto r = std::make_unique<TrackResult>();
      const Track t{{{0, 0}, {2, 0}, {2.3, 0.5}, {2, 1}, {0, 1}}, std::nullopt, std::nullopt};
      EXPECT_EQ(passTrack(c.params, t, *r), Status::Done);
      values(*r, c.shown, v);
      break;
    }
  }
  return v;
}

TEST(Columns, EveryColumnHasItsValueWholeWhereWholeAndNoneWhereTheRowHasNone) {
  const Features none, tracked{true, false}, reverse{false, true}, both{true, true};
  const Case cases[] = {
      {"ptp", Table::Ptp, Params{}, none},
      {"ptp, a sweep's columns", Table::Ptp, Params{}, both},
      {"ptp backing up, tracked", Table::Ptp, with("reverse", 1), both},
      {"cp", Table::Cp, Params{}, none},
      {"cp tracked", Table::Cp, with("controller", 2), tracked},
      {"route backing up", Table::Route, with("reverse", 1), reverse},
      {"route tracked", Table::Route, with("controller", 1), tracked},
      {"leg backing up", Table::Leg, with("reverse", 1), reverse},
      {"leg tracked", Table::Leg, with("controller", 3), tracked},
      {"track", Table::Track, Params{}, none},
      {"track tracked", Table::Track, with("controller", 1), tracked},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<Column> cols = columns(c.table, c.shown);
    const std::vector<double> v = valuesof(c);
    ASSERT_EQ(v.size(), cols.size());
    std::set<std::string> titles;
    const Features own = features(c.params);
    for (size_t i = 0; i < cols.size(); ++i) {
      const Column& col = cols[i];
      EXPECT_TRUE(titles.insert(col.title()).second) << col.title() << " twice";
      // The tracked AGV's columns: none where it did not run, or on one leg of a route.
      const bool tracking = col.name.find("_tr") != std::string::npos ||
                            col.name.find("_cvmaxxte") != std::string::npos;
      const bool segment = col.name.size() <= 6 && std::isdigit(col.name.back()) != 0;
      if (tracking && (!own.tracked || c.table == Table::Leg)) {
        EXPECT_TRUE(std::isnan(v[i])) << col.title();
        continue;
      }
      if (segment) continue;  // a path of fewer segments than the columns has none beyond them
      ASSERT_TRUE(std::isfinite(v[i])) << col.title();
      if (col.whole) {
        EXPECT_EQ(v[i], std::floor(v[i])) << col.title();
      }
    }
  }
}

// The segment columns: a value for each segment of the path, none beyond; the leg's own
// columns are the leg's plan.
TEST(Columns, SegmentsOfThePathAndNothingBeyond) {
  const Params p = with("reverse", 1);
  auto r = std::make_unique<PtpResult>();
  ASSERT_EQ(passPTP(p, 0.0, 1.0, 0.0, *r), Status::Done);
  ASSERT_LT(r->path.nseg, kSegMax);
  const std::vector<Column> cols = columns(Table::Ptp, features(p));
  std::vector<double> v;
  values(*r, features(p), v);
  for (size_t i = 0; i < cols.size(); ++i)
    for (const char* name : {"dir", "drive", "s"})
      for (int j = 0; j < kSegMax; ++j)
        if (cols[i].name == name + std::to_string(j)) {
          EXPECT_EQ(std::isnan(v[i]), j >= r->path.nseg) << cols[i].name;
        }

  auto route = std::make_unique<RouteResult>();
  ASSERT_EQ(passRoute(p, {{0, 0, 0}, {0, 1, 0}}, *route), Status::Done);
  std::vector<double> leg;
  values(*route, 0, features(p), leg);
  const std::vector<Column> legcols = columns(Table::Leg, features(p));
  for (size_t i = 0; i < legcols.size(); ++i)
    if (legcols[i].name == "sf") {
      EXPECT_EQ(leg[i], r->path.sf);
    }
  // A leg the route has not: no values.
  values(*route, 1, features(p), leg);
  ASSERT_EQ(leg.size(), legcols.size());
  for (double x : leg) EXPECT_TRUE(std::isnan(x));
}

}  // namespace
