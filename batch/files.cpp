#include "batch/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>

#include "batch/status.h"

namespace agvbatch {

namespace {

constexpr size_t kPiece = 1 << 20;  // bytes of text gathered before a write
constexpr int kLinksMax = 40;       // symbolic links followed in a row, as the system does

// The temporary files and folders being written, what has been written in place or could not
// be taken back, and whether an interrupt has begun or the files have been committed.  Only the
// program itself uses them; they guard its files, not the computations.  They are never
// destroyed, so that a signal taken while the program exits still finds them.
struct Pending {
  std::mutex mutex;
  std::set<std::string> files, folders;
  std::set<std::string> given;    // the outputs written in place that got text
  std::vector<std::string> kept;  // the files a failed commit could not take back
  std::set<int> children;
  bool stopping = false;
  bool committed = false;
};
Pending& pending() {
  static Pending* p = new Pending;
  return *p;
}

// The permissions of a new file under the umask (which can be read only by setting it).
mode_t newmode(mode_t full) {
  const mode_t mask = umask(0);
  umask(mask);
  return full & ~mask;
}

// A folder being built and what it holds removed.
void removefolder(const std::string& dir) {
  if (DIR* d = opendir(dir.c_str())) {
    while (const dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
        unlink((dir + "/" + e->d_name).c_str());
    closedir(d);
  }
  rmdir(dir.c_str());
}

// The file a name stands for: the name, or the file its symbolic link names (which must
// exist).  False with the reason in err.
bool resolve(const std::string& path, std::string& target, std::string& err) {
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char* real = realpath(path.c_str(), nullptr);
    if (real == nullptr) {
      err = "a symbolic link to nothing that can be written (" + std::string(std::strerror(errno)) + ")";
      return false;
    }
    target = real;
    std::free(real);
  } else {
    target = path;
  }
  return true;
}

// The folder of a name, as the system names it (no link in it), or "" when there is none.
std::string realfolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "."
                          : slash == 0               ? "/"
                                                     : path.substr(0, slash);
  char* real = realpath(dir.c_str(), nullptr);
  if (real == nullptr) return "";
  std::string s = real;
  std::free(real);
  return s;
}

// The descriptor of this process that a name ends on through its symbolic links (/dev/stdout,
// /dev/fd/N, /proc/self/fd/N), or -1 where it ends on none.  Each link is read in turn: the
// folder of a descriptor's entry names the process, the entry itself its open file.
int descriptorof(const std::string& path) {
  const std::string own[2] = {realfolder("/proc/self/fd/0"), realfolder("/proc/thread-self/fd/0")};
  std::string name = path;
  for (int hop = 0; hop < kLinksMax; ++hop) {
    struct stat st {};
    if (lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return -1;
    const std::string folder = realfolder(name);
    const std::string entry = name.substr(name.rfind('/') + 1);
    if (!folder.empty() && (folder == own[0] || folder == own[1])) {
      char* end = nullptr;
      errno = 0;
      const long fd = std::strtol(entry.c_str(), &end, 10);
      return *end == '\0' && errno == 0 && fd >= 0 && fd <= INT_MAX ? static_cast<int>(fd) : -1;
    }
    std::string to(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
    const ssize_t n = readlink(name.c_str(), to.data(), to.size());
    if (n < 0 || static_cast<size_t>(n) >= to.size()) return -1;
    to.resize(static_cast<size_t>(n));
    const size_t slash = name.rfind('/');
    name = to[0] == '/' || slash == std::string::npos ? to : name.substr(0, slash + 1) + to;
  }
  return -1;
}

// A folder's name made absolute, without . and .. steps or a trailing slash, to compare two
// names of a folder that may not exist yet.
std::string normal(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec).lexically_normal();
  if (ec) return path;
  if (!p.has_filename()) p = p.parent_path();
  return p.string();
}

// What has been written, for a message (the lock held).  A part of a text on a device or a FIFO
// cannot be taken back.
std::string written(const Pending& p) {
  if (p.committed && p.files.empty() && p.folders.empty()) return "the files were written";
  std::string s = "nothing written";
  if (!p.kept.empty()) {
    s = "written all the same (renamed before the failure, and not taken back):";
    for (const std::string& k : p.kept) s += " " + k;
  }
  for (const std::string& t : p.given) s += "; " + t + " keeps what it was given";
  return s;
}

}  // namespace

// The renaming of outputs to their names (and of a folder built beside its name), all under
// the lock of the pending files, so that an interrupt comes wholly before or wholly after.  A
// file that a rename replaces is kept under a second name (a hard link) until all are done, so
// that a rename that fails takes back those before it: the new files go, the old come back.
// The renames over files that cannot be kept so (where no link can be made) come last.
class Commit {
 public:
  static bool all(const std::vector<Output*>& outs, const std::string& tmpdir,
                  const std::string& dir, std::string& err) {
    for (Output* o : outs) {
      const int fd = o->fd_;
      o->fd_ = -1;
      if (close(fd) != 0) {
        err = std::strerror(errno);
        return false;
      }
    }
    Pending& p = pending();
    std::lock_guard<std::mutex> lock(p.mutex);
    if (p.stopping) {
      err = "interrupted";
      return false;
    }
    // A folder in the place of a name would fail its rename.
    for (const Output* o : outs) {
      struct stat st {};
      if (!o->tmp_.empty() && stat(o->target_.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        err = o->path_ + " is a folder";
        return false;
      }
    }
    std::vector<Step> steps;
    for (Output* o : outs) {
      if (o->tmp_.empty()) continue;
      Step s{o, "", false};
      struct stat st {};
      s.replaces = lstat(o->target_.c_str(), &st) == 0;
      if (s.replaces && link(o->target_.c_str(), (o->tmp_ + kOld).c_str()) == 0)
        s.old = o->tmp_ + kOld;
      steps.push_back(s);
    }
    std::stable_partition(steps.begin(), steps.end(),
                          [](const Step& s) { return !s.replaces || !s.old.empty(); });
    size_t done = 0;  // the renames that took place
    while (done < steps.size() &&
           std::rename(steps[done].out->tmp_.c_str(), steps[done].out->target_.c_str()) == 0)
      ++done;
    bool ok = done == steps.size();
    if (!ok || (!tmpdir.empty() && std::rename(tmpdir.c_str(), dir.c_str()) != 0)) {
      err = std::strerror(errno);
      ok = false;
    }
    for (size_t i = steps.size(); i-- > 0;) {
      const Step& s = steps[i];
      if (!ok && i < done && !takeback(s)) p.kept.push_back(s.out->path_);
      if (!s.old.empty()) unlink(s.old.c_str());
    }
    if (!ok) return false;
    for (const Step& s : steps) {
      p.files.erase(s.out->tmp_);
      s.out->tmp_.clear();
    }
    if (!tmpdir.empty()) p.folders.erase(tmpdir);
    p.committed = true;
    return true;
  }

 private:
  // The rename of an output to its name, and what its name held before (`old`, the second
  // name it is kept under; empty where it could not be kept, or `replaces` is false).
  struct Step {
    Output* out;
    std::string old;
    bool replaces;
  };
  static constexpr char kOld[] = ".old";

  // A rename undone: the file it replaced back, or none where there was none.
  static bool takeback(const Step& s) {
    const char* name = s.out->target_.c_str();
    if (!s.replaces) return unlink(name) == 0;
    return !s.old.empty() && std::rename(s.old.c_str(), name) == 0;
  }
};

Output::Output(std::string path) : path_(std::move(path)) {}

Output::~Output() {
  if (fd_ >= 0) close(fd_);
  Pending& p = pending();
  std::lock_guard<std::mutex> lock(p.mutex);
  if (!tmp_.empty() && p.files.erase(tmp_) > 0) unlink(tmp_.c_str());
}

bool Output::open(std::string& err) {
  if (path_.empty()) {
    err = "an empty name";
    return false;
  }
  // One of the files the program was given open (/dev/stdout): written through its descriptor,
  // where it stands and as it was opened (>> appends).  A descriptor the program opened itself
  // has FD_CLOEXEC set, as none it inherited across exec can have.
  if (const int given = descriptorof(path_); given >= 0) {
    const int how = fcntl(given, F_GETFL), own = fcntl(given, F_GETFD);
    if (how < 0 || own < 0 || (own & FD_CLOEXEC) != 0) {
      err = "names no file agvbatch was given open";
      return false;
    }
    if ((how & O_ACCMODE) == O_RDONLY) {
      err = "open for reading only";
      return false;
    }
    return adopt(fcntl(given, F_DUPFD_CLOEXEC, 0), err);
  }
  struct stat st {};
  if (stat(path_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      err = path_ + " is a folder";
      return false;
    }
    // A device or a FIFO, or a link to one, takes the text in place through the name as given
    // (a socket cannot be opened).
    if (!S_ISREG(st.st_mode))
      return adopt(::open(path_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY), err);
  }
  if (!resolve(path_, target_, err)) return false;
  Pending& p = pending();
  std::lock_guard<std::mutex> lock(p.mutex);
  tmp_ = target_ + ".tmp.XXXXXX";
  fd_ = mkostemp(tmp_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    err = std::strerror(errno);
    tmp_.clear();
    return false;
  }
  p.files.insert(tmp_);
  if (fchmod(fd_, newmode(0666)) != 0) {
    err = std::strerror(errno);
    return false;
  }
  return true;
}

bool Output::adopt(int fd, std::string& err) {
  if (fd < 0) {
    err = std::strerror(errno);
    return false;
  }
  fd_ = fd;
  target_ = path_;
  return true;
}

bool Output::put(std::string_view text, std::string& err) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t w = ::write(fd_, text.data() + done, text.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      err = w < 0 ? std::strerror(errno) : "nothing written";
      return false;
    }
    done += static_cast<size_t>(w);
    if (tmp_.empty()) given();
  }
  return true;
}

