#include "batch/files.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <set>

#include "batch/status.h"

namespace agvbatch {

namespace {

// The files agvbatch is writing and the children that write its outputs.  They guard its files,
// not the computations.  They are never destroyed, so that a signal taken while the program
// exits still finds them.
struct Writing : agv::output::Pending {
  std::set<int> children;
};
Writing& writing() {
  static Writing* w = [] {
    auto* p = new Writing;
    p->program = "agvbatch";
    return p;
  }();
  return *w;
}

// What has been written, for a message (the lock held).  A part of a text on a device or a FIFO
// cannot be taken back.
std::string written(const agv::output::Pending& p) {
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

agv::output::Pending& pending() { return writing(); }

void watchchild(int pid, bool running) {
  Writing& p = writing();
  std::lock_guard<std::mutex> lock(p.mutex);
  if (running)
    p.children.insert(pid);
  else
    p.children.erase(pid);
}

std::string leftover() {
  Writing& p = writing();
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
  Writing& p = writing();
  std::lock_guard<std::mutex> lock(p.mutex);
  p.stopping = true;
  for (const int pid : p.children) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  for (const std::string& t : p.files) unlink(t.c_str());
  for (const std::string& d : p.folders) agv::output::removefolder(d);
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
