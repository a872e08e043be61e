// Test support: a private X server and child processes driven with
// scripted input.
#pragma once

#include <string>
#include <vector>

namespace agvtest {

// A private Xvfb (1024x1024x24) for the lifetime of the object.  It keeps
// running when its last client leaves (-noreset), unless `bare` asks for a
// server that resets itself then, as a bare X server does.
class Xvfb {
 public:
  explicit Xvfb(bool bare = false);
  ~Xvfb();
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;
  bool ok() const { return !display_.empty(); }
  const std::string& display() const { return display_; }  // ":N"

 private:
  int pid_ = -1;
  std::string display_;
};

struct RunResult {
  int status = -1;        // exit status, or 128 + signal
  bool timedOut = false;  // killed after the time limit
  std::string out;        // standard output
  std::string err;        // standard error
};

// Runs argv with `input` on standard input (closed after it), the current
// environment changed by `env` ("NAME=value" sets, "NAME" alone unsets),
// and kills it after timeoutSec.
RunResult runprog(const std::vector<std::string>& argv, const std::string& input,
                  const std::vector<std::string>& env, double timeoutSec);

// A child process whose standard input stays open for writing, so that a
// test can answer its questions one after the other.  Killed when the
// object goes.
class Child {
 public:
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  bool write(const std::string& input);
  // Waits until the output holds `text` (after what earlier waits found);
  // false when the time ran out or the child ended first.
  bool waitfor(const std::string& text, double timeoutSec);
  // Waits for the child to end; its status as in RunResult, -1 on timeout.
  int wait(double timeoutSec);
  std::string out();  // standard output so far

 private:
  bool ended();  // the child has ended (not yet waited for)

  int pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  size_t seen_ = 0;
  int status_ = -1;
};

// The signals that end a process unless it catches them, and that can be caught (SIGPIPE and
// SIGXFSZ aside, which make a write fail instead).
extern const std::vector<int> kEnding;

// A program started as a shell starts a job: a process group of its own, signals at their
// defaults, standard error into the file err (or into errfd when there is one).  Its process
// id, -1 when it could not start.
int spawn(const std::vector<std::string>& args, const std::string& err, int errfd = -1);

// The status of pid once it ends (128 + N after signal N), or -1 when it has not ended within
// sec seconds.
int ends(int pid, double sec);

// The names in a folder.
std::vector<std::string> listing(const std::string& dir);

// The simulator built beside the tests.
inline std::string agvsimPath() { return AGVSIM_EXE; }

}  // namespace agvtest
