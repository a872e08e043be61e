// Passes in a map: the first contacts of their paths and runs are poses that collide, with no
// pose before them that does; a mirrored map gives mirrored contacts; routes' legs share them.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "agv/agv.h"

using namespace agv;

namespace {

// A hall of 20 x 20 m in cells of 0.1 m, its lower-left corner at (-5, -10): free, but for a
// wall of 0.5 m from x = 4 to 4.5 and from y = -3 to 3, symmetric about y = 0.
Map hall() {
  Map m;
  m.width = m.height = 200;
  m.resolution = 0.1;
  m.x = -5;
  m.y = -10;
  m.cells.assign(200 * 200, Cell::Free);
  for (int row = 70; row < 130; ++row)
    for (int col = 90; col < 95; ++col) m.cells[static_cast<size_t>(row) * 200 + col] = Cell::Occupied;
  return m;
}

// A contact c of a run: its pose collides, is the record's at c.index, and no record before it
// collides.
void expectFirst(const MapIndex& ix, const std::vector<Record>& run, const Contact& c) {
  ASSERT_TRUE(c);
  ASSERT_GE(c.index, 0);
  ASSERT_LT(static_cast<size_t>(c.index), run.size());
  const Record& r = run[static_cast<size_t>(c.index)];
  EXPECT_EQ(c.t, r.t);
  EXPECT_EQ(c.x, r.x);
  EXPECT_EQ(c.y, r.y);
  EXPECT_EQ(c.th, r.th);
  EXPECT_TRUE(collides(ix, c.x, c.y, c.th));
  for (long i = 0; i < c.index; ++i) {
    const Record& b = run[static_cast<size_t>(i)];
    ASSERT_FALSE(collides(ix, b.x, b.y, b.th)) << "record " << i;
  }
}

// The planner's pass or route (no search) with the contacts of its paths and runs in the map
// of ix.
Status checked(const Params& p, const MapIndex& ix, const Waypoint& a, const Waypoint& b,
               PtpResult& r) {
  const Status s = passPTP(p, a, b, r);
  if (s == Status::Done) findcontacts(ix, r);
  return s;
}
Status checked(const Params& p, const MapIndex& ix, const std::vector<Waypoint>& w,
               RouteResult& r) {
  const Status s = passRoute(p, w, r);
  if (s == Status::Done) findcontacts(ix, r);
  return s;
}

// The contacts of two passes mirrored in y = 0 are mirrored.
void expectMirrored(const Contact& a, const Contact& b) {
  ASSERT_EQ(static_cast<bool>(a), static_cast<bool>(b));
  EXPECT_NEAR(a.t, b.t, 1e-9);
  EXPECT_NEAR(a.x, b.x, 1e-9);
  EXPECT_NEAR(a.y, -b.y, 1e-9);
  EXPECT_NEAR(a.th, -b.th, 1e-9);
}

TEST(Contacts, AWallAcrossThePathIsMetFirstWhereABodyReachesItAndInTheMirrorAlike) {
  const Map m = hall();
  for (const int tracked : {0, 1}) {
    Params p;
    p.controller = tracked;
    MapIndex ix;
    ASSERT_TRUE(buildindex(m, p, ix));
    auto up = std::make_unique<PtpResult>(), down = std::make_unique<PtpResult>();
    ASSERT_EQ(checked(p, ix, Waypoint{0, 0, 0}, Waypoint{8, 1, 20}, *up), Status::Done);
    ASSERT_EQ(checked(p, ix, Waypoint{0, 0, 0}, Waypoint{8, -1, -20}, *down), Status::Done);
    ASSERT_TRUE(up->contacts.checked);
    for (int b = 0; b < 2; ++b) {
      SCOPED_TRACE(testing::Message() << "tracked " << tracked << ", path " << b);
      const Contact& path = up->contacts.path[b];
      ASSERT_TRUE(path);
      EXPECT_TRUE(collides(ix, path.x, path.y, path.th));
      // The body's front reaches the wall at x = 4 within a sample of the path.
      EXPECT_NEAR(path.x + p.bodyFront * std::cos(path.th), 4.0, samplespacing(ix) + 0.05);
      expectMirrored(path, down->contacts.path[b]);
      for (Mechanism mech : kMechanisms) {
        const int k = index(mech);
        const auto& runs = b == 0 ? up->arc[k] : up->cl[k];
        expectFirst(ix, runs.cv, up->contacts.cv[b][k]);
        expectFirst(ix, runs.vv, up->contacts.vv[b][k]);
        expectMirrored(up->contacts.cv[b][k], down->contacts.cv[b][k]);
        if (tracked) expectFirst(ix, runs.tr, up->contacts.tr[b][k]);
        EXPECT_EQ(static_cast<bool>(up->contacts.tr[b][k]), tracked == 1);
      }
    }
    // The summary holds the contacts, and the column table has them only for a pass in a map.
    EXPECT_EQ(summarize(*up).arc(Mechanism::M1FDW1FS).cvcontact.t, up->contacts.cv[0][1].t);
    EXPECT_TRUE(features(*up).map);
    auto open = std::make_unique<PtpResult>();
    ASSERT_EQ(passPTP(p, Waypoint{0, 0, 0}, Waypoint{8, 1, 20}, *open), Status::Done);
    EXPECT_FALSE(features(*open).map);
    EXPECT_LT(columns(Table::Ptp, features(*open)).size(), columns(Table::Ptp, features(*up)).size());
  }
}

TEST(Contacts, APassClearOfTheWallTouchesNothingOneAtItMeetsItWithinASampleAndALegHoldsItsOwn) {
  const Map m = hall();
  Params p;
  MapIndex ix;
  ASSERT_TRUE(buildindex(m, p, ix));
  auto clear = std::make_unique<PtpResult>();
  ASSERT_EQ(checked(p, ix, Waypoint{0, 5, 0}, Waypoint{8, 6, 0}, *clear), Status::Done);
  for (int b = 0; b < 2; ++b) {
    EXPECT_FALSE(clear->contacts.path[b]);
    for (int k = 0; k < 3; ++k) EXPECT_FALSE(clear->contacts.cv[b][k] || clear->contacts.vv[b][k]);
  }
  // Straight at the wall, however far apart the records: the front meets it within a sample.
  for (const double v : {1.0, 20.0}) {
    Params fast = p;
    fast.Vmax = v;
    auto at = std::make_unique<PtpResult>();
    ASSERT_EQ(checked(fast, ix, Waypoint{0, 0, 0}, Waypoint{8, 0, 0}, *at), Status::Done);
    const double front = at->contacts.path[0].x + p.bodyFront;
    EXPECT_GE(front, 4.0) << v;
    EXPECT_LE(front, 4.0 + samplespacing(ix)) << v;
  }
  // The first leg is clear, the second drives into the wall: the route's contact is that leg's.
  const std::vector<Waypoint> w = {{-2, 0, 0}, {0, 0, 0}, {8, 0, 0}};
  auto r = std::make_unique<RouteResult>();
  ASSERT_EQ(checked(p, ix, w, *r), Status::Done);
  ASSERT_EQ(r->legs.size(), 2u);
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k) {
      EXPECT_FALSE(r->legs[0].contacts.cv[b][k]);
      ASSERT_TRUE(r->contacts.cv[b][k]);
      EXPECT_EQ(r->legs[1].contacts.cv[b][k].t, r->contacts.cv[b][k].t);
      EXPECT_EQ(r->legs[1].contacts.cv[b][k].index, r->contacts.cv[b][k].index);
    }
  EXPECT_EQ(r->legs[1].contacts.path[0].t, r->contacts.path[0].t);
}

}  // namespace
