// agvbatch in a map: a pass and a route searched round the obstacles write path.csv (the path
// on every joint, at most 0.05 m apart, from the start to the end pose) and the search's
// columns; a pass without a map writes neither; a search that finds nothing is refused with
// its reason and writes nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/proc.h"

namespace fs = std::filesystem;

namespace {

using agvtest::scratch;
using agvtest::slurp;

const std::string kMap = std::string(AGV_SOURCE_DIR) + "/examples/warehouse.yaml";

// The rows of a CSV file after its header, as numbers.
std::vector<std::vector<double>> rows(const std::string& file, std::string& header) {
  std::ifstream in(file);
  std::getline(in, header);
  std::vector<std::vector<double>> out;
  for (std::string line; std::getline(in, line);) {
    std::vector<double> row;
    std::istringstream split(line);
    for (std::string f; std::getline(split, f, ',');) row.push_back(f.empty() ? NAN : std::stod(f));
    out.push_back(row);
  }
  return out;
}

TEST(BatchInMap, PassesInAMapWriteTheirPathAndTheSearchsColumns) {
  const std::string dir = scratch("inmap");
  const struct {
    std::vector<std::string> args;
    bool mapped;
    double x0, y0, xf, yf, thf;  // the path's ends [m, m, deg]
  } kCases[] = {
      {{"ptp", "20", "3", "180", "--map", kMap, "--param", "reverse=1"}, true, 0, 0, 20, 3, 180},
      {{"ptp", "3", "0.5", "0", "--map", kMap}, true, 0, 0, 3, 0.5, 0},  // a path of few segments
      {{"route", std::string(AGV_SOURCE_DIR) + "/examples/bay.csv", "--map", kMap}, true, 0, 0,
       1.75, 11.2, 90},
      {{"ptp", "20", "3", "180", "--param", "reverse=1"}, false, 0, 0, 20, 3, 180},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.args[0] + (c.mapped ? " in the map" : ""));
    const std::string out = dir + "/out";
    fs::remove_all(out);
    std::vector<std::string> argv = {AGVBATCH_EXE};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    argv.insert(argv.end(), {"--out", out});
    const agvtest::RunResult r = agvtest::runprog(argv, "", {}, 120.0);
    ASSERT_EQ(r.status, 0) << r.err;
    std::string head;
    const std::vector<std::vector<double>> summary = rows(out + "/summary.csv", head);
    EXPECT_EQ(head.find(",segments,cost[m],expansions,searchtime[s],") != std::string::npos,
              c.mapped);
    ASSERT_EQ(fs::exists(out + "/path.csv"), c.mapped);
    if (!c.mapped) continue;
    const std::vector<std::vector<double>> path = rows(out + "/path.csv", head);
    EXPECT_EQ(head, "s[m],x[m],y[m],th[deg],kap[1/m],dir");
    ASSERT_GT(path.size(), 2u);
    EXPECT_EQ(path.front()[0], 0.0);
    EXPECT_NEAR(path.front()[1], c.x0, 1e-12);
    EXPECT_NEAR(path.front()[2], c.y0, 1e-12);
    EXPECT_NEAR(path.back()[1], c.xf, 1e-6);
    EXPECT_NEAR(path.back()[2], c.yf, 1e-6);
    EXPECT_NEAR(std::remainder(path.back()[3] - c.thf, 360.0), 0.0, 1e-6);
    for (size_t n = 1; n < path.size(); ++n) {
      ASSERT_GT(path[n][0], path[n - 1][0]) << n;
      ASSERT_LE(path[n][0] - path[n - 1][0], 0.05 + 1e-12) << n;
      ASSERT_TRUE(path[n][5] == 1 || path[n][5] == -1) << n;
      ASSERT_TRUE(path[n][4] == 0 || std::fabs(path[n][4]) == 1) << n;  // Ra = 1 m
    }
  }
  fs::remove_all(dir);
}

TEST(BatchInMap, ASearchThatFindsNothingIsRefusedWithItsReason) {
  const std::string dir = scratch("inmapno");
  const std::string bay = dir + "/deep.csv";
  std::ofstream(bay) << "x,y,th\n0,0,0\n1.75,7,90\n1.75,12.2,90\n";
  const struct {
    std::vector<std::string> args;
    const char* says;
  } kCases[] = {
      {{"route", bay, "--map", kMap},
       "agvbatch: refused: leg 2 from (1.75, 7, 90 deg) to (1.75, 12.2, 90 deg): no path in the "
       "map: the goal pose (1.75 m, 12.2 m, 90 deg) touches an obstacle"},
      {{"ptp", "0", "-5.5", "0", "--map", kMap},
       "agvbatch: refused: no path in the map: the goal pose (0 m, -5.5 m, 0 deg) "},
      {{"ptp", "20", "3", "180", "--map", kMap, "--param", "reverse=1", "--param", "maxExpansions=1"},
       "agvbatch: refused: no path in the map: no path within maxExpansions = 1"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.says);
    const std::string out = dir + "/out";
    std::vector<std::string> argv = {AGVBATCH_EXE};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    argv.insert(argv.end(), {"--out", out, "--picture", dir + "/p.png"});
    const agvtest::RunResult r = agvtest::runprog(argv, "", {}, 120.0);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind(c.says, 0), 0u) << r.err;
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(dir + "/p.png"));
  }
  fs::remove_all(dir);
}

}  // namespace
