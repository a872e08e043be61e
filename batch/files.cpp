#include "batch/files.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

namespace agvbatch {

namespace {

// The temporary files being written, and whether an interrupt has begun.  Only the program
// itself uses them; they guard its files, not the computations.
std::mutex filesMutex;
std::set<std::string> pending;
bool stopping = false;

}  // namespace

Output::Output(std::string path) : path_(std::move(path)) {}

Output::~Output() {
  if (fd_ >= 0) close(fd_);
  std::lock_guard<std::mutex> lock(filesMutex);
  if (pending.erase(tmp_) > 0) unlink(tmp_.c_str());
}

bool Output::open(std::string& err) {
  std::lock_guard<std::mutex> lock(filesMutex);
  tmp_ = path_ + ".tmp.XXXXXX";
  fd_ = mkostemp(tmp_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    err = std::strerror(errno);
    return false;
  }
  pending.insert(tmp_);
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
  std::lock_guard<std::mutex> lock(filesMutex);
  if (stopping) {
    err = "interrupted";
    return false;
  }
  for (Output* o : outs) {
    if (std::rename(o->tmp_.c_str(), o->path_.c_str()) != 0) {
      err = std::strerror(errno);
      return false;
    }
    pending.erase(o->tmp_);
  }
  return true;
}

bool Output::commit(std::string& err) { return commitall({this}, err); }

int failed(const std::string& msg) {
  std::fprintf(stderr, "agvbatch: %s\n", msg.c_str());
  return 2;
}

bool writefile(const std::string& path, const std::string& text, std::string& err) {
  Output o(path);
  return o.open(err) && o.put(text, err) && o.commit(err);
}

void interrupted(int sig) {
  std::lock_guard<std::mutex> lock(filesMutex);
  stopping = true;
  for (const std::string& t : pending) unlink(t.c_str());
  char line[96];
  const char* name = sigabbrev_np(sig);
  const int n = std::snprintf(line, sizeof line, "agvbatch: interrupted (SIG%s); nothing written\n",
                              name != nullptr ? name : "?");
  if (n > 0) (void)!::write(2, line, static_cast<size_t>(n));
  _exit(128 + sig);
}

}  // namespace agvbatch
