// agvsim's command line: its help, parameters refused before anything else happens, and
// parameters in force reported and used.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "cli/params.h"
#include "support/proc.h"

namespace {

TEST(Options, HelpListsThemAndBadOnesEndTheProgramAtOnce) {
  const agvtest::RunResult help = agvtest::runprog({agvtest::agvsimPath(), "--help"}, "", {}, 60);
  EXPECT_EQ(help.status, 0);
  for (const char* o :
       {"--param NAME=VALUE", "--params FILE", "Vmax, steerRate, Ra, Lw, dt", "--track FILE"})
    EXPECT_NE(help.out.find(o), std::string::npos) << o;
  const std::string file = ::testing::TempDir() + "agvsim_params.toml";
  std::ofstream(file) << "# a vehicle\nLw = 0.5\ndt = 0.5\n";
  const std::string track = ::testing::TempDir() + "agvsim_track.csv";
  std::ofstream(track) << "x,y\n0,0\n# the same point again\n0,0\n1,1\n";
  const struct {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{"--param", "Lw=0"}, "agvsim: --param Lw=0: Lw must be a number from 0.001 to 100 m, not 0\n"},
      {{"--param", "Lw=0.5", "--param", "steer=1"}, "agvsim: --param steer=1: unknown parameter"},
      {{"--param", "maxSteps=1e7"},
       "agvsim: --param maxSteps=1e7: maxSteps must be a whole number from 1 to 1000000, not 10000000"},
      {{"--params", "/nonexistent.toml"}, "agvsim: /nonexistent.toml: No such file or directory\n"},
      {{"--colour"}, "agvsim: The following argument was not expected: --colour"},
      {{"--param", "controller=lqr"},
       "agvsim: --param controller=lqr: controller needs a number or one of "
       "none,purepursuit,stanley,rearwheel\n"},
      {{"--offset", "0", "0.5", "x"}, "agvsim: --offset: not a number: x\n"},
      {{"--offset", "0", "-500", "0"},
       "agvsim: --offset: offsetY must be a number from -100 to 100 m, not -500\n"},
      {{"--track", track}, "agvsim: " + track + ":4: the point repeats the one before it\n"},
      {{"--track", "/nonexistent.csv"}, "agvsim: /nonexistent.csv: No such file or directory\n"},
      {{"--route", track, "--track", track}, "agvsim: --route and --track exclude each other"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = {agvtest::agvsimPath()};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    // No display: a program that went on would say so.
    const agvtest::RunResult r = agvtest::runprog(argv, "pnk", {"DISPLAY"}, 60);
    EXPECT_EQ(r.status, 2) << c.args[0];
    EXPECT_EQ(r.out, "") << c.args[0];  // no dialogue, no report
    EXPECT_EQ(r.err.rfind(c.says, 0), 0u) << r.err;
  }
  const agvtest::RunResult r = agvtest::runprog({agvtest::agvsimPath(), "--params", file}, "",
                                                {"DISPLAY"}, 60);
  EXPECT_EQ(r.err, "agvsim: " + file + ":3: dt must be a number from 0.0001 to 0.1 s, not 0.5\n");
  std::remove(file.c_str());
  std::remove(track.c_str());
}

TEST(Options, ParametersInForceAreReportedAndUsed) {
  agvtest::Xvfb x;
  ASSERT_TRUE(x.ok());
  const std::string file = ::testing::TempDir() + "agvsim_radius.toml";
  std::ofstream(file) << "Ra = 2.0  # a wide turn\n";
  const agvtest::RunResult r = agvtest::runprog(
      {agvtest::agvsimPath(), "--params", file, "--param", "Lw=0.5"}, "pn",
      {"DISPLAY=" + x.display()}, 60);
  std::remove(file.c_str());
  EXPECT_EQ(r.status, 2);  // the input ends at the last key
  EXPECT_NE(r.out.find("\n(1-4) 最小旋回半径  Ra= 2.00[m]"
                       "\n(1-5) パラメータ Vmax=1 steerRate=2 Ra=2 Lw=0.5 dt=0.02 dtCP=0.02 "
                       "maxSteps=3000 threeArcs=0 maxMemory=1024"),
            std::string::npos)
      << r.out;
  // Arcs of radius 2 to the default end pose (2, 3, 0 deg): a left arc, a line and a
  // right arc is no longer the shortest join.
  EXPECT_EQ(r.out.find("採用経路 i=0 曲率方向=(1 0 -1)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("任意キーで描画画面へ"), std::string::npos);
}

// Bytes outside ASCII are welcome in comments and refused elsewhere, with the line, before
// the TOML parser sees them; a '#' in a string starts no comment.
TEST(Options, ParameterFilesHoldASCIIOutsideTheirComments) {
  const struct {
    const char* text;
    int line;  // 0: accepted, Lw = 0.5
  } cases[] = {
      {"Lw = 0.5  # 車輪間距離 \"\n# é\n", 0},
      {"\"Lw\" = 0.5 # 'ü'\n", 0},
      {"Lw = 0.5\nŜ\n", 2},
      {"Lw = 0.5 é\n", 1},
      {"Lw = \"#\" é\n", 1},
      {"Lw = \"\\\"#\" é\n", 1},
      {"Lw = 0.5\nRa = \"\"\"\n#\\\n  é\"\"\"\n", 4},
      {"Lw = '''\n#\né'''\n", 3},
      {"Lw = 0.5\nRa = 'aé'\n", 2},
  };
  for (const auto& c : cases) {
    agv::Params p;
    std::string err;
    const bool ok = agv::cli::parseparams(c.text, "f", p, err);
    EXPECT_EQ(ok, c.line == 0) << c.text;
    if (ok)
      EXPECT_EQ(p.Lw, 0.5) << c.text;
    else
      EXPECT_EQ(err, "f:" + std::to_string(c.line) +
                         ": only ASCII characters may stand outside comments")
          << c.text;
  }
}

// A switch (0 or 1) may be written true or false; no other parameter takes a boolean; a
// parameter with named values takes their names.
TEST(Options, BooleansOnlyForSwitches) {
  const struct {
    const char* text;
    const char* says;  // empty: accepted
  } cases[] = {
      {"threeArcs = true\n", ""},
      {"threeArcs = false\n", ""},
      {"Ra = true\n", "f:1: Ra needs a number"},
      {"Lw = 0.5\nmaxSteps = false\n", "f:2: maxSteps needs a number"},
      {"controller = \"stanley\"\n", ""},  // a value by its name
      {"controller = \"lqr\"\n", "f:1: controller needs a number"},
  };
  for (const auto& c : cases) {
    agv::Params p;
    p.threeArcs = 7;  // so that false shows as 0
    std::string err;
    const bool ok = agv::cli::parseparams(c.text, "f", p, err);
    EXPECT_EQ(ok, *c.says == '\0') << c.text;
    EXPECT_EQ(err, c.says) << c.text;
    const int want = std::string(c.text).find("true") != std::string::npos ? 1 : 0;
    if (ok && std::string(c.text).find("controller") != std::string::npos) {
      EXPECT_EQ(p.controller, agv::Stanley);
    } else if (ok) {
      EXPECT_EQ(p.threeArcs, want) << c.text;
    }
  }
}

}  // namespace
