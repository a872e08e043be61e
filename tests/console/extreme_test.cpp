// Extreme inputs through the dialogue: computed, or refused and asked again.
#include <gtest/gtest.h>

#include <cmath>

#include <memory>
#include <vector>

#include "support/session.h"
#include "support/texts.h"

using namespace agvtest;

namespace {

template <class R>
bool finite(const std::vector<R>& recs) {
  for (const R& r : recs)
    for (double v : {r.t, r.s, r.th, r.x, r.y, r.phi, r.kap})
      if (!std::isfinite(v)) return false;
  return !recs.empty();
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
    auto ss = std::make_unique<agv::Session>();
    auto s = firstPass(*ss, std::string("pyy") + pose + "\n2 3 0\n ");
    ASSERT_FALSE(s.eof);
    EXPECT_EQ(ss->ndlg, 1);
    size_t second = s.out.find(kPosePrompt, s.out.find(kPosePrompt) + 1);
    if (second != std::string::npos) {  // refused first: with a message
      EXPECT_NE(s.out.rfind("経路設定し直し", second), std::string::npos);
    }
    for (int k = 0; k < 3; ++k) {
      ASSERT_LT(ss->ptp.steps.nc[k].total, 3000);
      const agv::Runs& A = ss->ptp.arc[k];
      const agv::Runs& B = ss->ptp.cl[k];
      EXPECT_TRUE(finite(A.ref) && finite(A.cv) && finite(B.ref) && finite(B.cv) &&
                  finite(A.vv) && finite(B.vv));
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
      auto ss = std::make_unique<agv::Session>();
      auto s = firstPass(*ss, input);
      EXPECT_TRUE(s.eof);  // computed, it waits for its last key; refused, it asks again
      bool computed = endsWith(s.out, "\n\n任意キーで描画画面へ       ");
      EXPECT_TRUE(computed || endsWith(s.out, "=") || endsWith(s.out, "Input I= ") ||
                  endsWith(s.out, "no : n "));
      for (int k = 0; computed && k < 3; ++k)
        EXPECT_TRUE(finite(ss->cp.run[k].ref) && finite(ss->cp.run[k].cv));
    }
  }
}

}  // namespace
