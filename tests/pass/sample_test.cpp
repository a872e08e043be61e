// Poses along plans alone: every ds and every joint on the closed forms of the segments, the
// last on the plan's end, for the words of every family backing up and for forward words.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "agv/agv.h"

namespace {

using namespace agv;

constexpr double kExact = 1e-9;  // [m], [rad]

// Random plans, each checked for its end pose, one in kDetail for every pose (100,000 plans
// take about a second here).
#ifdef __SANITIZE_ADDRESS__
constexpr int kPlans = 5000;
#else
constexpr int kPlans = 100000;
#endif
constexpr int kDetail = 25;

// The word of a plan: its segments, L, R (or C for either, for a family) and S, and | at a cusp.
std::string word(const PlanWord& w, bool family) {
  std::string f;
  for (int j = 0; j < w.n; ++j) {
    if (j > 0 && w.drive[j] != w.drive[j - 1]) f += '|';
    f += w.sgnK[j] == 0 ? 'S' : family ? 'C' : w.sgnK[j] > 0 ? 'L' : 'R';
  }
  return f;
}

// How far pose p lies from pose (x, y, th [rad]): the larger of the distance and the heading's.
double off(const PlanPose& p, double x, double y, double th) {
  return std::fmax(std::hypot(p.x - x, p.y - y),
                   std::fabs(std::remainder(p.th - th, 2 * std::numbers::pi)));
}

// The poses of one plan (start pose a) but its first and last, against its segments: s from 0
// to the length in steps of at most ds, every multiple of ds and every joint there; two poses on
// one segment a chord of its arc (or its line) apart, their headings turned by its angle, the
// chord along the segment's driving direction.
void layout(const PlanWord& w, double ds, const std::vector<PlanPose>& poses) {
  EXPECT_EQ(poses.front().s, 0.0);
  EXPECT_NEAR(poses.back().s, w.length, 1e-12 * w.length);
  // A pose at every multiple of ds below the end, at every joint and at the end, and no other.
  std::vector<double> marks = {w.length};
  for (double i = 0; i * ds < w.length; ++i) marks.push_back(i * ds);
  for (double j = 0, at = 0; j < w.n; at += w.s[static_cast<int>(j)], ++j) marks.push_back(at);
  std::sort(marks.begin(), marks.end());
  marks.erase(std::unique(marks.begin(), marks.end()), marks.end());
  ASSERT_EQ(poses.size(), marks.size());
  for (size_t i = 0; i < marks.size(); ++i)
    ASSERT_NEAR(poses[i].s, marks[i], 1e-12 * (1 + marks[i])) << i;
  for (size_t i = 1; i < poses.size(); ++i) {
    const PlanPose &p = poses[i - 1], &q = poses[i];
    ASSERT_GT(q.s, p.s);
    ASSERT_LE(q.s - p.s, ds * (1 + 1e-12));
    // The segment that holds both: the one the later pose ends, or lies inside.
    int j = 0;
    for (double start = 0; j + 1 < w.n && start + w.s[j] < q.s - 1e-12; ++j) start += w.s[j];
    ASSERT_EQ(p.drive, w.drive[j]) << i;
    const double ds2 = q.s - p.s, turn = w.sgnK[j] * w.drive[j] * ds2 / w.Rarc;
    const double chord = w.sgnK[j] == 0 ? ds2 : 2 * w.Rarc * std::sin(ds2 / (2 * w.Rarc));
    ASSERT_NEAR(std::hypot(q.x - p.x, q.y - p.y), chord, kExact) << i;
    ASSERT_NEAR(q.th - p.th, turn, kExact) << i;
    const double mid = p.th + turn / 2;
    ASSERT_GE(w.drive[j] * ((q.x - p.x) * std::cos(mid) + (q.y - p.y) * std::sin(mid)), -kExact)
        << i;
  }
}

// Random plans from random starts, forward (the three-arc joins) and backing up with weights,
// sampled at spacings from 1 cm to 1 m: each starts on its start pose and ends on its end pose,
// and every word forward and every family of words backing up turns up.
TEST(SamplePlan, PosesLieOnTheSegmentsAndEndOnTheEndPose) {
  std::mt19937 rng(41);
  std::uniform_real_distribution<double> xy(-8, 8), th(-180, 180), spacing(-2, 0);
  std::set<std::string> words;
  const double reverseCost[] = {1, 1, 2}, cuspCost[] = {0, 0.5, 0}, deg = std::numbers::pi / 180;
  std::vector<PlanPose> poses;
  for (int i = 0; i < kPlans; ++i) {
    Params p;
    p.threeArcs = 1;
    p.reverse = i % 4 != 0;
    p.reverseCost = reverseCost[i % 3];
    p.cuspCost = cuspCost[i % 3];
    p.Ra = i % 5 == 0 ? 2.5 : 1.0;
    const Waypoint a{xy(rng), xy(rng), th(rng)}, b{xy(rng), xy(rng), th(rng)};
    const double ds = std::pow(10.0, spacing(rng));
    const auto where = [&] {
      return testing::Message() << a.x << " " << a.y << " " << a.thDeg << " to " << b.x << " "
                                << b.y << " " << b.thDeg << " reverse " << p.reverse << " ds "
                                << ds;
    };
    const PlanWord w = planOnly(p, a, b);
    ASSERT_EQ(w.status, Status::Done) << where();
    words.insert(word(w, p.reverse != 0));
    ASSERT_EQ(samplePlan(w, a, ds, poses), Status::Done) << where();
    ASSERT_LT(off(poses.front(), a.x, a.y, a.thDeg * deg), 1e-15) << where();
    ASSERT_LT(off(poses.back(), b.x, b.y, b.thDeg * deg), kExact) << where();
    if (i % kDetail == 0) {
      ASSERT_NO_FATAL_FAILURE(layout(w, ds, poses)) << where();
    }
  }
  for (const char* f : {"LSL", "LSR", "RSL", "RSR", "LRL", "RLR", "CSC", "C|C|C", "C|CC", "CC|C",
                        "CC|CC", "C|CC|C", "C|CSC", "CSC|C", "C|CSC|C"})
    EXPECT_EQ(words.count(f), 1u) << f;
}

// Degenerate plans: no segment (one pose), a line of the spacing exactly, joints on multiples of
// ds; and what is refused: a spacing that is not above 0 or gives too many poses, a plan that is
// not done or not planOnly's, a start that is not finite or beyond the bound.
TEST(SamplePlan, DegeneratePlansAndBadArguments) {
  std::vector<PlanPose> poses;
  const Waypoint o{};
  Params back;
  back.reverse = 1;
  ASSERT_EQ(samplePlan(planOnly(back, {1, 2, 30}, {1, 2, 30}), {1, 2, 30}, 0.1, poses),
            Status::Done);
  ASSERT_EQ(poses.size(), 1u);
  EXPECT_TRUE(poses[0].x == 1 && poses[0].y == 2 && poses[0].s == 0);
  const PlanWord line = planOnly(back, o, {2, 0, 0});
  ASSERT_EQ(samplePlan(line, o, 0.5, poses), Status::Done);
  ASSERT_EQ(poses.size(), 5u);
  for (size_t i = 0; i < poses.size(); ++i) EXPECT_EQ(poses[i].x, 0.5 * static_cast<double>(i));
  ASSERT_EQ(samplePlan(line, o, std::numeric_limits<double>::infinity(), poses), Status::Done);
  EXPECT_EQ(poses.size(), 2u);
  const PlanWord park = planOnly(back, o, {0, 1, 0});  // parallel parking: two cusps
  ASSERT_EQ(samplePlan(park, o, 1e9, poses), Status::Done);
  ASSERT_EQ(static_cast<int>(poses.size()), park.n + 1);
  for (int j = 0; j < park.n; ++j) EXPECT_EQ(poses[static_cast<size_t>(j)].drive, park.drive[j]);
  EXPECT_EQ(poses.back().drive, park.drive[park.n - 1]);

  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const double ds : {0.0, -0.1, nan, -std::numeric_limits<double>::infinity(), 1e-9,
                          std::numeric_limits<double>::denorm_min()}) {
    EXPECT_EQ(samplePlan(line, o, ds, poses), Status::BadSpacing) << ds;
    EXPECT_TRUE(poses.empty());
  }
  EXPECT_EQ(samplePlan(line, o, 2.0 / (kSampleMax - 3), poses), Status::Done);
  EXPECT_EQ(samplePlan(line, o, 2.0 / (kSampleMax - 2), poses), Status::BadSpacing);
  PlanWord bad = line;
  bad.status = Status::PathTooLong;
  EXPECT_EQ(samplePlan(bad, o, 0.1, poses), Status::NotPlanned);
  for (const auto& spoil :
       {+[](PlanWord& w) { w.n = kSegMax + 1; }, +[](PlanWord& w) { w.sgnK[0] = 2; },
        +[](PlanWord& w) { w.drive[0] = 0; }, +[](PlanWord& w) { w.s[0] = -1; },
        +[](PlanWord& w) { w.Rarc = 0; }}) {
    bad = line;
    spoil(bad);
    EXPECT_EQ(samplePlan(bad, o, 0.1, poses), Status::NotPlanned);
  }
  EXPECT_EQ(samplePlan(line, {nan, 0, 0}, 0.1, poses), Status::BadPose);
  EXPECT_EQ(samplePlan(line, {kPoseMax * 2, 0, 0}, 0.1, poses), Status::BadPose);
  EXPECT_NE(reason(Refusal{Status::BadSpacing}, Params{}).find("10000000 poses"),
            std::string::npos);
}

}  // namespace
