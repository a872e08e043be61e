// agvbatch: the simulator's computations without the window, written as CSV.
#pragma once

#include <string>
#include <vector>

namespace agvbatch {

// Exit statuses.
constexpr int OK = 0;       // done
constexpr int REFUSED = 1;  // the path is refused (too long, curve undefined)
constexpr int USAGE = 2;    // bad usage, bad numbers, or files that cannot be written

// Runs the program with its arguments (without the program name); messages go to stderr.
int run(const std::vector<std::string>& args);

// One PTP pass to the end pose (metres, degrees).  Empty when the pass succeeded, otherwise
// why the path was refused.
std::string passptp(double x, double y, double thDeg);

// The summary columns of the PTP pass just computed, and their header: the adopted row, the
// segments, then per path and mechanism the steps and durations and the largest and final
// position error of the constant-velocity run.
std::string ptpheader();
std::string ptpsummary();

// A sweep over a grid of end poses with `jobs` worker processes, written to `out`.
struct Range {
  double a, b, step;
  int count() const;
  double at(int i) const { return a + i * step; }
};
int sweep(const Range& x, const Range& y, const Range& th, int jobs, const std::string& out);

// A file written beside its target and renamed when it is complete; false with a message in
// err when it cannot be written.
bool writefile(const std::string& path, const std::string& text, std::string& err);

// A number that reads back to the same double.
void num(std::string& s, double v);

}  // namespace agvbatch
