// agvbatch: its CSV files against the records in memory, sweeps, usage and refusals.
#include "batch/batch.h"

#include "agv/agv.h"
#include "batch/sweep.h"
#include "cli/csv.h"
#include "cli/params.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/proc.h"

namespace fs = std::filesystem;
using namespace agv;

namespace {

using agvtest::scratch;
using agvtest::slurp;

// The rows of a CSV file after its header, each a list of fields.
std::vector<std::vector<std::string>> rows(const std::string& file, std::string* header = nullptr) {
  std::vector<std::vector<std::string>> v;
  std::istringstream in(slurp(file));
  std::string line;
  bool first = true;
  while (std::getline(in, line)) {
    if (first) {
      if (header != nullptr) *header = line;
      first = false;
      continue;
    }
    std::vector<std::string> f;
    std::string field;
    std::istringstream l(line);
    while (std::getline(l, field, ',')) f.push_back(field);
    if (!line.empty() && line.back() == ',') f.push_back("");
    v.push_back(f);
  }
  return v;
}

double d(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

std::vector<std::string> with(std::vector<std::string> a, const std::vector<std::string>& more) {
  a.insert(a.end(), more.begin(), more.end());
  return a;
}

int run(std::vector<std::string> args) { return agvbatch::run(args); }

// The fields of a line from column c on equal the record's (t first when withTime), each
// read back to the same double.
void expectRecord(const std::vector<std::string>& row, size_t c, const Record& r,
                  bool withTime = false) {
  const double t[7] = {r.t, r.s, r.th, r.x, r.y, r.phi, r.kap};
  for (int f = withTime ? 0 : 1; f < 7; ++f) ASSERT_EQ(d(row[c++]), t[f]) << "field " << f;
}

TEST(Batch, PtpFilesReadBackToTheRecordsOfThePass) {
  const std::string dir = scratch("ptp");
  const mode_t mask = umask(027);  // files get the permissions the umask leaves
  ASSERT_EQ(run({"ptp", "4", "-3", "-45", "--out", dir, "--param", "Lw=0.8"}), agvbatch::OK);
  umask(mask);
  struct stat st {};
  ASSERT_EQ(stat((dir + "/summary.csv").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  Params p;
  p.Lw = 0.8;
  auto r = std::make_unique<PtpResult>();
  ASSERT_EQ(passPTP(p, 4, -3, -45, *r), Status::Done);
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    const char* names[2] = {"/arc_", "/clothoid_"};
    const Runs* runs[2] = {&r->arc[k], &r->cl[k]};
    for (int b = 0; b < 2; ++b) {
      const std::string base = dir + names[b] + std::to_string(k + 1);
      std::string head;
      const auto a = rows(base + ".csv", &head);
      EXPECT_EQ(head.substr(0, 15), "t[s],ref_s[m],r");
      ASSERT_EQ(a.size(), runs[b]->ref.size());
      for (size_t n = 0; n < a.size(); ++n) {
        ASSERT_EQ(a[n].size(), 19u);
        expectRecord(a[n], 0, runs[b]->ref[n], true);
        expectRecord(a[n], 7, runs[b]->cv[n]);
        expectRecord(a[n], 13, runs[b]->err[n]);
      }
      const auto v = rows(base + "_vv.csv");
      ASSERT_EQ(v.size(), runs[b]->vv.size());
      for (size_t n = 0; n < v.size(); ++n) expectRecord(v[n], 0, runs[b]->vv[n], true);
    }
  }
  // The summary: row 3 (right arc, line, right arc) and the step totals.
  const auto s = rows(dir + "/summary.csv");
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0][0], "3");
  EXPECT_EQ(s[0][1] + s[0][2] + s[0][3], "-10-1");
  EXPECT_EQ(d(s[0][7]), r->path.sf);
  EXPECT_EQ(std::stoi(s[0][8]), r->steps.nSeg[0].total);
  EXPECT_EQ(d(s[0][9]), r->steps.Tseg[0].total);
  // The parameters that made them, read back by --params: the same files.
  const std::string again = dir + "/again";
  ASSERT_EQ(run({"ptp", "4", "-3", "-45", "--out", again, "--params", dir + "/params.toml"}),
            agvbatch::OK);
  for (const char* f : {"/summary.csv", "/clothoid_2.csv", "/params.toml"})
    EXPECT_EQ(slurp(again + f), slurp(dir + f)) << f;
  fs::remove_all(dir);
}

TEST(Batch, CpFilesReadBackToTheRecordsOfThePass) {
  const std::string dir = scratch("cp");
  ASSERT_EQ(run({"cp", "16", "0.2", "3", "--out", dir}), agvbatch::OK);
  auto r = std::make_unique<CpResult>();
  ASSERT_EQ(passCP(Params{}, Curve{16, 0.2, 3}, *r), Status::Done);
  for (int k = 0; k < 3; ++k) {
    const auto l = rows(dir + "/cp_" + std::to_string(k + 1) + ".csv");
    const CpRuns& run = r->run[k];
    ASSERT_EQ(l.size(), run.ref.size());
    for (size_t i = 0; i < l.size(); ++i) {
      ASSERT_EQ(l[i].size(), 20u);
      expectRecord(l[i], 0, run.ref[i], true);
      ASSERT_EQ(d(l[i][7]), run.ref[i].u);
      expectRecord(l[i], 8, run.cv[i]);
      expectRecord(l[i], 14, run.err[i]);
    }
  }
  const auto s = rows(dir + "/summary.csv");
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0][0], "16");
  EXPECT_EQ(std::stoi(s[0][4]), r->NN[0]);
  fs::remove_all(dir);
}

