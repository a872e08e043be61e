#include "batch/sweep.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "batch/csv.h"
#include "batch/files.h"
#include "batch/status.h"

namespace agvbatch {

using namespace agv;

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kChunk = 64;           // poses a thread takes at a time
constexpr long kAhead = 4;            // chunks a thread may run ahead of the file, per thread
constexpr double kProgressEvery = 0.2;  // seconds between two progress lines
constexpr size_t kMergeFlush = 1 << 20;  // bytes of merged rows gathered before a write
const char kShardMark[] = "# agvbatch shard ";

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

std::string header(const Grid& g) {
  std::string h = "index,";
  if (paramcolumns(g)) {
    for (int i = 0; i < nParams; ++i) {
      const ParamInfo info = paraminfo(i);
      h += info.name;
      if (*info.unit) h += std::string("[") + info.unit + "]";
      h += ',';
    }
  }
  return h + "x[m],y[m],th[deg],status," + ptpheader() + "\n";
}

// The row of grid index i, computed with the thread's result r.
std::string poserow(const Grid& g, long i, PtpResult& r) {
  Params p;
  double x = 0, y = 0, th = 0;
  g.at(i, p, x, y, th);
  std::string s = std::to_string(i);
  if (paramcolumns(g))
    for (int k = 0; k < nParams; ++k) field(s, getparam(p, paraminfo(k).name));
  field(s, x);
  field(s, y);
  field(s, th);
  std::string why;
  try {
    if (passPTP(p, x, y, th, r) != Status::Done) why = reason(r.refusal, p);
  } catch (const std::exception& e) {
    // A pass that fails refuses its own pose only.
    why = std::string("error: ") + e.what();
  }
  for (char& c : why)
    if (c == ',' || c == '\n') c = ';';
  s += ',' + (why.empty() ? std::string("ok") : why) + ',';
  if (why.empty()) s += ptpsummary(r);
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
void progressline(long done, long total, double sec, bool end) {
  const double rate = sec > 0 ? done / sec : 0.0;
  std::string tail = end ? "done in " + duration(sec)
                         : rate > 0 ? duration((total - done) / rate) + " left" : "";
  std::fprintf(stderr, "\ragvbatch: %ld/%ld poses, %.0f poses/s, %s\033[K%s", done, total, rate,
               tail.c_str(), end ? "\n" : "");
  std::fflush(stderr);
}

// The rows of the poses first, first + step, ... below the grid's size, computed by `jobs`
// threads in chunks and written in that order to out as they are done.  A few chunks at most
// wait to be written, so the memory does not grow with the grid.  False with the reason in
// err when a write failed.
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

  const auto worker = [&] {
    auto r = std::make_unique<PtpResult>();
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
        text += poserow(g, first + j * step, *r);
      {
        std::lock_guard<std::mutex> lock(mu);
        done.emplace(c, std::move(text));
      }
      cv.notify_all();
    }
  };
  std::vector<std::thread> threads;
  for (int w = 0; w < jobs; ++w) threads.emplace_back(worker);

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
    progressline(std::min(total, c * kChunk), total, elapsed(), false);
  };
  bool ok = true;
  for (long c = 0; c < chunks && ok; ++c) {
    std::string text;
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(mu);
        if (cv.wait_for(lock, every, [&] { return done.count(c) > 0; })) {
          text = std::move(done[c]);
          done.erase(c);
          break;
        }
      }
      show(c);  // outside the lock, so that the threads go on meanwhile
    }
    ok = out.put(text, err);
    {
      std::lock_guard<std::mutex> lock(mu);
      written = c + 1;
      stop = !ok;
    }
    cv.notify_all();
    show(c + 1);
  }
  for (std::thread& t : threads) t.join();
  if (ok && progress) progressline(total, total, elapsed(), true);
  return ok;
}

// The lines of a file, one at a time.
class Lines {
 public:
  explicit Lines(const std::string& path) : f_(std::fopen(path.c_str(), "r")) {}
  ~Lines() {
    if (f_ != nullptr) std::fclose(f_);
    std::free(buf_);
  }
  Lines(const Lines&) = delete;
  Lines& operator=(const Lines&) = delete;
  bool ok() const { return f_ != nullptr; }
  // The next line with its line end; false at the end.
  bool next(std::string& line) {
    const ssize_t n = getline(&buf_, &cap_, f_);
    if (n <= 0) return false;
    line.assign(buf_, static_cast<size_t>(n));
    return true;
  }

 private:
  FILE* f_;
  char* buf_ = nullptr;
  size_t cap_ = 0;
};

