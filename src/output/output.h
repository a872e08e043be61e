// Files that appear whole or not at all, for the programs and the Python module: each is written
// beside its name and renamed when complete, the files of a pass together; devices, FIFOs and
// the descriptors a program was given are written in place.  What is being written is noted in
// a Pending that the caller owns (agvbatch's is the process's, which its signal thread reads to
// remove every file still being written; the Python module's is one per call).
#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace agv::output {

// The temporary files and folders being written, what has been written in place or could not
// be taken back, and whether an interrupt has begun or the files have been committed.  Every
// change is made under the mutex.
struct Pending {
  std::mutex mutex;
  std::set<std::string> files, folders;
  std::set<std::string> given;    // the outputs written in place that got text
  std::vector<std::string> kept;  // the files a failed commit could not take back
  bool stopping = false;
  bool committed = false;
  // Where set, a name that ends on a descriptor is written through it only where the program
  // was given it across exec (it has no FD_CLOEXEC); the refusal names the program.  Where
  // null, any descriptor open for writing is written through.
  const char* program = nullptr;
};

// A file being written: a temporary file beside its name, removed when the object goes unless
// it was committed.  It gets the permissions a new file gets (0666 less the umask).
//  - A name that is a symbolic link to a file is followed: the file it names is written.
//  - A name that is a device, a FIFO or a socket, or a link to one, is written in place through
//    the name as given (a socket cannot be opened, and is refused), never replaced.
//  - A name that ends, through its links, on a descriptor of the process (/dev/stdout,
//    /dev/fd/N) is written through that descriptor, whatever it is open on: a file opened
//    with >> keeps what it held.
//  - A name that is a folder is refused.
class Output {
 public:
  Output(std::string path, Pending& pending);
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
  // The system's error number of the last failure (EISDIR for a folder, EBADF for a descriptor
  // that cannot be written through, EINTR for an interrupt).
  int error() const { return code_; }

 private:
  friend class Commit;
  // The descriptor fd (or the error of opening it, when negative) taken to write in place.
  bool adopt(int fd, std::string& err);
  // Text has been given to a file written in place.
  void given();
  // False, with the reason and its error number.
  bool fail(std::string why, int code, std::string& err);
  std::string path_;    // the name given
  std::string target_;  // the file written: the name, or the file its link names
  std::string tmp_;     // the temporary file beside it; empty when written in place
  Pending& pending_;
  int fd_ = -1;
  int code_ = 0;
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
  Files(std::string dir, Pending& pending);
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
  // which each file is as it was before (but what the pending's `kept` names).
  bool commit(std::string& err);

 private:
  std::string dir_;  // the folder given ("" for none)
  std::string tmp_;  // the folder being built beside it; empty when dir_ exists
  Pending& pending_;
  std::vector<std::unique_ptr<Output>> files_;
};

// A folder being built and what it holds removed.
void removefolder(const std::string& dir);

}  // namespace agv::output
