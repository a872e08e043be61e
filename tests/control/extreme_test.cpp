// Extreme inputs through the real dialogue: each either computes or is
// refused with a message, and the dialogue goes on to its next question.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "control/params.h"
#include "cp/track.h"
#include "motion/runs.h"
#include "motion/varruns.h"
#include "ptp/clpath.h"
#include "ptp/schedule.h"
#include "support/session.h"

using agvtest::firstPass;

namespace {

bool finiteRuns(const double (*rec)[6], int n) {
  for (int i = 0; i <= n; ++i)
    for (int f = 0; f < 6; ++f)
      if (!std::isfinite(rec[i][f])) return false;
  return true;
}

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

const char* const kPoses[] = {
    "0 0 0",       "1e-12 -1e-12 0", "-1e-12 1e-12 720", "0 0 -720",     "2 3 720",
    "2 3 -1e6",    "0 0 1e6",        "1e6 0 0",          "-1e6 1e6 -720", "1e6 1e6 1e6",
    "-1e6 -1e6 -1e6", "0 1e6 90",    "1e-12 0 1e-12",    "59.98 0 0",    "60 0 0",
    "-3 0 180",    "0 -1e-12 -180",
};

TEST(ExtremeEndPoses, ComputeOrAreRefusedAndAskedAgain) {
  for (const char* pose : kPoses) {
    SCOPED_TRACE(pose);
    auto s = firstPass(std::string("pyy") + pose + "\n2 3 0\n ");
    ASSERT_FALSE(s.eof);
    EXPECT_EQ(agv::ndlg, 1);
    size_t asked = count(s.out, "\n    入力　xf[m] yf[m] θf°=");
    if (asked == 2) {
      EXPECT_GE(count(s.out, "経路設定し直し"), 1u);
    } else {
      EXPECT_EQ(asked, 1u);
    }
    for (int k = 0; k < 3; ++k) {
      ASSERT_LT(agv::nSeg[k][3], agv::MAX);
      ASSERT_LT(agv::nc[k][3], agv::MAX);
      EXPECT_TRUE(finiteRuns(agv::refA[k], agv::nSeg[k][3]));
      EXPECT_TRUE(finiteRuns(agv::cvA[k], agv::nSeg[k][3]));
      EXPECT_TRUE(finiteRuns(agv::refB[k], agv::nc[k][3]));
      EXPECT_TRUE(finiteRuns(agv::cvB[k], agv::nc[k][3]));
      EXPECT_TRUE(finiteRuns(agv::vvA[k], agv::nvSeg[k][3]));
      EXPECT_TRUE(finiteRuns(agv::vvB[k], agv::nvc[k][3]));
    }
  }
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(ExtremeCurveConstants, ComputeOrAreRefusedAndAskedAgain) {
  const char* const pairs[] = {"0 0",       "1e-9 1e-9", "1e6 1e6", "0 1e6",  "1e6 0",
                               "1e-9 1e6",  "1e6 1e-9",  "0 1",     "1 0",    "1e-9 0",
                               "2 1e-9",    "1e6 2"};
  const char* const singles[] = {"0", "1e-9", "1e6"};
  for (int I : {1, 2, 3, 4, 11, 12, 13, 14, 16}) {
    const char* const* first = (I == 13) ? std::begin(singles) : std::begin(pairs);
    const char* const* last = (I == 13) ? std::end(singles) : std::end(pairs);
    for (const char* const* c = first; c != last; ++c) {
      std::string input = "c" + std::to_string(I) + "\n" + *c + "\nn";
      SCOPED_TRACE(input);
      auto s = firstPass(input);
      // Computed, the pass waits for its last key; refused, it asks again.
      EXPECT_TRUE(s.eof);
      bool computed = endsWith(s.out, "\n\n任意キーで描画画面へ       ");
      bool asked = endsWith(s.out, "=") || endsWith(s.out, "Input I= ") ||
                   endsWith(s.out, "no : n ");
      EXPECT_TRUE(computed || asked) << s.out.substr(s.out.size() > 300 ? s.out.size() - 300 : 0);
      if (computed) {
        for (int k = 0; k < 3; ++k) {
          ASSERT_LE(agv::NN[k], agv::MAX);
          for (int i = 0; i <= agv::NN[k]; ++i)
            for (int f = 0; f < 6; ++f) {
              ASSERT_TRUE(std::isfinite(agv::refCP[k][i][f])) << k << " " << i << " " << f;
              ASSERT_TRUE(std::isfinite(agv::cvCP[k][i][f])) << k << " " << i << " " << f;
            }
        }
      }
    }
  }
}

}  // namespace
