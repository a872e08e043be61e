// Test support: drives console routines with scripted input bytes.
#pragma once

#include <functional>
#include <string>

#include "session/session.h"

namespace agvtest {

// Thrown by the console when the scripted input is used up.
struct ConsoleEof {};

struct Transcript {
  std::string out;   // everything the routine wrote
  bool eof = false;  // the input ran out before the routine returned
};

// Runs fn with `input` as the console's input and collects its output.
Transcript scripted(const std::string& input, const std::function<void()>& fn);

// The start-up of s (its state as the start-up leaves it, its parameters
// kept) followed by one dialogue pass; the start-up's own output is not
// part of the result.
Transcript firstPass(agv::Session& s, const std::string& input);

}  // namespace agvtest
