// Golden frames: the window's picture for chosen passes, mechanisms, drawings, steps, zooms
// and pans, compared pixel for pixel with the PNG files in tests/render/golden.
// AGV_GOLDEN_WRITE=1 writes the files instead (only when a different picture is wanted).
#include "glsupport.h"
#include "support/goldens.h"

namespace {

using agvtest::Golden;
using agvtest::passkey;

// The pass of a frame, computed with its parameters.
void pass(const Golden& g) { ASSERT_TRUE(agvtest::goldenpass(sess(), g)); }

// The state a pass leaves, then the keys as the window applies them, with a frame drawn
// after every `every`-th key (none for 0).
void setview(const Golden& g, size_t every = 0) {
  agvtest::goldenview(sess(), g, [&](size_t i) {
    if (every != 0 && i % every == 0) display();
  });
}

// Every golden frame, drawn with the trace of dots kept in its layer or (layered false)
// drawn dot by dot into each frame.
void everyframe(bool layered) {
  ASSERT_TRUE(glready());
  wincanvas().tracelayer(layered);
  const bool write = layered && std::getenv("AGV_GOLDEN_WRITE") != nullptr;
  std::string last;
  for (const Golden& g : agvtest::goldens()) {
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
  wincanvas().tracelayer(true);
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
  for (const Golden& g : agvtest::goldens()) {
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

// A zoom key held down for thousands of presses, a frame drawn now and then, stops at a bound;
// as many presses of the other key as zoomed, then the rest of the frame's own keys, give the
// golden frame again.
TEST(Golden, AZoomKeyHeldDownComesBackToTheGoldenFrame) {
  ASSERT_TRUE(glready());
  constexpr int held = 10000, every = 1000;
  for (const Golden& g : agvtest::goldens()) {
    const std::string name = g.name;
    if (name != "ptp_2a_out_pan" && name != "ptp_3b_in") continue;
    pass(g);
    Frame want;
    ASSERT_TRUE(readpng(golden(g.name), want)) << golden(g.name);
    Golden head = g;
    head.keys = g.keys.substr(0, g.keys.find_first_of("wW"));
    for (const auto& [hold, back] : {std::pair{'W', 'w'}, std::pair{'w', 'W'}}) {
      SCOPED_TRACE(name + " " + hold);
      agvtest::goldenview(sess(), head);
      int zoomed = 0;
      for (int i = 0; i < held; ++i) {
        zoomed += keycmd(hold) == KeyAction::Redraw;
        if (i % every == 0) display();
      }
      EXPECT_LT(zoomed, held);
      for (int i = 0; i < zoomed; ++i) keycmd(back);
      for (char k : g.keys.substr(head.keys.size())) keycmd(k);
      EXPECT_EQ(shown().differ(want), 0);
    }
  }
  initview();
}

}  // namespace