// Rows in grid order, the grid index first, the same with one and two threads, and like the
// summary of the pose run alone; parameters that vary (--set) are the outermost axes and
// columns of the rows, with the parameters that do not.
TEST(Batch, SweepRowsInGridOrderTheSameWithOneAndTwoJobsAndLikeTheSummary) {
  const std::string dir = scratch("sweep");
  const std::vector<std::string> grid = {"sweep", "--x", "-2:2:2",  "--y",
                                         "0:3:1.5", "--th", "-90:90:90"};
  std::vector<std::string> one = grid, two = grid;
  one.insert(one.end(), {"--out", dir + "/one.csv"});
  two.insert(two.end(), {"--jobs", "2", "--out", dir + "/two.csv"});
  ASSERT_EQ(run(one), agvbatch::OK);
  ASSERT_EQ(run(two), agvbatch::OK);
  EXPECT_EQ(slurp(dir + "/one.csv"), slurp(dir + "/two.csv"));
  std::string head;
  const auto r = rows(dir + "/one.csv", &head);
  EXPECT_EQ(head.substr(0, 30), "index,x[m],y[m],th[deg],status");
  ASSERT_EQ(r.size(), 27u);
  // x outermost, then y, then the heading.
  for (size_t i = 0; i < r.size(); ++i) {
    EXPECT_EQ(r[i][0], std::to_string(i));
    EXPECT_EQ(d(r[i][1]), -2.0 + 2.0 * static_cast<double>(i / 9)) << i;
    EXPECT_EQ(d(r[i][2]), 1.5 * static_cast<double>(i / 3 % 3)) << i;
    EXPECT_EQ(d(r[i][3]), -90.0 + 90.0 * static_cast<double>(i % 3)) << i;
  }
  // A row and the summary of its pose run alone: the same fields.
  for (size_t i : {0u, 13u, 26u}) {
    ASSERT_EQ(r[i][4], "ok");
    const std::string alone = dir + "/alone" + std::to_string(i);
    ASSERT_EQ(run({"ptp", r[i][1], r[i][2], r[i][3], "--out", alone}), agvbatch::OK);
    const auto s = rows(alone + "/summary.csv");
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(std::vector<std::string>(r[i].begin() + 5, r[i].end()), s[0]) << i;
  }
  // A refused pose says why, with no summary.
  ASSERT_EQ(run({"sweep", "--x", "70:70:1", "--y", "0:0:1", "--th", "0:0:1", "--out",
                 dir + "/far.csv"}),
            agvbatch::OK);
  const auto far = rows(dir + "/far.csv");
  ASSERT_EQ(far.size(), 1u);
  EXPECT_NE(far[0][4].find("too long"), std::string::npos);
  EXPECT_EQ(far[0][5], "");
  // Two parameter axes and a parameter that does not vary: Ra outermost, then Lw; every
  // parameter a column; each row the summary of its own pass.
  ASSERT_EQ(run({"sweep", "--set", "Ra=1:2:1", "--set", "Lw=0.5:1:0.5", "--x", "2:3:1", "--y",
                 "3:3:1", "--th", "0:0:1", "--param", "steerRate=1", "--out", dir + "/set.csv"}),
            agvbatch::OK);
  const auto set = rows(dir + "/set.csv", &head);
  // The parameters of an opt-in capability not used have no column.
  std::string params = "index";
  size_t x = 1;
  for (int i = 0; i < nParams; ++i) {
    const ParamInfo info = paraminfo(i);
    if (info.optin) continue;
    params += std::string(",") + info.name + (*info.unit ? std::string("[") + info.unit + "]" : "");
    ++x;
  }
  EXPECT_EQ(head.rfind(params + ",x[m],y[m],th[deg],status,row", 0), 0u) << head;
  const size_t summary = x + 4;
  ASSERT_EQ(set.size(), 8u);
  for (size_t i = 0; i < set.size(); ++i) {
    const double Ra = 1.0 + static_cast<double>(i / 4), Lw = 0.5 + 0.5 * static_cast<double>(i / 2 % 2);
    EXPECT_EQ(d(set[i][2]), 1.0);
    EXPECT_EQ(d(set[i][3]), Ra) << i;
    EXPECT_EQ(d(set[i][4]), Lw) << i;
    EXPECT_EQ(d(set[i][x]), 2.0 + static_cast<double>(i % 2)) << i;
    Params p;
    p.Ra = Ra;
    p.Lw = Lw;
    p.steerRate = 1.0;
    auto res = std::make_unique<PtpResult>();
    ASSERT_EQ(passPTP(p, d(set[i][x]), 3.0, 0.0, *res), Status::Done);
    std::string line;
    for (size_t f = summary; f < set[i].size(); ++f) line += (f > summary ? "," : "") + set[i][f];
    std::string want;
    std::vector<double> v;
    values(*res, features(p), v);
    agv::cli::SummaryColumns(Table::Ptp, features(p)).row(want, v);
    EXPECT_EQ(line, want) << i;
  }
  // An axis whose last value rounding takes a hair past its end: the end itself, which the
  // parameter's range allows.
  ASSERT_EQ(run({"sweep", "--set", "Ra=0.1:1000:0.1", "--x", "2:2:1", "--y", "3:3:1", "--th",
                 "0:0:1", "--shard", "9999/10000", "--out", dir + "/last.csv"}),
            agvbatch::OK);
  const auto last = rows(dir + "/last.csv");
  ASSERT_EQ(last.size(), 2u);  // the slice's line, read as a row, then the pose
  EXPECT_EQ(last[1][0], "9999");
  EXPECT_EQ(last[1][3], "1000");
  fs::remove_all(dir);
}

