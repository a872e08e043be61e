// Test support: a private X server and child processes driven with
// scripted input.
#pragma once

#include <string>
#include <vector>

namespace agvtest {

// A private Xvfb (1024x1024x24) for the lifetime of the object.
class Xvfb {
 public:
  Xvfb();
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

// The simulator built beside the tests.
inline std::string agvsimPath() { return AGVSIM_EXE; }

}  // namespace agvtest
