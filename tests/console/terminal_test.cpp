// On a pseudo-terminal: no echo nor line mode while a key is awaited, the
// terminal restored after it and when a signal ends the program.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

#include "support/proc.h"

namespace {

// The simulator on a pseudo-terminal.
struct OnTerminal {
  int master = -1;
  pid_t pid = -1;
  std::string out;  // everything read so far
  size_t seen = 0;  // end of the last match

  explicit OnTerminal(const std::string& display)
      : pid(forkpty(&master, nullptr, nullptr, nullptr)) {
    if (pid == 0) {
      setenv("DISPLAY", display.c_str(), 1);
      std::string exe = agvtest::agvsimPath();
      execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~OnTerminal() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    close(master);
  }

  // Reads output for at most 20 s, until `done` holds.
  template <class F>
  bool until(F done) {
    using Clock = std::chrono::steady_clock;
    for (auto limit = Clock::now() + std::chrono::seconds(20); Clock::now() < limit;) {
      if (done()) return true;
      pollfd p{master, POLLIN, 0};
      char buf[4096];
      ssize_t r;
      if (poll(&p, 1, 50) > 0 && (r = read(master, buf, sizeof buf)) > 0)
        out.append(buf, static_cast<size_t>(r));
    }
    return false;
  }

  // Reads output until it holds `text` past what was already matched.
  bool waitFor(const std::string& text) {
    return until([&] {
      size_t p = out.find(text, seen);
      if (p != std::string::npos) seen = p + text.size();
      return p != std::string::npos;
    });
  }

  // Waits until line mode and echo are both `on` (or both off).
  bool waitMode(bool on) {
    return until([&] {
      termios t;
      return tcgetattr(master, &t) == 0 && ((t.c_lflag & ICANON) != 0) == on &&
             ((t.c_lflag & ECHO) != 0) == on;
    });
  }

  void type(const std::string& s) {
    ASSERT_EQ(write(master, s.data(), s.size()), (ssize_t)s.size());
  }
};

TEST(Terminal, KeysAreReadWithoutEchoNumbersAsLines) {
  agvtest::Xvfb x;
  ASSERT_TRUE(x.ok());
  OnTerminal t(x.display());
  for (const char* prompt : {"sgnPATH=", "no : n ", "しない：n  "}) {
    ASSERT_TRUE(t.waitFor(prompt));
    ASSERT_TRUE(t.waitMode(false));
    t.type(prompt[0] == 's' ? "p" : "y");
  }
  ASSERT_TRUE(t.waitFor("θf°="));
  ASSERT_TRUE(t.waitMode(true));
  t.type("4 -3 -45\n");
  ASSERT_TRUE(t.waitFor("任意キーで描画画面へ       "));
  ASSERT_TRUE(t.waitMode(false));
  // The program echoes the path kind itself; the y answers are not echoed.
  EXPECT_NE(t.out.find("sgnPATH=p"), std::string::npos);
  EXPECT_EQ(t.out.find("yy"), std::string::npos);
}

TEST(Terminal, TerminationSignalsRestoreTheTerminal) {
  agvtest::Xvfb x;
  ASSERT_TRUE(x.ok());
  for (int sig : {SIGINT, SIGTERM}) {
    OnTerminal t(x.display());
    ASSERT_TRUE(t.waitFor("sgnPATH="));
    ASSERT_TRUE(t.waitMode(false));
    kill(t.pid, sig);
    int st = 0;
    waitpid(t.pid, &st, 0);
    t.pid = -1;
    ASSERT_TRUE(WIFSIGNALED(st));
    EXPECT_EQ(WTERMSIG(st), sig);
    termios term;
    ASSERT_EQ(tcgetattr(t.master, &term), 0);
    EXPECT_NE(term.c_lflag & ICANON, 0u) << sig;
    EXPECT_NE(term.c_lflag & ECHO, 0u) << sig;
  }
}

}  // namespace
