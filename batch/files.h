// agvbatch's files, written whole or not at all (output/output.h), and its end: a termination
// signal removes every file still being written; its messages and exit statuses.
#pragma once

#include <string>
#include <vector>

#include "output/output.h"

namespace agvbatch {

// The files agvbatch writes, noted where a termination signal finds them (the names of
// descriptors it was not given refused).
agv::output::Pending& pending();
using agv::output::Files;
using agv::output::Output;
using agv::output::Pieces;

// What the program has written where it failed, for the end of its message: "nothing written",
// or the files a failed commit renamed and could not take back; and the devices and FIFOs that
// were given text, which they keep.
std::string leftover();

// A child process that writes an output (pid), from its start (running) until it has been
// waited for: an interrupt kills it, and waits for it, before it removes the files.
void watchchild(int pid, bool running);

// A message on stderr, and the exit status of a failure (2).
int failed(const std::string& msg);
// A message on bad usage, pointing to --help, and its exit status (2).
int usage(const std::string& msg);

// The termination signals that end agvbatch through `interrupted`: every one whose default is
// to end the process and that can be caught, but for SIGPIPE and SIGXFSZ (a reader gone, a
// file-size limit), which make a write fail instead.
std::vector<int> endsignals();

// The interrupt of the program by signal sig: every child process that writes an output is
// killed, every file still being written is removed, a line
// says so on stderr (or that the files were written, when the signal came after), and the
// process ends at once with status 128 + sig.
[[noreturn]] void interrupted(int sig);

}  // namespace agvbatch
