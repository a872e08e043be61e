#include "batch/sweep.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <system_error>
#include <thread>

#include "batch/files.h"
#include "batch/status.h"
#include "cli/csv.h"

namespace agvbatch {

using namespace agv;
using namespace agv::cli;

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kChunk = 64;           // poses a thread takes at a time
constexpr long kAhead = 4;            // chunks a thread may run ahead of the file, per thread
constexpr double kProgressEvery = 0.2;  // seconds between two progress lines
constexpr size_t kFilesSpare = 16;  // descriptors a merge keeps free beside its slices
const char kShardMark[] = "# agvbatch shard ";

// A finite number, the whole of s.
bool finite(const std::string& s, double& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  v = std::strtod(s.c_str(), &end);
  return end == s.c_str() + s.size() && std::isfinite(v);
}

void rangetext(std::string& s, const Range& r) {
  num(s, r.a);
  s += ':';
  num(s, r.b);
  s += ':';
  num(s, r.step);
}

// The parameter columns of the rows: all of them, when any differs from the defaults or
// varies; none otherwise.
bool paramcolumns(const Grid& g) { return !g.sets.empty() || !isdefault(g.base); }

// Whether parameter i has a column (where there are parameter columns): an opt-in parameter
// only where it is not its default or is an axis.
bool column(const Grid& g, int i) {
  if (listed(g.base, i)) return true;
  for (const Axis& a : g.sets)
    if (a.name == paraminfo(i).name) return true;
  return false;
}

// The features of the rows' summaries: those of any pass of the grid.  An axis's values run
// from its first to its last, so a parameter differs from its default somewhere along it when
// it does at either end.
Features features(const Grid& g) {
  Features f = agv::features(g.base, !g.mapname.empty());
  for (const Axis& a : g.sets)
    for (double v : {a.r.a, a.r.at(a.r.count() - 1)}) {
      Params p = g.base;
      setparam(p, a.name, v);
      f |= agv::features(p);
    }
  return f;
}

// The summary table of the rows.
Table table(const Grid& g) {
  switch (g.kind) {
    case Kind::Route: return Table::Route;
    case Kind::Cp: return Table::Cp;
    case Kind::Ptp: break;
  }
  return Table::Ptp;
}

std::string header(const Grid& g) {
  std::string h = "index,";
  if (paramcolumns(g)) {
    for (int i = 0; i < nParams; ++i) {
      if (!column(g, i)) continue;
      const ParamInfo info = paraminfo(i);
      h += info.name;
      if (*info.unit) h += std::string("[") + info.unit + "]";
      h += ',';
    }
  }
  // A PTP sweep's poses (a CP sweep's constants are its summary's columns c1, c2).
  if (g.kind == Kind::Ptp) h += std::string(g.from ? "x0[m],y0[m],th0[deg]," : "") + "x[m],y[m],th[deg],";
  return h + "status," + SummaryColumns(table(g), features(g)).header() + "\n";
}

// A thread's index of the grid's map, built for the body of the passes it computes (a grid whose
// body parameters vary builds it anew where they change).
struct ThreadMap {
  MapIndex index;
  Params body;
  bool built = false;

