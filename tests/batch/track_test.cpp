// agvbatch track: the files and report of a track, its picture fitted, track files it refuses,
// and its fuzz corpus replayed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "agv/agv.h"
#include "batch/batch.h"
#include "cli/csv.h"
#include "cli/route.h"
#include "mapfile/mapfile.h"
#include "picture/picture.h"
#include "support/files.h"
#include "support/proc.h"

namespace fs = std::filesystem;

namespace {

using agvtest::scratch;
using agvtest::slurp;

const char kLane[] =
    "# a lane: out, a U-turn, back\nx,y,th\n0,0,0\n2,0\n4,0.2\n6,0\n7.2,0.6\n7.4,1.6  # the turn\n"
    "6.6,2.4\n5,2.5\n\n3,2.4,\n1,2.5,180\n";
const agv::Track kLaneTrack{{{0, 0},
                             {2, 0},
                             {4, 0.2},
                             {6, 0},
                             {7.2, 0.6},
                             {7.4, 1.6},
                             {6.6, 2.4},
                             {5, 2.5},
                             {3, 2.4},
                             {1, 2.5}},
                            0.0,
                            180.0};

// The files of a track are a CP pass's, its summary the track's table; stderr reports its
// largest curvature and the stretch tighter than the vehicle; its picture shows it whole.
TEST(BatchTrack, TheFilesReportAndPictureOfATrack) {
  const std::string dir = scratch("track");
  std::ofstream(dir + "/t.csv") << kLane;
  const agvtest::RunResult run =
      agvtest::runprog({AGVBATCH_EXE, "track", dir + "/t.csv", "--out", dir + "/out", "--param",
                        "controller=1", "--picture", dir + "/t.png"},
                       "", {}, 60.0);
  ASSERT_EQ(run.status, 0) << run.err;
  agv::Params p;
  p.controller = agv::PurePursuit;
  auto r = std::make_unique<agv::TrackResult>();
  ASSERT_EQ(agv::passTrack(p, kLaneTrack, *r), agv::Status::Done);
  std::string sum = agv::cli::SummaryColumns(agv::Table::Track, agv::features(p)).header() + "\n";
  std::vector<double> v;
  agv::values(*r, agv::features(p), v);
  agv::cli::SummaryColumns(agv::Table::Track, agv::features(p)).row(sum, v);
  EXPECT_EQ(slurp(dir + "/out/summary.csv"), sum + "\n");
  for (const char* f : {"cp_1.csv", "cp_2_tr.csv", "cp_3.csv", "params.toml"})
    EXPECT_TRUE(fs::exists(dir + "/out/" + f)) << f;
  EXPECT_EQ(run.err,
            "agvbatch: track: 10 points, 15.2594 m; largest curvature 1.12195 1/m at s = 8.46426 m "
            "(7.4, 1.6)\n"
            "agvbatch: track: tighter than the vehicle can steer (|curvature| > 1/Ra = 1 1/m) "
            "along 0.322084 m in 1 stretch: s = 8.30964 ... 8.63172 m from (7.43092, 1.44868)\n");
  EXPECT_EQ(slurp(dir + "/t.png").rfind("\x89PNG", 0), 0u);
  // The picture's view holds the whole track left of the graphs.
  const std::unique_ptr<agv::Scene> s = agv::trackshow(*r);
  EXPECT_TRUE(s->track);
  for (const agv::CurveRecord& rec : r->run[1].ref) {
    const agv::View& w = s->view;
    const double x = (w.xorg + rec.x) * w.scale, y = (w.yorg + rec.y) * w.scale;
    EXPECT_TRUE(x >= agv::routeBox.left - 1e-12 && x <= agv::routeBox.right + 1e-12) << x;
    EXPECT_TRUE(y >= agv::routeBox.bottom - 1e-12 && y <= agv::routeBox.top + 1e-12) << y;
  }
  fs::remove_all(dir);
}

// A track in a map: the summary gains the curve's and the runs' first contacts through the
// track's column table, the numbers of the library's pass in the same map (the lane's U-turn
// runs into a rack of the warehouse).
TEST(BatchTrack, ATrackInAMapReportsItsFirstContacts) {
  const std::string dir = scratch("trackmap");
  const std::string warehouse = std::string(AGV_SOURCE_DIR) + "/examples/warehouse.yaml";
  std::ofstream(dir + "/t.csv") << kLane;
  const agvtest::RunResult run = agvtest::runprog(
      {AGVBATCH_EXE, "track", dir + "/t.csv", "--map", warehouse, "--out", dir + "/out"}, "", {},
      60.0);
  ASSERT_EQ(run.status, 0) << run.err;
  agv::Map m;
  agv::MapIndex ix;
  std::string err;
  ASSERT_TRUE(agv::mapfile::loadmap(warehouse, m, err)) << err;
  ASSERT_TRUE(agv::buildindex(m, agv::Params{}, ix));
  auto r = std::make_unique<agv::TrackResult>();
  ASSERT_EQ(agv::passTrack(agv::Params{}, kLaneTrack, ix, *r), agv::Status::Done);
  ASSERT_TRUE(r->contacts.path[0]);
  const agv::Features f = agv::features(*r);
  const agv::cli::SummaryColumns cols(agv::Table::Track, f);
  std::string sum = cols.header() + "\n";
  std::vector<double> v;
  agv::values(*r, f, v);
  cols.row(sum, v);
  EXPECT_EQ(slurp(dir + "/out/summary.csv"), sum + "\n");
  EXPECT_NE(sum.find("cp_contact[s]"), std::string::npos);
  EXPECT_NE(sum.find("cp1_cvcontact[s]"), std::string::npos);
  fs::remove_all(dir);
}

// A bad track file: status 2, the file and its line named, nothing written; a refused track:
// status 1 with its reason.
TEST(BatchTrack, BadTrackFilesNameTheirLineAndWriteNothing) {
  const std::string dir = scratch("badtrack");
  std::string many = "x,y\n";
  for (int i = 0; i <= agv::kTrackMax; ++i) many += std::to_string(i) + ",0\n";
  const struct {
    std::string text;
    int status;
    const char* says;
  } cases[] = {
      {"x,y\n0,0\n1,0\n", 2, "t.csv: a track has at least 3 points, not 2"},
      {"", 2, "t.csv: a track has at least 3 points, not 0 (and no header x,y or x,y,th)"},
      {"x,y,z\n0,0,0\n", 2, "t.csv:1: the first line of a track is the header x,y or x,y,th"},
      {"x,y\n0,0\n1,0,0\n", 2, "t.csv:3: a point has 2 fields, x,y, not 3"},
      {"x,y,th\n0,0\n1,0,0,0\n", 2, "t.csv:3: a point has 2 or 3 fields, x,y[,th], not 4"},
      {"x,y\n0,0\n# x\n1,nan\n", 2, "t.csv:4: field 2 is not a finite number: nan"},
      {"x,y\n0,0\ninf,1\n", 2, "t.csv:3: field 1 is not a finite number: inf"},
      {"x,y\n0,0\n1,one\n", 2, "t.csv:3: field 2 is not a finite number: one"},
      {"x,y,th\n0,0,0\n1,0\n1,0\n", 2, "t.csv:4: the point repeats the one before it"},
      {"x,y,th\n0,0\n1,0,90\n2,1\n3,1,0\n", 2,
       "t.csv:3: a heading th is given at the first and the last point only"},
      {"x,y,th\n0,0\n1,0\n2,1,x\n", 2, "t.csv:4: field 3 is not a finite number: x"},
      {"x,y\n0,0\n1e308,0\n-1e308,0\n", 2, "t.csv:4: the points lie too far apart"},
      {"x,y\n0,0\n1e-300,0\n2e-300,1e-300\n", 2,
       "t.csv:3: the spline through the track's points is beyond a double's range up to point 2"},
      {many, 2, "t.csv:100002: more than 100000 points"},
      {"x,y\n0,0\n40,0\n80,1\n", 1, "refused: the curve is longer than 3000 CP steps, 60 m"},
  };
  for (const auto& c : cases) {
    std::ofstream(dir + "/t.csv") << c.text;
    const agvtest::RunResult r = agvtest::runprog(
        {AGVBATCH_EXE, "track", dir + "/t.csv", "--out", dir + "/out"}, "", {}, 60.0);
    EXPECT_EQ(r.status, c.status) << c.says;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir + "/out")) << c.says;
  }
  fs::remove_all(dir);
}

// Every track file of the fuzz corpus is read or refused with its line, and the tracks read
// are run to their end or refused with a reason.
TEST(FuzzCorpus, EveryTrackFileIsReadOrRefused) {
  int files = 0, read = 0;
  for (const auto& e : fs::directory_iterator(std::string(AGV_SOURCE_DIR) + "/fuzz/track_corpus")) {
    std::ifstream in(e.path(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    agv::cli::TrackFile t;
    std::string err;
    ++files;
    if (!agv::cli::parsetrack(text, "track", t, err)) {
      EXPECT_EQ(err.rfind("track:", 0), 0u) << e.path();
      continue;
    }
    auto r = std::make_unique<agv::TrackResult>();
    const agv::Status s = agv::passTrack(agv::Params{}, t.track, *r);
    EXPECT_TRUE(s == agv::Status::Done || !agv::reason(r->refusal, agv::Params{}).empty())
        << e.path();
    ++read;
  }
  EXPECT_GE(files, 10);
  EXPECT_GE(read, 4);
}

}  // namespace
