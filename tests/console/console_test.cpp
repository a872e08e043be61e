// The console layer: number reads, refusals and end of input.
#include "console/console.h"

#include <gtest/gtest.h>

#include "support/session.h"
#include "support/texts.h"

using agv::con::key;
using agv::con::readDoubles;
using agv::con::readInt;
using namespace agvtest;

namespace {

TEST(ConsoleNumbers, ReadsConsumeTheWholeLineAndMaySpreadOverLines) {
  double v[3] = {0, 0, 0};
  auto s = scripted("4 -3 -45 trailing words\nx\n  1.5\n\n2e-1\t-7\nn1e-400 1e300 -0", [&] {
    EXPECT_TRUE(readDoubles(3, v));
    EXPECT_EQ(v[2], -45.0);
    EXPECT_EQ(key(), 'x');  // not the line end of the numbers
    EXPECT_EQ(key(), '\n');
    EXPECT_TRUE(readDoubles(3, v));
    EXPECT_EQ(v[0], 1.5);
    EXPECT_EQ(v[1], 0.2);
    EXPECT_EQ(key(), 'n');
    EXPECT_TRUE(readDoubles(3, v));  // tiny and huge finite numbers are numbers
    EXPECT_EQ(v[1], 1e300);
  });
  EXPECT_FALSE(s.eof);
  EXPECT_EQ(s.out, "");
}

TEST(ConsoleNumbers, RefusedInputKeepsTheOldValues) {
  const std::string bads[] = {"abc",    "nan",  "NAN", "inf", "-inf", "1e400",
                              "-1e999", "4abc", "1,2", "0x",  "--1",  std::string(400, '1')};
  for (const std::string& bad : bads) {
    SCOPED_TRACE(bad);
    double v[3] = {7, 8, 9};
    auto s = scripted("1 " + bad + " 3\n5 6 7\n", [&] {
      EXPECT_FALSE(readDoubles(3, v));
      EXPECT_EQ(v[0], 7.0);
      EXPECT_EQ(v[2], 9.0);
      EXPECT_TRUE(readDoubles(3, v));  // the refused line is gone
    });
    EXPECT_EQ(s.out, kRefused);
    EXPECT_EQ(v[0], 5.0);
  }
  int n = 5;
  auto s = scripted("1.5\n99999999999\n+16 rest\n", [&] {
    EXPECT_FALSE(readInt(n));
    EXPECT_FALSE(readInt(n));
    EXPECT_EQ(n, 5);
    EXPECT_TRUE(readInt(n));
  });
  EXPECT_EQ(n, 16);
  EXPECT_EQ(s.out, kNotWhole + kNotWhole);
}

TEST(ConsoleEnd, EveryReadEndsAtEndOfInput) {
  int n;
  double v[3];
  EXPECT_TRUE(scripted("", [] { key(); }).eof);
  EXPECT_TRUE(scripted("   \n \n", [&] { readInt(n); }).eof);
  EXPECT_TRUE(scripted("1 2", [&] { readDoubles(3, v); }).eof);
  EXPECT_FALSE(scripted("1 2 3", [&] { EXPECT_TRUE(readDoubles(3, v)); }).eof);
}

TEST(ConsoleOut, LongMessagesAreWrittenWhole) {
  auto s = scripted("", [] { agv::con::out("x=%7.4f;", 1e300); });
  EXPECT_EQ(s.out.size(), 2u + 301u + 5u + 1u);  // 1e300 has 301 digits, then ".0000"
  EXPECT_EQ(s.out.substr(s.out.size() - 6), ".0000;");
}

}  // namespace
