// Paths given as their segments, of any number: a plan of the planner's own segments is the
// planner's plan, a slalom of forty segments is driven by every mechanism to its end, the same
// slalom cut into legs plans and drives each segment as it does whole, its mirror image mirrors
// the runs, bad segments are refused, a second pass reuses the memory of the first, and the
// poses along it lie on every joint and at most the spacing apart.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "agv/agv.h"
#include "support/runs.h"
#include "pass/legs.h"

namespace {

using namespace agv;
using agvtest::reversals;

// The bytes of a vector of values, appended to out.
template <class T>
void bytes(std::vector<unsigned char>& out, const std::vector<T>& v) {
  const auto* p = reinterpret_cast<const unsigned char*>(v.data());
  out.insert(out.end(), p, p + v.size() * sizeof(T));
}

// Everything a pass computes but the poses asked for, as bytes: two equal passes give equal bytes.
std::vector<unsigned char> bytes(const PtpResult& r) {
  std::vector<unsigned char> out;
  const ArcPath& a = r.path;
  bytes(out, std::vector<double>{double(a.nseg), a.sf, a.Rarc, a.Karc, a.phiArc,
                                 r.clothoid.sf, r.clothoid.Kcs, r.schedule.phiEnd});
  bytes(out, std::vector<Pose>{a.P0, a.Pf});
  bytes(out, a.sgnK), bytes(out, a.drive), bytes(out, a.s), bytes(out, a.Kseg);
  bytes(out, a.phiSeg), bytes(out, a.Pj);
  const ClothoidPath& c = r.clothoid;
  bytes(out, c.sc), bytes(out, c.sc3), bytes(out, c.Kc), bytes(out, c.phiC);
  const Steps& st = r.steps;
  const Schedule& v = r.schedule;
  for (int k = 0; k < 3; ++k) {
    bytes(out, st.Tseg[k].seg), bytes(out, st.dtSeg[k]), bytes(out, st.nSeg[k].seg);
    bytes(out, st.Tc[k].seg), bytes(out, st.Tc3[k]), bytes(out, st.dtc3[k]);
    bytes(out, st.nc3[k]), bytes(out, st.nc[k].seg);
    bytes(out, v.Tv[k]), bytes(out, v.dtv2[k]), bytes(out, v.nv2[k]), bytes(out, v.nvSeg[k].seg);
    bytes(out, v.sv5[k]), bytes(out, v.Tv5[k]), bytes(out, v.dtv5[k]), bytes(out, v.nv5[k]);
    bytes(out, v.Vc[k]), bytes(out, v.Wc[k]), bytes(out, v.dtvl[k]), bytes(out, v.nvc[k].seg);
    for (const Runs* runs : {&r.arc[k], &r.cl[k]}) {
      for (const auto* recs : {&runs->ref, &runs->cv, &runs->err, &runs->vv, &runs->tr})
        bytes(out, *recs);
      bytes(out, runs->xte);
    }
  }
  return out;
}

// A slalom of n segments from arcs and lines of several lengths, backing up for a stretch of
// segments now and then (a cusp each time); `mirror` turns left into right.
std::vector<PathSegment> slalom(int n, bool mirror = false) {
  std::vector<PathSegment> out;
  const double lengths[] = {0.7, 0.35, 1.1, 0.5, 0.9};
  int drive = 1;
  for (int j = 0; j < n; ++j) {
    if (j % 7 == 6) drive = -drive;
    const int k = j % 3 == 2 ? 0 : (j % 2 == 0 ? 1 : -1);
    out.push_back({mirror ? -k : k, drive, lengths[j % 5]});
  }
  return out;
}

constexpr Waypoint kStart{1, -2, 30};
constexpr Waypoint kMirrorStart{1, 2, -30};

// Room for forty segments, backing up.
Params many() {
  Params p;
  p.maxSteps = 100000;
  p.reverse = 1;
  return p;
}

// How far a record or a pose lies from a pose: the larger of the distance and the heading error.
template <class R>
double miss(const R& r, const Pose& P) {
  return std::max(std::hypot(r.x - P.x, r.y - P.y),
                  std::fabs(std::remainder(r.th - P.th, 2.0 * PI)));
}

// Over random pairs of poses, with the tracked AGV: the planner's path that may back up, given
// as its segments, plans and runs to the same bytes as the planner's pass.
TEST(Segments, APlanOfThePlannersSegmentsIsThePlannersPass) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> xy(-5.0, 5.0), th(-180.0, 180.0);
  Params p;
  p.reverse = 1;
  p.controller = Stanley;
  auto r = std::make_unique<PtpResult>(), g = std::make_unique<PtpResult>();
  for (int i = 0; i < 40; ++i) {
    const Waypoint a{xy(rng), xy(rng), th(rng)}, b{xy(rng), xy(rng), th(rng)};
    ASSERT_EQ(passPTP(p, a, b, *r), Status::Done);
    const PlanWord w = planOnly(p, a, b);
    std::vector<PathSegment> segs;
    for (int j = 0; j < w.n; ++j) segs.push_back({w.sgnK[j], w.drive[j], w.s[j]});
    ASSERT_EQ(planPath(p, a, b, segs, *g), Status::Done);
    ASSERT_EQ(runPTP(*g), Status::Done);
    EXPECT_TRUE(bytes(*g) == bytes(*r)) << i;
  }
}

