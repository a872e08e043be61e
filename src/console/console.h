// The console layer: every console write and read of the program goes
// through here, so that a dialogue can be driven by scripted bytes and its
// output read back exactly.
#pragma once

#include <string>

namespace agv::con {

// The language of the console: Japanese, the texts as they are written, or
// English, each text through its translation in the catalog of GNU gettext
// (localedir/en/LC_MESSAGES/agvsim.mo).  language() is false, and the texts
// stay Japanese, when that catalog cannot be read.
enum class Lang { Ja, En };
bool language(Lang l, const std::string& localedir);

// A text of the console in the language in force; text() marks one for the
// catalog where it is written and printed later (xgettext reads both).
const char* tr(const char* msgid);
constexpr const char* text(const char* msgid) { return msgid; }

// One formatted message, its format in the language in force, written and
// flushed at once.
void out(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// One key: without echo and without waiting for a line end on a terminal,
// the next byte otherwise.  End of input ends the program (see onEof).
char key();

// Number reads.  Each reads the given count of numbers, which may spread
// over several lines, then discards the rest of the line that held the
// last one (at most three numbers).  Input that is not a finite number
// (readInt: not a whole number within the range of int) is refused: a
// message says so, the destinations keep their values and false is
// returned so that the caller asks again.  End of input ends the program.
bool readInt(int& v);
bool readDoubles(int count, double* v);

// End of input.  The default handler prints a short message and ends the
// process with a non-zero status; tests install their own.
using EofHandler = void (*)();
void onEof(EofHandler h);
[[noreturn]] void defaultEof();

// Scripted console for tests and the fuzzer: input from a byte string,
// output appended to a string.  scriptEnd() returns to the real console.
void script(const std::string& input, std::string* output);
void scriptEnd();

// Restores the terminal if a key read left it changed; installed for
// exit and the termination signals by installTerminalGuard().
void restoreTerminal();
void installTerminalGuard();

}  // namespace agv::con
