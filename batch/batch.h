// agvbatch: the simulator's computations without the window, written as CSV.
#pragma once

#include <string>
#include <vector>

#include "agv/agv.h"

namespace agvbatch {

// Exit statuses.
constexpr int OK = 0;       // done
constexpr int REFUSED = 1;  // the path is refused (too long, curve undefined)
constexpr int USAGE = 2;    // bad usage, bad numbers, or files that cannot be written

// Runs the program with its arguments (without the program name); messages go to stderr.
int run(const std::vector<std::string>& args);

// The summary columns of a PTP pass, and their header: the adopted row, the segments, then
// per path and mechanism the steps and durations and the largest and final position error
// of the constant-velocity run.
std::string ptpheader();
std::string ptpsummary(const agv::PtpResult& r);

// A range A:B:STEP of a sweep's grid.
struct Range {
  double a, b, step;
  long count() const;  // 0 when the range is empty or too long
  double at(long i) const { return a + i * step; }
};

// A file written beside its target and renamed when it is complete; false with a message in
// err when it cannot be written.
bool writefile(const std::string& path, const std::string& text, std::string& err);

// A number that reads back to the same double.
void num(std::string& s, double v);

}  // namespace agvbatch
