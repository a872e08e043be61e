// Videos: the frames drawn one after the other and streamed to ffmpeg on a pipe.
#include <cairo.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "picture/picture.h"
#include "render/cairocanvas.h"
#include "render/scene.h"

extern char** environ;

namespace agv {

namespace {

// The H.264 encoder's preset: fast enough to keep up with the drawing on two cores.
constexpr char x264Preset[] = "veryfast";
// Each GIF frame with a palette of its own, so that no frame waits for the last one.
constexpr char gifFilter[] = "split[a][b];[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1:dither=none";

// ffmpeg's command line for the format f, raw RGB frames of `size` on its standard input, the
// video to its standard output.
std::vector<std::string> command(Format f, const Size& size, bool seekable) {
  std::vector<std::string> a = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error",
                                "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size",
                                std::to_string(size.w) + "x" + std::to_string(size.h),
                                "-framerate", std::to_string(videoFps), "-i", "pipe:0"};
  if (f == Format::Gif) {
    a.insert(a.end(), {"-filter_complex", gifFilter, "-f", "gif", "pipe:1"});
    return a;
  }
  a.insert(a.end(), {"-c:v", "libx264", "-preset", x264Preset, "-pix_fmt", "yuv420p"});
  // A regular file is written by name, to be sought in (its index moved to the front, where
  // players look first); anything else gets a stream of fragments.
  if (seekable)
    a.insert(a.end(), {"-movflags", "+faststart", "-y", "-f", "mp4", "file:/dev/fd/1"});
  else
    a.insert(a.end(), {"-movflags", "frag_keyframe+empty_moov", "-f", "mp4", "pipe:1"});
  return a;
}

// The encoder: ffmpeg in a process group of its own (a Ctrl-C at the terminal reaches the
// program, which ends it), its standard error kept to say why it failed.  Killed and waited
// for when the object goes while it runs.
class Encoder {
 public:
  explicit Encoder(const VideoHooks& hooks) : hooks_(hooks) {}
  ~Encoder() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      reap();
    }
    closeinput();
    if (errors_ >= 0) close(errors_);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  bool start(const std::vector<std::string>& args, int out, std::string& err) {
    int p[2];
    errors_ = memfd_create("ffmpeg-stderr", MFD_CLOEXEC);
    if (errors_ < 0 || pipe2(p, O_CLOEXEC) != 0) {
      err = std::string("cannot start ffmpeg: ") + std::strerror(errno);
      return false;
    }
    input_ = p[1];
    std::vector<char*> argv;
    for (const std::string& s : args) argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawnattr_t at;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, p[0], 0);
    posix_spawn_file_actions_adddup2(&fa, out, 1);
    posix_spawn_file_actions_adddup2(&fa, errors_, 2);
    posix_spawnattr_init(&at);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&at, &none);
    posix_spawnattr_setsigdefault(&at, &all);
    posix_spawnattr_setpgroup(&at, 0);
    posix_spawnattr_setflags(&at, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                      POSIX_SPAWN_SETPGROUP);
    pid_t pid = -1;
    const int e = posix_spawnp(&pid, argv[0], &fa, &at, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    posix_spawnattr_destroy(&at);
    close(p[0]);
    if (e != 0) {
      err = e == ENOENT ? "ffmpeg is not on PATH: videos need the program ffmpeg (Debian's "
                          "package ffmpeg)"
                        : std::string("cannot start ffmpeg: ") + std::strerror(e);
      return false;
    }
    pid_ = pid;
    if (hooks_.child) hooks_.child(pid_, true);
    return true;
  }

  // All the bytes to ffmpeg; false when it has gone.
  bool put(const uint8_t* data, size_t n) {
    while (n > 0) {
      const ssize_t w = write(input_, data, n);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return false;
      data += w;
      n -= static_cast<size_t>(w);
    }
    return true;
  }

  // The end of the frames, then of ffmpeg; false with its last message in err when it failed.
  // It says nothing unless something went wrong (-loglevel error), and it ends with status 0
  // after some of its errors (a reader of its output gone), so that anything it says fails.
  bool finish(std::string& err) {
    closeinput();
    const int status = reap();
    std::string why = lastline();
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && why.empty()) return true;
    if (why.empty())
      why = WIFSIGNALED(status) ? "killed by signal " + std::to_string(WTERMSIG(status))
                                : "exit status " + std::to_string(WEXITSTATUS(status));
    err = "ffmpeg failed: " + why;
    return false;
  }

 private:
  void closeinput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
  }

  int reap() {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    if (hooks_.child) hooks_.child(pid_, false);
    pid_ = -1;
    return status;
  }

  // The last line ffmpeg wrote on its standard error.
  std::string lastline() const {
    std::string text;
    char buf[4096];
    ssize_t n;
    lseek(errors_, 0, SEEK_SET);
    while ((n = read(errors_, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text.substr(text.find_last_of("\r\n") + 1);
  }

  const VideoHooks& hooks_;
  pid_t pid_ = -1;
  int input_ = -1;
  int errors_ = -1;
};

// SIGPIPE held back while frames go to ffmpeg, whose end shows as a failed write; one that
// came meanwhile is taken, and the mask of before set again, when the object goes.
class NoSigpipe {
 public:
  NoSigpipe() {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &before_);
  }
  ~NoSigpipe() {
    sigset_t pending, pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    const timespec now{0, 0};
    if (sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1)
      sigtimedwait(&pipe, nullptr, &now);
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
  }
  NoSigpipe(const NoSigpipe&) = delete;
  NoSigpipe& operator=(const NoSigpipe&) = delete;

 private:
  sigset_t before_;
};

// Whether Cairo draws; no memory throws std::bad_alloc, as everywhere.
bool drawable(cairo_t* cr, std::string& err) {
  const cairo_status_t st = cairo_status(cr);
  if (st == CAIRO_STATUS_NO_MEMORY) throw std::bad_alloc();
  if (st == CAIRO_STATUS_SUCCESS) return true;
  err = std::string("cannot draw the video: ") + cairo_status_to_string(st);
  return false;
}

}  // namespace