// Forty segments, driven by every mechanism on both paths with each controller: every
// reference and variable-velocity run ends on the path's end (within the tolerances of the
// paths of five segments: the arc-line runs 1e-7, the clothoid-line runs 1e-5 but the front
// drive's reference point), turns back at every cusp, and the tracked AGV ends near it (within
// 0.6 m: the arcs at the steering limit turn left and right by turns).
TEST(Segments, ASlalomIsDrivenByEveryMechanismToItsEnd) {
  auto r = std::make_unique<PtpResult>();
  for (const int c : {NoController, PurePursuit, Stanley, RearWheel}) {
    Params p = many();
    p.controller = c;
    ASSERT_EQ(planPath(p, kStart, slalom(40), *r), Status::Done) << reason(r->refusal, p);
    ASSERT_EQ(runPTP(*r), Status::Done) << reason(r->refusal, p);
    ASSERT_EQ(r->path.nseg, 40);
    ASSERT_GE(r->path.cusps(), 5);
    const Pose& end = r->path.Pf;
    for (int k = 0; k < 3; ++k) {
      SCOPED_TRACE(testing::Message() << "controller " << c << " mechanism " << k + 1);
      EXPECT_LT(miss(r->arc[k].ref.back(), end), 1e-7);
      EXPECT_LT(miss(r->arc[k].vv.back(), end), 1e-7);
      if (k != 1) {  // not the front drive
        EXPECT_LT(miss(r->cl[k].ref.back(), end), 1e-5);
      }
      EXPECT_LT(miss(r->cl[k].vv.back(), end), 1e-5);
      EXPECT_EQ(reversals(r->arc[k].ref), r->path.cusps());
      EXPECT_EQ(reversals(r->cl[k].ref), r->path.cusps());
      if (c != NoController) {
        ASSERT_FALSE(r->arc[k].tr.empty());
        EXPECT_LT(miss(r->arc[k].tr.back(), end), 0.6);
      }
    }
  }
}

// The slalom cut into legs, each planned from the joint where the one before ended (its
// steering carried on): each leg's step tables and schedules are the whole path's for the same
// segments, bit for bit, and its reference runs take as many steps through the same poses
// (within 1e-7 on the arc-line path, 1e-5 on the clothoid-line path: as they end on its end).
TEST(Segments, ASlalomCutIntoLegsPlansEverySegmentAsTheWholeDoes) {
  const std::vector<PathSegment> all = slalom(40);
  auto whole = std::make_unique<PtpResult>(), leg = std::make_unique<PtpResult>();
  ASSERT_EQ(planPath(many(), kStart, all, *whole), Status::Done);
  ASSERT_EQ(runPTP(*whole), Status::Done);
  const size_t cuts[] = {0, 1, 9, 10, 23, 37, 40};
  Waypoint from = kStart;
  double phi = 0.0;
  size_t first[3][2] = {};  // the whole path's record where the leg begins, [k][path]
  for (size_t c = 0; c + 1 < std::size(cuts); ++c) {
    SCOPED_TRACE(testing::Message() << "leg " << c);
    const std::vector<PathSegment> part(all.begin() + cuts[c], all.begin() + cuts[c + 1]);
    ASSERT_EQ(planlegpath(many(), from, nullptr, part, phi, *leg), Status::Done);
    ASSERT_EQ(runPTP(*leg), Status::Done);
    const Steps &L = leg->steps, &W = whole->steps;
    const Schedule &lv = leg->schedule, &wv = whole->schedule;
    for (size_t j = 0; j < part.size(); ++j) {
      const size_t J = cuts[c] + j;
      for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(L.Tseg[k][j] == W.Tseg[k][J] && L.nSeg[k][j] == W.nSeg[k][J] &&
                    L.dtSeg[k][j] == W.dtSeg[k][J] && L.Tc3[k][j] == W.Tc3[k][J] &&
                    L.nc3[k][j] == W.nc3[k][J] && L.dtc3[k][j] == W.dtc3[k][J])
            << "segment " << J;
        if (k == 0) continue;
        EXPECT_TRUE(lv.Tv[k][j] == wv.Tv[k][J] && lv.nv2[k][j] == wv.nv2[k][J] &&
                    lv.sv5[k][j] == wv.sv5[k][J] && lv.nv5[k][j] == wv.nv5[k][J] &&
                    lv.Vc[k][j] == wv.Vc[k][J] && lv.Wc[k][j] == wv.Wc[k][J])
            << "segment " << J;
      }
    }
    for (int k = 0; k < 3; ++k)
      for (int b = 0; b < 2; ++b) {
        // The front drive's reference point ends a clothoid-line path short of its end: on the
        // whole path it carries the shortfall on, a leg does not.
        if (k == 1 && b == 1) continue;
        const std::vector<Record>& l = b == 0 ? leg->arc[k].ref : leg->cl[k].ref;
        const std::vector<Record>& w = b == 0 ? whole->arc[k].ref : whole->cl[k].ref;
        ASSERT_LE(first[k][b] + l.size(), w.size());
        // (A leg's last record has the curvature of its own last step, not the next leg's.)
        for (size_t n = 0; n < l.size(); ++n) {
          const Record& x = w[first[k][b] + n];
          const double kap = n + 1 < l.size() ? std::fabs(l[n].kap - x.kap) : 0.0;
          ASSERT_LT(std::max({std::fabs(l[n].x - x.x), std::fabs(l[n].y - x.y),
                              std::fabs(l[n].th - x.th), kap}),
                    b == 0 ? 1e-7 : 1e-5)
              << "mechanism " << k + 1 << " path " << b << " record " << n;
        }
        first[k][b] += l.size() - 1;
      }
    from = leg->end;
    phi = leg->schedule.phiEnd;
  }
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(first[k][0] + 1, whole->arc[k].ref.size());
    if (k != 1) {
      EXPECT_EQ(first[k][1] + 1, whole->cl[k].ref.size());
    }
  }
}

