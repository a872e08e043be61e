#include "support/proc.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace agvtest {

namespace {

using Clock = std::chrono::steady_clock;

// The whole content of an open file.
std::string slurp(int fd) {
  std::string s;
  char buf[4096];
  ssize_t r;
  lseek(fd, 0, SEEK_SET);
  while ((r = read(fd, buf, sizeof buf)) > 0) s.append(buf, static_cast<size_t>(r));
  return s;
}

// In a forked child: the environment changed by env, then argv run.
[[noreturn]] void execwith(const std::vector<std::string>& argv,
                           const std::vector<std::string>& env) {
  // A string without '=' removes the variable (glibc).
  for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execv(args[0], args.data());
  _exit(127);
}

}  // namespace

Xvfb::Xvfb(bool bare) {
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    int devnull = open("/dev/null", O_RDWR);
    for (int fd : {0, 1, 2}) dup2(devnull, fd);
    dup2(fds[1], 3);
    if (!bare)
      execlp("Xvfb", "Xvfb", "-noreset", "-displayfd", "3", "-screen", "0", "1024x1024x24",
             "-nolisten", "tcp", static_cast<char*>(nullptr));
    else  // only for the test of a server that resets when its last client leaves
      execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1024x1024x24", "-nolisten",
             "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // Xvfb writes its display number when it is ready to accept clients.
  std::string num;
  char c;
  pollfd p{fds[0], POLLIN, 0};
  while (pid_ > 0 && poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') num += c;
  close(fds[0]);
  if (!num.empty()) display_ = ":" + num;
}

Xvfb::~Xvfb() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  int fds[2];
  FILE* outf = tmpfile();
  if (outf == nullptr || pipe(fds) != 0) return;
  out_ = dup(fileno(outf));
  fclose(outf);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(fds[0], 0);
    dup2(out_, 1);
    dup2(out_, 2);
    close(fds[1]);
    execwith(argv, env);
  }
  close(fds[0]);
  in_ = fds[1];
  signal(SIGPIPE, SIG_IGN);
}

Child::~Child() {
  if (in_ >= 0) close(in_);
  if (pid_ > 0 && status_ < 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_ >= 0) close(out_);
}

bool Child::write(const std::string& input) {
  return in_ >= 0 && ::write(in_, input.data(), input.size()) == static_cast<ssize_t>(input.size());
}

std::string Child::out() { return out_ >= 0 ? slurp(out_) : ""; }

bool Child::ended() {
  siginfo_t info{};
  return pid_ <= 0 || status_ >= 0 ||
         (waitid(P_PID, pid_, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0);
}

bool Child::waitfor(const std::string& text, double timeoutSec) {
  auto limit = Clock::now() + std::chrono::duration<double>(timeoutSec);
  for (;;) {
    const bool last = ended() || Clock::now() > limit;
    size_t at = out().find(text, seen_);
    if (at != std::string::npos) {
      seen_ = at + text.size();
      return true;
    }
    if (last) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

int Child::wait(double timeoutSec) {
  auto limit = Clock::now() + std::chrono::duration<double>(timeoutSec);
  while (pid_ > 0 && status_ < 0) {
    int st = 0;
    if (waitpid(pid_, &st, WNOHANG) == pid_) {
      status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
      break;
    }
    if (Clock::now() > limit) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return status_;
}

RunResult runprog(const std::vector<std::string>& argv, const std::string& input,
                  const std::vector<std::string>& env, double timeoutSec) {
  RunResult res;
  // Input, output and errors go through unlinked files.
  FILE* files[3] = {tmpfile(), tmpfile(), tmpfile()};
  int fd[3];
  for (int i = 0; i < 3; ++i) fd[i] = files[i] ? fileno(files[i]) : -1;
  bool ready = fd[0] >= 0 && fd[1] >= 0 && fd[2] >= 0 &&
               write(fd[0], input.data(), input.size()) == static_cast<ssize_t>(input.size());
  pid_t pid = ready ? fork() : -1;
  if (pid == 0) {
    lseek(fd[0], 0, SEEK_SET);
    for (int i = 0; i < 3; ++i) dup2(fd[i], i);
    execwith(argv, env);
  }
  int st = 0;
  auto limit = Clock::now() + std::chrono::duration<double>(timeoutSec);
  while (pid > 0 && waitpid(pid, &st, WNOHANG) == 0) {
    if (Clock::now() > limit) {
      res.timedOut = true;
      kill(pid, SIGKILL);
      waitpid(pid, &st, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (pid > 0) {
    res.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    res.out = slurp(fd[1]);
    res.err = slurp(fd[2]);
  }
  for (FILE* f : files)
    if (f) fclose(f);
  return res;
}

const std::vector<int> kEnding = {SIGHUP,    SIGINT,  SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2,  SIGALRM,
                                  SIGVTALRM, SIGPROF, SIGPOLL, SIGXCPU, SIGPWR,  SIGSTKFLT};

int spawn(const std::vector<std::string>& args, const std::string& err, int errfd) {
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  if (errfd >= 0)
    posix_spawn_file_actions_adddup2(&fa, errfd, 2);
  else
    posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawnattr_t at;
  posix_spawnattr_init(&at);
  sigset_t def, none;
  sigemptyset(&def);
  for (int s : kEnding) sigaddset(&def, s);
  for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) sigaddset(&def, s);
  sigaddset(&def, SIGPIPE);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&at, &def);
  posix_spawnattr_setsigmask(&at, &none);
  posix_spawnattr_setpgroup(&at, 0);
  posix_spawnattr_setflags(&at, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK |
                                    POSIX_SPAWN_SETPGROUP);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &fa, &at, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&fa);
  posix_spawnattr_destroy(&at);
  return pid;
}

int ends(int pid, double sec) {
  const auto limit = Clock::now() + std::chrono::duration<double>(sec);
  int st = 0;
  while (waitpid(pid, &st, WNOHANG) == 0) {
    if (Clock::now() > limit) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

std::vector<std::string> listing(const std::string& dir) {
  std::vector<std::string> v;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    v.push_back(e.path().filename().string());
  return v;
}

}  // namespace agvtest
