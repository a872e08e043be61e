// Pictures and videos without a window: the window's picture of a pass, drawn by Cairo into
// PNG, SVG or PDF, or frame after frame into an MP4 or GIF video that ffmpeg encodes.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "agv/agv.h"
#include "agv/route.h"
#include "session/session.h"

namespace agv {

enum class Format { Png, Svg, Pdf, Mp4, Gif };

// The format a file name asks for by its extension (.png, .svg, .pdf, .mp4, .gif, in any
// case); false where it asks for none of them.
bool formatof(const std::string& file, Format& f);
bool isvideo(Format f);
inline constexpr char pictureFormats[] = ".png, .svg or .pdf";
inline constexpr char videoFormats[] = ".mp4 or .gif";

// The size of a picture or a video [px]; a PDF or SVG has as many points as pixels.
struct Size {
  int w = 800, h = 800;  // the window's
};
inline constexpr int minSide = 16;    // the smallest side of a picture [px]
inline constexpr int maxSide = 8192;  // the largest
// WxH or N (N x N) as a size within those bounds; false with the reason in err.
bool parsesize(const std::string& text, Size& size, std::string& err);
// Whether a size is within those bounds; false with the reason in err.
bool checksize(const Size& size, std::string& err);

// What the picture shows: the window's choices after a pass.
struct Shot {
  int mechanism = 1;  // 1, 2, 3
  char drawing = 'a';  // 'a' arc-line, 'b' clothoid-line (PTP passes and routes)
  long step = -1;     // the step of the motion; -1 the last
  double panX = 0.0, panY = 0.0;  // the picture's content moved right and up [m]
};

// The window's scene after a pass of each kind, showing its result r: drawn from r itself,
// which must outlive the scene (and not change meanwhile).
std::unique_ptr<Scene> ptpshow(const PtpResult& r);
std::unique_ptr<Scene> cpshow(const CpResult& r);
std::unique_ptr<Scene> routeshow(const RouteResult& r);
// A track's: as a CP curve, fitted into the picture as a route.
std::unique_ptr<Scene> trackshow(const TrackResult& r);

// The choices of shot applied to s; false with the reason in err (a mechanism, drawing or step
// that is not there).
bool choose(Scene& s, const Shot& shot, std::string& err);

// The bytes of a file as they come; false when they cannot be taken (the taker keeps why).
using Sink = std::function<bool(const unsigned char* data, size_t n)>;

// The picture of s in the format f (not a video), drawn on a canvas of its own (so that
// pictures may be drawn in several threads at once), its bytes given to put as they come;
// false with the reason in err (a size out of its bounds too), or with err empty where put
// refused them.
bool writepicture(const Scene& s, Format f, const Size& size, const Sink& put, std::string& err);

// A video: its frames 1 / fps seconds apart, speed seconds of the motion in each second.
inline constexpr int videoFps = 25;
inline constexpr double minSpeed = 0.01;    // the slowest a video may play the motion
inline constexpr double maxSpeed = 1000.0;  // and the fastest
// Whether a speed is a number within those bounds (NaN is not); false with the reason in err.
bool checkspeed(double speed, std::string& err);
// The frames of the video of s's motion at speed: the motion's start to its last step (none
// for a speed out of its bounds).
int videoframes(const Scene& s, double speed);

// How writevideo reports on its encoder: `child` gets ffmpeg's process id when it starts
// (running true) and once it has ended and been waited for (false); `goon`, asked before each
// frame, stops the video when false.
struct VideoHooks {
  std::function<void(int pid, bool running)> child;
  std::function<bool()> goon;
};

// The video of s's motion (the mechanism and drawing chosen) at speed, in the format f, drawn
// frame after frame and streamed as raw RGB to ffmpeg, which writes it to the open file out
// (a regular file, or written in place where `seekable` is false: a FIFO or a device, which
// gets a fragmented MP4).  ffmpeg is searched on PATH.  False with the reason in err (a size or
// a speed out of its bounds too).
bool writevideo(const Scene& s, Format f, const Size& size, double speed, int out, bool seekable,
                const VideoHooks& hooks, std::string& err);

}  // namespace agv
