// agvbatch's pictures and videos: the window's picture of a pass as PNG, SVG or PDF, and its
// motion as an MP4 or GIF video, each written beside its name and renamed when complete.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "batch/files.h"
#include "picture/picture.h"

namespace agvbatch {

struct PictureArgs {
  std::string picture, video;  // the files asked for (empty: none)
  int mechanism = 1;
  std::string drawing = "arc";
  long step = -1;              // -1: the last
  std::string size;            // WxH (empty: the window's)
  double speed = 1.0;
  std::vector<double> pan;     // DX DY [m] (empty: none)
  // Checked by checkpictures.
  agv::Format pictureFormat = agv::Format::Png, videoFormat = agv::Format::Mp4;
  agv::Size pixels;
  bool any() const { return !picture.empty() || !video.empty(); }
};

// --picture, --video and their options on a command.
void addpictureoptions(CLI::App& cmd, PictureArgs& a);

// The options checked before the pass: the formats of the names, the size, options given
// without the file they are for.  0, or the status of a usage error (its message written).
int checkpictures(const CLI::App& cmd, PictureArgs& a);

// The shot the options ask for.
agv::Shot shotof(const PictureArgs& a);

// The picture and the video of the session s (its shot chosen), written among the files out
// (and renamed with them): 0, or the status of a failure (its message written).
int writepictures(const agv::Scene& s, const PictureArgs& a, Files& out);

}  // namespace agvbatch