  // The index for the parameters p; null where p's body makes none (checkparams says why).
  const MapIndex* of(const Map& m, const Params& p) {
    const bool same = built && body.bodyFront == p.bodyFront && body.bodyRear == p.bodyRear &&
                      body.bodyWidth == p.bodyWidth && body.clearance == p.clearance &&
                      body.unknownFree == p.unknownFree;
    if (!same) built = buildindex(m, p, index);
    body = p;
    return built ? &index : nullptr;
  }
};

// The results a thread computes its rows in, for the grid's kind, and its map index.
struct Work {
  std::unique_ptr<PtpResult> ptp;
  std::unique_ptr<RouteResult> route;
  std::unique_ptr<CpResult> cp;
  ThreadMap tm;
  explicit Work(Kind k) {
    if (k == Kind::Ptp) ptp = std::make_unique<PtpResult>();
    if (k == Kind::Route) route = std::make_unique<RouteResult>();
    if (k == Kind::Cp) cp = std::make_unique<CpResult>();
  }
};

// The pass of grid index i with the parameters p and the values v of the axes, in the map's
// index ix where not null: the reason it was refused (empty where it is done) and the values of
// the summary's columns cols in out (a refused curve's number and constants, the rest NaN).
std::string pass(const Grid& g, const Features& f, const SummaryColumns& cols, const Params& p,
                 const std::array<double, kAxesMax>& v, const MapIndex* ix, Work& w,
                 std::vector<double>& out) {
  switch (g.kind) {
    case Kind::Ptp: {
      const Waypoint end{v[0], v[1], v[2]};
      // A sweep in a map drives the planner's paths and reports their contacts: no search.
      const Status st = passPTP(p, g.start, end, *w.ptp);
      if (st == Status::Done && ix != nullptr) findcontacts(*ix, *w.ptp);
      if (st != Status::Done) return reason(w.ptp->refusal, p);
      values(*w.ptp, f, out);
      return "";
    }
    case Kind::Route: {
      const Status st = passRoute(p, g.route, *w.route);
      if (st == Status::Done && ix != nullptr) findcontacts(*ix, *w.route);
      if (st != Status::Done) return reason(*w.route);
      values(*w.route, f, out);
      return "";
    }
    case Kind::Cp: break;
  }
  const Curve c{g.curve, v[0], v[1]};  // v[1] is 0 for a curve of one constant
  const Status st = ix != nullptr ? passCP(p, c, *ix, *w.cp) : passCP(p, c, *w.cp);
  if (st == Status::Done) {
    values(*w.cp, f, out);
    return "";
  }
  out.assign(cols.cols.size(), std::numeric_limits<double>::quiet_NaN());
  for (size_t k = 0; k < cols.cols.size(); ++k) {
    const std::string& name = cols.cols[k].name;
    if (name == "curve") out[k] = g.curve;
    for (size_t a = 0; a < g.axes.size(); ++a)
      if (name == "c" + std::to_string(a + 1)) out[k] = v[a];
  }
  return reason(w.cp->refusal, p);
}

// The row of grid index i, computed in the thread's work w; f and cols are the grid's.
std::string pointrow(const Grid& g, const Features& f, const SummaryColumns& cols, long i,
                     Work& w) {
  Params p;
  std::array<double, kAxesMax> v{};
  g.at(i, p, v);
  std::string s = std::to_string(i);
  if (paramcolumns(g))
    for (int k = 0; k < nParams; ++k) {
      if (!column(g, k)) continue;
      // A value with a name (controller) as the user names it.
      const double value = getparam(p, paraminfo(k).name);
      const std::string named = paramname(paraminfo(k).name, value);
      if (named.empty())
        field(s, value);
      else
        s += ',' + named;
    }
  if (g.kind == Kind::Ptp) {
    if (g.from)
      for (double x : {g.start.x, g.start.y, g.start.thDeg}) field(s, x);
    for (size_t a = 0; a < g.axes.size(); ++a) field(s, v[a]);
  }
  // A refusal is the point's own; a failure of another kind (no memory) ends the sweep.
  const MapIndex* ix = g.map != nullptr ? w.tm.of(*g.map, p) : nullptr;
  std::vector<double> out;
  std::string why = pass(g, f, cols, p, v, ix, w, out);
  for (char& c : why)
    if (c == ',' || c == '\n') c = ';';
  s += ',' + (why.empty() ? std::string("ok") : why) + ',';
  // A refused pose has its numbers empty: every row has as many fields as the header.
  cols.row(s, out);
  s += '\n';
  return s;
}

// A duration for people: "2 h 05 min", "3 min 07 s", "12.0 s".
std::string duration(double sec) {
  char buf[48];
  const long t = std::lround(sec);
  if (t >= 3600)
    std::snprintf(buf, sizeof buf, "%ld h %02ld min", t / 3600, t / 60 % 60);
  else if (t >= 60)
    std::snprintf(buf, sizeof buf, "%ld min %02ld s", t / 60, t % 60);
  else
    std::snprintf(buf, sizeof buf, "%.1f s", sec);
  return buf;
}

// The progress line: poses done out of the total, poses per second and the time left (or,
// at the end, the time taken).
void progressline(const char* unit, long done, long total, double sec, bool end) {
  const double rate = sec > 0 ? done / sec : 0.0;
  std::string tail = end ? "done in " + duration(sec)
                         : rate > 0 ? duration((total - done) / rate) + " left" : "";
  std::fprintf(stderr, "\ragvbatch: %ld/%ld %s, %.0f %s/s, %s\033[K%s", done, total, unit, rate,
               unit, tail.c_str(), end ? "\n" : "");
  std::fflush(stderr);
}

// The rows of the poses first, first + step, ... below the grid's size, computed by `jobs`
// threads in chunks and written in that order to out as they are done.  A few chunks at most
// wait to be written, so the memory does not grow with the grid.  False with the reason in
// err when a write failed or a thread could not go on (no memory): then no thread goes on.
bool rows(const Grid& g, long first, long step, int jobs, bool progress, Output& out,
          std::string& err) {
  const long total = g.size() > first ? (g.size() - first + step - 1) / step : 0;
  const long chunks = (total + kChunk - 1) / kChunk;
  const long window = kAhead * jobs;
  std::mutex mu;
  std::condition_variable cv;
  std::map<long, std::string> done;
  long next = 0;     // the next chunk to compute
  long written = 0;  // chunks written
  bool stop = false;
  std::string failure;  // why a thread stopped
  const Features f = features(g);
  const SummaryColumns cols(table(g), f);

  const auto work = [&] {
    Work w(g.kind);
    for (;;) {
      long c;
      {
        std::unique_lock<std::mutex> lock(mu);
        cv.wait(lock, [&] { return stop || next < written + window; });
        if (stop || next >= chunks) return;
        c = next++;
      }
      std::string text;
      for (long j = c * kChunk; j < std::min(total, (c + 1) * kChunk); ++j)
        text += pointrow(g, f, cols, first + j * step, w);
      {
        std::lock_guard<std::mutex> lock(mu);
        done.emplace(c, std::move(text));
      }
      cv.notify_all();
    }
  };
  const auto worker = [&] {
    try {
      work();
    } catch (const std::exception& e) {
      {
        std::lock_guard<std::mutex> lock(mu);
        if (failure.empty()) failure = dynamic_cast<const std::bad_alloc*>(&e) != nullptr
                                           ? std::string("out of memory")
                                           : e.what();
        stop = true;
      }
      cv.notify_all();
    }
  };
  std::vector<std::thread> threads;
  try {
    for (int w = 0; w < jobs; ++w) threads.emplace_back(worker);
  } catch (const std::system_error& e) {
    // No room for another thread: those started stop.
    {
      std::lock_guard<std::mutex> lock(mu);
      failure = std::string("cannot start ") + std::to_string(jobs) + " threads: " + e.what();
      stop = true;
    }
    cv.notify_all();
  }

  const Clock::time_point start = Clock::now();
  Clock::time_point shown = start;
  const auto elapsed = [&start] {
    return std::chrono::duration<double>(Clock::now() - start).count();
  };
  const std::chrono::duration<double> every(kProgressEvery);
  // The progress line after c chunks, at most once in every kProgressEvery.
  const auto show = [&](long c) {
    if (!progress || Clock::now() - shown < every) return;
    shown = Clock::now();
    progressline(g.unit(), std::min(total, c * kChunk), total, elapsed(), false);
  };
  bool ok = true;
  for (long c = 0; c < chunks && ok; ++c) {
    std::string text;
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(mu);
        if (cv.wait_for(lock, every, [&] { return done.count(c) > 0 || stop; })) {
          if (stop) break;
          text = std::move(done[c]);
          done.erase(c);
          break;
        }
      }
      show(c);  // outside the lock, so that the threads go on meanwhile
    }
    if (!text.empty()) ok = out.put(text, err);
    {
      std::lock_guard<std::mutex> lock(mu);
      written = c + 1;
      if (!ok || stop) stop = true;
      ok = ok && failure.empty();
    }
    cv.notify_all();
    show(c + 1);
  }
  for (std::thread& t : threads) t.join();
  if (!failure.empty()) {
    err = failure;
    ok = false;
  }
  if (ok && progress) progressline(g.unit(), total, total, elapsed(), true);
  return ok;
}