const char kRoute[] = AGV_SOURCE_DIR "/tests/batch/optin_route.csv";

// A sweep of a route, of curves or from a start pose: the same file with one and two threads,
// and each row the summary of its pass run alone (agvbatch route, cp, ptp --from, with the
// row's parameters as its columns give them, a named value by its name), or its refusal.
TEST(Batch, SweepsOfRoutesCurvesAndStartPosesAreTheirPassesRunAlone) {
  const std::string dir = scratch("kinds");
  using Cols = std::map<std::string, std::string>;
  using Alone = std::vector<std::string> (*)(const Cols&);
  const struct {
    std::vector<std::string> sweep;
    Alone alone;  // the pass of a row, from its columns
    size_t rows;
  } cases[] = {
      {{"sweep", "--route", kRoute, "--set", "Lw=0.5:1:0.5", "--set",
        "controller=purepursuit:stanley:1"},
       [](const Cols&) { return std::vector<std::string>{"route", kRoute}; }, 4},
      {{"sweep", "--route", kRoute, "--param", "reverse=1", "--param", "Ra=200"},
       [](const Cols&) { return std::vector<std::string>{"route", kRoute}; }, 1},
      {{"sweep", "cp", "16", "--A", "0.1:0.2:0.1", "--B", "3:10:7", "--param", "Lw=0.8"},
       [](const Cols& c) { return std::vector<std::string>{"cp", "16", c.at("c1"), c.at("c2")}; }, 4},
      // Three are refused (no curve, too long): their rows keep the constants, which run them alone.
      {{"sweep", "cp", "1", "--A", "2:20:18", "--B", "0:21:21"},
       [](const Cols& c) { return std::vector<std::string>{"cp", "1", c.at("c1"), c.at("c2")}; }, 4},
      {{"sweep", "cp", "13", "--A", "0.5:1:0.5", "--param", "controller=rearwheel"},
       [](const Cols& c) { return std::vector<std::string>{"cp", "13", c.at("c1")}; }, 2},
      {{"sweep", "--x", "1:2:1", "--y", "-1:0:1", "--th", "0:90:90", "--from", "1", "-2", "30",
        "--set", "Lw=0.5:1:0.5"},
       [](const Cols& c) {
         return std::vector<std::string>{"ptp", c.at("x[m]"), c.at("y[m]"), c.at("th[deg]"),
                                         "--from", c.at("x0[m]"), c.at("y0[m]"), c.at("th0[deg]")};
       },
       16},
  };
  for (const auto& k : cases) {
    std::string all;
    for (const std::string& a : k.sweep) all += a + " ";
    SCOPED_TRACE(all);
    ASSERT_EQ(run(with(k.sweep, {"--out", dir + "/one.csv"})), agvbatch::OK);
    ASSERT_EQ(run(with(k.sweep, {"--jobs", "2", "--out", dir + "/two.csv"})), agvbatch::OK);
    EXPECT_EQ(slurp(dir + "/one.csv"), slurp(dir + "/two.csv"));
    std::string head;
    const auto r = rows(dir + "/one.csv", &head);
    ASSERT_EQ(r.size(), k.rows);
    std::vector<std::string> names;
    std::istringstream h(head);
    for (std::string n; std::getline(h, n, ',');) names.push_back(n);
    const size_t status = std::find(names.begin(), names.end(), "status") - names.begin();
    for (size_t i = 0; i < r.size(); ++i) {
      SCOPED_TRACE(i);
      ASSERT_EQ(r[i].size(), names.size());
      EXPECT_EQ(r[i][0], std::to_string(i));
      Cols c;
      std::vector<std::string> alone;
      for (size_t f = 0; f < names.size(); ++f) c[names[f]] = r[i][f];
      if (c.count("controller") > 0) {
        EXPECT_FALSE(std::isnan(paramvalue("controller", c["controller"]))) << c["controller"];
      }
      alone = k.alone(c);
      // The parameters as the rows give them.
      for (size_t f = 1; f < status; ++f) {
        const std::string name = names[f].substr(0, names[f].find('['));
        if (!std::isnan(getparam(Params{}, name))) alone.insert(alone.end(), {"--param", name + "=" + r[i][f]});
      }
      const std::string out = dir + "/alone" + std::to_string(i);
      const agvtest::RunResult a = agvtest::runprog(with(with({AGVBATCH_EXE}, alone), {"--out", out}), "", {}, 60.0);
      if (r[i][status] != "ok") {
        std::string why = a.err.substr(a.err.find("refused: ") + 9);
        why.pop_back();
        std::replace(why.begin(), why.end(), ',', ';');
        EXPECT_EQ(a.status, agvbatch::REFUSED);
        EXPECT_EQ(r[i][status], why);
        continue;
      }
      ASSERT_EQ(a.status, agvbatch::OK) << a.err;
      const auto s = rows(out + "/summary.csv");
      ASSERT_EQ(s.size(), 1u);
      EXPECT_EQ(std::vector<std::string>(r[i].begin() + static_cast<long>(status) + 1, r[i].end()), s[0]);
    }
  }
  fs::remove_all(dir);
}

