#include "child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "support/proc.h"

namespace rendertest {

namespace {

double now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  int in[2], out[2];
  if (pipe(in) != 0) return;
  if (pipe(out) != 0) {
    close(in[0]);
    close(in[1]);
    return;
  }
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(out[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  in_ = in[1];
  out_ = out[0];
  signal(SIGPIPE, SIG_IGN);
}

Child::~Child() {
  if (pid_ > 0 && status_ < 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (in_ >= 0) close(in_);
  if (out_ >= 0) close(out_);
}

void Child::send(const std::string& bytes) {
  size_t done = 0;
  while (in_ >= 0 && done < bytes.size()) {
    ssize_t w = write(in_, bytes.data() + done, bytes.size() - done);
    if (w <= 0) return;
    done += static_cast<size_t>(w);
  }
}

void Child::pump(double seconds) {
  if (out_ < 0) return;
  pollfd p{out_, POLLIN, 0};
  if (poll(&p, 1, static_cast<int>(seconds * 1000)) <= 0) return;
  char buf[4096];
  ssize_t r = read(out_, buf, sizeof buf);
  if (r > 0) {
    out.append(buf, static_cast<size_t>(r));
  } else {
    close(out_);
    out_ = -1;
  }
}

bool Child::waitfor(const std::string& text, size_t from, double seconds) {
  double limit = now() + seconds;
  while (out.find(text, from) == std::string::npos) {
    if (now() > limit || out_ < 0) return false;
    pump(0.1);
  }
  return true;
}

int Child::wait(double seconds) {
  double limit = now() + seconds;
  while (status_ < 0 && now() < limit) {
    pump(0.1);
    int st = 0;
    if (waitpid(pid_, &st, WNOHANG) == pid_)
      status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  }
  return status_;
}

std::string which(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string all = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find(':', start);
    if (end == std::string::npos) end = all.size();
    std::string full = all.substr(start, end - start) + "/" + name;
    if (access(full.c_str(), X_OK) == 0) return full;
    start = end + 1;
  }
  return "";
}

std::string tool(const std::vector<std::string>& argv, double seconds) {
  agvtest::RunResult r = agvtest::runprog(argv, "", {}, seconds);
  if (r.status != 0 || r.timedOut) return "";
  return r.out;
}

}  // namespace rendertest