bool writevideo(const Scene& shown, Format f, const Size& size, double speed, int out,
                bool seekable, const VideoHooks& hooks, std::string& err) {
  if (!checksize(size, err) || !checkspeed(speed, err)) return false;
  if (f == Format::Mp4 && (size.w % 2 != 0 || size.h % 2 != 0)) {
    err = "an MP4 video needs a width and a height that are even";
    return false;
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.w, size.h);
  cairo_t* cr = cairo_create(surface);
  struct Free {
    cairo_surface_t* s;
    cairo_t* c;
    ~Free() {
      cairo_destroy(c);
      cairo_surface_destroy(s);
    }
  } free{surface, cr};
  if (!drawable(cr, err)) return false;
  CairoCanvas canvas(cr, size.w, size.h);
  Scene s = shown;  // the frames' steps set on a copy
  std::vector<uint8_t> rgb(static_cast<size_t>(size.w) * static_cast<size_t>(size.h) * 3);
  NoSigpipe quiet;
  Encoder enc(hooks);
  if (!enc.start(command(f, size, seekable), out, err)) return false;
  const int frames = videoframes(s, speed);
  const int last = laststep(s);
  const double stepsPerFrame = speed / (videoFps * steptime(s));
  const int stride = cairo_image_surface_get_stride(surface);
  bool sent = true;
  for (int i = 0; i < frames; ++i) {
    if (hooks.goon && !hooks.goon()) {
      err = "interrupted";
      return false;
    }
    const long k = i + 1 == frames ? last : std::lround(i * stepsPerFrame);
    showstep(s, static_cast<int>(std::min<long>(k, last)));
    display(canvas, s);
    cairo_surface_flush(surface);
    if (!drawable(cr, err)) return false;
    const uint8_t* data = cairo_image_surface_get_data(surface);
    uint8_t* o = rgb.data();
    for (int y = 0; y < size.h; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
      for (int x = 0; x < size.w; ++x) {
        *o++ = static_cast<uint8_t>(row[x] >> 16);
        *o++ = static_cast<uint8_t>(row[x] >> 8);
        *o++ = static_cast<uint8_t>(row[x]);
      }
    }
    if (!enc.put(rgb.data(), rgb.size())) {  // ffmpeg has gone: its status tells why
      sent = false;
      break;
    }
  }
  if (!enc.finish(err)) return false;
  if (!sent) err = "ffmpeg stopped taking the frames";
  return sent;
}

}  // namespace agv