// The longest line a slice may have: far beyond any row or header a sweep writes (some
// 2 kB).  A longer line makes the file no slice.
constexpr size_t kLineMax = 1 << 16;
// The buffers of the slices of a merge hold this much at most together, a slice at least
// kReadMin and at most kReadMax.
constexpr size_t kReadAll = 64u << 20;
constexpr size_t kReadMin = 256;
constexpr size_t kReadMax = 1u << 20;

// The lines of a slice file, one at a time, through a buffer of its own.
class Lines {
 public:
  ~Lines() {
    if (fd_ >= 0) close(fd_);
  }
  bool open(const std::string& path, size_t chunk, std::string& err) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    chunk_ = chunk;
    if (fd_ < 0) err = "cannot read " + path + ": " + std::strerror(errno);
    return fd_ >= 0;
  }
  // The next line with its line end (or what is left at the end of the file, without); false
  // at the end, or with the reason in err when it cannot be read or is longer than kLineMax.
  bool next(std::string& line, std::string& err) {
    line.clear();
    for (;;) {
      const size_t nl = buf_.find('\n', pos_);
      const size_t end = nl == std::string::npos ? buf_.size() : nl + 1;
      line.append(buf_, pos_, end - pos_);
      pos_ = end;
      if (line.size() > kLineMax) {
        err = "a line longer than any a sweep writes";
        return false;
      }
      if (nl != std::string::npos) return true;
      buf_.resize(chunk_);
      pos_ = 0;
      ssize_t n;
      do {
        n = read(fd_, buf_.data(), chunk_);
      } while (n < 0 && errno == EINTR);
      if (n < 0) err = std::strerror(errno);
      buf_.resize(n > 0 ? static_cast<size_t>(n) : 0);
      if (n <= 0) return n == 0 && !line.empty();
    }
  }

 private:
  int fd_ = -1;
  size_t chunk_ = 0;
  std::string buf_;
  size_t pos_ = 0;
};

