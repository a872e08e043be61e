// agvbatch: the simulator's computations without the window, written as CSV.
#pragma once

#include <string>
#include <vector>

#include "batch/status.h"

namespace agvbatch {

// Runs the program with its arguments (without the program name); messages go to stderr.
int run(const std::vector<std::string>& args);

}  // namespace agvbatch
