// Files that appear whole or not at all: each is written beside its name and renamed when
// complete.  An interrupt removes every file still being written.
#pragma once

#include <string>
#include <vector>

namespace agvbatch {

class Output;
bool commitall(const std::vector<Output*>& outs, std::string& err);

// A file being written: a temporary file beside `path`, removed when the object goes unless
// it was committed.  It gets the permissions a new file gets (0666 less the umask).
class Output {
 public:
  explicit Output(std::string path);
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  // False with the reason in err when the temporary file cannot be made.
  bool open(std::string& err);
  // All of text, or false with the reason in err.
  bool put(const std::string& text, std::string& err);
  // Closes the file and renames it to its name; false with the reason in err (the file is
  // removed) or after an interrupt.
  bool commit(std::string& err);
  const std::string& path() const { return path_; }

 private:
  friend bool commitall(const std::vector<Output*>& outs, std::string& err);
  std::string path_, tmp_;
  int fd_ = -1;
};

// commitall commits several outputs together: none is renamed unless all are complete and
// none of their names is taken by a folder.

// A message on stderr, and the exit status of a failure (2).
int failed(const std::string& msg);

// The interrupt of the program by signal sig: every file still being written is removed,
// a line says so on stderr, and the process ends at once with status 128 + sig.
[[noreturn]] void interrupted(int sig);

}  // namespace agvbatch