// params.toml holds each value in the shortest text that reads back to it (a whole number as a
// TOML integer, a float with a point or an exponent), and reads back to the same parameters.
TEST(Batch, ParamsFileHoldsTheShortestTextOfEachValue) {
  const std::string dir = scratch("shortest");
  ASSERT_EQ(run({"ptp", "2", "3", "0", "--out", dir, "--param", "Lw=0.6", "--param", "Vmax=1.1",
                 "--param", "dtCP=0.0001", "--param", "Ra=0.30000000000000004", "--param",
                 "maxSteps=1000000", "--param", "steerRate=100"}),
            agvbatch::OK);
  const std::string text = slurp(dir + "/params.toml");
  EXPECT_EQ(text,
            "# the parameters of this run (agvbatch --params reads this file)\n"
            "Vmax = 1.1\nsteerRate = 100.0\nRa = 0.30000000000000004\nLw = 0.6\ndt = 0.02\n"
            "dtCP = 1e-04\nmaxSteps = 1000000\nthreeArcs = 0\nmaxMemory = 1024\n");
  Params p;
  std::string err;
  ASSERT_TRUE(cli::parseparams(text, "params.toml", p, err)) << err;
  EXPECT_EQ(p.Lw, 0.6);
  EXPECT_EQ(p.Vmax, 1.1);
  EXPECT_EQ(p.dtCP, 0.0001);
  EXPECT_EQ(p.Ra, 0.30000000000000004);
  EXPECT_EQ(p.maxSteps, 1000000);
  fs::remove_all(dir);
}

// The shortest text of a double is std::to_chars's (which the web page's library lacks): every
// power of two, signed zeros, the extremes and doubles of random bits.
TEST(Batch, ShortestTextIsToCharsText) {
  std::vector<double> vs = {0.0, -0.0, 0.6, 1e-4, 1e5, 123456.0, 1e22, 1e23, 5e-324,
                            std::numeric_limits<double>::max(), -0.30000000000000004};
  for (int k = -1074; k <= 1023; ++k) vs.push_back(std::ldexp(1.0, k));
  std::mt19937_64 bits(1);
  while (vs.size() < 50000) {
    const uint64_t b = bits();
    double v = 0;
    std::memcpy(&v, &b, sizeof v);
    if (std::isfinite(v)) vs.push_back(v);
  }
  for (double v : vs) {
    char buf[64];
    const std::to_chars_result end = std::to_chars(buf, buf + sizeof buf, v);
    ASSERT_EQ(cli::shortest(v), std::string(buf, end.ptr)) << std::hexfloat << v;
  }
}

// SHA-256 of a file's bytes, by coreutils.
std::string sha256(const std::string& file) {
  const agvtest::RunResult r = agvtest::runprog({"/usr/bin/sha256sum", file}, "", {}, 60.0);
  return r.out.substr(0, 64);
}

// The sha256 of a file of the folder dir, the fields of its column searchtime[s] (a search's
// time, which differs from run to run) left empty.
std::string filehash(const std::string& dir, const std::string& file) {
  const std::string text = agvtest::slurp(dir + "/" + file);
  const std::string blanked = agvtest::blankcolumn(text);
  if (blanked == text) return sha256(dir + "/" + file);
  const std::string copy = dir + "/../blanked";
  std::ofstream(copy, std::ios::binary) << blanked;
  return sha256(copy);
}