// What the first line of a slice says: which slice of how many, of how many poses, of which
// sweep.
struct Slice {
  long k = 0, n = 0, poses = 0;
  std::string sweep;
};

bool parseslice(const std::string& line, Slice& s) {
  if (line.rfind(kShardMark, 0) != 0) return false;
  int used = 0;
  if (std::sscanf(line.c_str() + sizeof kShardMark - 1, "%ld/%ld of %ld poses%n", &s.k, &s.n,
                  &s.poses, &used) != 3)
    return false;
  s.sweep = line.substr(sizeof kShardMark - 1 + static_cast<size_t>(used));
  return s.n > 0 && s.n <= kShardsMax && s.k >= 0 && s.k < s.n && s.poses >= 0 &&
         s.poses <= kPosesMax;
}

}  // namespace

double Range::points() const { return std::floor((b - a) / step + 1e-9) + 1; }

long Range::count() const {
  const double n = points();
  return n >= 1 && n <= kPosesMax ? static_cast<long>(n) : 0;
}

long Grid::size() const {
  long n = x.count() * y.count() * th.count();
  for (const Axis& a : sets) n *= a.r.count();
  return n;
}

void Grid::at(long i, Params& p, double& px, double& py, double& pth) const {
  const long nth = th.count(), ny = y.count(), nx = x.count();
  pth = th.at(i % nth);
  i /= nth;
  py = y.at(i % ny);
  i /= ny;
  px = x.at(i % nx);
  i /= nx;
  p = base;
  for (size_t k = sets.size(); k-- > 0;) {
    const long n = sets[k].r.count();
    setparam(p, sets[k].name, sets[k].r.at(i % n));
    i /= n;
  }
}

std::string Grid::identity() const {
  std::string s = "x=";
  rangetext(s, x);
  s += " y=";
  rangetext(s, y);
  s += " th=";
  rangetext(s, th);
  for (const Axis& a : sets) {
    s += " set " + a.name + "=";
    rangetext(s, a.r);
  }
  s += " params";
  for (int i = 0; i < nParams; ++i) {
    s += std::string(" ") + paraminfo(i).name + "=";
    num(s, getparam(base, paraminfo(i).name));
  }
  return s;
}

int sweep(const Grid& g, const SweepOptions& o) {
  Output out(o.out);
  std::string err;
  std::string head = header(g);
  if (o.shards > 1 || o.shard > 0) {
    head = kShardMark + std::to_string(o.shard) + "/" + std::to_string(o.shards) + " of " +
           std::to_string(g.size()) + " poses: " + g.identity() + "\n" + head;
  }
  if (!out.open(err) || !out.put(head, err) ||
      !rows(g, o.shard, o.shards, o.jobs, o.progress, out, err) || !out.commit(err))
    return failed("cannot write " + o.out + ": " + err);
  return OK;
}

int merge(const std::vector<std::string>& files, const std::string& outPath) {
  if (files.empty()) return failed("merge takes the files of the slices of a sweep");
  std::vector<std::unique_ptr<Lines>> in;
  std::vector<Slice> slices;
  std::string head;
  for (const std::string& f : files) {
    in.push_back(std::make_unique<Lines>(f));
    Slice s;
    std::string first, h;
    if (!in.back()->ok()) return failed("cannot read " + f + ": " + std::strerror(errno));
    if (!in.back()->next(first) || !parseslice(first, s) || !in.back()->next(h))
      return failed(f + " is no slice of a sweep (agvbatch sweep --shard K/N writes them)");
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
  Output out(outPath);
  std::string err;
  if (!out.open(err) || !out.put(head, err)) return failed("cannot write " + outPath + ": " + err);
  std::string line, text;
  for (long i = 0; i < slices[0].poses; ++i) {
    const std::string want = std::to_string(i) + ",";
    if (!byk[static_cast<size_t>(i % n)]->next(line) || line.rfind(want, 0) != 0 ||
        line.back() != '\n')
      return failed("slice " + std::to_string(i % n) + " lacks the row of index " +
                    std::to_string(i) + "; nothing written");
    text += line;
    if (text.size() >= kMergeFlush || i + 1 == slices[0].poses) {
      if (!out.put(text, err)) return failed("cannot write " + outPath + ": " + err);
      text.clear();
    }
  }
  for (long k = 0; k < n; ++k)
    if (byk[static_cast<size_t>(k)]->next(line))
      return failed("slice " + std::to_string(k) + " has rows past the end of its sweep");
  if (!out.commit(err)) return failed("cannot write " + outPath + ": " + err);
  return OK;
}

}  // namespace agvbatch
