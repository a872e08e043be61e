// Tracks: lines of points are straight, mirror images run mirrored, the scale of the parameter
// changes nothing but the parameter, bends tighter than the vehicle are found where they are,
// and bad tracks are refused naming their point.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "agv/agv.h"

namespace {

using namespace agv;

Params with(const char* name, double v, Params p = Params{}) {
  setparam(p, name, v);
  return p;
}

// A lane: along x, a U-turn of radius 0.5 m round (5, 0.5), back along y = 1.
Track lane() {
  Track t;
  for (double x = 0.0; x < 5.0; x += 0.5) t.points.push_back({x, 0.0});
  for (int a = 0; a <= 12; ++a) {
    const double th = -PI_2 + a * PI / 12;
    t.points.push_back({5.0 + 0.5 * std::cos(th), 0.5 + 0.5 * std::sin(th)});
  }
  for (double x = 4.5; x >= 0.0; x -= 0.5) t.points.push_back({x, 1.0});
  t.th0Deg = 0.0;
  t.thfDeg = 180.0;
  return t;
}

TEST(Track, ALineOfPointsIsStraight) {
  const Track lines[] = {
      {{{0, 0}, {1, 0}, {1.5, 0}, {4, 0}}, std::nullopt, std::nullopt},
      {{{0, 0}, {1, 0}, {1.5, 0}, {4, 0}}, 0.0, 0.0},
      {{{1, 1}, {1.3, 1.4}, {2.5, 3}, {4, 5}, {4.03, 5.04}}, std::nullopt, std::nullopt},
  };
  for (const Track& t : lines) {
    auto r = std::make_unique<TrackResult>();
    ASSERT_EQ(passTrack(with("controller", 1), t, *r), Status::Done);
    EXPECT_LT(r->bends.kapmax, 1e-12);
    EXPECT_TRUE(r->bends.tight.empty());
    for (const CpRuns& run : r->run) {
      for (size_t i = 0; i < run.ref.size(); ++i) {
        EXPECT_LT(std::fabs(run.ref[i].kap), 1e-12) << i;
        EXPECT_LT(std::fabs(run.cv[i].kap), 1e-12) << i;
        EXPECT_LT(std::hypot(run.err[i].x, run.err[i].y), 1e-12) << i;
      }
      for (double e : run.xte) EXPECT_LT(std::fabs(e), 1e-12);
    }
  }
}

// The mirror image (x, -y), its headings turned the other way, runs the mirror image of every
// run, the tracked AGV's too.
TEST(Track, MirrorImagesRunMirrored) {
  Track t = lane(), m = t;
  t.points.push_back({-1.0, 2.5});
  t.th0Deg = 20.0;
  t.thfDeg = 120.0;
  m = t;
  for (TrackPoint& p : m.points) p.y = -p.y;
  m.th0Deg = -*t.th0Deg;
  m.thfDeg = -*t.thfDeg;
  const Params p = with("controller", 2);
  auto a = std::make_unique<TrackResult>(), b = std::make_unique<TrackResult>();
  ASSERT_EQ(passTrack(p, t, *a), Status::Done);
  ASSERT_EQ(passTrack(p, m, *b), Status::Done);
  EXPECT_EQ(a->length, b->length);
  EXPECT_EQ(a->bends.kapmax, b->bends.kapmax);
  EXPECT_EQ(a->bends.y, -b->bends.y);
  const auto mirrored = [](const Record& u, const Record& v) {
    return u.t == v.t && u.s == v.s && u.x == v.x && std::fabs(u.y + v.y) < 1e-12 &&
           std::fabs(u.th + v.th) < 1e-12 && std::fabs(u.phi + v.phi) < 1e-12 &&
           std::fabs(u.kap + v.kap) < 1e-12;
  };
  for (int k = 0; k < 3; ++k) {
    const CpRuns &u = a->run[k], &v = b->run[k];
    ASSERT_EQ(u.ref.size(), v.ref.size());
    ASSERT_EQ(u.tr.size(), v.tr.size());
    for (size_t i = 0; i < u.ref.size(); ++i) {
      EXPECT_TRUE(mirrored(u.ref[i], v.ref[i]) && mirrored(u.cv[i], v.cv[i])) << k << " " << i;
    }
    for (size_t i = 0; i < u.tr.size(); ++i) {
      EXPECT_TRUE(mirrored(u.tr[i], v.tr[i])) << k << " " << i;
      EXPECT_NEAR(u.xte[i], -v.xte[i], 1e-12);
    }
  }
}

// A track longer than the arc-length table holds at a metre of chord a unit of its parameter
// has a larger unit; its length and its runs are those of the same track with a table large
// enough for a metre a unit.
TEST(Track, TheScaleOfTheParameterChangesNothingButTheParameter) {
  Track t;
  for (int i = 0; i <= 90; ++i) t.points.push_back({0.5 * i, std::sin(0.25 * i)});
  auto a = std::make_unique<TrackResult>(), b = std::make_unique<TrackResult>();
  ASSERT_EQ(passTrack(Params{}, t, *a), Status::Done);
  ASSERT_EQ(passTrack(with("maxSteps", 6000), t, *b), Status::Done);
  EXPECT_GT(a->scale, 1.0);
  EXPECT_EQ(b->scale, 1.0);
  EXPECT_LT(a->uend, 29.99);
  EXPECT_NEAR(a->length, b->length, 1e-7 * b->length);
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(a->run[k].cv.size(), b->run[k].cv.size());
    const Record &u = a->run[k].cv.back(), &v = b->run[k].cv.back();
    EXPECT_LT(std::hypot(u.x - v.x, u.y - v.y), 1e-6) << k;
  }
}

