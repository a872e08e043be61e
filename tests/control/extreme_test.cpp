// Extreme inputs through the dialogue: computed, or refused and asked again.
#include <gtest/gtest.h>

#include <cmath>

#include "control/base/params.h"
#include "cp/track.h"
#include "motion/runs.h"
#include "motion/varruns.h"
#include "ptp/clpath.h"
#include "ptp/schedule.h"
#include "support/session.h"
#include "support/texts.h"
#include "ptp/steps.h"
#include "ptp/path.h"
#include "motion/records.h"

using namespace agvtest;

namespace {

template <int F>
bool finite(const double (*rec)[F], int n) {
  for (int i = 0; i <= n; ++i)
    for (int f = 0; f < F; ++f)
      if (!std::isfinite(rec[i][f])) return false;
  return true;
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(Extreme, EndPosesComputeOrAreRefusedAndAskedAgain) {
  for (const char* pose :
       {"0 0 0", "1e-12 -1e-12 0", "-1e-12 1e-12 720", "0 0 -720", "2 3 720", "2 3 -1e6", "0 0 1e6",
        "1e6 0 0", "-1e6 1e6 -720", "1e6 1e6 1e6", "-1e6 -1e6 -1e6", "0 1e6 90", "59.98 0 0",
        "60 0 0", "-3 0 180", "0 -1e-12 -180"}) {
    SCOPED_TRACE(pose);
    auto s = firstPass(std::string("pyy") + pose + "\n2 3 0\n ");
    ASSERT_FALSE(s.eof);
    EXPECT_EQ(agv::ndlg, 1);
    size_t second = s.out.find(kPosePrompt, s.out.find(kPosePrompt) + 1);
    if (second != std::string::npos) {  // refused first: with a message
      EXPECT_NE(s.out.rfind("経路設定し直し", second), std::string::npos);
    }
    for (int k = 0; k < 3; ++k) {
      ASSERT_LT(agv::nc[k][3], agv::MAX);
      EXPECT_TRUE(finite(agv::refA[k], agv::nSeg[k][3]) && finite(agv::cvA[k], agv::nSeg[k][3]) &&
                  finite(agv::refB[k], agv::nc[k][3]) && finite(agv::cvB[k], agv::nc[k][3]) &&
                  finite(agv::vvA[k], agv::nvSeg[k][3]) && finite(agv::vvB[k], agv::nvc[k][3]));
    }
  }
}

TEST(Extreme, CurveConstantsComputeOrAreRefusedAndAskedAgain) {
  const char* const pairs[] = {"0 0",      "1e-9 1e-9", "1e6 1e6", "0 1e6",  "1e6 0",  "1e-9 1e6",
                               "1e6 1e-9", "0 1",       "1 0",     "1e-9 0", "2 1e-9", "1e6 2"};
  for (int I : {1, 2, 3, 4, 11, 12, 13, 14, 16}) {
    for (const char* c : pairs) {
      // The cardioid reads one constant: the second number is left over.
      std::string input = "c" + std::to_string(I) + "\n" + c + "\nn";
      SCOPED_TRACE(input);
      auto s = firstPass(input);
      EXPECT_TRUE(s.eof);  // computed, it waits for its last key; refused, it asks again
      bool computed = endsWith(s.out, "\n\n任意キーで描画画面へ       ");
      EXPECT_TRUE(computed || endsWith(s.out, "=") || endsWith(s.out, "Input I= ") ||
                  endsWith(s.out, "no : n "));
      for (int k = 0; computed && k < 3; ++k)
        EXPECT_TRUE(finite(agv::refCP[k], agv::NN[k]) && finite(agv::cvCP[k], agv::NN[k]));
    }
  }
}

}  // namespace