// What the first line of a slice says: which slice of how many, of how many rows of which
// unit, of which sweep.
struct Slice {
  long k = 0, n = 0, poses = 0;
  std::string unit, sweep;
};

bool parseslice(const std::string& line, Slice& s) {
  if (line.rfind(kShardMark, 0) != 0) return false;
  int used = 0;
  char unit[8] = "";
  if (std::sscanf(line.c_str() + sizeof kShardMark - 1, "%ld/%ld of %ld %7[a-z]%n", &s.k, &s.n,
                  &s.poses, unit, &used) != 4)
    return false;
  s.unit = unit;
  s.sweep = line.substr(sizeof kShardMark - 1 + static_cast<size_t>(used));
  return s.n > 0 && s.n <= kShardsMax && s.k >= 0 && s.k < s.n && s.poses >= 0 &&
         s.poses <= kPosesMax;
}

// A name of the identity as one word: the characters that would end it (controls, spaces) as '?'.
void nametext(std::string& s, const std::string& name) {
  for (char c : name) s += static_cast<unsigned char>(c) <= ' ' ? '?' : c;
}

// The words that begin a grid's identity: its kind and the axes of the kind.
const char* const kPtpAxes[] = {"x=", "y=", "th="};
const char* const kCpAxes[] = {"A=", "B="};
const char kFrom[] = "from=";
const char kRoute[] = "route=";
const char kCurve[] = "cp=";
const char kMap[] = "map=";

// A word NAME=VALUE that begins with `name`: the text after it in value.
bool named(const std::string& word, const char* name, std::string& value) {
  if (word.rfind(name, 0) != 0) return false;
  value = word.substr(std::strlen(name));
  return true;
}

// Whether the parameters of the grid's axes are parameters.
bool setsok(const Grid& g) {
  Params p = g.base;
  for (const Axis& a : g.sets)
    if (setparam(p, a.name, getparam(g.base, a.name)) != ParamCheck::Ok) return false;
  return true;
}

// The grid a slice's first line names (": " and Grid::identity), and its header; false when
// they are no grid of a sweep.  A route's waypoints are not in it: its rows' count and columns
// do not depend on them.
bool parsegrid(const std::string& sweep, Grid& g) {
  std::istringstream in(sweep);
  std::string word, value, err;
  if (!(in >> word) || word != ":" || !(in >> word)) return false;
  std::vector<const char*> axes;
  if (named(word, kRoute, g.routename)) {
    g.kind = Kind::Route;
    in >> word;
  } else if (named(word, kCurve, value)) {
    double I = 0;
    g.kind = Kind::Cp;
    if (!finite(value, I) || std::floor(I) != I || std::fabs(I) > INT_MAX ||
        nconsts(static_cast<int>(I)) == 0)
      return false;
    g.curve = static_cast<int>(I);
    axes.assign(kCpAxes, kCpAxes + nconsts(g.curve));
    in >> word;
  } else {
    axes.assign(std::begin(kPtpAxes), std::end(kPtpAxes));
  }
  for (const char* name : axes) {
    Range r;
    r.turn = name == kPtpAxes[2];
    if (!named(word, name, value) || !parserange(value, r, err)) return false;
    g.axes.push_back(r);
    word.clear();
    in >> word;
  }
  if (g.kind == Kind::Ptp && named(word, kFrom, value)) {
    g.from = true;
    std::replace(value.begin(), value.end(), ',', ' ');
    std::istringstream pose(value);
    std::string x, y, th, rest;
    if (!(pose >> x >> y >> th) || pose >> rest || !finite(x, g.start.x) ||
        !finite(y, g.start.y) || !finite(th, g.start.thDeg))
      return false;
    in >> word;
  }
  while (word == "set") {
    Axis a;
    const size_t eq = (in >> word) ? word.find('=') : std::string::npos;
    if (eq == std::string::npos || !parserange(word.substr(eq + 1), a.r, err)) return false;
    a.name = word.substr(0, eq);
    g.sets.push_back(a);
    word.clear();
    in >> word;
  }
  if (word != "params") return false;
  while (in >> word) {
    if (named(word, kMap, g.mapname)) return !g.mapname.empty() && !(in >> word) && setsok(g);
    const size_t eq = word.find('=');
    double v = 0;
    if (eq == std::string::npos || !finite(word.substr(eq + 1), v) ||
        setparam(g.base, word.substr(0, eq), v) != ParamCheck::Ok)
      return false;
  }
  return setsok(g);
}

}  // namespace

