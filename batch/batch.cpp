#include "batch/batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "cli/params.h"

namespace agvbatch {

using namespace agv;

namespace {

const char kAbout[] =
    "usage: agvbatch ptp XF YF THF_DEG [--out DIR] [--param NAME=VALUE]... [--params FILE]\n"
    "       agvbatch cp I C1 [C2] [--out DIR] [--param NAME=VALUE]... [--params FILE]\n"
    "       agvbatch sweep --x A:B:STEP --y A:B:STEP --th A:B:STEP [--jobs N] [--out FILE]\n"
    "                      [--param NAME=VALUE]... [--params FILE]\n"
    "       agvbatch COMMAND --help   the options of a command\n"
    "\n"
    "agvbatch: the computations of agvsim without its window, written as CSV files.\n"
    "\n"
    "  ptp    one PTP pass from (0, 0, 0 deg) to the end pose XF, YF [m], THF [deg]:\n"
    "         arc_K.csv and clothoid_K.csv (reference, constant-velocity and error records\n"
    "         of mechanism K = 1, 2, 3 at every time step), arc_K_vv.csv and\n"
    "         clothoid_K_vv.csv (the variable-velocity runs), summary.csv and params.toml\n"
    "  cp     one CP pass along curve I (1, 2, 3, 4, 11, 12, 13, 14, 16) with its\n"
    "         constants as the set-up menu asks for them (curve 13 takes one):\n"
    "         cp_K.csv, summary.csv and params.toml\n"
    "  sweep  a PTP pass to every end pose of the grid x, y [m], th [deg] (ranges from A\n"
    "         to B in steps of STEP): one row per pose in grid order (x, then y, then\n"
    "         th), with the pass's summary or the reason the pose was refused\n"
    "\n"
    "Numbers are written so that they read back to the same double. A file is written\n"
    "beside its name and renamed when complete. params.toml holds the parameters in force\n"
    "(--params reads it back); a sweep with parameters other than the defaults has them as\n"
    "columns.\n"
    "Exit status: 0 done, 1 path refused (the reason on stderr), 2 bad usage, bad\n"
    "numbers or files that cannot be written.";

// Most poses of a sweep.
constexpr double kPosesMax = 1e8;

int usage(const std::string& msg) {
  std::fprintf(stderr, "agvbatch: %s (agvbatch --help tells the usage)\n", msg.c_str());
  return USAGE;
}

int failed(const std::string& msg) {
  std::fprintf(stderr, "agvbatch: %s\n", msg.c_str());
  return USAGE;
}

int refused(const std::string& why) {
  std::fprintf(stderr, "agvbatch: refused: %s\n", why.c_str());
  return REFUSED;
}

bool number(const std::string& s, double& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  v = std::strtod(s.c_str(), &end);
  return end == s.c_str() + s.size() && std::isfinite(v);
}

bool whole(const std::string& s, int& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long n = std::strtol(s.c_str(), &end, 10);
  if (end != s.c_str() + s.size() || errno == ERANGE || n < INT_MIN || n > INT_MAX) return false;
  v = static_cast<int>(n);
  return true;
}

// Column names of a record with a prefix.
void fields(std::string& h, const char* prefix, bool u) {
  for (const char* f : {"s[m]", "th[rad]", "x[m]", "y[m]", "phi[rad]", "kap[1/m]"})
    h.append(",").append(prefix).append(f);
  if (u) h.append(",").append(prefix).append("u");
}

void row(std::string& s, const Record& r) {
  for (double v : {r.s, r.th, r.x, r.y, r.phi, r.kap}) {
    s += ',';
    num(s, v);
  }
}

// The records of a constant-velocity run (reference, AGV, error) or, with cv null, of a
// variable-velocity run, one line per time step.
std::string runcsv(const std::vector<Record>& ref, const std::vector<Record>* cv,
                   const std::vector<Record>* err) {
  std::string s = "t[s]";
  fields(s, cv != nullptr ? "ref_" : "vv_", false);
  if (cv != nullptr) {
    fields(s, "cv_", false);
    fields(s, "err_", false);
  }
  s += '\n';
  for (size_t i = 0; i < ref.size(); ++i) {
    num(s, ref[i].t);
    row(s, ref[i]);
    if (cv != nullptr) {
      row(s, (*cv)[i]);
      row(s, (*err)[i]);
    }
    s += '\n';
  }
  return s;
}

// A whole number field, after a comma.
void field(std::string& s, long v) {
  s += ',';
  s += std::to_string(v);
}

// Largest position error over the records, and the final position and heading error.
void errors(std::string& s, const std::vector<Record>& err) {
  double big = 0.0;
  for (const Record& e : err) big = std::fmax(big, std::hypot(e.x, e.y));
  s += ',';
  num(s, big);
  s += ',';
  num(s, std::hypot(err.back().x, err.back().y));
  s += ',';
  num(s, err.back().th);
}

// The parameters as a file that --params reads back.
std::string paramfile(const Params& p) {
  std::string s = "# the parameters of this run (agvbatch --params reads this file)\n";
  for (int i = 0; i < nParams; ++i) {
    const ParamInfo& info = paraminfo(i);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", getparam(p, info.name));
    s += std::string(info.name) + " = " + buf;
    // A TOML float needs a point or an exponent.
    if (!info.whole && std::strpbrk(buf, ".eEn") == nullptr) s += ".0";
    s += '\n';
  }
  return s;
}

int makedir(const std::string& dir) {
  if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
    return failed("cannot make the folder " + dir + ": " + std::strerror(errno));
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return failed(dir + " is not a folder");
  return OK;
}

int write(const std::string& path, const std::string& text) {
  std::string err;
  if (!writefile(path, text, err)) return failed("cannot write " + path + ": " + err);
  return OK;
}

int ptpfiles(const Params& p, const PtpResult& r, const std::string& dir) {
  const char* paths[2] = {"arc", "clothoid"};
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k) {
      const Runs& runs = b == 0 ? r.arc[k] : r.cl[k];
      const std::string base = dir + "/" + paths[b] + "_" + std::to_string(k + 1);
      if (write(base + ".csv", runcsv(runs.ref, &runs.cv, &runs.err)) != OK ||
          write(base + "_vv.csv", runcsv(runs.vv, nullptr, nullptr)) != OK)
        return USAGE;
    }
  if (write(dir + "/summary.csv", ptpheader() + "\n" + ptpsummary(r) + "\n") != OK) return USAGE;
  return write(dir + "/params.toml", paramfile(p));
}

int cmdptp(const Params& p, const std::vector<std::string>& pose, const std::string& dir) {
  if (pose.size() != 3) return usage("ptp takes the end pose: XF YF THF_DEG");
  double v[3];
  for (int i = 0; i < 3; ++i)
    if (!number(pose[i], v[i])) return usage("not a finite number: " + pose[i]);
  PtpResult r;
  if (passPTP(p, v[0], v[1], v[2], r) != Status::Done) return refused(reason(r.refusal, p));
  if (makedir(dir) != OK) return USAGE;
  return ptpfiles(p, r, dir);
}

std::string cpheader() {
  std::string h = "curve,c1,c2,sf[m]";
  for (int k = 1; k <= 3; ++k) {
    const std::string p = "cp" + std::to_string(k) + "_";
    for (const char* f : {"steps", "T[s]", "maxerr[m]", "enderr[m]", "endtherr[rad]"})
      h += "," + p + f;
  }
  return h;
}

int cmdcp(const Params& p, const std::vector<std::string>& args, const std::string& dir) {
  int I = 0;
  if (args.empty() || !whole(args[0], I)) return usage("cp takes a curve number I");
  const int n = nconsts(I);
  if (n == 0) return usage("unknown curve number " + args[0]);
  if (args.size() != static_cast<size_t>(1 + n))
    return usage("curve " + args[0] + " takes " + std::to_string(n) + " constant(s)");
  double c[2] = {0.0, 0.0};
  for (int i = 0; i < n; ++i) {
    if (!number(args[1 + i], c[i])) return usage("not a finite number: " + args[1 + i]);
    if (c[i] < 0) return usage("a constant is negative: " + args[1 + i]);
  }
  CpResult r;
  if (passCP(p, Curve{I, c[0], c[1]}, r) != Status::Done) return refused(reason(r.refusal, p));
  if (makedir(dir) != OK) return USAGE;
  std::string summary = cpheader() + "\n" + std::to_string(I);
  for (int i = 0; i < 2; ++i) {
    summary += ',';
    if (i < n) num(summary, c[i]);
  }
  summary += ',';
  num(summary, r.length);
  for (int k = 0; k < 3; ++k) {
    const CpRuns& run = r.run[k];
    std::string s = "t[s]";
    fields(s, "ref_", true);
    fields(s, "cv_", false);
    fields(s, "err_", false);
    s += '\n';
    for (size_t i = 0; i < run.ref.size(); ++i) {
      num(s, run.ref[i].t);
      row(s, run.ref[i]);
      s += ',';
      num(s, run.ref[i].u);
      row(s, run.cv[i]);
      row(s, run.err[i]);
      s += '\n';
    }
    if (write(dir + "/cp_" + std::to_string(k + 1) + ".csv", s) != OK) return USAGE;
    field(summary, r.NN[k]);
    summary += ',';
    num(summary, r.TCP[k]);
    errors(summary, run.err);
  }
  if (write(dir + "/summary.csv", summary + "\n") != OK) return USAGE;
  return write(dir + "/params.toml", paramfile(p));
}

// A range A:B:STEP; false with the reason in err.
bool range(const std::string& s, Range& r, std::string& err) {
  const size_t c1 = s.find(':'), c2 = c1 == std::string::npos ? c1 : s.find(':', c1 + 1);
  if (c2 == std::string::npos || !number(s.substr(0, c1), r.a) ||
      !number(s.substr(c1 + 1, c2 - c1 - 1), r.b) || !number(s.substr(c2 + 1), r.step)) {
    err = "needs A:B:STEP, three finite numbers";
    return false;
  }
  if (!(r.step > 0) || r.b < r.a) {
    err = "needs A <= B and STEP > 0";
    return false;
  }
  const double n = std::floor((r.b - r.a) / r.step + 1e-9) + 1;
  if (!(n <= kPosesMax)) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "has %.0f points; the limit is %.0f", n, kPosesMax);
    err = buf;
    return false;
  }
  return true;
}

