// A console session from arbitrary bytes: start-up, one dialogue pass, then
// each byte a window key (but ESC, which ends the process) until they run out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace agvtest {

// Runs the session; returns the number of dialogue passes completed.
int runsession(const uint8_t* data, size_t size, std::string* out = nullptr);

}  // namespace agvtest
