// Step division, the integrals of cos(t^2) and sin(t^2) and the clothoid fit.
#include "ptputil.h"

namespace ptptest {

constexpr double kDKds = 2.0;  // the default vehicle's largest curvature change [1/m^2]

TEST(Calstep, Division) {
  const int big = std::numeric_limits<int>::max();
  const double cases[][3] = {
      // T, n, step
      {1.0, 50, 0.02},         {1.01, 50, 1.01 / 50},
      {0.015, 1, 0.015},       {-1.0, 50, -0.02},
      {-0.015, 1, -0.015},     {5e-5, 0, 0.0},
      {-5e-5, 0, 0.0},         {0.0, 0, 0.0},
      {60.0, 3000, 0.02},      {59.98, 2999, 59.98 / 2999},
      {1e12, big, 1e12 / big},  // a count beyond int is held at its largest value
  };
  for (const auto& c : cases) {
    double step = -1;
    int n = -1;
    agv::calstep(c[0], 0.02, step, n);
    EXPECT_EQ(n, c[1]) << c[0];
    EXPECT_DOUBLE_EQ(step, c[2]) << c[0];
  }
}

// Step counts held at the largest int add up without overflow, and are refused.
TEST(Calstep, TotalsOfHeldCountsAreRefused) {
  const int big = std::numeric_limits<int>::max();
  agv::Summed<int> n{{big, big, 5, big, big}};
  EXPECT_EQ(agv::steptotal(n, 3, 3000), 0);
  EXPECT_EQ(n.total, big);
  agv::Summed<int> m{{1000, 999, 1000, 0}};
  EXPECT_EQ(agv::steptotal(m, 3, 3000), 1);
  EXPECT_EQ(m.total, 2999);
  EXPECT_EQ(agv::steptotal(m, 3, 2999), 0);
  m[3] = 1;  // a fourth segment counts where the path has four
  EXPECT_EQ(agv::steptotal(m, 4, 3001), 1);
  EXPECT_EQ(m.total, 3000);
}

TEST(ClothoidIntegrals, KnownValues) {
  EXPECT_EQ(agv::intcos2(0.0), 0.0);
  EXPECT_EQ(agv::intsin2(0.0), 0.0);
  EXPECT_NEAR(agv::intcos2(1.0), 0.904524237900272, 1e-10);
  EXPECT_NEAR(agv::intsin2(1.0), 0.310268301723381, 1e-10);
  EXPECT_NEAR(agv::intcos2(-1.0), -0.904524237900272, 1e-10);
  // u = sqrt(pi/2): sqrt(pi/2) times the Fresnel integrals C(1), S(1).
  const double u = std::sqrt(PI / 2);
  EXPECT_NEAR(agv::intcos2(u), u * 0.779893400376823, 1e-9);
  EXPECT_NEAR(agv::intsin2(u), u * 0.438259147390355, 1e-9);
}

TEST(Clsolve, TurnsOfTheArc) {
  const struct {
    double K, Th;
    int ret;
    double phi, kap, len;  // clothoid turn, middle curvature, curve length
  } cases[] = {
      {1.0, PI / 2, 0, PI / 4, 1.870, 1.680},  // no sign change: the clothoid pair
      {1.0, PI, 1, 0.255, 1.011, 3.613},
      {0.5, PI / 2, 1, 0.072, 0.536, 3.197},
      {1.0, 0.015, 0, 0.0075, 2.000, 0.015},  // too small for one scan step: the pair
  };
  for (const auto& c : cases) {
    double phi = 0, kap = 0;
    EXPECT_EQ(agv::clsolve(c.Th, c.K, kDKds, phi, kap), c.ret) << c.Th;
    EXPECT_NEAR(phi, c.phi, 5e-4) << c.Th;
    EXPECT_NEAR(kap, c.kap, 5e-4) << c.Th;
    EXPECT_NEAR((2 * phi + c.Th) / kap, c.len, 5e-4) << c.Th;
    if (c.ret == 1) {
      EXPECT_EQ(kap, std::sqrt(2 * phi * kDKds));  // the κ of the root's residual
    }
  }
}

// A root just below the first scan point: the one-sided regula falsi needs over 1000 steps.
TEST(Clsolve, SlowRegulaFalsiStillFindsTheRoot) {
  const double K = 0.10117470765089179;
  const double Th = 0.020475189780289758;
  double phi = 0, kap = 0, k = 0;
  EXPECT_EQ(agv::clsolve(Th, K, kDKds, phi, kap), 1);
  EXPECT_NEAR(phi, 0.0099937, 1e-6);
  EXPECT_LT(std::fabs(agv::clresid(Th, phi, K, kDKds, k) / agv::clresid(Th, 0.01, K, kDKds, k)),
            1e-6);
}

// Loops bounded by computed values end even when a value is not a number or infinite.
TEST(Loops, NonFiniteValuesEndTheStepDivisionAndTheFit) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  double step = 1.0, phi = 0, kap = 0;
  int n = 1;
  agv::calstep(kNaN, 0.02, step, n);  // no steps for a duration that is no number
  EXPECT_EQ(n, 0);
  EXPECT_EQ(step, 0.0);
  EXPECT_EQ(agv::clsolve(kNaN, 1.0, kDKds, phi, kap), 0);  // the scan ends at once
  EXPECT_EQ(agv::clsolve(-std::numeric_limits<double>::infinity(), 1.0, kDKds, phi, kap), 0);
}

}  // namespace ptptest
