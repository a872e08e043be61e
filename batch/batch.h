// agvbatch: the simulator's computations without the window, written as CSV.
#pragma once

#include <string>
#include <vector>

namespace agvbatch {

// Exit statuses (an interrupt by signal N ends the program with 128 + N).
constexpr int OK = 0;       // done
constexpr int REFUSED = 1;  // the path is refused (too long, curve undefined)
constexpr int USAGE = 2;    // bad usage, bad numbers, or files that cannot be written

// Runs the program with its arguments (without the program name); messages go to stderr.
int run(const std::vector<std::string>& args);

}  // namespace agvbatch