// Chosen PTP poses and CP curves, refused ones among them: with the default parameters the
// program writes the same bytes, says the same and ends with the same status as the
// program of tests/batch/file_hashes.txt did; and the files of the opt-in capabilities (start
// poses, routes, paths that back up, tracked AGVs) keep those of tests/batch/optin_hashes.txt,
// which change only where a change of their numbers is meant (AGV_HASHES_WRITE=1 writes that
// file anew from this build); a summary's searchtime[s], which no run repeats, is left out.  @SRC@ in the arguments stands for the source folder.
TEST(Batch, FilesKeepTheirBytes) {
  const bool write = std::getenv("AGV_HASHES_WRITE") != nullptr;
  for (const char* hashes : {"file_hashes.txt", "optin_hashes.txt"}) {
    SCOPED_TRACE(hashes);
    const std::string path = std::string(AGV_SOURCE_DIR) + "/tests/batch/" + hashes;
    const bool rewrite = write && std::string(hashes) == "optin_hashes.txt";
    std::string anew;  // the file as this build would write it
    std::ifstream in(path);
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> cases;
    std::vector<std::string> order;
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') {
        anew += line + "\n";
        continue;
      }
      const size_t a = line.find('|'), b = line.find('|', a + 1);
      const std::string args = line.substr(0, a);
      if (!cases.count(args)) order.push_back(args);
      cases[args].emplace_back(line.substr(a + 1, b - a - 1), line.substr(b + 1));
    }
    ASSERT_GE(order.size(), 8u);
    const std::string dir = scratch("hashes");
    for (const std::string& args : order) {
      SCOPED_TRACE(args);
      const std::string out = dir + "/out";
      fs::remove_all(out);
      std::vector<std::string> argv = {AGVBATCH_EXE};
      std::istringstream words(args);
      for (std::string w; words >> w;) {
        if (w.rfind("@SRC@", 0) == 0) w = AGV_SOURCE_DIR + w.substr(5);
        argv.push_back(w);
      }
      argv.insert(argv.end(), {"--out", out});
      const agvtest::RunResult r = agvtest::runprog(argv, "", {}, 120.0);
      std::ofstream(dir + "/err", std::ios::binary) << r.err;
      if (rewrite) {
        anew += args + "|status|" + std::to_string(r.status) + "\n" + args + "|stderr|" +
                sha256(dir + "/err") + "\n";
        std::vector<std::string> files;
        if (fs::is_directory(out))
          for (const auto& e : fs::directory_iterator(out)) files.push_back(e.path().filename());
        std::sort(files.begin(), files.end());
        for (const std::string& f : files) anew += args + "|" + f + "|" + filehash(out, f) + "\n";
        continue;
      }
      for (const auto& [file, want] : cases[args]) {
        if (file == "status") {
          EXPECT_EQ(std::to_string(r.status), want);
        } else if (file == "stderr") {
          EXPECT_EQ(sha256(dir + "/err"), want) << r.err;
        } else {
          EXPECT_EQ(filehash(out, file), want) << file;
        }
      }
    }
    fs::remove_all(dir);
    if (rewrite) std::ofstream(path) << anew;
  }
}

