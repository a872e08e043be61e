// A child process whose standard input stays open, so that a test can
// type into it in several steps, and tools run to completion.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace rendertest {

class Child {
 public:
  // Starts argv with the environment changed by env ("NAME=value");
  // standard output and error go to one pipe.
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  void send(const std::string& bytes);
  // Reads the output until `text` appears at or after `from`; false when
  // it has not within the time.
  bool waitfor(const std::string& text, size_t from, double seconds);
  // Exit status (128 + signal), or -1 when still running after the time.
  int wait(double seconds);

  std::string out;  // everything written so far

 private:
  void pump(double seconds);
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  int status_ = -1;
};

// Full path of a program found on PATH ("" when none).
std::string which(const std::string& name);

// Runs a tool to its end; its standard output, or "" when it failed.
std::string tool(const std::vector<std::string>& argv, double seconds = 20.0);

}  // namespace rendertest
