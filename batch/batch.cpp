#include "batch/batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "control/base/console.h"
#include "control/base/params.h"
#include "control/pass.h"
#include "control/startup.h"
#include "cp/curves.h"
#include "motion/records.h"
#include "ptp/path.h"
#include "ptp/steps.h"

namespace agvbatch {

using namespace agv;

namespace {

const char kHelp[] =
    "usage: agvbatch ptp XF YF THF_DEG [--out DIR]\n"
    "       agvbatch cp I C1 [C2] [--out DIR]\n"
    "       agvbatch sweep --x A:B:STEP --y A:B:STEP --th A:B:STEP [--jobs N] [--out FILE]\n"
    "\n"
    "The computations of agvsim without its window, written as CSV files.\n"
    "\n"
    "  ptp    one PTP pass from (0, 0, 0 deg) to the end pose XF, YF [m], THF_DEG [deg]:\n"
    "         arc_K.csv and clothoid_K.csv (reference, constant-velocity and error records\n"
    "         of mechanism K = 1, 2, 3 at every time step), arc_K_vv.csv and\n"
    "         clothoid_K_vv.csv (the variable-velocity runs) and summary.csv\n"
    "  cp     one CP pass along curve I (1, 2, 3, 4, 11, 12, 13, 14, 16) with its\n"
    "         constants as the set-up menu asks for them (curve 13 takes one):\n"
    "         cp_K.csv and summary.csv\n"
    "  sweep  a PTP pass to every end pose of the grid x, y [m], th [deg] (ranges from A\n"
    "         to B in steps of STEP): one row per pose in grid order (x, then y, then\n"
    "         th), with the pass's summary or the reason the pose was refused\n"
    "\n"
    "  --out DIR   folder of the files of a pass (made if missing; default .)\n"
    "  --out FILE  file of a sweep (default sweep.csv)\n"
    "  --jobs N    worker processes of a sweep (default 1)\n"
    "  --help      this text\n"
    "\n"
    "Numbers are written so that they read back to the same double. A file is written\n"
    "beside its name and renamed when complete.\n"
    "Exit status: 0 done, 1 path refused (the reason on stderr), 2 bad usage, bad\n"
    "numbers or files that cannot be written.\n";

// The core prints its console messages (Japanese) as it computes; they are kept off the
// terminal here.
struct Quiet {
  std::string sink;
  Quiet() { con::script("", &sink); }
  ~Quiet() { con::scriptEnd(); }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;
};

// The start-up's parameters and constants, once.
void defaults() {
  static const bool done = [] {
    Quiet q;
    startup();
    return true;
  }();
  (void)done;
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

int usage(const std::string& msg) {
  std::fprintf(stderr, "agvbatch: %s (agvbatch --help tells the usage)\n", msg.c_str());
  return USAGE;
}

int refused(const std::string& why) {
  std::fprintf(stderr, "agvbatch: refused: %s\n", why.c_str());
  return REFUSED;
}

// Arguments split into positional ones and the values of --name options.
struct Args {
  std::vector<std::string> pos;
  std::vector<std::pair<std::string, std::string>> opts;
  std::string bad;  // what could not be read
  bool help = false;
  const std::string* opt(const std::string& name) const {
    const std::string* v = nullptr;
    for (const auto& [n, val] : opts)
      if (n == name) v = &val;
    return v;
  }
};

Args split(const std::vector<std::string>& args, const std::vector<std::string>& known) {
  Args a;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& s = args[i];
    if (s == "--help" || s == "-h") {
      a.help = true;
      continue;
    }
    if (s.rfind("--", 0) != 0) {
      a.pos.push_back(s);
      continue;
    }
    std::string name = s.substr(2), val;
    const size_t eq = name.find('=');
    if (eq != std::string::npos) {
      val = name.substr(eq + 1);
      name = name.substr(0, eq);
    } else if (i + 1 < args.size()) {
      val = args[++i];
    } else {
      a.bad = "--" + name + " needs a value";
      continue;
    }
    bool ok = false;
    for (const std::string& k : known) ok = ok || k == name;
    if (!ok) a.bad = "unknown option --" + name;
    a.opts.emplace_back(name, val);
  }
  return a;
}

// Column names of a record with a prefix.
void fields(std::string& h, const char* prefix, bool u) {
  for (const char* f : {"s[m]", "th[rad]", "x[m]", "y[m]", "phi[rad]", "kap[1/m]"})
    h.append(",").append(prefix).append(f);
  if (u) h.append(",").append(prefix).append("u");
}

void row(std::string& s, const double* rec, int n) {
  for (int f = 0; f < n; ++f) {
    s += ',';
    num(s, rec[f]);
  }
}

// Records 0 ... n of a run with the times summed from its step lengths dts[0 ... n-1]:
// reference, constant-velocity and error records, or (ref only) one run's records.
std::string runcsv(const std::vector<double>& dts, int n, const double (*ref)[6],
                   const double (*cv)[6], const double (*err)[6]) {
  std::string s = "t[s]";
  fields(s, cv != nullptr ? "ref_" : "vv_", false);
  if (cv != nullptr) {
    fields(s, "cv_", false);
    fields(s, "err_", false);
  }
  s += '\n';
  double t = 0.0;
  for (int i = 0; i <= n; ++i) {
    if (i > 0) t += dts[i - 1];
    num(s, t);
    row(s, ref[i], 6);
    if (cv != nullptr) {
      row(s, cv[i], 6);
      row(s, err[i], 6);
    }
    s += '\n';
  }
  return s;
}

void repeat(std::vector<double>& v, int n, double h) { v.insert(v.end(), n, h); }

// A whole number field, after a comma.
void field(std::string& s, int v) {
  s += ',';
  s += std::to_string(v);
}

// Step lengths of the runs of mechanism k: constant-velocity and variable-velocity, on the
// arc-line and the clothoid-line path.  The variable-velocity runs of mechanism 0 are its
// reference runs.
std::vector<double> arcsteps(int k) {
  std::vector<double> v;
  for (int j = 0; j < 3; ++j) repeat(v, nSeg[k][j], dtSeg[k][j]);
  return v;
}

std::vector<double> clsteps(int k) {
  std::vector<double> v;
  for (int j = 0; j < 3; ++j)
    for (int m = 0; m < 3; ++m) repeat(v, nc3[k][j][m], dtc3[k][j][m]);
  return v;
}

std::vector<double> arcvsteps(int k) {
  if (k == 0) return arcsteps(k);
  std::vector<double> v;
  for (int j = 0; j < 3; ++j)
    for (int p = 0; p < 2; ++p) repeat(v, nv2[k][j][p], dtv2[k][j][p]);
  return v;
}

std::vector<double> clvsteps(int k) {
  if (k == 0) return clsteps(k);
  std::vector<double> v;
  for (int j = 0; j < 3; ++j) {
    if (sgnK[j] == 0) {
      repeat(v, nvc[k][j], dtvl[k][j]);
    } else {
      for (int m = 0; m < 5; ++m) repeat(v, nv5[k][j][m], dtv5[k][j][m]);
    }
  }
  return v;
}

double sum(const std::vector<double>& v) {
  double t = 0.0;
  for (double h : v) t += h;
  return t;
}

// Largest position error over records 0 ... n, and the final position and heading error.
template <int F>
void errors(std::string& s, const double (*err)[F], int n) {
  double big = 0.0;
  for (int i = 0; i <= n; ++i) big = std::fmax(big, std::hypot(err[i][RX], err[i][RY]));
  s += ',';
  num(s, big);
  s += ',';
  num(s, std::hypot(err[n][RX], err[n][RY]));
  s += ',';
  num(s, err[n][RTH]);
}

std::string reason(const PassResult& r) {
  switch (r.status) {
    case PassStatus::Done:
      return "";
    case PassStatus::PathTooLong:
      return "the path is too long: its runs need 3000 time steps or more";
    case PassStatus::RunTooLong:
      return "a run needs " + std::to_string(r.steps) + " time steps, 3000 or more";
    case PassStatus::RangeTooLong:
      return "the curve's parameter range is too long for the arc-length table";
    case PassStatus::CurveTooLong:
      return "the curve is longer than 3000 CP steps (60 m)";
    case PassStatus::CurveSteps:
      return "a mechanism needs 3000 CP steps or records or more";
  }
  return "";
}

int makedir(const std::string& dir) {
  if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
    return usage("cannot make the folder " + dir + ": " + std::strerror(errno));
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return usage(dir + " is not a folder");
  return OK;
}

int write(const std::string& path, const std::string& text) {
  std::string err;
  if (!writefile(path, text, err)) return usage("cannot write " + path + ": " + err);
  return OK;
}

int ptpfiles(const std::string& dir) {
  const char* paths[2] = {"arc", "clothoid"};
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k) {
      const std::string base = dir + "/" + paths[b] + "_" + std::to_string(k + 1);
      const std::string cv =
          b == 0 ? runcsv(arcsteps(k), nSeg[k][TOTAL], refA[k], cvA[k], errA[k])
                 : runcsv(clsteps(k), nc[k][TOTAL], refB[k], cvB[k], errB[k]);
      const std::string vv = b == 0 ? runcsv(arcvsteps(k), nvSeg[k][TOTAL], vvA[k], nullptr, nullptr)
                                    : runcsv(clvsteps(k), nvc[k][TOTAL], vvB[k], nullptr, nullptr);
      if (write(base + ".csv", cv) != OK || write(base + "_vv.csv", vv) != OK) return USAGE;
    }
  return write(dir + "/summary.csv", ptpheader() + "\n" + ptpsummary() + "\n");
}

int cmdptp(const Args& a) {
  if (a.pos.size() != 4) return usage("ptp takes the end pose: XF YF THF_DEG");
  double v[3];
  for (int i = 0; i < 3; ++i)
    if (!number(a.pos[i + 1], v[i])) return usage("not a finite number: " + a.pos[i + 1]);
  const std::string* out = a.opt("out");
  const std::string dir = out != nullptr ? *out : ".";
  const std::string why = passptp(v[0], v[1], v[2]);
  if (!why.empty()) return refused(why);
  if (makedir(dir) != OK) return USAGE;
  return ptpfiles(dir);
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

int cmdcp(const Args& a) {
  defaults();
  int I = 0;
  if (a.pos.size() < 2 || !whole(a.pos[1], I)) return usage("cp takes a curve number I");
  double* dst[2];
  const int n = curveconsts(I, dst);
  if (n == 0) return usage("unknown curve number " + a.pos[1]);
  if (a.pos.size() != static_cast<size_t>(2 + n))
    return usage("curve " + a.pos[1] + " takes " + std::to_string(n) + " constant(s)");
  double c[2] = {0.0, 0.0};
  for (int i = 0; i < n; ++i) {
    if (!number(a.pos[2 + i], c[i])) return usage("not a finite number: " + a.pos[2 + i]);
    if (c[i] < 0) return usage("a constant is negative: " + a.pos[2 + i]);
  }
  for (int i = 0; i < n; ++i) *dst[i] = c[i];
  if (!curvdefined(I))
    return refused("these constants define no curve (a division by zero or an endless range)");
  curvsetup(I);
  curveNo = I;
  PassResult r{};
  {
    Quiet q;
    r = passCP(I);
  }
  if (r.status != PassStatus::Done) return refused(reason(r));
  const std::string* out = a.opt("out");
  const std::string dir = out != nullptr ? *out : ".";
  if (makedir(dir) != OK) return USAGE;
  std::string summary = cpheader() + "\n" + std::to_string(I);
  for (int i = 0; i < 2; ++i) {
    summary += ',';
    if (i < n) num(summary, c[i]);
  }
  summary += ',';
  num(summary, Pfcp[I][LENGTH]);
  for (int k = 0; k < 3; ++k) {
    std::string s = "t[s]";
    fields(s, "ref_", true);
    fields(s, "cv_", false);
    fields(s, "err_", false);
    s += '\n';
    double t = 0.0;
    for (int i = 0; i <= NN[k]; ++i) {
      t = i == NN[k] ? TCP[k] : i * dtCP;
      num(s, t);
      row(s, refCP[k][i], 7);
      row(s, cvCP[k][i], 6);
      row(s, errCP[k][i], 6);
      s += '\n';
    }
    if (write(dir + "/cp_" + std::to_string(k + 1) + ".csv", s) != OK) return USAGE;
    field(summary, NN[k]);
    summary += ',';
    num(summary, TCP[k]);
    errors(summary, errCP[k], NN[k]);
  }
  return write(dir + "/summary.csv", summary + "\n");
}

bool range(const std::string* s, Range& r) {
  if (s == nullptr) return false;
  const size_t c1 = s->find(':'), c2 = c1 == std::string::npos ? c1 : s->find(':', c1 + 1);
  if (c2 == std::string::npos) return false;
  return number(s->substr(0, c1), r.a) && number(s->substr(c1 + 1, c2 - c1 - 1), r.b) &&
         number(s->substr(c2 + 1), r.step) && r.step > 0 && r.b >= r.a && r.count() > 0;
}

int cmdsweep(const Args& a) {
  if (a.pos.size() != 1) return usage("sweep takes no positional arguments");
  Range r[3];
  const char* names[3] = {"x", "y", "th"};
  for (int i = 0; i < 3; ++i)
    if (!range(a.opt(names[i]), r[i]))
      return usage(std::string("--") + names[i] + " needs A:B:STEP with A <= B and STEP > 0");
  int jobs = 1;
  if (const std::string* j = a.opt("jobs"); j != nullptr && (!whole(*j, jobs) || jobs < 1 || jobs > 64))
    return usage("--jobs needs a whole number from 1 to 64");
  if (static_cast<double>(r[0].count()) * r[1].count() * r[2].count() > 1e8)
    return usage("more than 100 million poses");
  const std::string* out = a.opt("out");
  return sweep(r[0], r[1], r[2], jobs, out != nullptr ? *out : "sweep.csv");
}

// The row of pose i of the grid.
std::string poserow(const Range& x, const Range& y, const Range& th, long i) {
  const long nth = th.count(), ny = y.count();
  const double px = x.at(static_cast<int>(i / (ny * nth)));
  const double py = y.at(static_cast<int>(i / nth % ny));
  const double pth = th.at(static_cast<int>(i % nth));
  std::string s;
  num(s, px);
  s += ',';
  num(s, py);
  s += ',';
  num(s, pth);
  const std::string why = passptp(px, py, pth);
  s += ',' + (why.empty() ? std::string("ok") : why) + ',';
  if (why.empty()) s += ptpsummary();
  s += '\n';
  return s;
}

}  // namespace

int Range::count() const {
  const double n = std::floor((b - a) / step + 1e-9);
  return n >= 0 && n < 1e8 ? static_cast<int>(n) + 1 : 0;
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

std::string passptp(double x, double y, double thDeg) {
  defaults();
  xf = x;
  yf = y;
  thf = thDeg * DEG2RAD;
  Quiet q;
  return reason(passPTP());
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

std::string ptpsummary() {
  std::string s = std::to_string(krow);
  for (int j = 0; j < 3; ++j) field(s, sgnK[j]);
  for (int j = 0; j < 3; ++j) {
    s += ',';
    num(s, agv::s[j]);
  }
  s += ',';
  num(s, sf);
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k) {
      const int n = b == 0 ? nSeg[k][TOTAL] : nc[k][TOTAL];
      const int nv = b == 0 ? nvSeg[k][TOTAL] : nvc[k][TOTAL];
      field(s, n);
      s += ',';
      num(s, b == 0 ? Tseg[k][TOTAL] : Tc[k][TOTAL]);
      field(s, nv);
      s += ',';
      num(s, sum(b == 0 ? arcvsteps(k) : clvsteps(k)));
      errors(s, b == 0 ? errA[k] : errB[k], n);
    }
  return s;
}

int sweep(const Range& x, const Range& y, const Range& th, int jobs, const std::string& out) {
  const long n = static_cast<long>(x.count()) * y.count() * th.count();
  std::string head = "x[m],y[m],th[deg],status," + ptpheader() + "\n";
  if (jobs == 1 || n < 2) {
    for (long i = 0; i < n; ++i) head += poserow(x, y, th, i);
    return write(out, head);
  }
  // Worker w computes the poses i with i % jobs == w into a file of its own; the rows are
  // then taken from the workers in turn, which is grid order.
  std::vector<std::string> parts(static_cast<size_t>(jobs));
  std::vector<pid_t> pids;
  for (int w = 0; w < jobs; ++w) {
    parts[w] = out + ".part.XXXXXX";
    const int fd = mkstemp(parts[w].data());
    if (fd < 0) return usage("cannot write beside " + out + ": " + std::strerror(errno));
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
      std::string rows;
      for (long i = w; i < n; i += jobs) rows += poserow(x, y, th, i);
      size_t done = 0;
      while (done < rows.size()) {
        const ssize_t k = ::write(fd, rows.data() + done, rows.size() - done);
        if (k <= 0) _exit(USAGE);
        done += static_cast<size_t>(k);
      }
      _exit(close(fd) == 0 ? OK : USAGE);
    }
    close(fd);
    if (pid < 0) return usage(std::string("cannot start a worker: ") + std::strerror(errno));
    pids.push_back(pid);
  }
  bool ok = true;
  for (pid_t p : pids) {
    int st = 0;
    ok = waitpid(p, &st, 0) == p && WIFEXITED(st) && WEXITSTATUS(st) == OK && ok;
  }
  std::vector<FILE*> in;
  for (const std::string& p : parts) in.push_back(std::fopen(p.c_str(), "r"));
  std::string text = head;
  char* line = nullptr;
  size_t cap = 0;
  for (long i = 0; ok && i < n; ++i) {
    FILE* f = in[static_cast<size_t>(i % jobs)];
    const ssize_t len = f != nullptr ? getline(&line, &cap, f) : -1;
    if (len <= 0) ok = false;
    else text.append(line, static_cast<size_t>(len));
  }
  std::free(line);
  for (size_t w = 0; w < parts.size(); ++w) {
    if (in[w] != nullptr) std::fclose(in[w]);
    unlink(parts[w].c_str());
  }
  if (!ok) return usage("a worker failed; nothing written");
  return write(out, text);
}

int run(const std::vector<std::string>& args) {
  const Args a = split(args, {"out", "jobs", "x", "y", "th"});
  if (a.help) {
    std::fputs(kHelp, stdout);
    return OK;
  }
  if (!a.bad.empty()) return usage(a.bad);
  if (a.pos.empty()) return usage("a command is needed: ptp, cp or sweep");
  const std::string& cmd = a.pos[0];
  const bool sweeps = cmd == "sweep";
  for (const auto& [name, val] : a.opts)
    if (!sweeps && name != "out") return usage("--" + name + " is for sweep only");
  if (cmd == "ptp") return cmdptp(a);
  if (cmd == "cp") return cmdcp(a);
  if (sweeps) return cmdsweep(a);
  return usage("unknown command " + cmd);
}

}  // namespace agvbatch