// The program itself: status, what it says and the files it leaves.
TEST(Batch, BadUsageAndRefusalsLeaveNoFile) {
  const std::string dir = scratch("usage");
  const std::string out = dir + "/out";
  const struct {
    std::vector<std::string> args;
    int status;
    const char* says;
  } cases[] = {
      {{}, 2, "a command is needed"},
      {{"fly"}, 2, "unknown command fly"},
      {{"ptp", "1", "2"}, 2, "ptp takes the end pose"},
      {{"ptp", "1", "2", "x"}, 2, "not a finite number: x"},
      {{"ptp", "1", "2", "nan"}, 2, "not a finite number: nan"},
      {{"ptp", "1", "2", "inf"}, 2, "not a finite number: inf"},
      {{"ptp", "1", "2", "3", "--from", "1000.5", "0", "0"}, 2, "a pose lies beyond 1000 m of the origin"},
      {{"ptp", "1", "2", "3", "--jobs", "2"}, 2, "not expected: --jobs"},
      {{"ptp", "1", "2", "3", "--colour", "red"}, 2, "not expected: --colour"},
      {{"ptp", "1", "2", "3", "--out"}, 2, "--out: 1 required TEXT missing"},
      {{"ptp", "1", "2", "3", "--param", "Ra=0"}, 2, "Ra must be a number from 0.001 to 1000 m, not 0"},
      {{"ptp", "1", "2", "3", "--param", "Foo=1"}, 2, "unknown parameter Foo"},
      {{"ptp", "1", "2", "3", "--param", "dt"}, 2, "--param dt: NAME=VALUE expected"},
      {{"ptp", "1", "2", "3", "--params", "/nonexistent"}, 2, "/nonexistent: No such file"},
      {{"cp", "5", "1", "1"}, 2, "unknown curve number 5"},
      {{"cp", "1.5", "1", "1"}, 2, "cp takes a curve number"},
      {{"cp", "13", "1", "2"}, 2, "curve 13 takes 1 constant"},
      {{"cp", "1", "2"}, 2, "curve 1 takes 2 constant"},
      {{"cp", "1", "-2", "5"}, 2, "a constant is negative: -2"},
      {{"sweep", "--x", "1:0:1", "--y", "0:0:1", "--th", "0:0:1"}, 2, "--x needs A <= B"},
      {{"sweep", "--x", "0:1:0", "--y", "0:0:1", "--th", "0:0:1"}, 2, "--x needs A <= B"},
      {{"sweep", "--x", "0:1", "--y", "0:0:1", "--th", "0:0:1"}, 2, "--x needs A:B:STEP"},
      {{"sweep", "--x", "0:1e9:1e-9", "--y", "0:0:1", "--th", "0:0:1"}, 2,
       "points; the limit is 100000000"},
      {{"sweep", "--x", "0:1:1e-300", "--y", "0:0:1", "--th", "0:0:1"}, 2,
       "--x has 1e+300 points; the limit is 100000000 ("},  // the message whole
      {{"sweep", "--x", "-1e308:1e308:1e307", "--y", "0:1e7:1", "--th", "0:0:1"}, 2,
       "the grid has 210000021 poses"},  // 21 values of x, not infinitely many
      {{"sweep", "--x", "0:1e4:1", "--y", "0:1e4:1", "--th", "0:0:1"}, 2,
       "the grid has 100020001 poses; the limit is 100000000"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1"}, 2, "--th is required"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1", "--set", "Ra=0:1:0.5"}, 2,
       "--set Ra=0:1:0.5: Ra must be a number from 0.001 to 1000 m, not 0"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1", "--set", "dt=0.01:0.2:0.01"},
       2, "dt must be a number from 0.0001 to 0.1 s, not 0.2"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1", "--set", "maxSteps=10:20:0.5"},
       2, "maxSteps takes whole numbers: a whole STEP is needed"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1", "--set", "Foo=1:2:1"}, 2,
       "unknown parameter Foo"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1", "--set", "Ra=1:2:1", "--set",
        "Ra=1:3:1"}, 2, "--set Ra is given twice"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1", "--set", "Ra=1:2:1", "--param",
        "Ra=3"}, 2, "--set Ra and --param Ra=3 name the same parameter"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1", "--set", "Ra=1:1000:1e-5"}, 2,
       "the grid has 199800000 poses; the limit is 100000000"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1", "--shard", "4/4"}, 2,
       "--shard needs K/N"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1", "--progress", "--quiet"}, 2,
       "--progress and --quiet exclude each other"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1", "--jobs", "0"}, 2, "--jobs"},
      // Sweeps of routes and curves, and from a start pose: options of one kind only.
      {{"sweep", "--route", kRoute, "--x", "0:1:1"}, 2, "--route sweeps a route, not end poses: no --x"},
      {{"sweep", "--route", kRoute, "--from", "0", "0", "0"}, 2, "not end poses: no --from"},
      {{"sweep", "--route", "/nonexistent.csv"}, 2, "/nonexistent.csv: No such file"},
      {{"sweep", "--route", ""}, 2, "--route needs a name"},
      {{"sweep", "cp", "13", "--A", "1:2:1", "--B", "1:2:1"}, 2, "curve 13 takes 1 constant: --A"},
      {{"sweep", "cp", "16", "--A", "1:2:1"}, 2, "curve 16 takes 2 constants: --A and --B"},
      {{"sweep", "cp", "16", "--A", "-1:2:1", "--B", "1:1:1"}, 2, "--A: a constant is negative"},
      {{"sweep", "cp", "16", "--A", "1:2", "--B", "1:1:1"}, 2, "--A needs A:B:STEP"},
      {{"sweep", "cp", "5", "--A", "1:2:1"}, 2, "unknown curve number 5"},
      {{"sweep", "cp", "--A", "1:2:1"}, 2, "sweep takes no arguments but cp I"},
      {{"sweep", "line", "16", "--A", "1:2:1"}, 2, "sweep takes no arguments but cp I"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1", "--A", "1:2:1"}, 2,
       "--A gives a constant of a curve: sweep cp I --A"},
      {{"sweep", "cp", "16", "--A", "1:2:1", "--B", "1:1:1", "--th", "0:0:1"}, 2,
       "sweep cp takes the curve's constants (--A, --B), not --th"},
      {{"sweep", "cp", "16", "--A", "1:2:1", "--B", "1:1:1", "--route", kRoute}, 2, "not --route"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1", "--from", "0", "0", "inf"}, 2,
       "--from: not a finite number: inf"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1", "--from", "0", "0"}, 2, "--from"},
      {{"sweep", "cp", "16", "--A", "0:1e4:1", "--B", "0:1e4:1"}, 2,
       "the grid has 100020001 curves; the limit is 100000000"},
      {{"ptp", "1", "2", "3", "--param", "Vmax=0.0009999999999999998"}, 2,
       "from 0.001 to 100 m/s, not 0.0009999999999999998"},
      // Maps: missing, not YAML, an image given for its YAML, a folder, a body out of range.
      {{"ptp", "1", "2", "3", "--map", "/nonexistent.yaml"}, 2, "/nonexistent.yaml: No such file"},
      {{"ptp", "1", "2", "3", "--map", ""}, 2, "--map needs a name"},
      {{"cp", "16", "0.2", "3", "--map", AGV_SOURCE_DIR "/tests/batch/optin_route.csv"}, 2,
       "optin_route.csv:2: not a YAML mapping of the map's keys"},
      {{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1", "--map",
        AGV_SOURCE_DIR "/examples/warehouse.pgm"}, 2, "warehouse.pgm: larger than 64 KiB"},
      {{"route", AGV_SOURCE_DIR "/tests/batch/optin_route.csv", "--map", AGV_SOURCE_DIR "/examples"},
       2, "examples: a folder, not a file"},
      {{"track", AGV_SOURCE_DIR "/docs/lane.csv", "--map", ""}, 2, "--map needs a name"},
      {{"track", AGV_SOURCE_DIR "/docs/lane.csv", "--map", AGV_SOURCE_DIR "/docs/lane.csv"}, 2,
       "lane.csv:2: not a YAML mapping of the map's keys"},
      {{"ptp", "1", "2", "3", "--map", AGV_SOURCE_DIR "/examples/warehouse.yaml", "--param",
        "bodyWidth=-1"}, 2, "bodyWidth must be a number from 0.001 to 100 m, not -1"},
      {{"ptp", "80", "0", "0"}, 1, "refused: the path is too long"},
      {{"ptp", "90", "0", "0", "--param", "dt=0.0001", "--param", "maxSteps=1000000"}, 1,
       "refused: the records of the pass would take"},
      {{"cp", "11", "10", "0.2"}, 1, "refused: the curve bends too sharply for the time step"},
      // At the smallest time step, no smaller one is advised.
      {{"cp", "13", "1e-5", "--param", "dtCP=0.0001", "--param", "maxSteps=1000000"}, 1,
       "agvbatch: refused: the curve bends too sharply for the time step: the reference point of "
       "mechanism 1 strays 7.69e-05 m from the curve (the limit is 8.92e-08 m); dtCP is at its "
       "smallest already (0.0001 s): other constants of the curve are needed\n"},
      {{"cp", "1", "20", "20"}, 1, "refused: the curve is longer than"},
      {{"cp", "12", "1", "30"}, 1, "refused: the curve's parameter range is too long"},
      {{"cp", "1", "2", "0"}, 1, "refused: these constants define no curve"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = {AGVBATCH_EXE};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const bool sweep = !c.args.empty() && c.args[0] == "sweep";
    argv.insert(argv.end(), {"--out", sweep ? out + ".csv" : out});
    if (!c.args.empty() && c.args.back() == "--out") argv.resize(argv.size() - 2);
    const agvtest::RunResult r = agvtest::runprog(argv, "", {}, 60.0);
    std::string all;
    for (const std::string& a : c.args) all += a + " ";
    EXPECT_EQ(r.status, c.status) << all << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << all << r.err;
    EXPECT_TRUE(fs::is_empty(dir)) << all;
  }
  fs::remove_all(dir);
}

