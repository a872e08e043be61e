// Test support: drives console routines with scripted input bytes.
#pragma once

#include <functional>
#include <string>

namespace agvtest {

// Thrown by the console when the scripted input is used up.
struct ConsoleEof {};

struct Session {
  std::string out;   // everything the routine wrote
  bool eof = false;  // the input ran out before the routine returned
};

// Runs fn with `input` as the console's input and collects its output.
Session scripted(const std::string& input, const std::function<void()>& fn);

// The start-up sequence followed by one dialogue pass; the start-up's own
// output is not part of the result.
Session firstPass(const std::string& input);

}  // namespace agvtest