// The mirror image of the slalom (left and right exchanged, the start mirrored) mirrors every
// run, the tracked AGV's too (within 1e-4: its closed loop grows the roundings of the mirrored
// arithmetic, some 1e-5 after 900 steps).
TEST(Segments, AMirrorImageMirrorsEveryRun) {
  Params p = many();
  p.controller = PurePursuit;
  auto r = std::make_unique<PtpResult>(), m = std::make_unique<PtpResult>();
  ASSERT_EQ(planPath(p, kStart, slalom(40), *r), Status::Done);
  ASSERT_EQ(planPath(p, kMirrorStart, slalom(40, true), *m), Status::Done);
  ASSERT_EQ(runPTP(*r), Status::Done);
  ASSERT_EQ(runPTP(*m), Status::Done);
  for (int k = 0; k < 3; ++k)
    for (int b = 0; b < 2; ++b) {
      const Runs& x = b == 0 ? r->arc[k] : r->cl[k];
      const Runs& y = b == 0 ? m->arc[k] : m->cl[k];
      constexpr std::vector<Record> Runs::*kRuns[] = {&Runs::ref, &Runs::cv, &Runs::vv, &Runs::tr};
      for (int i = 0; i < 4; ++i) {
        const auto run = kRuns[i];
        ASSERT_EQ((x.*run).size(), (y.*run).size());
        for (size_t n = 0; n < (x.*run).size(); ++n) {
          const Record &u = (x.*run)[n], &v = (y.*run)[n];
          ASSERT_LT(std::max({std::fabs(u.x - v.x), std::fabs(u.y + v.y), std::fabs(u.th + v.th),
                              std::fabs(u.phi + v.phi), std::fabs(u.kap + v.kap)}),
                    i == 3 ? 1e-4 : 1e-9)
              << "mechanism " << k + 1 << " path " << b << " run " << i << " record " << n;
        }
      }
    }
}

// What cannot be driven is refused with its reason, before anything is planned.
TEST(Segments, SegmentsThatCannotBeDrivenAreRefused) {
  const struct {
    PathSegment bad;  // segment 3
    int reverse;
  } kBad[] = {{{1, 1, NAN}, 1}, {{0, 1, -0.1}, 1}, {{-1, -1, INFINITY}, 1},
              {{2, 1, 1.0}, 1}, {{0, 0, 1.0}, 1}, {{1, -1, 1.0}, 0}};
  auto r = std::make_unique<PtpResult>();
  for (const auto& c : kBad) {
    std::vector<PathSegment> segs = slalom(5);
    segs[2] = c.bad;
    Params p = many();
    p.reverse = c.reverse;
    EXPECT_EQ(planPath(p, kStart, segs, *r), Status::BadPath);
    EXPECT_EQ(r->refusal.stage, 0);
    EXPECT_EQ(r->refusal.count, 3);
    EXPECT_FALSE(r->planned);
    EXPECT_NE(reason(r->refusal, many()).find("segment 3 "), std::string::npos);
  }
  // An end pose given: the segments must end there, within kEndGap.
  ASSERT_EQ(planPath(many(), kStart, slalom(12), *r), Status::Done);
  const Waypoint end = r->end;
  EXPECT_EQ(planPath(many(), kStart, end, slalom(12), *r), Status::Done);
  for (const Waypoint off : {Waypoint{end.x + 1e-4, end.y, end.thDeg},
                             Waypoint{end.x, end.y, end.thDeg + 0.01}}) {
    EXPECT_EQ(planPath(many(), kStart, off, slalom(12), *r), Status::BadPath);
    EXPECT_EQ(r->refusal.stage, 1);
    EXPECT_GT(r->refusal.value, kEndGap);
  }
  EXPECT_EQ(planPath(many(), Waypoint{NAN, 0, 0}, slalom(3), *r), Status::BadPose);
  // Many segments count towards maxMemory: refused before their tables are made.
  Params small = many();
  small.maxMemory = 1;
  EXPECT_EQ(planPath(small, kStart, std::vector<PathSegment>(5000), *r), Status::TooMuchMemory);
  EXPECT_GT(r->refusal.value, 1.0);
  EXPECT_TRUE(r->path.s.empty());
}

