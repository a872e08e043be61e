// Keys sent to the window as X events, through GLUT's own event loop.
#include <GL/freeglut.h>

#include "glsupport.h"

// After the project's headers: Xlib defines macros with common names.
#include <GL/glx.h>
#include <X11/keysym.h>

namespace {

// Press and release of each key, sent to the window at once.
void send(const std::string& keys) {
  Display* dpy = glXGetCurrentDisplay();
  Window win = glXGetCurrentDrawable();
  XKeyEvent ev{};
  ev.display = dpy;
  ev.window = win;
  ev.root = DefaultRootWindow(dpy);
  ev.same_screen = True;
  for (char k : keys) {
    const char name[2] = {k, '\0'};
    ev.keycode = XKeysymToKeycode(dpy, XStringToKeysym(name));
    ev.state = k >= 'A' && k <= 'Z' ? ShiftMask : 0;
    for (int type : {KeyPress, KeyRelease}) {
      ev.type = type;
      XSendEvent(dpy, win, True, type == KeyPress ? KeyPressMask : KeyReleaseMask,
                 reinterpret_cast<XEvent*>(&ev));
    }
  }
  XSync(dpy, False);
}

// GLUT's loop until every event is handled and every frame asked for drawn.
void settle() {
  for (int i = 0; i < 3; ++i) {
    while (XPending(glXGetCurrentDisplay()) > 0) glutMainLoopEvent();
    glutMainLoopEvent();
  }
}

using State = std::tuple<int, char, int, int, double, double, double>;
State now() { return {S.agvType, S.sgnDraw, S.view.kanimC, S.view.kanimV, S.view.scale, S.view.xshift, S.view.yshift}; }

class WindowKeys : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_FALSE(firstPass("pnk").eof); }
  void SetUp() override {
    ASSERT_TRUE(glready());
    reset();
  }
  void TearDown() override { reset(); }
  static void reset() {
    initview();
    S.view.scale = scale0;
    S.agvType = 1;
    S.sgnDraw = 'a';
    S.view.kanimC = S.view.kanimV = S.view.kanimCP = 0;
    display();
    settle();
  }
};

TEST_F(WindowKeys, KeysSentAtOnceEndLikeTheSameKeysOneByOne) {
  // Type 2: steps past the end of its arc-line runs (272 and 329 steps), then of its
  // clothoid-line ones (290 and 286); type 1's runs have 206.
  const std::string keys = "2" + std::string(100, 's') + "b" + std::string(100, 's') + "WxY";
  send(keys);
  settle();
  const State burst = now();
  const Frame shownBurst = onscreen();
  reset();
  for (char k : keys) {
    send(std::string(1, k));
    settle();
  }
  EXPECT_EQ(now(), burst);
  EXPECT_EQ(now(), State(2, 'b', 290, 286, scale0 / 0.9, -0.05, 0.05));
  EXPECT_EQ(onscreen().differ(shownBurst), 0);
  // The window shows the state the keys left, not an earlier one.
  EXPECT_EQ(shown().differ(shownBurst), 0);
}

}  // namespace
