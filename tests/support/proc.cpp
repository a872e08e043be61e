#include "support/proc.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace agvtest {

namespace {

double now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

Xvfb::Xvfb() {
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0);
    dup2(devnull, 1);
    dup2(devnull, 2);
    close(fds[0]);
    if (fds[1] != 3) {
      dup2(fds[1], 3);
      close(fds[1]);
    }
    execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1024x1024x24", "-nolisten", "tcp",
           "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  if (pid_ < 0) {
    close(fds[0]);
    return;
  }
  // Xvfb writes its display number when it is ready to accept clients.
  std::string num;
  double limit = now() + 20.0;
  while (now() < limit) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, 200) > 0) {
      char c;
      ssize_t r = read(fds[0], &c, 1);
      if (r <= 0) break;
      if (c == '\n') break;
      num += c;
    }
  }
  close(fds[0]);
  if (!num.empty()) display_ = ":" + num;
}

Xvfb::~Xvfb() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

RunResult runprog(const std::vector<std::string>& argv, const std::string& input,
                  const std::vector<std::string>& env, double timeoutSec) {
  RunResult res;
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return res;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    for (const std::string& e : env) {
      std::string::size_type eq = e.find('=');
      if (eq == std::string::npos)
        unsetenv(e.c_str());
      else
        setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  fcntl(in[1], F_SETFL, O_NONBLOCK);
  signal(SIGPIPE, SIG_IGN);
  size_t written = 0;
  if (input.empty()) {
    close(in[1]);
    in[1] = -1;
  }
  double limit = now() + timeoutSec;
  bool outOpen = true, errOpen = true;
  while (outOpen || errOpen || in[1] >= 0) {
    if (now() > limit) {
      res.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    pollfd p[3];
    int np = 0;
    if (outOpen) p[np++] = {out[0], POLLIN, 0};
    if (errOpen) p[np++] = {err[0], POLLIN, 0};
    if (in[1] >= 0) p[np++] = {in[1], POLLOUT, 0};
    if (poll(p, np, 100) <= 0) continue;
    for (int i = 0; i < np; ++i) {
      if (!p[i].revents) continue;
      if (p[i].fd == in[1]) {
        ssize_t w = write(in[1], input.data() + written, input.size() - written);
        if (w > 0) written += static_cast<size_t>(w);
        if (w < 0 || written == input.size()) {
          close(in[1]);
          in[1] = -1;
        }
        continue;
      }
      char buf[4096];
      ssize_t r = read(p[i].fd, buf, sizeof buf);
      if (r <= 0) {
        if (p[i].fd == out[0]) outOpen = false;
        if (p[i].fd == err[0]) errOpen = false;
        continue;
      }
      (p[i].fd == out[0] ? res.out : res.err).append(buf, static_cast<size_t>(r));
    }
  }
  if (in[1] >= 0) close(in[1]);
  close(out[0]);
  close(err[0]);
  int st = 0;
  waitpid(pid, &st, 0);
  if (WIFEXITED(st))
    res.status = WEXITSTATUS(st);
  else if (WIFSIGNALED(st))
    res.status = 128 + WTERMSIG(st);
  return res;
}

}  // namespace agvtest