// The columns of the parameters, when they are not the defaults.
std::string paramcols(const Params& p, bool header) {
  if (isdefault(p)) return "";
  std::string s;
  for (int i = 0; i < nParams; ++i) {
    const ParamInfo& info = paraminfo(i);
    if (header) {
      s += info.name;
      if (*info.unit) s += std::string("[") + info.unit + "]";
    } else {
      num(s, getparam(p, info.name));
    }
    s += ',';
  }
  return s;
}

// The row of pose i of the grid, computed with the worker's result r.
std::string poserow(const Params& p, const Range g[3], long i, PtpResult& r) {
  const long nth = g[2].count(), ny = g[1].count();
  const double px = g[0].at(i / (ny * nth));
  const double py = g[1].at(i / nth % ny);
  const double pth = g[2].at(i % nth);
  std::string s = paramcols(p, false);
  num(s, px);
  s += ',';
  num(s, py);
  s += ',';
  num(s, pth);
  std::string why;
  try {
    if (passPTP(p, px, py, pth, r) != Status::Done) why = reason(r.refusal, p);
  } catch (const std::exception& e) {
    // A pass that fails refuses its pose alone.
    why = std::string("error: ") + e.what();
  }
  for (char& c : why)
    if (c == ',' || c == '\n') c = ';';
  s += ',' + (why.empty() ? std::string("ok") : why) + ',';
  if (why.empty()) s += ptpsummary(r);
  s += '\n';
  return s;
}

