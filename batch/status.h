// agvbatch's exit statuses (an interrupt by signal N ends the program with 128 + N).
#pragma once

namespace agvbatch {

constexpr int OK = 0;       // done
constexpr int REFUSED = 1;  // the path is refused (too long, curve undefined)
constexpr int USAGE = 2;    // bad usage, bad numbers, or files that cannot be written

}  // namespace agvbatch
