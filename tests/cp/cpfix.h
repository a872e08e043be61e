// Shared set-up of the CP tests: the curve constants are restored after
// every test, and each test starts with every curve set up from them.
#pragma once

#include <gtest/gtest.h>

#include "control/params.h"

namespace cptest {

// The nine catalogue numbers.
constexpr int kCurves[] = {1, 2, 3, 4, 11, 12, 13, 14, 16};

class CpTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  double saved_[23] = {};
};

// Parameterised over the curve number.
class CpCurve : public CpTest, public ::testing::WithParamInterface<int> {};

// What the dialogue does before the runs: set-up, length check and
// table.  False when the length check refuses the curve.
bool prepare(int I);

}  // namespace cptest
