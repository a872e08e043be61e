// Window keys: their effect on the view and animation state.
#include "control/keys.h"

#include <gtest/gtest.h>

#include "control/params.h"
#include "control/view.h"
#include "cp/curves.h"
#include "cp/track.h"
#include "ptp/clpath.h"
#include "support/session.h"

using namespace agv;

namespace {

// Everything a key may change.
struct State {
  int type;
  char path, draw;
  int c, v, cp;
  double scale, xshift, yshift;
  bool operator==(const State&) const = default;
};

State now() { return {agvType, sgnPATH, sgnDraw, kanimC, kanimV, kanimCP, scale, xshift, yshift}; }

class Keys : public ::testing::Test {
 protected:
  void SetUp() override {
    initview();
    scale = scale0;
    agvType = 1;
    sgnPATH = 'p';
    sgnDraw = 'a';
    kanimC = kanimV = kanimCP = 0;
    kendC = 100;
    kendV = 50;
  }
  void TearDown() override { initview(); }
};

TEST_F(Keys, TypeKeysSelectTheMechanismAndRestartTheMotionKeepingThePan) {
  xshift = 0.15;
  yshift = -0.1;
  sgnDraw = 'b';
  kanimC = 12;
  kanimV = 9;
  kanimCP = 6;
  for (unsigned char k : {'2', '3', '1'}) {
    EXPECT_EQ(keycmd(k), KeyAction::Redraw);
    EXPECT_EQ(agvType, k - '0');
    EXPECT_EQ(kanimC, 0);
    EXPECT_EQ(kanimV, 0);
    EXPECT_EQ(kanimCP, 0);
    kanimC = 3;
  }
  EXPECT_EQ(sgnDraw, 'b');
  EXPECT_DOUBLE_EQ(xshift, 0.15);
  EXPECT_DOUBLE_EQ(yshift, -0.1);
  EXPECT_EQ(keyin, '1');
}

TEST_F(Keys, DrawingKeysSwitchAndRestartTheMotion) {
  kanimC = kanimV = 30;
  EXPECT_EQ(keycmd('b'), KeyAction::Redraw);
  EXPECT_EQ(sgnDraw, 'b');
  EXPECT_EQ(kanimC, 0);
  EXPECT_EQ(kanimV, 0);
  kanimCP = 3;
  EXPECT_EQ(keycmd('a'), KeyAction::Redraw);
  EXPECT_EQ(sgnDraw, 'a');
  EXPECT_EQ(kanimCP, 0);
}

TEST_F(Keys, StepAdvancesThreeAndEachRunStopsAtItsLastStep) {
  kendC = 10;
  kendV = 5;
  EXPECT_EQ(keycmd('s'), KeyAction::Redraw);
  EXPECT_EQ(kanimC, 3);
  EXPECT_EQ(kanimV, 3);
  keycmd('s');
  EXPECT_EQ(kanimC, 6);
  EXPECT_EQ(kanimV, 5);
  keycmd('s');
  keycmd('s');
  EXPECT_EQ(kanimC, 10);
  EXPECT_EQ(kanimV, 5);
  keycmd('s');  // on the last step it stays there
  EXPECT_EQ(kanimC, 10);
  EXPECT_EQ(kanimV, 5);
  EXPECT_EQ(kanimCP, 0);
  EXPECT_EQ(keycmd('0'), KeyAction::Redraw);
  EXPECT_EQ(kanimC, 0);
  EXPECT_EQ(kanimV, 0);
}

TEST_F(Keys, StepIsNeverBelowZero) {
  kendC = -1;  // no run recorded
  kendV = 0;
  keycmd('s');
  EXPECT_EQ(kanimC, 0);
  EXPECT_EQ(kanimV, 0);
}

TEST_F(Keys, StepOfTheCpRunIsLimitedByTheCurrentTypesStepCount) {
  sgnPATH = 'c';
  NN[0] = 100;
  NN[1] = 4;
  agvType = 2;
  keycmd('s');
  EXPECT_EQ(kanimCP, 3);
  keycmd('s');
  EXPECT_EQ(kanimCP, 4);
  EXPECT_EQ(kanimC, 0);
  EXPECT_EQ(kanimV, 0);
  agvType = 1;
  keycmd('s');
  EXPECT_EQ(kanimCP, 7);
  keycmd('0');
  EXPECT_EQ(kanimCP, 0);
}

TEST_F(Keys, PanMovesByFiveHundredthsAndZoomOutThenInRestoresTheScale) {
  keycmd('x');
  EXPECT_DOUBLE_EQ(xshift, -0.05);
  keycmd('X');
  keycmd('X');
  EXPECT_DOUBLE_EQ(xshift, 0.05);
  keycmd('y');
  EXPECT_DOUBLE_EQ(yshift, -0.05);
  keycmd('Y');
  keycmd('Y');
  EXPECT_DOUBLE_EQ(yshift, 0.05);
  EXPECT_EQ(keycmd('w'), KeyAction::Redraw);
  EXPECT_DOUBLE_EQ(scale, 0.9 * scale0);
  EXPECT_EQ(keycmd('W'), KeyAction::Redraw);
  EXPECT_DOUBLE_EQ(scale, scale0);
  keycmd('W');
  EXPECT_DOUBLE_EQ(scale, scale0 / 0.9);
  // '0' restarts the motion but keeps zoom and pan.
  keycmd('0');
  EXPECT_DOUBLE_EQ(scale, scale0 / 0.9);
  EXPECT_DOUBLE_EQ(xshift, 0.05);
}

TEST_F(Keys, OtherKeysOnlyStoreTheKey) {
  kanimC = 6;
  kanimV = 3;
  xshift = 0.2;
  State before = now();
  for (int k = 0; k < 256; ++k) {
    unsigned char key = static_cast<unsigned char>(k);
    bool known = (key >= '0' && key <= '3') || key == 'p' || key == 'c' || key == 'a' ||
                 key == 'b' || key == 's' || key == 'x' || key == 'X' || key == 'y' || key == 'Y' ||
                 key == 'w' || key == 'W' || key == 27;
    if (known) continue;
    EXPECT_EQ(keycmd(key), KeyAction::None) << k;
    EXPECT_EQ(keyin, static_cast<char>(key));
    EXPECT_TRUE(now() == before) << "key " << k;
  }
}

TEST_F(Keys, EscapeAsksToEnd) {
  EXPECT_EQ(keycmd(27), KeyAction::Exit);
  EXPECT_EQ(keyin, 27);
}

// 'p' and 'c' run a dialogue pass from the window.
class KeysDialogue : public Keys {
 protected:
  void SetUp() override {
    Keys::SetUp();
    agvtest::Session s = agvtest::firstPass("pnk");
    ASSERT_FALSE(s.eof) << s.out;
  }
};

TEST_F(KeysDialogue, PRunsThePtpPassAndTheWindowIsNotRedrawn) {
  keycmd('2');
  keycmd('b');
  keycmd('X');
  keycmd('w');
  kendC = 100;
  keycmd('s');
  KeyAction a = KeyAction::Redraw;
  agvtest::Session s = agvtest::scripted("y4 -3 -45\nk", [&] { a = keycmd('p'); });
  ASSERT_FALSE(s.eof) << s.out;
  EXPECT_EQ(a, KeyAction::None);
  EXPECT_NE(s.out.find("PTP経路の終点変更する？"), std::string::npos);
  EXPECT_EQ(keyin, 'p');
  EXPECT_EQ(sgnPATH, 'p');
  EXPECT_DOUBLE_EQ(xf, 4.0);
  EXPECT_DOUBLE_EQ(yf, -3.0);
  EXPECT_GT(nSeg[0][3], 0);
  // The pass resets type, drawing, zoom and steps, not the pan.
  EXPECT_EQ(agvType, 1);
  EXPECT_EQ(sgnDraw, 'a');
  EXPECT_EQ(kanimC, 0);
  EXPECT_EQ(kanimV, 0);
  EXPECT_DOUBLE_EQ(scale, scale0);
  EXPECT_DOUBLE_EQ(xshift, 0.05);
}

TEST_F(KeysDialogue, CRunsTheCpPassWithTheCurveMenu) {
  yshift = -0.1;
  KeyAction a = KeyAction::Redraw;
  agvtest::Session s = agvtest::scripted("13\n1\nk", [&] { a = keycmd('c'); });
  ASSERT_FALSE(s.eof) << s.out;
  EXPECT_EQ(a, KeyAction::None);
  EXPECT_NE(s.out.find(" Input I= "), std::string::npos);
  EXPECT_EQ(sgnPATH, 'c');
  EXPECT_EQ(keyin, 'c');
  EXPECT_EQ(curveNo, 13);
  EXPECT_GT(NN[0], 0);
  EXPECT_EQ(kanimCP, 0);
  EXPECT_DOUBLE_EQ(yshift, -0.1);
  // The step of the new run is limited by its step count.
  for (int i = 0; i < 2000; ++i) keycmd('s');
  EXPECT_EQ(kanimCP, NN[0]);
}

}  // namespace
