// The CP length check against 3000 CP time steps.
#include <gtest/gtest.h>

#include "control/dialogue.h"
#include "control/base/params.h"
#include "control/startup.h"
#include "cp/curves.h"
#include "support/session.h"
#include "motion/shown.h"

using agvtest::scripted;

namespace {

TEST(Chklen, LimitIsThreeThousandStepsAndALengthEqualToItPasses) {
  scripted("", [] { agv::startup(); });
  agv::A3 = 0.0;  // the quadratic of zero height: a line of length L3
  for (double L : {60.0, 60.01}) {
    agv::L3 = L;
    agv::curvsetup(3);
    int ok = -1;
    auto s = scripted("", [&] { ok = agv::chklen(3); });
    EXPECT_EQ(ok, L == 60.0 ? 1 : 0);
    EXPECT_EQ(s.out, L == 60.0 ? ""
                               : "\n経路番号I=3 経路長sf=60.0100>60.0000=smax限界を超えている"
                                 "．経路設定し直し");
    EXPECT_NEAR(agv::Pfcp[3][3], L, 1e-12);
  }
}

}  // namespace