// A pass into a result used before allocates nothing new: a short path after a long one, and the
// long one again, keep every table and run where it was.
TEST(Segments, APassIntoAResultUsedBeforeKeepsItsMemory) {
  auto r = std::make_unique<PtpResult>();
  const auto where = [&r] {
    std::vector<const void*> at = {r->path.s.data(), r->path.Pj.data(), r->clothoid.sc3.data(),
                                   r->steps.Tc3[2].data(), r->steps.nSeg[1].seg.data(),
                                   r->schedule.nv5[1].data(), r->schedule.Vc[2].data()};
    for (int k = 0; k < 3; ++k)
      for (const Runs* runs : {&r->arc[k], &r->cl[k]})
        for (const auto* v : {&runs->ref, &runs->cv, &runs->vv}) at.push_back(v->data());
    return at;
  };
  ASSERT_EQ(planPath(many(), kStart, slalom(40), *r), Status::Done);
  ASSERT_EQ(runPTP(*r), Status::Done);
  const std::vector<const void*> before = where();
  ASSERT_EQ(passPTP(many(), 2, 3, 0, *r), Status::Done);
  ASSERT_EQ(planPath(many(), kStart, slalom(40), *r), Status::Done);
  ASSERT_EQ(runPTP(*r), Status::Done);
  EXPECT_TRUE(where() == before);
}

// The poses along the slalom (and along two legs, one after the other): on the start and the
// end, on every joint, at most the spacing apart, with the curvature and the driving direction
// of the segment they lie on.
TEST(Segments, ThePosesAlongAPathLieOnEveryJointAndCloseTogether) {
  auto r = std::make_unique<PtpResult>();
  const std::vector<PathSegment> segs = slalom(40);
  ASSERT_EQ(planPath(many(), kStart, segs, *r), Status::Done);
  constexpr double ds = 0.05;
  std::vector<PathPose> poses;
  ASSERT_EQ(samplePath(*r, ds, poses), Status::Done);
  const ArcPath& a = r->path;
  EXPECT_LT(miss(poses.front(), a.P0), 1e-12);
  EXPECT_LT(miss(poses.back(), a.Pf), 1e-9);
  size_t i = 0;
  double joint = 0.0;
  for (size_t j = 0; j < segs.size(); ++j) {
    // The first pose of segment j lies on its joint and has its curvature and direction.
    while (i < poses.size() && poses[i].s < joint) ++i;
    ASSERT_LT(i, poses.size());
    EXPECT_EQ(poses[i].s, joint) << "joint " << j;
    if (j > 0) {
      EXPECT_LT(miss(poses[i], a.Pj[j - 1]), 1e-9);
    }
    EXPECT_EQ(poses[i].kap, segs[j].k / many().Ra);
    EXPECT_EQ(poses[i].drive, segs[j].drive);
    joint += segs[j].len;
  }
  for (size_t n = 1; n < poses.size(); ++n) {
    ASSERT_GT(poses[n].s, poses[n - 1].s);
    ASSERT_LE(poses[n].s - poses[n - 1].s, ds + 1e-12);
    ASSERT_LE(std::hypot(poses[n].x - poses[n - 1].x, poses[n].y - poses[n - 1].y), ds + 1e-12);
  }
  // A second leg from the first one's end carries on from its last pose.
  auto two = std::make_unique<PtpResult>();
  ASSERT_EQ(planPath(many(), r->end, slalom(3), *two), Status::Done);
  const size_t one = poses.size();
  ASSERT_EQ(samplePath(*two, ds, poses), Status::Done);
  ASSERT_GT(poses.size(), one);
  EXPECT_GT(poses[one].s, poses[one - 1].s);
  EXPECT_LE(poses[one].s - poses[one - 1].s, ds + 1e-12);
}

}  // namespace
