// The public API: parameters and their checks, misuse, refusals with their reasons, and
// other vehicles whose results follow from the geometry.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "agv/agv.h"

using namespace agv;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Params, EachValueIsCheckedAgainstItsRange) {
  const struct {
    const char* name;
    double value;
    const char* says;  // empty: accepted
  } cases[] = {
      {"Vmax", 0.5, ""},
      {"Vmax", 0.0, "Vmax must be a number from 0.001 to 100 m/s, not 0"},
      {"Vmax", -1.0, "Vmax must be a number from 0.001 to 100 m/s, not -1"},
      // A hair below the range: as many digits as tell it from the range's end.
      {"Vmax", 0.0009999999999999998,
       "Vmax must be a number from 0.001 to 100 m/s, not 0.0009999999999999998"},
      {"steerRate", kInf, "steerRate must be a number from 0.001 to 100 rad/s, not inf"},
      {"Ra", kNaN, "Ra must be a number from 0.001 to 1000 m, not nan"},
      {"Lw", 100.0, ""},
      {"Lw", 100.5, "Lw must be a number from 0.001 to 100 m, not 100.5"},
      {"dt", 0.1, ""},
      {"dt", 0.1000001, "dt must be a number from 0.0001 to 0.1 s, not 0.1000001"},
      {"dtCP", 0.0, "dtCP must be a number from 0.0001 to 0.1 s, not 0"},
      {"maxSteps", 1e6, ""},
      {"maxSteps", 2999.5, "maxSteps must be a whole number from 1 to 1000000, not 2999.5"},
      {"maxSteps", 0.0, "maxSteps must be a whole number from 1 to 1000000, not 0"},
      {"threeArcs", 1.0, ""},
      {"threeArcs", 2.0, "threeArcs must be a whole number from 0 to 1, not 2"},
      {"maxMemory", 1.0, ""},
      {"maxMemory", 0.0, "maxMemory must be a whole number from 1 to 1048576 MiB, not 0"},
      {"controller", 3.0, ""},
      {"controller", 1.5, "controller must be a whole number from 0 to 3 (or one of "
                          "none,purepursuit,stanley,rearwheel), not 1.5"},
      {"Ld", 0.0, "Ld must be a number from 0.001 to 1000 m, not 0"},
      {"kE", -1.0, "kE must be a number from 0 to 100 1/m^2, not -1"},
      {"offsetTh", 180.5, "offsetTh must be a number from -180 to 180 deg, not 180.5"},
      {"bodyWidth", 0.0, "bodyWidth must be a number from 0.001 to 100 m, not 0"},
      {"bodyRear", 0.0, ""},
      {"clearance", 100.5, "clearance must be a number from 0 to 100 m, not 100.5"},
      {"bodyFront", 0.0, "bodyFront must be a number from 0.001 to 100 m, not 0"},
      {"vmax", 1.0, "unknown parameter vmax (the parameters: Vmax, steerRate, Ra, Lw, dt, "
                    "dtCP, maxSteps, threeArcs, maxMemory, controller, Ld, kLd, kStanley, "
                    "kTheta, kE, offsetX, offsetY, offsetTh, reverse, reverseCost, cuspCost, "
                    "bodyFront, bodyRear, bodyWidth, clearance, unknownFree)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.value));
    Params p;
    const ParamCheck r = setparam(p, c.name, c.value);
    if (*c.says == '\0') {
      EXPECT_EQ(r, ParamCheck::Ok);
      EXPECT_EQ(getparam(p, c.name), c.value);
      EXPECT_EQ(checkparams(p), "");
      EXPECT_FALSE(isdefault(p));
    } else {
      EXPECT_EQ(r, std::string(c.says).rfind("unknown", 0) == 0 ? ParamCheck::UnknownName
                                                                 : ParamCheck::OutOfRange);
      EXPECT_TRUE(isdefault(p));  // left as it was
      EXPECT_EQ(paramerror(c.name, c.value), c.says);
    }
  }
  // A value set past setparam is found by checkparams and refused by every pass.
  Params p;
  p.Lw = 0.0;
  EXPECT_EQ(checkparams(p), "Lw must be a number from 0.001 to 100 m, not 0");
  auto r = std::make_unique<PtpResult>();
  auto c = std::make_unique<CpResult>();
  EXPECT_EQ(passPTP(p, 2, 3, 0, *r), Status::BadParams);
  EXPECT_EQ(passCP(p, Curve{1, 2, 5}, *c), Status::BadParams);
  EXPECT_EQ(reason(r->refusal, p), checkparams(p));
}

TEST(Misuse, GivesAStatusNeverACrash) {
  const Params p;
  auto r = std::make_unique<PtpResult>();
  auto c = std::make_unique<CpResult>();
  for (const auto& [x, y, th] : {std::tuple{kNaN, 0.0, 0.0}, std::tuple{0.0, kInf, 0.0},
                                 std::tuple{0.0, 0.0, -kInf}}) {
    EXPECT_EQ(passPTP(p, x, y, th, *r), Status::BadPose);
    EXPECT_EQ(reason(r->refusal, p), "a pose is not finite");
  }
  EXPECT_EQ(runPTP(*r), Status::NotPlanned);  // after a refused plan
  EXPECT_EQ(runPTP(*std::make_unique<PtpResult>()), Status::NotPlanned);
  EXPECT_EQ(runCP(*std::make_unique<CpResult>()), Status::NotPlanned);
  const std::pair<Curve, Status> curves[] = {
      {{5, 1, 1}, Status::UnknownCurve},      {{-1, 1, 1}, Status::UnknownCurve},
      {{1, -2, 5}, Status::BadConstants},     {{1, 2, kNaN}, Status::BadConstants},
      {{13, kInf, 0}, Status::BadConstants},  {{1, 2, 0}, Status::UndefinedCurve},
      {{13, 1, kNaN}, Status::Done},  // the cardioid takes one constant
  };
  for (const auto& [curve, want] : curves) {
    EXPECT_EQ(passCP(p, curve, *c), want) << curve.I << " " << curve.a << " " << curve.b;
    EXPECT_EQ(c->refusal.status, want);
    EXPECT_NE(reason(c->refusal, p).empty(), want != Status::Done);
  }
}

// A refused pass leaves no runs behind; a plan without its runs has none either.
TEST(Refusals, LeaveNoRunsAndSayWhy) {
  Params p;
  p.maxSteps = 200;
  auto r = std::make_unique<PtpResult>();
  ASSERT_EQ(passPTP(Params{}, 2, 3, 0, *r), Status::Done);
  EXPECT_EQ(passPTP(p, 4, 0, 0, *r), Status::PathTooLong);  // 200 steps of 0.02 s: 4 m
  EXPECT_EQ(r->refusal.stage, 1);
  EXPECT_TRUE(r->arc[0].ref.empty() && r->cl[2].vv.empty());
  // A limit of the step capacity names the parameter that lifts it.
  EXPECT_EQ(reason(r->refusal, p),
            "the path is too long: its runs need 200 time steps or more (maxSteps = 200; a larger "
            "maxSteps lets it run)");
  ASSERT_EQ(planPTP(p, 3.9, 0, 0, *r), Status::Done);
  EXPECT_TRUE(r->arc[0].ref.empty());
  ASSERT_EQ(runPTP(*r), Status::Done);
  EXPECT_EQ(r->arc[0].ref.size(), 196u);
  auto c = std::make_unique<CpResult>();
  EXPECT_EQ(passCP(p, Curve{1, 2, 5}, *c), Status::RangeTooLong);  // 200 rows of 0.01: 1.99
  EXPECT_EQ(c->refusal.limit, 199 * 0.01);
  EXPECT_EQ(passCP(p, Curve{1, 2, 1.9}, *c), Status::CurveTooLong);  // 4 m of 200 CP steps
  EXPECT_EQ(reason(c->refusal, p),
            "the curve is longer than 200 CP steps, 4 m (maxSteps = 200; a larger maxSteps lets "
            "it run)");
  Params fast;  // steps enough for 10,000 km
  fast.Vmax = 100;
  fast.dt = 0.1;
  fast.maxSteps = 1000000;
  EXPECT_EQ(planPTP(fast, 2e5, 0, 0, *r), Status::PathTooLong);
  EXPECT_EQ(reason(r->refusal, fast),
            "the path is too long: the planner adopts no join of 100000 m or more");
}

// The records of a pass are estimated from its step counts before they are made: a pass that
// would take more than maxMemory is refused, naming the time step and maxSteps, and the same
// pass with the memory it needs runs and takes about what was estimated.
TEST(Refusals, PassesThatWouldTakeMoreThanMaxMemory) {
  Params p;
  p.maxSteps = 1000000;
  p.dt = p.dtCP = 0.001;
  p.maxMemory = 16;
  auto r = std::make_unique<PtpResult>();
  ASSERT_EQ(planPTP(p, 40, 0, 0, *r), Status::TooMuchMemory);  // 40,000 steps a run
  EXPECT_EQ(r->refusal.count, 40000);
  EXPECT_GT(r->refusal.value, 16);
  EXPECT_EQ(r->refusal.limit, 16);
  EXPECT_EQ(reason(r->refusal, p).substr(0, 62),
            "the records of the pass would take 51 MiB, more than maxMemory");
  EXPECT_NE(reason(r->refusal, p).find("(dt = 0.001 s, maxSteps = 1000000); a larger dt"),
            std::string::npos);
  const double estimate = r->refusal.value;
  p.maxMemory = 64;
  ASSERT_EQ(passPTP(p, 40, 0, 0, *r), Status::Done);
  size_t bytes = 0;
  for (const Runs* runs : {r->arc, r->cl})
    for (int k = 0; k < 3; ++k)
      for (const auto* v : {&runs[k].ref, &runs[k].cv, &runs[k].err, &runs[k].vv})
        bytes += v->size() * sizeof(Record);
  EXPECT_NEAR(bytes / (1024.0 * 1024.0), estimate, 1e-9);
  auto c = std::make_unique<CpResult>();
  p.maxMemory = 16;
  EXPECT_EQ(passCP(p, Curve{12, 1, 4}, *c), Status::TooMuchMemory);  // a 44 m spiral
  EXPECT_NE(reason(c->refusal, p).find("(dtCP = 0.001 s"), std::string::npos);
  EXPECT_TRUE(c->run[0].ref.empty());
  p.maxMemory = 64;
  EXPECT_EQ(passCP(p, Curve{12, 1, 4}, *c), Status::Done);
}

// Scaling the vehicle's turning radius and the end pose by two scales the path by two: the
// same join, every segment twice as long.  A wheel base changes no path, only the steering.
TEST(OtherVehicles, PathsFollowTheGeometry) {
  auto a = std::make_unique<PtpResult>();
  auto b = std::make_unique<PtpResult>();
  Params big;
  big.Ra = 2.0;
  for (const auto& [x, y, th] : {std::tuple{2.0, 3.0, 0.0}, std::tuple{4.0, -3.0, -45.0},
                                 std::tuple{-1.0, 2.5, 120.0}, std::tuple{0.5, 0.2, 0.0}}) {
    SCOPED_TRACE(testing::Message() << x << " " << y << " " << th);
    ASSERT_EQ(planPTP(Params{}, x, y, th, *a), Status::Done);
    ASSERT_EQ(planPTP(big, 2 * x, 2 * y, th, *b), Status::Done);
    EXPECT_EQ(b->path.krow, a->path.krow);
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(b->path.s[j], 2 * a->path.s[j], 1e-9) << j;
    EXPECT_NEAR(b->path.sf, 2 * a->path.sf, 1e-9);
    Params wide;
    wide.Lw = 0.5;
    ASSERT_EQ(planPTP(wide, x, y, th, *b), Status::Done);
    EXPECT_EQ(b->path.sf, a->path.sf);
    EXPECT_EQ(b->path.phiArc, std::atan2(0.5, 1.0));
  }
  // Half the time step: about twice the steps, and the same end.
  Params fine;
  fine.dt = 0.01;
  ASSERT_EQ(passPTP(Params{}, 4, -3, -45, *a), Status::Done);
  ASSERT_EQ(passPTP(fine, 4, -3, -45, *b), Status::Done);
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(b->arc[k].ref.size() - 1.0, 2.0 * (a->arc[k].ref.size() - 1.0), 3.0) << k;
    EXPECT_NEAR(b->arc[k].ref.back().x, a->arc[k].ref.back().x, 1e-6) << k;
    EXPECT_NEAR(b->arc[k].ref.back().t, a->arc[k].ref.back().t, 1e-9) << k;
  }
  // A slower steering wheel lags more: the constant-velocity AGV misses the path further.
  Params slow;
  slow.steerRate = 1.0;
  ASSERT_EQ(passPTP(slow, 4, -3, -45, *b), Status::Done);
  const auto worst = [](const std::vector<Record>& err) {
    double m = 0;
    for (const Record& e : err) m = std::fmax(m, std::hypot(e.x, e.y));
    return m;
  };
  EXPECT_GT(worst(b->arc[1].err), worst(a->arc[1].err));
}

// The parameters a pass was computed with travel with its result.
TEST(OtherVehicles, ResultsKeepTheirParameters) {
  Params p;
  p.Vmax = 0.5;
  p.dtCP = 0.01;
  auto c = std::make_unique<CpResult>();
  ASSERT_EQ(passCP(p, Curve{16, 0.2, 3}, *c), Status::Done);
  EXPECT_EQ(c->params.Vmax, 0.5);
  EXPECT_EQ(c->run[0].ref[1].t, 0.01);
  EXPECT_NEAR(c->run[0].ref[1].s, 0.005, 1e-9);  // dsCP = Vmax dtCP
  EXPECT_NEAR(c->TCP[0], c->length / 0.5, 1e-6);
}

}  // namespace
