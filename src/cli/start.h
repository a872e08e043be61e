// What both programs do as they start.
#pragma once

namespace agv::cli {

// Standard input, output and error opened on /dev/null where they are closed, so that no file
// or connection the program opens takes their place (and its messages go nowhere instead of
// into it).
void stdfiles();

}  // namespace agv::cli
