// The scenarios of the window's golden frames (tests/render/golden): a pass, then keys.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "agv/agv.h"
#include "session/session.h"

namespace agvtest {

struct Golden {
  const char* name;
  const char* pass;  // console input of the pass
  std::string keys;  // window keys after it
  int threeArcs = 0;  // the parameter of the pass
  std::vector<agv::Waypoint> route = {};  // a route's pass in place of the dialogue's
  int controller = 0;  // the tracked AGV's, and its start off the path
  double offsetY = 0.0, offsetTh = 0.0;
  int reverse = 0;  // paths that may back up, with arcs of radius Ra
  double Ra = 1.0;
  const char* map = nullptr;  // a map file of the source tree the pass drives in
  agv::Track track = {};  // a track's pass in place of the dialogue's
};

// Every golden frame, grouped by pass.
const std::vector<Golden>& goldens();

// What tells a frame's pass from another's.
std::string passkey(const Golden& g);

// The pass of a frame computed into s with its parameters; false when it did not finish.
bool goldenpass(agv::Session& s, const Golden& g);

// The state the pass leaves, then the frame's keys as the window applies them, each(i) after
// key i.
void goldenview(agv::Session& s, const Golden& g,
                const std::function<void(size_t)>& each = nullptr);

// The PNG file of a golden frame.
std::string goldenfile(const char* name);

}  // namespace agvtest
