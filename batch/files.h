// Files that appear whole or not at all: each is written beside its name and renamed when
// complete, the files of a pass together.  A termination signal removes every file still being
// written.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace agvbatch {

// A file being written: a temporary file beside its name, removed when the object goes unless
// it was committed.  It gets the permissions a new file gets (0666 less the umask).
//  - A name that is a symbolic link to a file is followed: the file it names is written.
//  - A name that is a device, a FIFO or a socket, or a link to one, is written in place through
//    the name as given (a socket cannot be opened, and is refused), never replaced.
//  - A name that ends, through its links, on a descriptor the program was given (/dev/stdout,
//    /dev/fd/N) is written through that descriptor, whatever it is open on: a file opened
//    with >> keeps what it held.
//  - A name that is a folder is refused.
class Output {
 public:
  explicit Output(std::string path);
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  // False with the reason in err when the file cannot be made.
  bool open(std::string& err);
  // All of text, or false with the reason in err.
  bool put(std::string_view text, std::string& err);
  // Closes the file and renames it to its name; false with the reason in err (the file is
  // removed) or after an interrupt.
  bool commit(std::string& err);
  const std::string& path() const { return path_; }
  // The open file, for another program to write (from then on it may hold text), and
  // whether it is written in place (a device or a FIFO, which cannot be sought in).
  int lend();
  bool inplace() const { return tmp_.empty(); }

 private:
  friend class Commit;
  // The descriptor fd (or the error of opening it, when negative) taken to write in place.
  bool adopt(int fd, std::string& err);
  // Text has been given to a file written in place.
  void given();
  std::string path_;    // the name given
  std::string target_;  // the file written: the name, or the file its link names
  std::string tmp_;     // the temporary file beside it; empty when written in place
  int fd_ = -1;
};

// Text for an output gathered in pieces: each piece is written once it passes a size, so that
// a long file never stands whole in memory.
class Pieces {
 public:
  explicit Pieces(Output& out) : out_(out) {}
  std::string& text() { return text_; }
  // Writes the text once it has grown past the size of a piece (or whatever there is, when
  // `all`); false with the reason in err.
  bool flush(std::string& err, bool all = false);

 private:
  Output& out_;
  std::string text_;
};

// The files of a pass, which appear together: those of its folder, where it has one, and others
// (its pictures and videos).  A folder that does not exist yet is built beside its name and
// renamed to it when the others have been, so that it never appears empty or in part; in a
// folder that exists, each file is written beside its name and all are renamed together.
class Files {
 public:
  // The files of the folder dir; "" for none (the other files alone).
  explicit Files(std::string dir);
  ~Files();
  Files(const Files&) = delete;
  Files& operator=(const Files&) = delete;
  // False with the reason in err when the folder cannot be made or is no folder.
  bool open(std::string& err);
  // A new file `name` in the folder, open for writing; null with the reason in err.
  Output* file(const std::string& name, std::string& err);
  // A file at path, open for writing (in the folder being built, when path names a file in
  // it); null with the reason in err.
  Output* other(const std::string& path, std::string& err);
  // Renames the files, then a new folder, to their names; false with the reason in err, after
  // which each file is as it was before (but what leftover() names).
  bool commit(std::string& err);

 private:
  std::string dir_;  // the folder given ("" for none)
  std::string tmp_;  // the folder being built beside it; empty when dir_ exists
  std::vector<std::unique_ptr<Output>> files_;
};

// Closes the outputs and renames them to their names, all or none; false with the reason in
// err (the files are removed, and a file replaced is as it was, but what leftover() names) or
// after an interrupt.
bool commitall(const std::vector<Output*>& outs, std::string& err);

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
