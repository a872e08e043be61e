// Step tables of the arc-line runs and the clothoid-line path.
#include "ptputil.h"

namespace ptptest {

TEST(ClothoidLine, DefaultEndPose) {
  const Plan p = plan(2, 3, 0);
  ASSERT_EQ(p.ret, 1);
  const agv::Steps& st = p.st();
  const agv::ClothoidPath& c = p.c();
  // The front-drive mechanism (k = 1) is slower on the arcs.
  const V nSeg[3] = {{78, 50, 78, 206}, {111, 50, 111, 272}, {78, 50, 78, 206}};
  const V nc[3] = {{84, 50, 84, 218}, {120, 50, 120, 290}, {84, 50, 84, 218}};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ((V{st.nSeg[k][0], st.nSeg[k][1], st.nSeg[k][2], st.nSeg[k].total}), nSeg[k]);
    EXPECT_EQ((V{st.nc[k][0], st.nc[k][1], st.nc[k][2], st.nc[k].total}), nc[k]);
    // The 1 m line: 50 steps of 0.02 s for every mechanism, on both paths.
    EXPECT_DOUBLE_EQ(st.dtSeg[k][1], 0.02);
    EXPECT_EQ(st.nc3[k][1][1], 50);
    EXPECT_DOUBLE_EQ(st.dtc3[k][1][1], 0.02);
  }
  // Both quarter turns become clothoid pairs without a middle arc.
  for (int j : {0, 2}) {
    EXPECT_NEAR(c.Kc[j], 1.870, 5e-4);
    EXPECT_NEAR(c.sc3[j][0], 0.840, 5e-4);
    EXPECT_NEAR(c.sc3[j][1], 0.0, 1e-12);
    EXPECT_NEAR(c.sc[j], 1.680, 5e-4);
    EXPECT_DOUBLE_EQ(c.phiC[j], std::atan(c.Kc[j]));
    for (int k = 0; k < 3; ++k) EXPECT_EQ(st.nc3[k][j][1], 0);
  }
  EXPECT_DOUBLE_EQ(c.sc[1], 1.0);
  EXPECT_EQ(c.Kc[1], 0.0);
  EXPECT_EQ(c.Kcs, c.Kc[2]);
}

// Straight ahead, the adopted row keeps arcs of about 1e-16 m.
TEST(ClothoidLine, CurvedSegmentOfVanishingLength) {
  const Plan p = plan(4, 0, 0);
  ASSERT_EQ(p.ret, 1);
  const agv::Steps& st = p.st();
  ASSERT_NE(p.a().sgnK[0], 0);
  ASSERT_LT(p.a().s[0], agv::sVanish);
  for (int j : {0, 2}) {
    EXPECT_EQ(p.c().Kc[j], 1 / p.a().Rarc);
    for (int m = 0; m < 4; ++m) EXPECT_EQ(p.c().sc3[j][m], 0.0);
    EXPECT_EQ(p.c().sc[j], 0.0);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(st.Tc[k][j], 0.0);
      EXPECT_EQ(st.nc[k][j], 0);
      EXPECT_EQ(st.nSeg[k][j], 0);
      EXPECT_EQ(ints(st.nc3[k][j], 3), V({0, 0, 0}));
      for (int m = 0; m < 3; ++m) EXPECT_EQ(st.dtc3[k][j][m], 0.0);
    }
  }
  for (int k = 0; k < 3; ++k) EXPECT_EQ(st.nc[k].total, 200);
}

TEST(ClothoidLine, StepLimitStraightAhead) {
  const Plan p = plan(60, 0, 0);
  EXPECT_EQ(p.ret, 0);
  EXPECT_EQ(p.st().nSeg[0].total, 3000);
  EXPECT_TRUE(tooLongSteps(p));  // the path is reported, the step tables refuse it
  const Plan q = plan(59.98, 0, 0);
  ASSERT_EQ(q.ret, 1);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(q.st().nSeg[k].total, 2999);
    EXPECT_EQ(q.st().nc[k].total, 2999);
  }
}

}  // namespace ptptest
