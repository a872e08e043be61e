#include "output/output.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace agv::output {

namespace {

constexpr size_t kPiece = 1 << 20;  // bytes of text gathered before a write
constexpr int kLinksMax = 40;       // symbolic links followed in a row, as the system does

// The permissions of a new file under the umask (which can be read only by setting it).
mode_t newmode(mode_t full) {
  const mode_t mask = umask(0);
  umask(mask);
  return full & ~mask;
}

// The file a name stands for: the name, or the file its symbolic link names (which must
// exist).  0, or the error number with the reason in err.
int resolve(const std::string& path, std::string& target, std::string& err) {
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char* real = realpath(path.c_str(), nullptr);
    if (real == nullptr) {
      const int code = errno;
      err = "a symbolic link to nothing that can be written (" + std::string(std::strerror(code)) + ")";
      return code;
    }
    target = real;
    std::free(real);
  } else {
    target = path;
  }
  return 0;
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

}  // namespace

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

// The renaming of outputs to their names (and of a folder built beside its name), all under
// the lock of the pending files, so that an interrupt comes wholly before or wholly after.  A
// file that a rename replaces is kept under a second name (a hard link) until all are done, so
// that a rename that fails takes back those before it: the new files go, the old come back.
// The renames over files that cannot be kept so (where no link can be made) come last.
class Commit {
 public:
  // The outputs and the folder tmpdir (where not empty) of the pending p; false with the reason
  // in err and its error number in code.
  static bool all(Pending& p, const std::vector<Output*>& outs, const std::string& tmpdir,
                  const std::string& dir, std::string& err, int& code) {
    const auto fail = [&](std::string why, int c) {
      err = std::move(why);
      code = c;
      return false;
    };
    for (Output* o : outs) {
      const int fd = o->fd_;
      o->fd_ = -1;
      if (close(fd) != 0) return fail(std::strerror(errno), errno);
    }
    std::lock_guard<std::mutex> lock(p.mutex);
    if (p.stopping) return fail("interrupted", EINTR);
    // A folder in the place of a name would fail its rename.
    for (const Output* o : outs) {
      struct stat st {};
      if (!o->tmp_.empty() && stat(o->target_.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return fail(o->path_ + " is a folder", EISDIR);
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
    if (!ok || (!tmpdir.empty() && std::rename(tmpdir.c_str(), dir.c_str()) != 0))
      ok = fail(std::strerror(errno), errno);
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

Output::Output(std::string path, Pending& pending) : path_(std::move(path)), pending_(pending) {}

Output::~Output() {
  if (fd_ >= 0) close(fd_);
  Pending& p = pending_;
  std::lock_guard<std::mutex> lock(p.mutex);
  if (!tmp_.empty() && p.files.erase(tmp_) > 0) unlink(tmp_.c_str());
}

bool Output::fail(std::string why, int code, std::string& err) {
  err = std::move(why);
  code_ = code;
  return false;
}

bool Output::open(std::string& err) {
  if (path_.empty()) return fail("an empty name", ENOENT, err);
  // One of the files the process has open (/dev/stdout): written through its descriptor, where
  // it stands and as it was opened (>> appends).  A descriptor a program opened itself has
  // FD_CLOEXEC set, as none it inherited across exec can have.
  if (const int given = descriptorof(path_); given >= 0) {
    const int how = fcntl(given, F_GETFL), own = fcntl(given, F_GETFD);
    if (how < 0 || own < 0) return fail(std::strerror(errno), errno, err);
    if (pending_.program != nullptr && (own & FD_CLOEXEC) != 0)
      return fail(std::string("names no file ") + pending_.program + " was given open", EBADF, err);
    if ((how & O_ACCMODE) == O_RDONLY) return fail("open for reading only", EBADF, err);
    return adopt(fcntl(given, F_DUPFD_CLOEXEC, 0), err);
  }
  struct stat st {};
  if (stat(path_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return fail(path_ + " is a folder", EISDIR, err);
    // A device or a FIFO, or a link to one, takes the text in place through the name as given
    // (a socket cannot be opened).
    if (!S_ISREG(st.st_mode))
      return adopt(::open(path_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY), err);
  }
  if (const int code = resolve(path_, target_, err); code != 0) return fail(err, code, err);
  Pending& p = pending_;
  std::lock_guard<std::mutex> lock(p.mutex);
  tmp_ = target_ + ".tmp.XXXXXX";
  fd_ = mkostemp(tmp_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    tmp_.clear();
    return fail(std::strerror(errno), errno, err);
  }
  p.files.insert(tmp_);
  if (fchmod(fd_, newmode(0666)) != 0) return fail(std::strerror(errno), errno, err);
  return true;
}

bool Output::adopt(int fd, std::string& err) {
  if (fd < 0) return fail(std::strerror(errno), errno, err);
  fd_ = fd;
  target_ = path_;
  return true;
}

bool Output::put(std::string_view text, std::string& err) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t w = ::write(fd_, text.data() + done, text.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return w < 0 ? fail(std::strerror(errno), errno, err) : fail("nothing written", EIO, err);
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
  Pending& p = pending_;
  std::lock_guard<std::mutex> lock(p.mutex);
  p.given.insert(target_);
}

bool Output::commit(std::string& err) { return Commit::all(pending_, {this}, "", "", err, code_); }

bool Pieces::flush(std::string& err, bool all) {
  if (text_.size() < kPiece && !all) return true;
  const bool ok = out_.put(text_, err);
  text_.clear();
  return ok;
}

Files::Files(std::string dir, Pending& pending) : dir_(std::move(dir)), pending_(pending) {}

Files::~Files() {
  files_.clear();  // their temporary files first
  if (tmp_.empty()) return;
  Pending& p = pending_;
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
  if (resolve(dir_, target, err) != 0) return false;
  struct stat st {};
  if (stat(target.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) {
      err = dir_ + " is not a folder";
      return false;
    }
    return true;
  }
  Pending& p = pending_;
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
  files_.push_back(std::make_unique<Output>((tmp_.empty() ? dir_ : tmp_) + "/" + name, pending_));
  if (!files_.back()->open(err)) return nullptr;
  return files_.back().get();
}

Output* Files::other(const std::string& path, std::string& err) {
  const size_t slash = path.rfind('/');
  const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  const std::string folder =
      slash == std::string::npos ? "." : path.substr(0, std::max<size_t>(slash, 1));
  if (!tmp_.empty() && !name.empty() && normal(folder) == normal(dir_)) return file(name, err);
  files_.push_back(std::make_unique<Output>(path, pending_));
  if (!files_.back()->open(err)) return nullptr;
  return files_.back().get();
}

bool Files::commit(std::string& err) {
  std::vector<Output*> all;
  for (const auto& f : files_) all.push_back(f.get());
  int code = 0;
  if (!Commit::all(pending_, all, tmp_, dir_, err, code)) return false;
  tmp_.clear();
  return true;
}

}  // namespace agv::output
