// agvbatch route: the files of a route, route files it refuses, and its fuzz corpus replayed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "agv/agv.h"
#include "batch/batch.h"
#include "batch/csv.h"
#include "cli/route.h"
#include "support/files.h"
#include "support/proc.h"

namespace fs = std::filesystem;

namespace {

using agvtest::scratch;
using agvtest::slurp;

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> f;
  std::string field;
  std::istringstream l(line);
  while (std::getline(l, field, ',')) f.push_back(field);
  return f;
}

std::vector<std::string> lines(const std::string& file) {
  std::vector<std::string> v;
  std::istringstream in(slurp(file));
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

TEST(BatchRoute, TheFilesOfARoute) {
  const std::string dir = scratch("route");
  std::ofstream(dir + "/r.csv") << "# three legs\nx,y,th\n0,0,0\n4,2,90  # a station\n\n0,6,180\n-3,0,-90\n";
  ASSERT_EQ(agvbatch::run({"route", dir + "/r.csv", "--out", dir + "/out"}), agvbatch::OK);
  auto r = std::make_unique<agv::RouteResult>();
  ASSERT_EQ(agv::passRoute(agv::Params{}, {{0, 0, 0}, {4, 2, 90}, {0, 6, 180}, {-3, 0, -90}}, *r),
            agv::Status::Done);
  // Every record with its leg, last; the legs in order.
  for (const char* f : {"/out/arc_2.csv", "/out/clothoid_3_vv.csv"}) {
    const auto l = lines(dir + f);
    EXPECT_EQ(split(l[0]).back(), "leg");
    EXPECT_EQ(split(l[1]).back(), "1");
    EXPECT_EQ(split(l.back()).back(), "3");
  }
  EXPECT_EQ(lines(dir + "/out/arc_2.csv").size(), r->arc[1].ref.size() + 1);
  // legs.csv: a row per leg, its poses, then a pass's summary of that leg.
  const auto legs = lines(dir + "/out/legs.csv");
  ASSERT_EQ(legs.size(), 4u);
  const std::string ptphead = agvbatch::SummaryColumns(agv::Table::Ptp, {}).header();
  EXPECT_EQ(legs[0], "leg,x0[m],y0[m],th0[deg],xf[m],yf[m],thf[deg]," + ptphead);
  EXPECT_EQ(legs[2].rfind("2,4,2,90,0,6,180,", 0), 0u);
  // Its path is the path of a pass between the same poses: row, directions, lengths.
  auto one = std::make_unique<agv::PtpResult>();
  ASSERT_EQ(agv::passPTP(agv::Params{}, {4, 2, 90}, {0, 6, 180}, *one), agv::Status::Done);
  std::string path;
  std::vector<double> v;
  agv::values(*one, {}, v);
  agvbatch::SummaryColumns(agv::Table::Ptp, {}).row(path, v);
  const size_t sf = ptphead.find("sf[m]");
  const auto fieldsbefore = [](const std::string& s, size_t n) {
    size_t at = 0;
    for (size_t i = 0; i < n; ++i) at = s.find(',', at) + 1;
    return s.substr(0, at);
  };
  const size_t pathfields = static_cast<size_t>(std::count(ptphead.begin(), ptphead.begin() + sf, ',')) + 1;
  EXPECT_EQ(fieldsbefore(legs[2].substr(17), pathfields), fieldsbefore(path, pathfields));
  // summary.csv: the whole route, as many fields as its header.
  const auto sum = lines(dir + "/out/summary.csv");
  ASSERT_EQ(sum.size(), 2u);
  std::string want = "4,3";
  agvbatch::field(want, r->sf);
  agvbatch::field(want, r->sfc);
  EXPECT_EQ(sum[1].rfind(want + ",", 0), 0u);
  EXPECT_EQ(std::count(sum[1].begin(), sum[1].end(), ','), std::count(sum[0].begin(), sum[0].end(), ','));
  EXPECT_TRUE(fs::exists(dir + "/out/params.toml"));
  fs::remove_all(dir);
}

// A bad route file: status 2, the file and line named, no file written; a leg refused: status
// 1, the leg named.
TEST(BatchRoute, BadRouteFilesAndRefusedLegs) {
  const std::string dir = scratch("badroute");
  std::string many = "x,y,th\n";
  for (int i = 0; i <= agv::kRouteMax; ++i) many += std::to_string(i % 7) + ",0,0\n";
  const struct {
    std::string text;
    int status;
    std::string says;
  } cases[] = {
      {"x,y,th\n1,2,3\n", 2, "r.csv: a route has at least 2 waypoints, not 1"},
      {"", 2, "r.csv: a route has at least 2 waypoints, not 0 (and no header x,y,th)"},
      {"x,y\n1,2,3\n", 2, "r.csv:1: the first line of a route is the header x,y,th"},
      {"x,y,th\n1,2,3\n1,2\n", 2, "r.csv:3: a waypoint has 3 fields, x,y,th, not 2"},
      {"x,y,th\n1,2,3\n1,2,3,4\n", 2, "r.csv:3: a waypoint has 3 fields, x,y,th, not 4"},
      {"x,y,th\n1,2,3\n1,z,3\n", 2, "r.csv:3: field 2 is not a finite number: z"},
      {"x,y,th\n1,2,3\n1,2,inf\n", 2, "r.csv:3: field 3 is not a finite number: inf"},
      {"x,y,th\n1,2,3\n1,,3\n", 2, "r.csv:3: field 2 is not a finite number: "},
      // A field shown as the file holds it: bytes that do not print escaped, a long one cut.
      {std::string("x,y,th\n1,2,3\n1,a") + '\0' + "b\tc\\,3\n", 2,
       "r.csv:3: field 2 is not a finite number: a\\0b\\x09c\\\\ (agvbatch --help tells the "
       "usage)\n"},
      {"x,y,th\n1,2,3\n1,2," + std::string(39, '9') + "\xc3\xa9z\n", 2,
       "r.csv:3: field 3 is not a finite number: " + std::string(39, '9') +
           "... (agvbatch --help tells the usage)\n"},
      {many, 2, "r.csv:100002: more than 100000 waypoints"},
      {"x,y,th\n0,0,0\n2,3,0\n90,0,0\n", 1,
       "refused: leg 2 from (2, 3, 0 deg) to (90, 0, 0 deg): the path is too long"},
  };
  for (const auto& c : cases) {
    std::ofstream(dir + "/r.csv") << c.text;
    const agvtest::RunResult r = agvtest::runprog(
        {AGVBATCH_EXE, "route", dir + "/r.csv", "--out", dir + "/out"}, "", {}, 60.0);
    EXPECT_EQ(r.status, c.status) << c.says;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir + "/out")) << c.says;
  }
  const agvtest::RunResult none =
      agvtest::runprog({AGVBATCH_EXE, "route", dir + "/none.csv"}, "", {}, 60.0);
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("none.csv: No such file"), std::string::npos);
  fs::remove_all(dir);
}

// Every route file of the fuzz corpus is read or refused, and the routes read are run.
TEST(FuzzCorpus, EveryRouteFileIsReadOrRefused) {
  int files = 0, read = 0;
  for (const auto& e :
       fs::directory_iterator(std::string(AGV_SOURCE_DIR) + "/fuzz/route_corpus")) {
    std::ifstream in(e.path(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<agv::Waypoint> w;
    std::string err;
    if (agv::cli::parseroute(text, "route", w, err)) {
      auto r = std::make_unique<agv::RouteResult>();
      const agv::Status s = agv::passRoute(agv::Params{}, w, *r);
      EXPECT_TRUE(s == agv::Status::Done || !agv::reason(*r).empty()) << e.path();
      ++read;
    } else {
      EXPECT_FALSE(err.empty());
      // One line that prints: no byte of the file that does not.
      for (const char c : err) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << e.path() << err;
    }
    ++files;
  }
  EXPECT_GE(files, 5);
  EXPECT_GE(read, 3);
}

}  // namespace
