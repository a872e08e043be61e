// agvbatch at scale: slices of a sweep and their merge, interrupts, a full disk, progress.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "batch/batch.h"
#include "support/files.h"
#include "support/proc.h"

namespace fs = std::filesystem;

namespace {

using agvtest::scratch;
using agvtest::slurp;

int run(std::vector<std::string> args) { return agvbatch::run(args); }

using agvtest::ends;
using agvtest::kEnding;
using agvtest::listing;
using agvtest::spawn;

const std::vector<std::string> kGrid = {"sweep", "--x", "-2:2:0.5", "--y", "-1:1:1", "--th",
                                        "-180:120:60"};

std::vector<std::string> with(std::vector<std::string> a, const std::vector<std::string>& more) {
  a.insert(a.end(), more.begin(), more.end());
  return a;
}

// The slices of a sweep, merged, are the sweep run whole, byte for byte, whatever the order
// the slices are given in; slices that are missing, doubled, cut short or of another sweep
// are refused with nothing written.
TEST(Shards, MergedSlicesAreTheWholeSweepAndBadSetsAreRefused) {
  const std::string dir = scratch("shards");
  ASSERT_EQ(run(with(kGrid, {"--param", "Lw=0.8", "--out", dir + "/whole.csv"})), agvbatch::OK);
  for (int k = 0; k < 3; ++k)
    ASSERT_EQ(run(with(kGrid, {"--param", "Lw=0.8", "--shard", std::to_string(k) + "/3", "--out",
                               dir + "/s" + std::to_string(k) + ".csv"})),
              agvbatch::OK);
  const std::string s0 = dir + "/s0.csv", s1 = dir + "/s1.csv", s2 = dir + "/s2.csv";
  EXPECT_EQ(slurp(s1).rfind("# agvbatch shard 1/3 of 162 poses: x=-2:2:0.5 ", 0), 0u);
  ASSERT_EQ(run({"merge", s2, s0, s1, "--out", dir + "/merged.csv"}), agvbatch::OK);
  EXPECT_EQ(slurp(dir + "/merged.csv"), slurp(dir + "/whole.csv"));
  // A slice of the same grid with other parameters, and one cut short.
  ASSERT_EQ(run(with(kGrid, {"--shard", "1/3", "--out", dir + "/other.csv"})), agvbatch::OK);
  const std::string text = slurp(s2);
  std::ofstream(dir + "/short.csv") << text.substr(0, text.rfind('\n', text.size() - 2) + 1);
  std::ofstream(dir + "/huge.csv") << "# agvbatch shard 0/999999999999 of 5 poses: x\nindex\n";
  // A slice whose pose count was edited, against the grid its own first line states.
  std::string edited = text;
  edited.replace(edited.find("of 162 poses"), 12, "of 163 poses");
  std::ofstream(dir + "/edited.csv") << edited;
  const std::string out = dir + "/bad.csv";
  const struct {
    std::vector<std::string> files;
    const char* says;
  } cases[] = {
      {{s0, s1}, "slice 2 of 3 is missing"},
      {{s0, s1, s1, s2}, "slice 1 is given twice"},
      {{s0, dir + "/other.csv", s2}, "is a slice of another sweep than"},
      {{s0, s1, dir + "/short.csv"}, "slice 2 lacks the row of index 161; nothing written"},
      {{s0, s1, dir + "/whole.csv"}, "is no slice of a sweep"},
      {{s0, s1, dir + "/none.csv"}, "cannot read"},
      {{dir + "/huge.csv"}, "is no slice of a sweep"},
      {{s0, "/dev/zero", s2}, "a line longer than any a sweep writes"},
      {{s0, s1, dir + "/edited.csv"}, "edited.csv is no slice of a sweep"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = {AGVBATCH_EXE, "merge"};
    argv.insert(argv.end(), c.files.begin(), c.files.end());
    argv.insert(argv.end(), {"--out", out});
    const agvtest::RunResult r = agvtest::runprog(argv, "", {}, 60.0);
    EXPECT_EQ(r.status, agvbatch::USAGE) << c.says;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out)) << c.says;
  }
  EXPECT_EQ(listing(dir).size(), 9u);  // no file left behind
  fs::remove_all(dir);
}

