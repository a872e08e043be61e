// Transcripts of the CP curve set-up menu.
#include "console/cpsetup.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/session.h"
#include "support/texts.h"

using namespace agv;
using namespace agvtest;

namespace {

const std::string kCycloid = "\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) を選択 A L=";
const std::string kEllipse = "\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) を選択 A B=";
const std::string kCardioid = "\n I=13 : カーディオイド r=A(B-cosβ) を選択 A=";
const std::string kRose = "\n I=14 : 正葉線 r=A*sin(nβ) を選択 A n(=1,2,...,1/2,1/3,...)=";
const std::string kWavy = "\n I=16 : 波打ち円 r=R+A*cos(nβ) を選択. R=2  入力 A 波打ち数n=";

std::string undefined(int I) {
  return "\ncpsetup() I=" + std::to_string(I) +
         " この定数では曲線が定まらない(0で割る，範囲が無限など)．定数を設定し直し";
}

TEST(CpSetup, Transcripts) {
  const struct {
    std::string input;
    std::string out;
    int I;
    double CurveConsts::*got[2];  // the constants the set-up stores
    double want[2];
  } cases[] = {
      {"17\n15\n5\n0\n-3\n1\n3 6\n",
       kMenu + "\n I=17  やり直し" + kMenu + "\n I=15  やり直し" + kMenu + "\n I=5  やり直し" +
           kMenu + kMenu + kMenu + kConsts + kCosinePrompt,
       1, {&CurveConsts::A1, &CurveConsts::L1}, {3.0, 6.0}},
      {"abc\n1\n3 x\n-3 6\n3 -6\n3 6\n",
       kMenu + kNotWhole + kInput + kConsts + kCosinePrompt + kRefused + kCosinePrompt +
           kCosinePrompt + kCosinePrompt,
       1, {&CurveConsts::A1, &CurveConsts::L1}, {3.0, 6.0}},
      // B13 stays 1.2 and R16 stays 2.
      {"13\n2.5\n", kMenu + kConsts + kCardioid, 13, {&CurveConsts::A13, &CurveConsts::B13},
       {2.5, 1.2}},
      {"16\n0.5 3\n", kMenu + kConsts + kWavy, 16, {&CurveConsts::A16, &CurveConsts::nw16},
       {0.5, 3.0}},
      {"2\n0 4\n", kMenu + kConsts + kCycloid, 2, {&CurveConsts::A2, &CurveConsts::L2}, {0.0, 4.0}},
      {"1\n2 0\n3 6\n", kMenu + kConsts + kCosinePrompt + undefined(1) + kCosinePrompt, 1,
       {&CurveConsts::A1, &CurveConsts::L1}, {3.0, 6.0}},
      {"14\n1 0\n0 2\n1 3\n",
       kMenu + kConsts + kRose + undefined(14) + kRose + undefined(14) + kRose, 14,
       {&CurveConsts::A14, &CurveConsts::nr14}, {1.0, 3.0}},
      {"11\n0 1\n2 0\n2 2\n",
       kMenu + kConsts + kEllipse + undefined(11) + kEllipse + undefined(11) + kEllipse, 11,
       {&CurveConsts::A11, &CurveConsts::B11}, {2.0, 2.0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    auto ss = std::make_unique<Session>();
    auto before = std::make_unique<Session>();
    const auto s = scripted(c.input, [&] { cpsetup(*ss); });
    EXPECT_FALSE(s.eof);
    EXPECT_EQ(s.out, c.out);
    EXPECT_EQ(ss->curveNo, c.I);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(ss->cc.*c.got[i], c.want[i]) << i;
    EXPECT_EQ(ss->cc.R16, wavyR);
    // The other curves' constants stay as they were.
    for (int J : {1, 2, 3, 4, 11, 12, 13, 14, 16}) {
      if (J == c.I) continue;
      EXPECT_EQ(curveof(*ss, J).a, curveof(*before, J).a) << J;
      EXPECT_EQ(curveof(*ss, J).b, curveof(*before, J).b) << J;
    }
  }
}

TEST(CpSetup, EndOfInputLeavesTheSetUp) {
  auto ss = std::make_unique<Session>();
  EXPECT_TRUE(scripted("3\n1", [&] { cpsetup(*ss); }).eof);
}

}  // namespace
