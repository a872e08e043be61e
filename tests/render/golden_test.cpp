// Golden frames: the window's picture for chosen passes, mechanisms, drawings, steps, zooms
// and pans, compared pixel for pixel with the PNG files in tests/render/golden.
// AGV_GOLDEN_WRITE=1 writes the files instead (only when a different picture is wanted).
#include "glsupport.h"

namespace {

struct Golden {
  const char* name;
  const char* pass;  // console input of the pass
  std::string keys;  // window keys after it
  int threeArcs = 0;  // the parameter of the pass
  std::vector<Waypoint> route = {};  // a route's pass in place of the dialogue's
  int controller = 0;  // the tracked AGV's, and its start off the path
  double offsetY = 0.0, offsetTh = 0.0;
  int reverse = 0;  // paths that may back up, with arcs of radius Ra
  double Ra = 1.0;
};

// A route of three legs that turns left, back and down across the origin.
const std::vector<Waypoint> kRoute = {{0, 0, 0}, {4, 2, 90}, {0, 6, 180}, {-3, 0, -90}};

std::string s(int n) { return std::string(n, 's'); }
std::string w(int n) { return std::string(n, 'w'); }

// Grouped by pass: each pass is computed once, before its first frame.
const Golden kFrames[] = {
    {"ptp_1a_start", "pnk", ""},
    {"ptp_2b_mid", "pnk", "2b" + s(40)},
    {"ptp_3a_end", "pnk", "3" + s(80)},
    {"ptp_2a_out_pan", "pnk", "2" + s(20) + w(5) + "XXXyy"},
    {"ptp_3b_in", "pnk", "3b" + s(30) + "WWWWxx"},
    {"long_3b_end", "pyy57.86 3 0\nk", "3b" + s(1000)},
    {"long_3b_end_out", "pyy57.86 3 0\nk", "3b" + s(1000) + w(20)},
    {"long_2a_mid_out", "pyy57.86 3 0\nk", "2" + s(300) + w(20) + "Y"},
    {"cp13_1_start", "c13\n1\nnk", ""},
    {"cp13_2_mid", "c13\n1\nnk", "2" + s(50)},
    {"cp13_3_end_pan", "c13\n1\nnk", "3" + s(400) + "XXYY"},
    {"cplong_2_end", "c1\n12.2 29.98\nnk", "2" + s(1100)},
    {"cplong_2_end_out", "c1\n12.2 29.98\nnk", "2" + s(1100) + w(12)},
    // A U-turn to the lane beside: right, left and right arc, each as clothoid, arc, clothoid.
    {"three_2b_mid", "pyy0 0.5 180\nk", "2b" + s(70) + "xxxxxxxxxY", 1},
    // A route fitted into the picture, and its AGVs halfway and at its end.
    {"route_1a_start", "k", "", 0, kRoute},
    {"route_2a_mid", "k", "2" + s(300), 0, kRoute},
    {"route_3b_end", "k", "3b" + s(1000), 0, kRoute},
    // The tracked AGV started off its path: beside the default path, and on the cardioid.
    {"tracked_2b_mid", "pnk", "2b" + s(40), 0, {}, Stanley, 0.5, 20.0},
    {"tracked_cp13_3_end", "c13\n1\nnk", "3" + s(400), 0, {}, PurePursuit, -0.3, 0.0},
    // A three-point turn with arcs of 2 m: forward, back and forward, the backward arc dashed.
    {"reverse_1b_mid", "pyy0 0 180\nk", "1b" + s(70), 0, {}, 0, 0.0, 0.0, 1, 2.0},
    {"reverse_3a_end", "pyy0 0 180\nk", "3" + s(200), 0, {}, 0, 0.0, 0.0, 1, 2.0},
};

// What tells a frame's pass from another's.
std::string passkey(const Golden& g) {
  return std::string(g.pass) + "|" + std::to_string(g.threeArcs) + "|" +
         std::to_string(g.route.size()) + "|" + std::to_string(g.controller) + "|" +
         std::to_string(g.offsetY) + "|" + std::to_string(g.offsetTh) + "|" +
         std::to_string(g.reverse) + "|" + std::to_string(g.Ra);
}

// The pass of a frame, computed with its parameters.
void pass(const Golden& g) {
  sess().params = Params{};
  sess().params.threeArcs = g.threeArcs;
  sess().params.controller = g.controller;
  sess().params.offsetY = g.offsetY;
  sess().params.offsetTh = g.offsetTh;
  sess().params.reverse = g.reverse;
  sess().params.Ra = g.Ra;
  if (g.route.empty()) {
    ASSERT_FALSE(firstPass(g.pass).eof);
    return;
  }
  const Params p = sess().params;
  sess() = Session{};
  sess().params = p;
  bool done = false;
  ASSERT_FALSE(agvtest::scripted(g.pass, [&] { done = routepass(sess(), g.route); }).eof);
  ASSERT_TRUE(done);
}

// The state a pass leaves, then the keys as the window applies them, with a frame drawn
// after every `every`-th key (none for 0).
void setview(const Golden& g, size_t every = 0) {
  initview();
  S.view.scale = scale0;
  if (S.routed) routeview(S.view, S.route);
  S.agvType = 1;
  S.sgnDraw = 'a';
  S.view.kanimC = S.view.kanimV = S.view.kanimCP = 0;
  for (size_t i = 0; i < g.keys.size(); ++i) {
    keycmd(static_cast<unsigned char>(g.keys[i]));
    if (every != 0 && i % every == 0) display();
  }
}

// Every golden frame, drawn with the trace of dots kept in its layer or (layered false)
// drawn dot by dot into each frame.
void everyframe(bool layered) {
  ASSERT_TRUE(glready());
  gltracelayer(layered);
  const bool write = layered && std::getenv("AGV_GOLDEN_WRITE") != nullptr;
  std::string last;
  for (const Golden& g : kFrames) {
    SCOPED_TRACE(g.name);
    if (passkey(g) != last) {
      last = passkey(g);
      pass(g);
    }
    setview(g);
    Frame f = shown();
    if (write) {
      ASSERT_TRUE(writepng(golden(g.name), f));
      continue;
    }
    Frame want;
    ASSERT_TRUE(readpng(golden(g.name), want)) << golden(g.name);
    const int differ = f.differ(want);
    EXPECT_EQ(differ, 0) << "pixels differ; the frame drawn is in "
                         << picture(std::string(g.name) + ".actual.png");
    if (differ != 0) writepng(picture(std::string(g.name) + ".actual.png"), f);
  }
  gltracelayer(true);
  initview();
  sess().params = Params{};
}

TEST(Golden, EveryFrameEqualsItsPngPixelForPixel) { everyframe(true); }

// The trace drawn into each frame, as where the driver has no framebuffer object: the same
// pixels as the layer gives.
TEST(Golden, EveryFrameIsTheSameWithoutTheTraceLayer) { everyframe(false); }

// A frame that follows others of the same pass keeps the trace they drew and adds to it:
// it must still be the frame drawn afresh, after steps one by one, zooms and a restart.
TEST(Golden, FramesDrawnKeyByKeyEndInTheSamePicture) {
  ASSERT_TRUE(glready());
  std::string last;
  for (const Golden& g : kFrames) {
    if (g.keys.empty()) continue;
    SCOPED_TRACE(g.name);
    if (passkey(g) != last) {
      last = passkey(g);
      pass(g);
    }
    Frame want;
    ASSERT_TRUE(readpng(golden(g.name), want)) << golden(g.name);
    const size_t every = g.keys.size() / 40 + 1;
    setview(g, every);
    EXPECT_EQ(shown().differ(want), 0);
    // Back to the start and the same steps again.
    const std::string steps(std::count(g.keys.begin(), g.keys.end(), 's'), 's');
    keycmd('0');
    display();
    for (size_t i = 0; i < steps.size(); ++i) {
      keycmd('s');
      if (i % every == 0) display();
    }
    EXPECT_EQ(shown().differ(want), 0) << "after a restart";
  }
  initview();
  sess().params = Params{};
}

}  // namespace
