// One-key reads on a real terminal (a pseudo-terminal): no echo and no
// line mode while a key is awaited, the terminal restored right after and
// on every way out of the program.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "support/proc.h"

namespace {

double now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

class Terminal : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { x_ = new agvtest::Xvfb; }
  static void TearDownTestSuite() {
    delete x_;
    x_ = nullptr;
  }
  static agvtest::Xvfb* x_;

  void SetUp() override {
    ASSERT_TRUE(x_->ok());
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    ASSERT_GE(pid_, 0);
    if (pid_ == 0) {
      setenv("DISPLAY", x_->display().c_str(), 1);
      std::string exe = agvtest::agvsimPath();
      execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }

  // Reads the program's output until it contains `text` (bounded in time).
  bool waitFor(const std::string& text, double seconds = 20.0) {
    double limit = now() + seconds;
    while (now() < limit) {
      if (out_.find(text, seen_) != std::string::npos) {
        seen_ = out_.find(text, seen_) + text.size();
        return true;
      }
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 100) > 0) {
        char buf[4096];
        ssize_t r = read(master_, buf, sizeof buf);
        if (r <= 0) return false;
        out_.append(buf, static_cast<size_t>(r));
      }
    }
    return false;
  }

  // Waits until the terminal's line mode and echo are both on or both off.
  bool waitMode(bool lineMode, double seconds = 20.0) {
    double limit = now() + seconds;
    while (now() < limit) {
      termios t;
      if (tcgetattr(master_, &t) == 0) {
        bool canon = (t.c_lflag & ICANON) != 0;
        bool echo = (t.c_lflag & ECHO) != 0;
        if (canon == lineMode && echo == lineMode) return true;
      }
      waitFor("\x01", 0.05);  // keep draining the output
    }
    return false;
  }

  int finish() {
    int st = 0;
    double limit = now() + 20.0;
    while (now() < limit) {
      waitFor("\x01", 0.05);
      pid_t r = waitpid(pid_, &st, WNOHANG);
      if (r == pid_) {
        pid_ = -1;
        return st;
      }
    }
    return -1;
  }

  int master_ = -1;
  pid_t pid_ = -1;
  std::string out_;
  size_t seen_ = 0;
};

agvtest::Xvfb* Terminal::x_ = nullptr;

TEST_F(Terminal, KeyIsReadWithoutEchoAndTheTerminalRestored) {
  ASSERT_TRUE(waitFor("sgnPATH="));
  ASSERT_TRUE(waitMode(false));  // awaiting the key: no line mode, no echo
  ASSERT_EQ(write(master_, "p", 1), 1);
  // The program echoes the key itself, once.
  ASSERT_TRUE(waitFor("p"));
  ASSERT_TRUE(waitFor("no : n "));
  ASSERT_TRUE(waitMode(false));
  ASSERT_EQ(write(master_, "y", 1), 1);
  ASSERT_TRUE(waitFor("しない：n  "));
  ASSERT_TRUE(waitMode(false));
  ASSERT_EQ(write(master_, "y", 1), 1);
  // The end pose is typed as a line, with the terminal in line mode.
  ASSERT_TRUE(waitFor("θf°="));
  ASSERT_TRUE(waitMode(true));
  const char line[] = "4 -3 -45\n";
  ASSERT_EQ(write(master_, line, sizeof line - 1), static_cast<ssize_t>(sizeof line - 1));
  ASSERT_TRUE(waitFor("任意キーで描画画面へ       "));
  ASSERT_TRUE(waitMode(false));
  EXPECT_EQ(out_.find("yy"), std::string::npos);  // the answers y were not echoed
}

TEST_F(Terminal, TerminationSignalsRestoreTheTerminal) {
  for (int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    if (pid_ < 0) SetUp();
    ASSERT_TRUE(waitFor("sgnPATH="));
    ASSERT_TRUE(waitMode(false));
    kill(pid_, sig);
    int st = finish();
    ASSERT_TRUE(WIFSIGNALED(st));
    EXPECT_EQ(WTERMSIG(st), sig);
    termios t;
    ASSERT_EQ(tcgetattr(master_, &t), 0);
    EXPECT_NE(t.c_lflag & ICANON, 0u);
    EXPECT_NE(t.c_lflag & ECHO, 0u);
    close(master_);
    master_ = -1;
    out_.clear();
    seen_ = 0;
  }
}

}  // namespace
