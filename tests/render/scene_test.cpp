// The pixels of a whole scene, read back from the window: text colour and the panel.
#include "glsupport.h"

namespace {

class Scene : public ::testing::Test {
 protected:
  // The default PTP pass: end pose (2, 3, 0 deg).
  static void SetUpTestSuite() { ASSERT_FALSE(firstPass("pnk").eof); }
  void SetUp() override {
    ASSERT_TRUE(glready());
    initview();
    S.agvType = 1;
    S.sgnPATH = 'p';
    S.sgnDraw = 'a';
    S.view.kanimC = S.view.kanimV = S.view.kanimCP = 0;
    S.view.scale = scale0;
  }
  void TearDown() override { initview(); }
};

TEST_F(Scene, TextDarkFromTheFirstFrameOnPanelRightOfX035White) {
  // The state of a fresh context: lighting off, white current colour.
  glDisable(GL_LIGHTING);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  for (double pan : {0.0, 0.2, 0.6}) {
    S.view.xshift = pan;
    Frame f = shown();
    EXPECT_GT(f.count(-0.99, 0.95, -0.5, 0.99, black), 50);  // title
    EXPECT_GT(f.count(-0.95, 0.90, -0.7, 0.94, black), 50);  // mechanism legend
    // A column right of the graphs: nothing but white.
    EXPECT_EQ(f.count(0.95, -1.0, 0.95, 0.9975, white), H) << pan;
    // Between the panel's edge and the graph axes no path or figure.
    for (const Color& c : {red, green, blue})
      EXPECT_EQ(f.count(0.355, -1.0, 0.385, 1.0, c), 0) << pan;
    // With the pan the paths do run under the panel.
    if (pan == 0.2) {
      EXPECT_GT(f.count(0.25, -1.0, 0.345, 1.0, green), 0);
    }
  }
}

}  // namespace