// Slices of every kind of sweep (from a start pose, of a route, of curves, in a map), merged,
// are the sweep run whole; a slice of another kind or another start is another sweep's.
TEST(Shards, SlicesOfEveryKindMergeToTheWholeSweep) {
  const std::string dir = scratch("kinds");
  const std::string route = AGV_SOURCE_DIR "/tests/batch/optin_route.csv";
  const std::string map = AGV_SOURCE_DIR "/examples/warehouse.yaml";
  const std::vector<std::string> grids[] = {
      with(kGrid, {"--from", "1", "-0.5", "30"}),
      {"sweep", "--route", route, "--set", "Lw=0.5:1.5:0.5", "--set", "controller=stanley:rearwheel:1"},
      {"sweep", "cp", "16", "--A", "0.1:0.3:0.1", "--B", "3:4:1", "--param", "Lw=0.8"},
      {"sweep", "cp", "13", "--A", "0.5:1.5:0.25"},
      {"sweep", "--x", "1:3:1", "--y", "1:2:1", "--th", "0:90:90", "--map", map},
      {"sweep", "--route", route, "--map", map, "--set", "Vmax=1:2:1"},
  };
  int n = 0;  // the sweep's number, in its slices' names
  for (const auto& g : grids) {
    SCOPED_TRACE(g[1] + " " + g[2]);
    const std::string whole = dir + "/whole.csv", merged = dir + "/merged.csv";
    ASSERT_EQ(run(with(g, {"--out", whole})), agvbatch::OK);
    std::vector<std::string> slices;
    for (int k = 2; k >= 0; --k) {
      slices.push_back(dir + "/s" + std::to_string(n) + "_" + std::to_string(k) + ".csv");
      ASSERT_EQ(run(with(g, {"--shard", std::to_string(k) + "/3", "--out", slices.back()})),
                agvbatch::OK);
    }
    ASSERT_EQ(run(with({"merge"}, with(slices, {"--out", merged}))), agvbatch::OK);
    EXPECT_EQ(slurp(merged), slurp(whole));
    ++n;
  }
  const std::string other = dir + "/other.csv";
  ASSERT_EQ(run(with(kGrid, {"--from", "1", "-0.5", "31", "--shard", "1/3", "--out", other})),
            agvbatch::OK);
  for (const std::vector<std::string>& files :
       {std::vector<std::string>{dir + "/s0_0.csv", other, dir + "/s0_2.csv"},
        std::vector<std::string>{dir + "/s2_0.csv", dir + "/s3_1.csv", dir + "/s2_2.csv"}}) {
    const agvtest::RunResult r = agvtest::runprog(
        with({AGVBATCH_EXE, "merge"}, with(files, {"--out", dir + "/no.csv"})), "", {}, 60.0);
    EXPECT_EQ(r.status, agvbatch::USAGE);
    EXPECT_NE(r.err.find("is a slice of another sweep than"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir + "/no.csv"));
  }
  fs::remove_all(dir);
}