bool parserange(const std::string& s, Range& r, std::string& err) {
  const size_t c1 = s.find(':'), c2 = c1 == std::string::npos ? c1 : s.find(':', c1 + 1);
  if (c2 == std::string::npos || !finite(s.substr(0, c1), r.a) ||
      !finite(s.substr(c1 + 1, c2 - c1 - 1), r.b) || !finite(s.substr(c2 + 1), r.step)) {
    err = "needs A:B:STEP, three finite numbers";
    return false;
  }
  if (!(r.step > 0) || r.b < r.a) {
    err = "needs A <= B and STEP > 0";
    return false;
  }
  const double n = r.points();
  if (!(n <= kPosesMax)) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "has %.3g points; the limit is %.0f", n, kPosesMax);
    err = buf;
    return false;
  }
  return true;
}

double Range::points() const {
  // Ends so far apart that their difference overflows are divided first.
  const double width = std::isfinite(b - a) ? (b - a) / step : b / step - a / step;
  return std::floor(width + 1e-9) + 1;
}

double Range::at(long i) const {
  const double v = a + i * step;
  // Where that overflows (ends near the largest doubles), the same sum in halves: halving and
  // doubling are exact there, so the value is the one the sum would have without the overflow.
  if (std::isfinite(v)) return std::min(v, b);
  return std::min((a / 2 + i * (step / 2)) * 2, b);
}

long Range::count() const {
  const double n = points();
  if (!(n >= 1 && n <= kPosesMax)) return 0;
  return static_cast<long>(n) - (wraps() ? 1 : 0);
}

bool Range::wraps() const {
  const double n = points();
  return turn && n >= 2 && n <= kPosesMax &&
         reduceheading(at(static_cast<long>(n) - 1)) == reduceheading(a);
}

long Grid::size() const {
  long n = 1;
  for (const Range& r : axes) n *= r.count();
  for (const Axis& a : sets) n *= a.r.count();
  return n;
}

void Grid::at(long i, Params& p, std::array<double, kAxesMax>& v) const {
  for (size_t k = axes.size(); k-- > 0;) {
    const long n = axes[k].count();
    v[k] = axes[k].at(i % n);
    i /= n;
  }
  p = base;
  for (size_t k = sets.size(); k-- > 0;) {
    const long n = sets[k].r.count();
    setparam(p, sets[k].name, sets[k].r.at(i % n));
    i /= n;
  }
}

std::string Grid::identity() const {
  std::string s;
  if (kind == Kind::Route) {
    s = kRoute;
    nametext(s, routename);
  } else if (kind == Kind::Cp) {
    s = kCurve + std::to_string(curve);
  }
  const char* const* names = kind == Kind::Cp ? kCpAxes : kPtpAxes;
  for (size_t k = 0; k < axes.size(); ++k) {
    if (!s.empty()) s += ' ';
    s += names[k];
    rangetext(s, axes[k]);
  }
  if (from) {
    s += std::string(" ") + kFrom;
    num(s, start.x);
    s += ',';
    num(s, start.y);
    s += ',';
    num(s, start.thDeg);
  }
  for (const Axis& a : sets) {
    s += " set " + a.name + "=";
    rangetext(s, a.r);
  }
  s += " params";
  for (int i = 0; i < nParams; ++i) {
    if (!listed(base, i)) continue;
    s += std::string(" ") + paraminfo(i).name + "=";
    num(s, getparam(base, paraminfo(i).name));
  }
  if (!mapname.empty()) {
    s += std::string(" ") + kMap;
    nametext(s, mapname);
  }
  return s;
}

