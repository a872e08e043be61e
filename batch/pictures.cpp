#include "batch/pictures.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "batch/files.h"
#include "batch/status.h"

namespace agvbatch {

using namespace agv;

namespace {

int unwritten(const std::string& name, const std::string& err) {
  return failed("cannot write " + name + ": " + err + "; " + leftover());
}

bool given(const CLI::App& cmd, const char* option) { return cmd.get_option(option)->count() > 0; }

// A step of the motion: a whole number from 0 (whether the motion has it is known after the
// pass; none has more steps than an int counts).  (CLI11's own range check would name its bound,
// the largest double, digit by digit.)
const CLI::Validator kStep(
    [](std::string& v) {
      char* end = nullptr;
      errno = 0;
      const long n = std::strtol(v.c_str(), &end, 10);
      const bool digits = end != v.c_str() && *end == '\0' && n >= 0;
      if (digits && errno == 0) return std::string();
      if (digits)
        return "step " + v + " is beyond any motion (a motion has at most " +
               std::to_string(std::numeric_limits<int>::max()) + " steps)";
      return "a step is a whole number from 0, not " + v;
    },
    "STEP");

// A speed of a video: a number within its bounds.  (CLI11's own range check lets NaN through,
// as no comparison with it holds.)
const CLI::Validator kSpeed(
    [](std::string& v) {
      char* end = nullptr;
      const double x = std::strtod(v.c_str(), &end);
      std::string err;
      if (end != v.c_str() && *end == '\0' && checkspeed(x, err)) return std::string();
      char text[96];
      std::snprintf(text, sizeof text, "a speed is a number from %g to %g, not ", minSpeed,
                    maxSpeed);
      return text + v;
    },
    "X");

}  // namespace

void addpictureoptions(CLI::App& cmd, PictureArgs& a) {
  cmd.add_option("--picture", a.picture,
                 std::string("the window's picture of the pass: a file ") + pictureFormats);
  cmd.add_option("--video", a.video,
                 std::string("the window's motion of the pass: a file ") + videoFormats);
  cmd.add_option("--mechanism", a.mechanism, "the mechanism the picture shows (default 1)")
      ->check(CLI::Range(1, 3));
  cmd.add_option("--drawing", a.drawing, "the drawing of a PTP path: arc or clothoid (default arc)")
      ->check(CLI::IsMember({"arc", "clothoid"}));
  cmd.add_option("--step", a.step, "the step of the motion the picture shows (default the last)")
      ->check(kStep);
  cmd.add_option("--size", a.size, "the size of the picture or video: WxH or N pixels (default 800x800)")
      ->type_name("WxH");
  cmd.add_option("--pan", a.pan, "the picture's content moved right and up, DX DY [m]")
      ->expected(2)
      ->type_name("DX DY")
      ->allow_extra_args(false);
  cmd.add_option("--speed", a.speed, "seconds of the motion in a second of the video (default 1)")
      ->check(kSpeed);
}

int checkpictures(const CLI::App& cmd, PictureArgs& a) {
  const std::pair<const char*, const std::string*> files[] = {{"--picture", &a.picture},
                                                               {"--video", &a.video}};
  for (const auto& [option, name] : files)
    if (given(cmd, option) && name->empty()) return usage(std::string(option) + " needs a name");
  if (!a.picture.empty() &&
      (!formatof(a.picture, a.pictureFormat) || isvideo(a.pictureFormat)))
    return usage("--picture " + a.picture + ": the formats of a picture are " + pictureFormats);
  if (!a.video.empty() && (!formatof(a.video, a.videoFormat) || !isvideo(a.videoFormat)))
    return usage("--video " + a.video + ": the formats of a video are " + videoFormats);
  for (const char* o : {"--mechanism", "--drawing", "--size", "--pan"})
    if (given(cmd, o) && !a.any()) return usage(std::string(o) + " is for --picture or --video");
  if (given(cmd, "--step") && a.picture.empty()) return usage("--step is for --picture");
  if (given(cmd, "--speed") && a.video.empty()) return usage("--speed is for --video");
  std::string err;
  if (!a.size.empty() && !parsesize(a.size, a.pixels, err)) return usage("--size: " + err);
  for (const double d : a.pan)
    if (!std::isfinite(d)) return usage("--pan needs two finite numbers");
  return OK;
}

Shot shotof(const PictureArgs& a) {
  Shot s;
  s.mechanism = a.mechanism;
  s.drawing = a.drawing == "clothoid" ? 'b' : 'a';
  s.step = a.step;
  if (!a.pan.empty()) {
    s.panX = a.pan[0];
    s.panY = a.pan[1];
  }
  return s;
}

int writepictures(const Scene& s, const PictureArgs& a, Files& out) {
  std::string err;
  if (!a.picture.empty()) {
    Output* o = out.other(a.picture, err);
    if (o == nullptr) return unwritten(a.picture, err);
    std::string perr;
    const Sink put = [&](const unsigned char* data, size_t n) {
      return o->put(std::string_view(reinterpret_cast<const char*>(data), n), perr);
    };
    if (!writepicture(s, a.pictureFormat, a.pixels, put, err))
      return unwritten(a.picture, err.empty() ? perr : err);
  }
  if (!a.video.empty()) {
    Output* o = out.other(a.video, err);
    if (o == nullptr) return unwritten(a.video, err);
    const VideoHooks hooks{watchchild, nullptr};
    if (!writevideo(s, a.videoFormat, a.pixels, a.speed, o->lend(), !o->inplace(), hooks, err))
      return unwritten(a.video, err);
  }
  return OK;
}

}  // namespace agvbatch