// A merge of more slices than the usual limit of open files: the limit is raised as far as the
// system allows; beyond that, a message that says so, and nothing written.
TEST(Shards, MoreSlicesThanTheSoftLimitOfOpenFiles) {
  const std::string dir = scratch("many");
  constexpr int kSlices = 150;
  std::string files;
  for (int k = 0; k < kSlices; ++k) {
    const std::string f = dir + "/s" + std::to_string(k) + ".csv";
    ASSERT_EQ(run(with(kGrid, {"--shard", std::to_string(k) + "/" + std::to_string(kSlices),
                               "--out", f})),
              agvbatch::OK);
    files += " " + f;
  }
  ASSERT_EQ(run(with(kGrid, {"--out", dir + "/whole.csv"})), agvbatch::OK);
  const std::string merge = std::string(AGVBATCH_EXE) + " merge" + files + " --out " + dir;
  agvtest::RunResult r =
      agvtest::runprog({"/bin/sh", "-c", "ulimit -Sn 64; exec " + merge + "/m.csv"}, "", {}, 60);
  EXPECT_EQ(r.status, agvbatch::OK) << r.err;
  EXPECT_EQ(slurp(dir + "/m.csv"), slurp(dir + "/whole.csv"));
  r = agvtest::runprog({"/bin/sh", "-c", "ulimit -n 64; exec " + merge + "/no.csv"}, "", {}, 60);
  EXPECT_EQ(r.status, agvbatch::USAGE);
  EXPECT_NE(r.err.find("merging 150 slices needs as many open files; the limit is 64"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(fs::exists(dir + "/no.csv"));
  fs::remove_all(dir);
}

// Every termination signal that can be caught: SIGINT (Ctrl-C, to the whole group), SIGTERM
// (timeout, kill, a scheduler: to the process), SIGHUP, SIGQUIT, SIGUSR1, SIGALRM, ..., against
// a running sweep of two threads: it ends with status 128 + the signal, leaves no process and
// no temporary file, and writes nothing.
TEST(Interrupts, EachSignalStopsTheSweepAndLeavesNothing) {
  const std::string dir = scratch("signals");
  std::vector<int> sigs = kEnding;
  sigs.insert(sigs.end(), {SIGRTMIN, SIGRTMAX});
  for (int sig : sigs)
    for (bool group : {true, false}) {
      if (group && sig != SIGINT) continue;
      SCOPED_TRACE(testing::Message() << sig << (group ? " to the group" : " alone"));
      const std::string out = dir + "/sweep.csv";
      // About 160,000 poses: minutes of work.
      const pid_t pid = spawn({AGVBATCH_EXE, "sweep", "--x", "-5:5:0.05", "--y", "-5:5:0.05",
                               "--th", "0:0:1", "--jobs", "2", "--out", out},
                              dir + "/../signals_err.txt");
      ASSERT_GT(pid, 0);
      // Once its file is being written, the sweep runs.
      for (int i = 0; i < 5000 && listing(dir).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      ASSERT_EQ(listing(dir).size(), 1u);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      ASSERT_EQ(kill(group ? -pid : pid, sig), 0);
      const int status = ends(pid, 5.0);
      if (status < 0) kill(-pid, SIGKILL), waitpid(pid, nullptr, 0);
      EXPECT_EQ(status, 128 + sig);
      EXPECT_EQ(kill(-pid, 0), -1);  // no process of the group is left
      EXPECT_EQ(errno, ESRCH);
      EXPECT_TRUE(listing(dir).empty());
      const char* name = sigabbrev_np(sig);
      EXPECT_EQ(slurp(dir + "/../signals_err.txt"),
                std::string("agvbatch: interrupted (") +
                    (name != nullptr ? std::string("SIG") + name : "signal " + std::to_string(sig)) +
                    "); nothing written\n");
    }
  fs::remove_all(dir);
  fs::remove(dir + "/../signals_err.txt");
}

// A file-size limit (as a full disk): a message, status 2, no file.  The progress line: on
// stderr with --progress, never in the file, and not with --quiet; a reader of it that has
// gone costs the line, not the file.
TEST(Output, AFileSizeLimitLeavesNoFileAndProgressGoesToStderrOnly) {
  const std::string dir = scratch("limit");
  const std::string sweep = std::string(AGVBATCH_EXE) +
                            " sweep --x -2:2:0.25 --y -2:2:0.5 --th -180:150:30 --out " + dir;
  agvtest::RunResult r =
      agvtest::runprog({"/bin/sh", "-c", "ulimit -f 8; exec " + sweep + "/limited.csv"}, "", {}, 120);
  EXPECT_EQ(r.status, agvbatch::USAGE);
  EXPECT_NE(r.err.find("cannot write " + dir + "/limited.csv: File too large"), std::string::npos)
      << r.err;
  EXPECT_TRUE(listing(dir).empty());
  r = agvtest::runprog({"/bin/sh", "-c", sweep + "/shown.csv --progress"}, "", {}, 120);
  EXPECT_EQ(r.status, agvbatch::OK);
  EXPECT_NE(r.err.find("agvbatch: 1836/1836 poses, "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(" poses/s, done in "), std::string::npos) << r.err;
  EXPECT_EQ(r.err.back(), '\n');
  EXPECT_EQ(slurp(dir + "/shown.csv").find("poses/s"), std::string::npos);
  r = agvtest::runprog({"/bin/sh", "-c", sweep + "/quiet.csv --quiet"}, "", {}, 120);
  EXPECT_EQ(r.status, agvbatch::OK);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(slurp(dir + "/quiet.csv"), slurp(dir + "/shown.csv"));
  int gone[2];
  ASSERT_EQ(pipe(gone), 0);
  close(gone[0]);
  const pid_t pid = spawn(with({AGVBATCH_EXE}, with(kGrid, {"--progress", "--out", dir + "/p.csv"})),
                          "", gone[1]);
  close(gone[1]);
  EXPECT_EQ(ends(pid, 60.0), agvbatch::OK);
  EXPECT_EQ(listing(dir).size(), 3u);  // limited.csv never was; p.csv is whole
  const std::string piped = slurp(dir + "/p.csv");
  EXPECT_EQ(std::count(piped.begin(), piped.end(), '\n'), 163);  // a header and 162 rows
  fs::remove_all(dir);
}

}  // namespace