TEST(Batch, HelpAndOutputThatCannotBeWritten) {
  const agvtest::RunResult help = agvtest::runprog({AGVBATCH_EXE, "--help"}, "", {}, 60.0);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: agvbatch ptp XF YF THF_DEG"), std::string::npos);
  const std::string dir = scratch("unwritable");
  std::ofstream(dir + "/file") << "x";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"ptp", "2", "3", "0", "--out", dir + "/file/sub"},
        std::vector<std::string>{"sweep", "--x", "0:1:1", "--y", "0:0:1", "--th", "0:0:1",
                                 "--out", dir + "/none/sweep.csv"}}) {
    std::vector<std::string> argv = {AGVBATCH_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    const agvtest::RunResult r = agvtest::runprog(argv, "", {}, 60.0);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find("cannot"), std::string::npos) << r.err;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  // A folder where the last file goes: no file of the pass replaces its old one.
  const std::string taken = dir + "/taken";
  fs::create_directories(taken + "/params.toml");
  std::ofstream(taken + "/summary.csv") << "old";
  const agvtest::RunResult r =
      agvtest::runprog({AGVBATCH_EXE, "ptp", "2", "3", "0", "--out", taken}, "", {}, 60.0);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(taken + "/params.toml is a folder"), std::string::npos) << r.err;
  EXPECT_EQ(slurp(taken + "/summary.csv"), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(taken), fs::directory_iterator()), 2);
  fs::remove_all(dir);
}