// The rows of a sweep, computed by `jobs` threads in chunks of poses and written in grid
// order to the file descriptor fd as they are done.  A few chunks at most wait to be
// written, so the memory does not grow with the grid.  False when a write failed.
bool sweeprows(const Params& p, const Range g[3], int jobs, int fd) {
  const long n = g[0].count() * g[1].count() * g[2].count();
  constexpr long kChunk = 64;
  const long chunks = (n + kChunk - 1) / kChunk;
  const long window = 4L * jobs;
  std::mutex mu;
  std::condition_variable cv;
  std::map<long, std::string> done;
  long next = 0;     // the next chunk to compute
  long written = 0;  // chunks written
  bool stop = false;

  const auto worker = [&] {
    PtpResult r;
    for (;;) {
      long c;
      {
        std::unique_lock<std::mutex> lock(mu);
        cv.wait(lock, [&] { return stop || next < written + window; });
        if (stop || next >= chunks) return;
        c = next++;
      }
      std::string rows;
      for (long i = c * kChunk; i < std::min(n, (c + 1) * kChunk); ++i) rows += poserow(p, g, i, r);
      {
        std::lock_guard<std::mutex> lock(mu);
        done.emplace(c, std::move(rows));
      }
      cv.notify_all();
    }
  };
  std::vector<std::thread> threads;
  for (int w = 0; w < jobs; ++w) threads.emplace_back(worker);

  bool ok = true;
  for (long c = 0; c < chunks && ok; ++c) {
    std::string rows;
    {
      std::unique_lock<std::mutex> lock(mu);
      cv.wait(lock, [&] { return done.count(c) > 0; });
      rows = std::move(done[c]);
      done.erase(c);
    }
    size_t put = 0;
    while (put < rows.size()) {
      const ssize_t k = ::write(fd, rows.data() + put, rows.size() - put);
      if (k < 0 && errno == EINTR) continue;
      if (k <= 0) {
        ok = false;
        break;
      }
      put += static_cast<size_t>(k);
    }
    {
      std::lock_guard<std::mutex> lock(mu);
      written = c + 1;
      stop = !ok;
    }
    cv.notify_all();
  }
  for (std::thread& t : threads) t.join();
  return ok;
}

