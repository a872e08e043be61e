// Bytes from memory or from a regular file.
#include "mapfile/source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace agv::mapfile {

namespace {

// The bytes read from a file at once.
constexpr std::size_t kPiece = 65536;

}  // namespace

Source::Source(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}

Source::Source(int fd) : p_(nullptr), end_(nullptr), fd_(fd), buf_(kPiece) {}

bool Source::fill() {
  if (fd_ < 0 || err_ != 0) return false;
  for (;;) {
    const ssize_t n = ::read(fd_, buf_.data(), buf_.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) err_ = errno;
    if (n <= 0) return false;
    p_ = buf_.data();
    end_ = p_ + n;
    return true;
  }
}

std::size_t Source::read(std::uint8_t* out, std::size_t n) {
  std::size_t done = 0;
  while (done < n && (p_ < end_ || fill())) {
    const std::size_t k = std::min(n - done, static_cast<std::size_t>(end_ - p_));
    std::memcpy(out + done, p_, k);
    p_ += k;
    done += k;
  }
  return done;
}

Fd::~Fd() {
  if (fd >= 0) ::close(fd);
}

int openregular(const std::string& path, std::string& err) {
  if (path.empty()) {
    err = "an empty file name";
    return -1;
  }
  // Not blocking: opening a FIFO must not wait for a writer.
  Fd f(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  struct stat st {};
  if (f.fd < 0 || ::fstat(f.fd, &st) != 0) {
    err = std::generic_category().message(errno);
    return -1;
  }
  if (S_ISDIR(st.st_mode)) {
    err = "a folder, not a file";
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    err = "not a regular file (a device, a FIFO or a socket)";
    return -1;
  }
  if (::fcntl(f.fd, F_SETFL, 0) != 0) {
    err = std::generic_category().message(errno);
    return -1;
  }
  const int fd = f.fd;
  f.fd = -1;
  return fd;
}

std::string shown(const std::string& name) {
  if (name.empty()) return "\"\"";
  std::string s;
  for (const char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c != 0x7f) {
      s += ch;
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      s += buf;
    }
  }
  return s;
}

}  // namespace agv::mapfile