// A heading axis that reaches both ends of a whole turn has the same heading twice: a note says
// so, and the heading is computed once, the same for any --jobs and any slices.  A refused pose
// has as many fields as the header, its numbers empty.
TEST(Batch, AHeadingAxisAroundAWholeTurnAndWholeRows) {
  const std::string dir = scratch("turn");
  for (const char* jobs : {"1", "2"}) {
    const agvtest::RunResult r = agvtest::runprog(
        {AGVBATCH_EXE, "sweep", "--x", "0:70:70", "--y", "0:0:1", "--th", "-180:180:90", "--jobs",
         jobs, "--out", dir + "/" + jobs + ".csv"},
        "", {}, 60.0);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err,
              "agvbatch: --th -180:180:90: -180 and 180 deg are one heading, computed once (as "
              "-180)\n");
  }
  std::string head;
  const auto one = rows(dir + "/1.csv", &head);
  EXPECT_EQ(slurp(dir + "/1.csv"), slurp(dir + "/2.csv"));
  ASSERT_EQ(one.size(), 8u);  // 2 x 4 headings
  const size_t fields = static_cast<size_t>(std::count(head.begin(), head.end(), ',')) + 1;
  for (size_t i = 0; i < one.size(); ++i) {
    EXPECT_EQ(one[i][0], std::to_string(i));
    EXPECT_EQ(one[i][3], std::to_string(-180 + 90 * static_cast<int>(i % 4)));
    EXPECT_EQ(one[i].size(), fields) << i;
    EXPECT_EQ(one[i][4] == "ok", i < 4) << i;  // at x = 70 m every path is too long
    if (i >= 4) {
      EXPECT_EQ(one[i].back(), "");
    }
  }
  fs::remove_all(dir);
}

// An axis near the largest doubles: each value A + i STEP as the sum gives it where it does not
// overflow (the same bytes), and where it would, the value it would have without the overflow
// (within a rounding of the exact one), the values rising from A to B.
TEST(Batch, AxisValuesNearTheLargestDoublesDoNotOverflow) {
  const double big = std::numeric_limits<double>::max();
  const agvbatch::Range ranges[] = {{-1e308, 1e308, 1e307}, {-big, big, big / 3},
                                    {0, big, big / 7}, {-big, -big / 2, big / 64}};
  for (const agvbatch::Range& r : ranges) {
    SCOPED_TRACE(testing::Message() << r.a << ":" << r.b << ":" << r.step);
    double last = -big;
    for (long i = 0; i < r.count(); ++i) {
      const double v = r.at(i), naive = r.a + i * r.step;
      if (std::isfinite(naive)) {
        EXPECT_EQ(v, std::min(naive, r.b)) << i;
      }
      const long double exact =
          static_cast<long double>(r.a) + i * static_cast<long double>(r.step);
      EXPECT_NEAR(v, static_cast<double>(std::min<long double>(exact, r.b)), 1e-15 * big) << i;
      EXPECT_GE(v, last) << i;
      EXPECT_LE(v, r.b) << i;
      last = v;
    }
  }
  // The rows of a sweep along the axis -1e308:1e308:1e307.
  const std::string dir = scratch("huge");
  ASSERT_EQ(run({"sweep", "--x", "-1e308:1e308:1e307", "--y", "0:0:1", "--th", "0:0:1", "--quiet",
                 "--out", dir + "/s.csv"}),
            agvbatch::OK);
  const auto rs = rows(dir + "/s.csv");
  ASSERT_EQ(rs.size(), 21u);
  EXPECT_EQ(rs[18][1], "8.0000000000000009e+307");
  EXPECT_EQ(rs[19][1], "8.9999999999999985e+307");
  EXPECT_EQ(rs[20][1], "1e+308");
  fs::remove_all(dir);
}

TEST(Batch, PlotScriptMakesPngsOfARunAndOfASweep) {
  const std::string dir = scratch("plot");
  ASSERT_EQ(run({"ptp", "2", "3", "0", "--out", dir}), agvbatch::OK);
  ASSERT_EQ(run({"sweep", "--x", "-1:1:1", "--y", "-1:1:1", "--th", "0:90:90", "--set",
                 "Lw=0.5:1:0.5", "--out", dir + "/sweep.csv"}),
            agvbatch::OK);
  const std::string plot = std::string(AGV_SOURCE_DIR) + "/scripts/plot.sh";
  const std::string sweep = dir + "/sweep.csv";
  // A run, a map over x and y, a map over a parameter axis, and a column the file lacks.
  const std::vector<std::pair<std::vector<std::string>, int>> cases = {
      {{dir}, 0},
      {{sweep}, 0},
      {{sweep, "arc1_maxerr[m]", "Lw[m]", "th[deg]"}, 0},
      {{sweep, "arc1_maxerr[m]", "Lw[m]", "nosuch"}, 2}};
  for (const auto& [args, status] : cases) {
    std::vector<std::string> argv = {"/bin/bash", plot};
    argv.insert(argv.end(), args.begin(), args.end());
    const agvtest::RunResult r = agvtest::runprog(argv, "", {}, 120.0);
    EXPECT_EQ(r.status, status) << r.err;
    if (status == 0) continue;
    EXPECT_NE(r.err.find("no column nosuch"), std::string::npos) << r.err;
  }
  // Each map named after its column (and its axes): neither overwrites the other.
  for (const char* png : {"arc_2.png", "clothoid_3.png", "sweep_arc2_maxerr.png",
                          "sweep_arc1_maxerr_Lw_th.png"}) {
    const std::string p = dir + "/" + png;
    ASSERT_TRUE(fs::exists(p)) << png;
    EXPECT_GT(fs::file_size(p), 1000u) << png;
    EXPECT_EQ(slurp(p).substr(1, 3), "PNG") << png;
  }
  fs::remove_all(dir);
}

}  // namespace
