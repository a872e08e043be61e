// The console layer: number reads, refusals, key reads and end of input.
#include "control/console.h"

#include <gtest/gtest.h>

#include <string>

#include "support/session.h"

using agv::con::key;
using agv::con::readDoubles;
using agv::con::readInt;
using agvtest::scripted;

namespace {

const std::string kRefused = "\n入力が有限の数値ではありません．数値を入力し直してください";

TEST(ConsoleNumbers, ThreeNumbersOnOneLineConsumeTheLine) {
  double v[3] = {0, 0, 0};
  char next = 0;
  auto s = scripted("4 -3 -45 trailing words\nx", [&] {
    EXPECT_TRUE(readDoubles(3, v));
    next = key();
  });
  EXPECT_FALSE(s.eof);
  EXPECT_EQ(v[0], 4.0);
  EXPECT_EQ(v[1], -3.0);
  EXPECT_EQ(v[2], -45.0);
  EXPECT_EQ(next, 'x');  // the line end is not the next key
  EXPECT_EQ(s.out, "");
}

TEST(ConsoleNumbers, NumbersMaySpreadOverLines) {
  double v[3] = {0, 0, 0};
  auto s = scripted("\n  1.5\n\n2e-1\t-7\nn", [&] {
    EXPECT_TRUE(readDoubles(3, v));
    EXPECT_EQ(key(), 'n');
  });
  EXPECT_EQ(v[0], 1.5);
  EXPECT_EQ(v[1], 0.2);
  EXPECT_EQ(v[2], -7.0);
}

TEST(ConsoleNumbers, RefusedInputKeepsTheOldValues) {
  for (const char* bad : {"abc", "nan", "NAN", "inf", "-inf", "1e400", "-1e999", "4abc", "1,2",
                          "0x", "--1"}) {
    SCOPED_TRACE(bad);
    double v[3] = {7, 8, 9};
    bool ok = true;
    auto s = scripted(std::string("1 ") + bad + " 3\n5 6 7\n", [&] {
      ok = readDoubles(3, v);
      EXPECT_FALSE(ok);
      EXPECT_EQ(v[0], 7.0);
      EXPECT_EQ(v[1], 8.0);
      EXPECT_EQ(v[2], 9.0);
      // The refused line is gone; the next read takes the next line.
      EXPECT_TRUE(readDoubles(3, v));
    });
    EXPECT_EQ(s.out, kRefused);
    EXPECT_EQ(v[0], 5.0);
    EXPECT_EQ(v[2], 7.0);
  }
}

TEST(ConsoleNumbers, OverlongTokenIsRefused) {
  double v = 1.0;
  std::string digits(400, '1');
  auto s = scripted(digits + "\n2\n", [&] {
    EXPECT_FALSE(readDoubles(1, &v));
    EXPECT_TRUE(readDoubles(1, &v));
  });
  EXPECT_EQ(v, 2.0);
  EXPECT_EQ(s.out, kRefused);
}

TEST(ConsoleNumbers, TinyAndHugeFiniteNumbersAreAccepted) {
  double v[3];
  scripted("1e-400 1e300 -0\n", [&] { EXPECT_TRUE(readDoubles(3, v)); });
  EXPECT_EQ(v[0], 0.0);
  EXPECT_EQ(v[1], 1e300);
  EXPECT_EQ(v[2], 0.0);
}

TEST(ConsoleNumbers, IntegersAreWholeTokens) {
  int n = 5;
  auto s = scripted("1.5\n99999999999\n+16 rest\n", [&] {
    EXPECT_FALSE(readInt(n));
    EXPECT_EQ(n, 5);
    EXPECT_FALSE(readInt(n));
    EXPECT_EQ(n, 5);
    EXPECT_TRUE(readInt(n));
  });
  EXPECT_EQ(n, 16);
  EXPECT_EQ(s.out, kRefused + kRefused);
}

TEST(ConsoleEnd, EveryReadEndsAtEndOfInput) {
  EXPECT_TRUE(scripted("", [] { key(); }).eof);
  int n;
  EXPECT_TRUE(scripted("   \n \n", [&] { readInt(n); }).eof);
  double v[3];
  EXPECT_TRUE(scripted("1 2", [&] { readDoubles(3, v); }).eof);
  // The last number may end the input without a line end.
  auto s = scripted("1 2 3", [&] { EXPECT_TRUE(readDoubles(3, v)); });
  EXPECT_FALSE(s.eof);
}

TEST(ConsoleOut, MessagesAreWrittenWhole) {
  auto s = scripted("", [] {
    agv::con::out("\n(1-4) 最小旋回半径  Ra=%5.2f[m]", 1.0);
    agv::con::out("%7.4f", 1e300);
  });
  std::string big = s.out.substr(std::string("\n(1-4) 最小旋回半径  Ra= 1.00[m]").size());
  EXPECT_EQ(s.out.substr(0, s.out.size() - big.size()), "\n(1-4) 最小旋回半径  Ra= 1.00[m]");
  EXPECT_EQ(big.size(), 301u + 5u);  // 1e300 has 301 digits, then ".0000"
}

TEST(ConsoleKeys, KeysAreRawBytes) {
  std::string got;
  scripted("p\n\x1b\xe3", [&] {
    for (int i = 0; i < 4; ++i) got += key();
  });
  EXPECT_EQ(got, "p\n\x1b\xe3");
}

}  // namespace