int sweep(const Params& p, const Range g[3], int jobs, const std::string& out) {
  std::string tmp = out + ".tmp.XXXXXX";
  const int fd = mkstemp(tmp.data());
  if (fd < 0) return failed("cannot write " + out + ": " + std::strerror(errno));
  const std::string head = paramcols(p, true) + "x[m],y[m],th[deg],status," + ptpheader() + "\n";
  bool ok = ::write(fd, head.data(), head.size()) == static_cast<ssize_t>(head.size()) &&
            sweeprows(p, g, jobs, fd);
  const int e = errno;
  ok = close(fd) == 0 && ok;
  if (ok && std::rename(tmp.c_str(), out.c_str()) == 0) return OK;
  const int why = ok ? errno : e;
  unlink(tmp.c_str());
  return failed("cannot write " + out + ": " + std::strerror(why));
}

int cmdsweep(const Params& p, const std::string ranges[3], int jobs, const std::string& out) {
  Range g[3];
  const char* names[3] = {"x", "y", "th"};
  for (int i = 0; i < 3; ++i) {
    std::string err;
    if (!range(ranges[i], g[i], err)) return usage("--" + std::string(names[i]) + " " + err);
  }
  const double n = static_cast<double>(g[0].count()) * g[1].count() * g[2].count();
  if (n > kPosesMax) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "the grid has %.0f poses; the limit is %.0f", n, kPosesMax);
    return usage(buf);
  }
  return sweep(p, g, jobs, out);
}

}  // namespace

long Range::count() const {
  const double n = std::floor((b - a) / step + 1e-9);
  return n >= 0 && n < kPosesMax ? static_cast<long>(n) + 1 : 0;
}

void num(std::string& s, double v) {
  char buf[32];
  const int n = std::snprintf(buf, sizeof buf, "%.17g", v);
  s.append(buf, static_cast<size_t>(n));
}

bool writefile(const std::string& path, const std::string& text, std::string& err) {
  std::string tmp = path + ".tmp.XXXXXX";
  const int fd = mkstemp(tmp.data());
  if (fd < 0) {
    err = std::strerror(errno);
    return false;
  }
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t w = ::write(fd, text.data() + done, text.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) break;
    done += static_cast<size_t>(w);
  }
  const bool ok = done == text.size() && close(fd) == 0;
  if (ok && std::rename(tmp.c_str(), path.c_str()) == 0) return true;
  err = std::strerror(errno);
  unlink(tmp.c_str());
  return false;
}