int Output::lend() {
  if (tmp_.empty()) given();
  return fd_;
}

void Output::given() {
  Pending& p = pending();
  std::lock_guard<std::mutex> lock(p.mutex);
  p.given.insert(target_);
}

bool Output::commit(std::string& err) { return Commit::all({this}, "", "", err); }

bool commitall(const std::vector<Output*>& outs, std::string& err) {
  return Commit::all(outs, "", "", err);
}

void watchchild(int pid, bool running) {
  Pending& p = pending();
  std::lock_guard<std::mutex> lock(p.mutex);
  if (running)
    p.children.insert(pid);
  else
    p.children.erase(pid);
}

bool Pieces::flush(std::string& err, bool all) {
  if (text_.size() < kPiece && !all) return true;
  const bool ok = out_.put(text_, err);
  text_.clear();
  return ok;
}

Files::Files(std::string dir) : dir_(std::move(dir)) {}

Files::~Files() {
  files_.clear();  // their temporary files first
  if (tmp_.empty()) return;
  Pending& p = pending();
  std::lock_guard<std::mutex> lock(p.mutex);
  if (p.folders.erase(tmp_) > 0) removefolder(tmp_);
}

bool Files::open(std::string& err) {
  if (dir_.empty()) {
    err = "an empty name";
    return false;
  }
  // A folder named with a slash at its end (run/) is built beside its name all the same.
  while (dir_.size() > 1 && dir_.back() == '/') dir_.pop_back();
  std::string target;
  if (!resolve(dir_, target, err)) return false;
  struct stat st {};
  if (stat(target.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) {
      err = dir_ + " is not a folder";
      return false;
    }
    return true;
  }
  Pending& p = pending();
  std::lock_guard<std::mutex> lock(p.mutex);
  tmp_ = target + ".tmp.XXXXXX";
  if (mkdtemp(tmp_.data()) == nullptr) {
    err = std::strerror(errno);
    tmp_.clear();
    return false;
  }
  p.folders.insert(tmp_);
  dir_ = target;
  if (chmod(tmp_.c_str(), newmode(0777)) != 0) {
    err = std::strerror(errno);
    return false;
  }
  return true;
}

