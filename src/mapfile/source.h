// The bytes an image is decoded from: in memory, or read from a file in pieces; and files opened
// for reading only when they are regular files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace agv::mapfile {

class Source {
 public:
  Source(const std::uint8_t* data, std::size_t size);  // bytes in memory
  explicit Source(int fd);                              // an open file, read from where it is

  // Up to n bytes into out: fewer only at the end, or where reading failed (error()).
  std::size_t read(std::uint8_t* out, std::size_t n);
  // The next byte, or -1 at the end; peek leaves it to be read.
  int get() { return p_ < end_ || fill() ? *p_++ : -1; }
  int peek() { return p_ < end_ || fill() ? *p_ : -1; }
  // The errno of a read that failed, or 0.
  int error() const { return err_; }

 private:
  bool fill();
  const std::uint8_t* p_;
  const std::uint8_t* end_;
  int fd_ = -1;
  int err_ = 0;
  std::vector<std::uint8_t> buf_;
};

// A file descriptor closed with its owner.
struct Fd {
  int fd = -1;
  Fd() = default;
  explicit Fd(int f) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd();
};

// Opens `path` for reading when it is a regular file (never waiting on a FIFO or a device):
// -1, with the reason in err, otherwise.
int openregular(const std::string& path, std::string& err);

// A file name as a message shows it: control bytes escaped, so that the message stays one line.
std::string shown(const std::string& name);

}  // namespace agv::mapfile