std::string ptpheader() {
  std::string h = "row,dir0,dir1,dir2,s0[m],s1[m],s2[m],sf[m]";
  for (const char* path : {"arc", "clothoid"})
    for (int k = 1; k <= 3; ++k) {
      const std::string p = std::string(path) + std::to_string(k) + "_";
      for (const char* f :
           {"steps", "T[s]", "vsteps", "vT[s]", "maxerr[m]", "enderr[m]", "endtherr[rad]"})
        h += "," + p + f;
    }
  return h;
}

std::string ptpsummary(const PtpResult& r) {
  const ArcPath& a = r.path;
  std::string s = std::to_string(a.krow);
  for (int j = 0; j < 3; ++j) field(s, a.sgnK[j]);
  for (int j = 0; j < 3; ++j) {
    s += ',';
    num(s, a.s[j]);
  }
  s += ',';
  num(s, a.sf);
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k) {
      const Runs& runs = b == 0 ? r.arc[k] : r.cl[k];
      field(s, static_cast<long>(runs.ref.size()) - 1);
      s += ',';
      num(s, b == 0 ? r.steps.Tseg[k][TOTAL] : r.steps.Tc[k][TOTAL]);
      field(s, static_cast<long>(runs.vv.size()) - 1);
      s += ',';
      num(s, runs.vv.back().t);
      errors(s, runs.err);
    }
  return s;
}

int run(const std::vector<std::string>& args) {
  CLI::App app{kAbout, "agvbatch"};
  app.require_subcommand(1);
  // The parameter options may follow the command too.
  app.fallthrough();
  cli::ParamOptions po;
  cli::addparamoptions(app, po);
  std::string out;

  CLI::App* ptp = app.add_subcommand("ptp", "one PTP pass to the end pose XF YF THF_DEG");
  std::vector<std::string> pose;
  ptp->add_option("pose", pose, "the end pose: XF [m], YF [m], THF [deg]")->required();
  ptp->add_option("--out", out, "folder of the files (made if missing; default .)");

  CLI::App* cp = app.add_subcommand("cp", "one CP pass along curve I with its constants");
  std::vector<std::string> curve;
  cp->add_option("curve", curve, "the curve number I and its constants C1 [C2]")->required();
  cp->add_option("--out", out, "folder of the files (made if missing; default .)");

  CLI::App* sw = app.add_subcommand("sweep", "a PTP pass to every end pose of a grid");
  std::string ranges[3];
  int jobs = 1;
  sw->add_option("--x", ranges[0], "end pose x [m]: A:B:STEP")->required();
  sw->add_option("--y", ranges[1], "end pose y [m]: A:B:STEP")->required();
  sw->add_option("--th", ranges[2], "end heading [deg]: A:B:STEP")->required();
  sw->add_option("--jobs", jobs, "threads (default 1)")->check(CLI::Range(1, 64));
  sw->add_option("--out", out, "the file (default sweep.csv)");

  try {
    std::vector<std::string> rev(args.rbegin(), args.rend());
    app.parse(rev);
  } catch (const CLI::CallForHelp&) {
    // The help of the command asked about, or of the program.
    const CLI::App* sub = app.get_subcommands().empty() ? &app : app.get_subcommands().front();
    std::string help = sub->help();
    if (help.empty() || help.back() != '\n') help += '\n';
    std::fputs(help.c_str(), stdout);
    return OK;
  } catch (const CLI::ParseError& e) {
    if (app.get_subcommands().empty()) {
      if (!args.empty() && args[0].rfind("-", 0) != 0)
        return usage("unknown command " + args[0] + " (the commands: ptp, cp, sweep)");
      return usage("a command is needed: ptp, cp or sweep");
    }
    return usage(e.what());
  }
  Params p;
  std::string err;
  if (!cli::applyparams(po, p, err)) return failed(err);
  if (ptp->parsed()) return cmdptp(p, pose, out.empty() ? "." : out);
  if (cp->parsed()) return cmdcp(p, curve, out.empty() ? "." : out);
  return cmdsweep(p, ranges, jobs, out.empty() ? "sweep.csv" : out);
}

}  // namespace agvbatch