const char* Grid::unit() const {
  switch (kind) {
    case Kind::Route: return "routes";
    case Kind::Cp: return "curves";
    case Kind::Ptp: break;
  }
  return "poses";
}

int sweep(const Grid& g, const SweepOptions& o) {
  Output out(o.out, pending());
  std::string err;
  std::string head = header(g);
  if (o.sharded) {
    head = kShardMark + std::to_string(o.shard) + "/" + std::to_string(o.shards) + " of " +
           std::to_string(g.size()) + " " + g.unit() + ": " + g.identity() + "\n" + head;
  }
  if (!out.open(err) || !out.put(head, err) ||
      !rows(g, o.shard, o.shards, o.jobs, o.progress, out, err) || !out.commit(err))
    return failed("cannot write " + o.out + ": " + err + "; " + leftover());
  return OK;
}

int merge(const std::vector<std::string>& files, const std::string& outPath) {
  if (files.empty()) return failed("merge takes the files of the slices of a sweep");
  // Every slice stays open: as many descriptors as the hard limit allows.
  rlimit lim{};
  if (getrlimit(RLIMIT_NOFILE, &lim) == 0 && lim.rlim_cur < lim.rlim_max) {
    lim.rlim_cur = lim.rlim_max;
    setrlimit(RLIMIT_NOFILE, &lim);
  }
  if (getrlimit(RLIMIT_NOFILE, &lim) == 0 && files.size() + kFilesSpare > lim.rlim_cur)
    return failed("merging " + std::to_string(files.size()) + " slices needs as many open files; "
                  "the limit is " + std::to_string(lim.rlim_cur) +
                  " (ulimit -n; its hard limit can be raised as root)");
  const size_t chunk = std::clamp(kReadAll / files.size(), kReadMin, kReadMax);
  std::vector<std::unique_ptr<Lines>> in;
  std::vector<Slice> slices;
  std::string head, err;
  Grid grid;
  for (const std::string& f : files) {
    in.push_back(std::make_unique<Lines>());
    Slice s;
    std::string first, h;
    if (!in.back()->open(f, chunk, err)) return failed(err);
    Grid g;
    if (!in.back()->next(first, err) || !parseslice(first, s) || !in.back()->next(h, err) ||
        !parsegrid(s.sweep, g) || g.size() != s.poses || s.unit != g.unit() || h != header(g))
      return failed(f + " is no slice of a sweep (agvbatch sweep --shard K/N writes them)" +
                    (err.empty() ? "" : ": " + err));
    if (!slices.empty() && (s.n != slices[0].n || s.poses != slices[0].poses ||
                            s.sweep != slices[0].sweep || h != head))
      return failed(f + " is a slice of another sweep than " + files[0]);
    head = h;
    slices.push_back(s);
  }
  const long n = slices[0].n;
  std::vector<Lines*> byk(static_cast<size_t>(n), nullptr);
  for (size_t i = 0; i < slices.size(); ++i) {
    Lines*& slot = byk[static_cast<size_t>(slices[i].k)];
    if (slot != nullptr) return failed("slice " + std::to_string(slices[i].k) + " is given twice");
    slot = in[i].get();
  }
  for (long k = 0; k < n; ++k)
    if (byk[static_cast<size_t>(k)] == nullptr)
      return failed("slice " + std::to_string(k) + " of " + std::to_string(n) + " is missing");
  Output out(outPath, pending());
  if (!out.open(err) || !out.put(head, err)) return failed("cannot write " + outPath + ": " + err);
  Pieces text(out);
  std::string line;
  for (long i = 0; i < slices[0].poses; ++i) {
    const std::string want = std::to_string(i) + ",";
    const long k = i % n;
    if (!byk[static_cast<size_t>(k)]->next(line, err) || line.rfind(want, 0) != 0 ||
        line.back() != '\n')
      return failed("slice " + std::to_string(k) + " lacks the row of index " + std::to_string(i) +
                    (err.empty() ? "" : " (" + err + ")") + "; " + leftover());
    text.text() += line;
    if (!text.flush(err)) return failed("cannot write " + outPath + ": " + err);
  }
  for (long k = 0; k < n; ++k)
    if (byk[static_cast<size_t>(k)]->next(line, err))
      return failed("slice " + std::to_string(k) + " has rows past the end of its sweep");
  if (!text.flush(err, true) || !out.commit(err))
    return failed("cannot write " + outPath + ": " + err);
  return OK;
}

}  // namespace agvbatch
