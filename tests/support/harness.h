// A whole console session driven by arbitrary bytes: the start-up, one
// dialogue pass, then every further byte taken as a window key (ESC is
// passed over, since it ends the process), until the input is used up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace agvtest {

// Runs the session; returns the number of dialogue passes completed.
int runsession(const uint8_t* data, size_t size, std::string* out = nullptr);

}  // namespace agvtest
