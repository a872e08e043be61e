// A whole simulator session from arbitrary bytes: its parameters, the
// start-up, one dialogue pass, then each byte a window key (but ESC, which
// ends the process) until they run out.
//
// Bytes that begin with "#params\n" hold the parameters first, up to a line
// "#session": a parameter file (TOML), in which a line "#args ..." gives
// agvsim's options (split at spaces; --params is ignored).  Bytes with
// parameters that agvsim refuses run no session.  Other bytes are the
// console's alone, with the default parameters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace agvtest {

// Runs the session; returns the number of dialogue passes completed, or -1
// when the parameters were refused.
int runsession(const uint8_t* data, size_t size, std::string* out = nullptr);

}  // namespace agvtest