// The lane's U-turn is tighter than a vehicle of Ra = 1 m can steer: one stretch round it,
// with the largest curvature inside it, where the reference run is; a vehicle of Ra = 0.25 m
// steers it.  Points on a circle tighter than Ra are one stretch from end to end.
TEST(Track, BendsTighterThanTheVehicleAreFoundWhereTheyAre) {
  auto r = std::make_unique<TrackResult>();
  ASSERT_EQ(passTrack(Params{}, lane(), *r), Status::Done);
  const Bends& b = r->bends;
  ASSERT_EQ(b.tight.size(), 1u);
  const double turn = 5.0 + PI * 0.5 / 2;  // the middle of the U-turn along the lane
  EXPECT_LT(b.tight[0].s0, turn - 0.6);
  EXPECT_GT(b.tight[0].s1, turn + 0.6);
  EXPECT_NEAR(b.tight[0].x, 5.0, 0.5);
  EXPECT_LT(b.tight[0].y, 0.2);
  // The spline's curvature is continuous: it overshoots where the lane's jumps from 0 to 2.
  EXPECT_TRUE(b.kapmax > 2.0 && b.kapmax < 2.6) << b.kapmax;
  EXPECT_TRUE(b.s > b.tight[0].s0 && b.s < b.tight[0].s1);
  EXPECT_NEAR(b.tightlength(), b.tight[0].s1 - b.tight[0].s0, 1e-12);
  for (const CurveRecord& rec : r->run[0].ref) {
    EXPECT_LE(std::fabs(rec.kap), b.kapmax * (1 + 1e-12));
    if (std::fabs(rec.s - b.s) < r->params.Vmax * r->params.dtCP) {
      EXPECT_LT(std::hypot(rec.x - b.x, rec.y - b.y), 0.02);
      EXPECT_NEAR(std::fabs(rec.kap), b.kapmax, 0.15);  // its curvature changes fast there
    }
  }
  ASSERT_EQ(passTrack(with("Ra", 0.25), lane(), *r), Status::Done);
  EXPECT_TRUE(r->bends.tight.empty());

  Track circle;
  for (int a = 0; a <= 24; ++a)
    circle.points.push_back({0.5 * std::cos(a * PI / 12), 0.5 * std::sin(a * PI / 12)});
  circle.th0Deg = 90.0;
  circle.thfDeg = 90.0;
  ASSERT_EQ(passTrack(Params{}, circle, *r), Status::Done);
  ASSERT_EQ(r->bends.tight.size(), 1u);
  EXPECT_EQ(r->bends.tight[0].s0, 0.0);
  EXPECT_EQ(r->bends.tight[0].s1, r->length);
  EXPECT_NEAR(r->bends.kapmax, 2.0, 0.03);  // points 0.13 m apart: between them it swings
}

TEST(Track, BadTracksAreRefusedNamingTheirPoint) {
  const auto of = [](std::vector<TrackPoint> p, std::optional<double> th0 = std::nullopt) {
    return Track{std::move(p), th0, std::nullopt};
  };
  Track many;
  for (int i = 0; i <= kTrackMax; ++i) many.points.push_back({1.0 * i, 0.0});
  const Track ok = of({{0, 0}, {1, 0}, {2, 1}});
  const struct {
    Track t;
    Params p;
    Status status;
    const char* says;
  } cases[] = {
      {of({{0, 0}, {1, 0}}), {}, Status::BadTrack, "a track has from 3 to 100000 points, not 2"},
      {many, {}, Status::BadTrack, "a track has from 3 to 100000 points, not 100001"},
      {of({{0, 0}, {1, 0}, {NAN, 1}}), {}, Status::BadTrack,
       "point 3 of the track (or its heading) is not a finite number"},
      {of(ok.points, INFINITY), {}, Status::BadTrack,
       "point 1 of the track (or its heading) is not a finite number"},
      {of({{0, 0}, {0, 0}, {1, 1}}), {}, Status::BadTrack,
       "point 2 of the track is the point before it"},
      {of({{0, 0}, {1e308, 0}, {-1e308, 0}}), {}, Status::BadTrack,
       "the track's points lie too far apart for their distances to be added"},
      {of({{0, 0}, {1e-300, 0}, {2e-300, 1e-300}}), {}, Status::BadTrack,
       "beyond a double's range up to point 2: the points lie too close together"},
      {ok, Params{.Ra = -1.0}, Status::BadParams, "Ra"},
      {of({{0, 0}, {40, 0}, {80, 1}}), {}, Status::CurveTooLong,
       "the curve is longer than 3000 CP steps, 60 m"},
  };
  for (const auto& c : cases) {
    auto r = std::make_unique<TrackResult>();
    EXPECT_EQ(passTrack(c.p, c.t, *r), c.status) << c.says;
    EXPECT_NE(reason(r->refusal, c.p).find(c.says), std::string::npos) << reason(r->refusal, c.p);
    EXPECT_FALSE(r->planned);
    EXPECT_TRUE(r->run[0].ref.empty());
  }
  // A track runs by runTrack, a catalogue curve by runCP.
  auto r = std::make_unique<TrackResult>();
  ASSERT_EQ(planTrack(Params{}, ok, *r), Status::Done);
  EXPECT_EQ(runCP(*r), Status::NotPlanned);
  ASSERT_EQ(planCP(Params{}, Curve{16, 0.2, 3}, *r), Status::Done);
  EXPECT_EQ(runTrack(*r), Status::NotPlanned);
}

}  // namespace
