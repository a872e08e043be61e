// Window keys: their effect on the view and animation state.
#include "console/keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>

#include "support/session.h"

using namespace agv;

namespace {

// Everything a key may change: type, path, drawing, the three steps, zoom, pan.
using State = std::tuple<int, char, char, int, int, int, double, double, double>;

// Type 2, clothoid-line drawing, some steps, zoom and pan.
const State base{2, 'p', 'b', 6, 4, 6, scale0, 0.1, -0.1};

class Keys : public ::testing::Test {
 protected:
  auto now() {
    View& v = s->view;
    return std::tie(s->agvType, s->sgnPATH, s->sgnDraw, v.kanimC, v.kanimV, v.kanimCP, v.scale,
                    v.xshift, v.yshift);
  }
  void SetUp() override {
    now() = base;
    runs(s->ptp.cl[1], 10, 5);  // the clothoid-line runs of type 2
  }
  KeyAction keycmd(unsigned char k) { return agv::keycmd(*s, k); }
  // Runs of n constant-velocity and nv variable-velocity steps (-1: none).
  static void runs(Runs& r, int n, int nv) {
    r.ref.assign(static_cast<size_t>(n + 1), Record{});
    r.cv = r.err = r.ref;
    r.vv.assign(static_cast<size_t>(nv + 1), Record{});
  }
  std::unique_ptr<Session> s = std::make_unique<Session>();
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
    EXPECT_EQ(s->keyin, static_cast<char>(key));
  }
  // ESC ends the console's last line.
  EXPECT_EQ(agvtest::scripted("", [&] { EXPECT_EQ(keycmd(27), KeyAction::Exit); }).out, "\n");
  EXPECT_EQ(s->keyin, 27);
  now() = base;
  // Every other key (upper-case ones but 'X', 'Y', 'W' too) is only stored.
  const std::string known = "0123pcabsxXyYwW\x1b";
  for (int k = 0; k < 256; ++k) {
    if (known.find(static_cast<char>(k)) != std::string::npos) continue;
    EXPECT_EQ(keycmd(static_cast<unsigned char>(k)), KeyAction::None) << k;
    EXPECT_EQ(s->keyin, static_cast<char>(k));
    EXPECT_EQ(State(now()), base) << k;
  }
  keycmd('w');
  keycmd('W');
  EXPECT_DOUBLE_EQ(s->view.scale, scale0);
}

// A zoom key held down stops at a bound, the picture drawn at a finite scale, and as many
// presses of the other key bring back the very same scale: from a pass's zoom, and from a
// route's, fitted below the bounds, which 'w' never leaves further.
TEST_F(Keys, ZoomHeldDownStopsAtABoundAndTheOtherKeyBringsTheSameScaleBack) {
  const struct {
    double set;
    unsigned char hold, back;
    int steps;  // the presses that zoom
  } cases[] = {{scale0, 'W', 'w', 74}, {scale0, 'w', 'W', 72}, {1e-5, 'w', 'W', 0},
               {1e-5, 'W', 'w', 168}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.set << " " << c.hold);
    s->view = View{};
    s->view.scale = c.set;
    int zoomed = 0;
    for (int i = 0; i < 10000; ++i) {
      const double before = s->view.scale;
      zoomed += keycmd(c.hold) == KeyAction::Redraw;
      EXPECT_EQ(s->view.scale != before, zoomed == i + 1);
    }
    EXPECT_EQ(zoomed, c.steps);
    EXPECT_GE(s->view.scale, std::min(minScale, c.set));
    EXPECT_LE(s->view.scale, maxScale);
    for (int i = 0; i < zoomed; ++i) EXPECT_EQ(keycmd(c.back), KeyAction::Redraw);
    EXPECT_EQ(s->view.scale, c.set);
  }
}

TEST_F(Keys, StepsStopAtTheLastStepNeverGoBelowZeroAndOnCpFollowTheType) {
  View& v = s->view;
  v.kanimC = v.kanimV = 0;
  for (int i = 0; i < 5; ++i) keycmd('s');
  EXPECT_EQ(State(now()), State(2, 'p', 'b', 10, 5, 6, scale0, 0.1, -0.1));
  runs(s->ptp.cl[1], -1, 0);  // no run recorded
  keycmd('s');
  EXPECT_EQ(v.kanimC, 0);
  EXPECT_EQ(v.kanimV, 0);
  s->sgnPATH = 'c';
  v.kanimCP = 0;
  s->cp.NN[0] = 100;
  s->cp.NN[1] = 4;
  keycmd('s');
  keycmd('s');
  EXPECT_EQ(v.kanimCP, 4);
  s->agvType = 1;
  keycmd('s');
  EXPECT_EQ(v.kanimCP, 7);
}

TEST_F(Keys, StepsStopWhereTheRunsOfTheNewTypeAndDrawingEndBeforeAnyFrame) {
  runs(s->ptp.arc[2], 7, 2);  // the arc-line runs of type 3
  for (unsigned char k : {'3', 'a', 's', 's', 's'}) keycmd(k);
  EXPECT_EQ(s->view.kendC, 7);
  EXPECT_EQ(s->view.kendV, 2);
  EXPECT_EQ(State(now()), State(3, 'p', 'a', 7, 2, 0, scale0, 0.1, -0.1));
  for (unsigned char k : {'2', 'b', 's', 's', 's', 's', 's'}) keycmd(k);
  EXPECT_EQ(State(now()), State(2, 'p', 'b', 10, 5, 0, scale0, 0.1, -0.1));
}

TEST_F(Keys, PAndCRunADialoguePassWithoutRedrawKeepingThePan) {
  ASSERT_FALSE(agvtest::firstPass(*s, "pnk").eof);
  now() = base;
  s->view.scale = 0.9 * scale0;
  KeyAction a = KeyAction::Redraw;
  agvtest::Transcript t = agvtest::scripted("y4 -3 -45\nk", [&] { a = keycmd('p'); });
  ASSERT_FALSE(t.eof) << t.out;
  EXPECT_EQ(a, KeyAction::Passed);
  EXPECT_NE(t.out.find("PTP経路の終点変更する？"), std::string::npos);
  EXPECT_EQ(s->keyin, 'p');
  EXPECT_EQ(s->xf, 4.0);
  EXPECT_EQ(s->yf, -3.0);
  // The pass resets type, drawing, zoom and steps, not the pan.
  EXPECT_EQ(State(now()), State(1, 'p', 'a', 0, 0, 0, scale0, 0.1, -0.1));

  now() = base;
  t = agvtest::scripted("13\n1\nk", [&] { a = keycmd('c'); });
  ASSERT_FALSE(t.eof) << t.out;
  EXPECT_EQ(a, KeyAction::Passed);
  EXPECT_NE(t.out.find(" Input I= "), std::string::npos);
  EXPECT_EQ(s->curveNo, 13);
  EXPECT_EQ(State(now()), State(1, 'c', 'a', 0, 0, 0, scale0, 0.1, -0.1));
  // The step of the new run is limited by its step count.
  for (int i = 0; i < 2000; ++i) keycmd('s');
  EXPECT_EQ(s->view.kanimCP, s->cp.NN[0]);
}

}  // namespace
