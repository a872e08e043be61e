// Step tables of the arc-line runs and the clothoid-line path.
#include "ptputil.h"

namespace ptptest {

TEST(ClothoidLine, DefaultEndPose) {
  ASSERT_EQ(plan(2, 3, 0).ret, 1);
  // The front-drive mechanism (k = 1) is slower on the arcs.
  const V nSeg[3] = {{78, 50, 78, 206}, {111, 50, 111, 272}, {78, 50, 78, 206}};
  const V nc[3] = {{84, 50, 84, 218}, {120, 50, 120, 290}, {84, 50, 84, 218}};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(ints(agv::nSeg[k], 4), nSeg[k]);
    EXPECT_EQ(ints(agv::nc[k], 4), nc[k]);
    // The 1 m line: 50 steps of 0.02 s for every mechanism, on both paths.
    EXPECT_DOUBLE_EQ(agv::dtSeg[k][1], 0.02);
    EXPECT_EQ(agv::nc3[k][1][1], 50);
    EXPECT_DOUBLE_EQ(agv::dtc3[k][1][1], 0.02);
  }
  // Both quarter turns become clothoid pairs without a middle arc.
  for (int j : {0, 2}) {
    EXPECT_NEAR(agv::Kc[j], 1.870, 5e-4);
    EXPECT_NEAR(agv::sc3[j][0], 0.840, 5e-4);
    EXPECT_NEAR(agv::sc3[j][1], 0.0, 1e-12);
    EXPECT_NEAR(agv::sc[j], 1.680, 5e-4);
    EXPECT_DOUBLE_EQ(agv::phiC[j], std::atan(agv::Kc[j]));
    for (int k = 0; k < 3; ++k) EXPECT_EQ(agv::nc3[k][j][1], 0);
  }
  EXPECT_DOUBLE_EQ(agv::sc[1], 1.0);
  EXPECT_EQ(agv::Kc[1], 0.0);
  EXPECT_EQ(agv::Kcs, agv::Kc[2]);
}

// Straight ahead, the adopted row keeps arcs of about 1e-16 m.
TEST(ClothoidLine, CurvedSegmentOfVanishingLength) {
  ASSERT_EQ(plan(4, 0, 0).ret, 1);
  ASSERT_NE(agv::sgnK[0], 0);
  ASSERT_LT(agv::s[0], agv::sVanish);
  for (int j : {0, 2}) {
    EXPECT_EQ(agv::Kc[j], 1 / agv::Rarc);
    for (int m = 0; m < 4; ++m) EXPECT_EQ(agv::sc3[j][m], 0.0);
    EXPECT_EQ(agv::sc[j], 0.0);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(agv::Tc[k][j], 0.0);
      EXPECT_EQ(agv::nc[k][j], 0);
      EXPECT_EQ(agv::nSeg[k][j], 0);
      EXPECT_EQ(ints(agv::nc3[k][j], 3), V({0, 0, 0}));
      for (int m = 0; m < 3; ++m) EXPECT_EQ(agv::dtc3[k][j][m], 0.0);
    }
  }
  for (int k = 0; k < 3; ++k) EXPECT_EQ(agv::nc[k][3], 200);
}

TEST(ClothoidLine, StepLimitStraightAhead) {
  const auto p = plan(60, 0, 0);
  EXPECT_EQ(p.ret, 0);
  EXPECT_EQ(agv::nSeg[0][3], 3000);
  EXPECT_TRUE(twiceTooLong(p.out));  // calclothoid's message, then calPTP's
  ASSERT_EQ(plan(59.98, 0, 0).ret, 1);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(agv::nSeg[k][3], 2999);
    EXPECT_EQ(agv::nc[k][3], 2999);
  }
}

}  // namespace ptptest
