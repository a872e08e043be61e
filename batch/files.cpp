#include "batch/files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "batch/status.h"

namespace agvbatch {

namespace {

// The temporary files being written, and whether an interrupt has begun.  Only the program
// itself uses them; they guard its files, not the computations.  They are never destroyed, so
// that a signal taken while the program exits still finds them.
struct Pending {
  std::mutex mutex;
  std::set<std::string> files;
  bool stopping = false;
};
Pending& pending() {
  static Pending* p = new Pending;
  return *p;
}

// The permissions of a new file under the umask (which can be read only by setting it).
mode_t newfilemode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

Output::Output(std::string path) : path_(std::move(path)) {}

Output::~Output() {
  if (fd_ >= 0) close(fd_);
  Pending& p = pending();
  std::lock_guard<std::mutex> lock(p.mutex);
  if (p.files.erase(tmp_) > 0) unlink(tmp_.c_str());
}

bool Output::open(std::string& err) {
  Pending& p = pending();
  std::lock_guard<std::mutex> lock(p.mutex);
  tmp_ = path_ + ".tmp.XXXXXX";
  fd_ = mkostemp(tmp_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    err = std::strerror(errno);
    return false;
  }
  p.files.insert(tmp_);
  if (fchmod(fd_, newfilemode()) != 0) {
    err = std::strerror(errno);
    return false;
  }
  return true;
}

bool Output::put(const std::string& text, std::string& err) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t w = ::write(fd_, text.data() + done, text.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      err = w < 0 ? std::strerror(errno) : "nothing written";
      return false;
    }
    done += static_cast<size_t>(w);
  }
  return true;
}

bool commitall(const std::vector<Output*>& outs, std::string& err) {
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
  // A folder in the place of a name is the one thing that lets a later rename fail after an
  // earlier one succeeded (they are all in one folder).
  for (const Output* o : outs) {
    struct stat st {};
    if (stat(o->path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      err = o->path_ + " is a folder";
      return false;
    }
  }
  for (Output* o : outs) {
    if (std::rename(o->tmp_.c_str(), o->path_.c_str()) != 0) {
      err = std::strerror(errno);
      return false;
    }
    p.files.erase(o->tmp_);
  }
  return true;
}

bool Output::commit(std::string& err) { return commitall({this}, err); }

int failed(const std::string& msg) {
  std::fprintf(stderr, "agvbatch: %s\n", msg.c_str());
  return USAGE;
}

void interrupted(int sig) {
  Pending& p = pending();
  std::lock_guard<std::mutex> lock(p.mutex);
  p.stopping = true;
  for (const std::string& t : p.files) unlink(t.c_str());
  char line[96];
  const char* name = sigabbrev_np(sig);
  const int n = std::snprintf(line, sizeof line, "agvbatch: interrupted (SIG%s); nothing written\n",
                              name != nullptr ? name : "?");
  if (n > 0) (void)!::write(2, line, static_cast<size_t>(n));
  _exit(128 + sig);
}

}  // namespace agvbatch
