// Window keys: their effect on the view and animation state.
#include "control/keys.h"

#include <gtest/gtest.h>

#include <tuple>

#include "control/base/params.h"
#include "control/base/view.h"
#include "cp/track.h"
#include "ptp/clpath.h"
#include "ptp/schedule.h"
#include "support/session.h"
#include "ptp/steps.h"
#include "ptp/path.h"
#include "motion/records.h"

using namespace agv;

namespace {

// Everything a key may change: type, path, drawing, the three steps, zoom, pan.
using State = std::tuple<int, char, char, int, int, int, double, double, double>;

auto now() {
  return std::tie(agvType, sgnPATH, sgnDraw, kanimC, kanimV, kanimCP, scale, xshift, yshift);
}

// Type 2, clothoid-line drawing, some steps, zoom and pan.
const State base{2, 'p', 'b', 6, 4, 6, scale0, 0.1, -0.1};

class Keys : public ::testing::Test {
 protected:
  void SetUp() override {
    now() = base;
    nc[1][3] = 10;  // the clothoid-line runs of type 2
    nvc[1][3] = 5;
  }
  void TearDown() override {
    initview();
    now() = State{1, 'p', 'a', 0, 0, 0, scale0, 0.0, 0.0};
  }
};

TEST_F(Keys, EachKeyFromTheSameStateAndWThenWRestoringTheZoom) {
  const std::pair<unsigned char, State> cases[] = {
      // A new type or drawing restarts the motion; path, drawing and pan stay.
      {'1', {1, 'p', 'b', 0, 0, 0, scale0, 0.1, -0.1}},
      {'2', {2, 'p', 'b', 0, 0, 0, scale0, 0.1, -0.1}},
      {'3', {3, 'p', 'b', 0, 0, 0, scale0, 0.1, -0.1}},
      {'a', {2, 'p', 'a', 0, 0, 0, scale0, 0.1, -0.1}},
      {'b', {2, 'p', 'b', 0, 0, 0, scale0, 0.1, -0.1}},
      // Three steps, each run stopping at its own last one (10 and 5).
      {'s', {2, 'p', 'b', 9, 5, 6, scale0, 0.1, -0.1}},
      {'0', {2, 'p', 'b', 0, 0, 0, scale0, 0.1, -0.1}},
      {'x', {2, 'p', 'b', 6, 4, 6, scale0, 0.1 - 0.05, -0.1}},
      {'X', {2, 'p', 'b', 6, 4, 6, scale0, 0.1 + 0.05, -0.1}},
      {'y', {2, 'p', 'b', 6, 4, 6, scale0, 0.1, -0.1 - 0.05}},
      {'Y', {2, 'p', 'b', 6, 4, 6, scale0, 0.1, -0.1 + 0.05}},
      {'w', {2, 'p', 'b', 6, 4, 6, 0.9 * scale0, 0.1, -0.1}},
      {'W', {2, 'p', 'b', 6, 4, 6, scale0 / 0.9, 0.1, -0.1}},
  };
  for (const auto& [key, want] : cases) {
    now() = base;
    EXPECT_EQ(keycmd(key), KeyAction::Redraw) << key;
    EXPECT_EQ(State(now()), want) << key;
    EXPECT_EQ(keyin, static_cast<char>(key));
  }
  // ESC ends the console's last line.
  EXPECT_EQ(agvtest::scripted("", [] { EXPECT_EQ(keycmd(27), KeyAction::Exit); }).out, "\n");
  EXPECT_EQ(keyin, 27);
  now() = base;
  // Every other key (upper-case ones but 'X', 'Y', 'W' too) is only stored.
  const std::string known = "0123pcabsxXyYwW\x1b";
  for (int k = 0; k < 256; ++k) {
    if (known.find(static_cast<char>(k)) != std::string::npos) continue;
    EXPECT_EQ(keycmd(static_cast<unsigned char>(k)), KeyAction::None) << k;
    EXPECT_EQ(keyin, static_cast<char>(k));
    EXPECT_EQ(State(now()), base) << k;
  }
  keycmd('w');
  keycmd('W');
  EXPECT_DOUBLE_EQ(scale, scale0);
}

TEST_F(Keys, StepsStopAtTheLastStepNeverGoBelowZeroAndOnCpFollowTheType) {
  kanimC = kanimV = 0;
  for (int i = 0; i < 5; ++i) keycmd('s');
  EXPECT_EQ(State(now()), State(2, 'p', 'b', 10, 5, 6, scale0, 0.1, -0.1));
  nc[1][3] = -1;  // no run recorded
  nvc[1][3] = 0;
  keycmd('s');
  EXPECT_EQ(kanimC, 0);
  EXPECT_EQ(kanimV, 0);
  sgnPATH = 'c';
  kanimCP = 0;
  NN[0] = 100;
  NN[1] = 4;
  keycmd('s');
  keycmd('s');
  EXPECT_EQ(kanimCP, 4);
  agvType = 1;
  keycmd('s');
  EXPECT_EQ(kanimCP, 7);
}

TEST_F(Keys, StepsStopWhereTheRunsOfTheNewTypeAndDrawingEndBeforeAnyFrame) {
  nSeg[2][3] = 7;  // the arc-line runs of type 3
  nvSeg[2][3] = 2;
  for (unsigned char k : {'3', 'a', 's', 's', 's'}) keycmd(k);
  EXPECT_EQ(kendC, 7);
  EXPECT_EQ(kendV, 2);
  EXPECT_EQ(State(now()), State(3, 'p', 'a', 7, 2, 0, scale0, 0.1, -0.1));
  for (unsigned char k : {'2', 'b', 's', 's', 's', 's', 's'}) keycmd(k);
  EXPECT_EQ(State(now()), State(2, 'p', 'b', 10, 5, 0, scale0, 0.1, -0.1));
}

TEST_F(Keys, PAndCRunADialoguePassWithoutRedrawKeepingThePan) {
  ASSERT_FALSE(agvtest::firstPass("pnk").eof);
  now() = base;
  scale = 0.9 * scale0;
  KeyAction a = KeyAction::Redraw;
  agvtest::Session s = agvtest::scripted("y4 -3 -45\nk", [&] { a = keycmd('p'); });
  ASSERT_FALSE(s.eof) << s.out;
  EXPECT_EQ(a, KeyAction::Passed);
  EXPECT_NE(s.out.find("PTP経路の終点変更する？"), std::string::npos);
  EXPECT_EQ(keyin, 'p');
  EXPECT_EQ(xf, 4.0);
  EXPECT_EQ(yf, -3.0);
  // The pass resets type, drawing, zoom and steps, not the pan.
  EXPECT_EQ(State(now()), State(1, 'p', 'a', 0, 0, 0, scale0, 0.1, -0.1));

  now() = base;
  s = agvtest::scripted("13\n1\nk", [&] { a = keycmd('c'); });
  ASSERT_FALSE(s.eof) << s.out;
  EXPECT_EQ(a, KeyAction::Passed);
  EXPECT_NE(s.out.find(" Input I= "), std::string::npos);
  EXPECT_EQ(curveNo, 13);
  EXPECT_EQ(State(now()), State(1, 'c', 'a', 0, 0, 0, scale0, 0.1, -0.1));
  // The step of the new run is limited by its step count.
  for (int i = 0; i < 2000; ++i) keycmd('s');
  EXPECT_EQ(kanimCP, NN[0]);
}

}  // namespace