Output* Files::file(const std::string& name, std::string& err) {
  files_.push_back(std::make_unique<Output>((tmp_.empty() ? dir_ : tmp_) + "/" + name));
  if (!files_.back()->open(err)) return nullptr;
  return files_.back().get();
}

Output* Files::other(const std::string& path, std::string& err) {
  const size_t slash = path.rfind('/');
  const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  const std::string folder =
      slash == std::string::npos ? "." : path.substr(0, std::max<size_t>(slash, 1));
  if (!tmp_.empty() && !name.empty() && normal(folder) == normal(dir_)) return file(name, err);
  files_.push_back(std::make_unique<Output>(path));
  if (!files_.back()->open(err)) return nullptr;
  return files_.back().get();
}

bool Files::commit(std::string& err) {
  std::vector<Output*> all;
  for (const auto& f : files_) all.push_back(f.get());
  if (!Commit::all(all, tmp_, dir_, err)) return false;
  tmp_.clear();
  return true;
}

std::string leftover() {
  Pending& p = pending();
  std::lock_guard<std::mutex> lock(p.mutex);
  return written(p);
}

int failed(const std::string& msg) {
  std::fprintf(stderr, "agvbatch: %s\n", msg.c_str());
  return USAGE;
}

int usage(const std::string& msg) {
  std::fprintf(stderr, "agvbatch: %s (agvbatch --help tells the usage)\n", msg.c_str());
  return USAGE;
}

std::vector<int> endsignals() {
  std::vector<int> sigs = {SIGHUP,  SIGINT,    SIGQUIT, SIGTERM,  SIGUSR1, SIGUSR2,
                           SIGALRM, SIGVTALRM, SIGPROF, SIGPOLL,  SIGXCPU, SIGPWR,
                           SIGSTKFLT};
  for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) sigs.push_back(s);
  return sigs;
}

void interrupted(int sig) {
  Pending& p = pending();
  std::lock_guard<std::mutex> lock(p.mutex);
  p.stopping = true;
  for (const int pid : p.children) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  for (const std::string& t : p.files) unlink(t.c_str());
  for (const std::string& d : p.folders) removefolder(d);
  const char* abbrev = sigabbrev_np(sig);
  char name[16];
  if (abbrev != nullptr)
    std::snprintf(name, sizeof name, "SIG%s", abbrev);
  else
    std::snprintf(name, sizeof name, "signal %d", sig);
  const std::string what = written(p);
  char line[PATH_MAX + 128];
  const int n =
      std::snprintf(line, sizeof line, "agvbatch: interrupted (%s); %s\n", name, what.c_str());
  if (n > 0) (void)!::write(2, line, std::min(static_cast<size_t>(n), sizeof line - 1));
  _exit(128 + sig);
}

}  // namespace agvbatch
