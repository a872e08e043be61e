// Transcripts of the CP curve set-up menu.
#include "control/cpsetup.h"

#include <gtest/gtest.h>

#include <string>

#include "control/params.h"
#include "control/startup.h"
#include "cp/curves.h"
#include "support/session.h"

using namespace agv;
using agvtest::scripted;

namespace {

const std::string kMenu =
    "\n\nCP経路曲線を設定・変更　　曲線番号入力"
    "\n I<10:y=f(x), 10<I:r=f(β)    定数は全て正値"
    "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) "
    "\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) "
    "\n I=3  : 2次関数 y=A*(x/L)^2 "
    "\n I=4  : 3次関数 y=A*(x/L)^3 "
    "\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) "
    "\n I=12 : アルキメデス螺旋 r=A*(β/2π) "
    "\n I=13 : カーディオイド r=A*(B-cosβ) "
    "\n I=14 : 正葉線 r=A*sin(nβ) "
    "\n I=16 : 波打ち円 r=R+A*cos(nβ) ";
const std::string kInput = "\n Input I= ";
const std::string kConsts = "\n 定数を設定　A,B=0-10 間の値とする";
const std::string kCosine = "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) を選択　A,Lを設定 A L=";
const std::string kCardioid = "\n I=13 : カーディオイド r=A(B-cosβ) を選択 A=";
const std::string kWavy = "\n I=16 : 波打ち円 r=R+A*cos(nβ) を選択. R=2  入力 A 波打ち数n=";
const std::string kEllipse = "\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) を選択 A B=";
const std::string kRose = "\n I=14 : 正葉線 r=A*sin(nβ) を選択 A n(=1,2,...,1/2,1/3,...)=";
const std::string kNotNumber = "\n入力が有限の数値ではありません．数値を入力し直してください";

std::string undefinedMsg(int I) {
  return "\ncpsetup() I=" + std::to_string(I) +
         " この定数では曲線が定まらない(0で割る，範囲が無限など)．定数を設定し直し";
}

// Every test starts from, and leaves, the start-up constants.
class CpSetup : public ::testing::Test {
 protected:
  void SetUp() override {
    scripted("", [] { agv::startup(); });
  }
  void TearDown() override {
    scripted("", [] { agv::startup(); });
  }
};

}  // namespace

TEST_F(CpSetup, CosineWithItsTwoConstants) {
  auto s = scripted("1\n3 6\n", cpsetup);
  EXPECT_FALSE(s.eof);
  EXPECT_EQ(s.out, kMenu + kInput + kConsts + kCosine);
  EXPECT_EQ(curveNo, 1);
  EXPECT_EQ(A1, 3.0);
  EXPECT_EQ(L1, 6.0);
  EXPECT_EQ(uend[1], 6.0);
  EXPECT_DOUBLE_EQ(w1, 2 * PI / 6.0);
  EXPECT_EQ(Pfcp[1][0], 6.0);
}

TEST_F(CpSetup, NumbersOutsideTheCatalogueAreRefused) {
  auto s = scripted("17\n15\n5\n1\n2 5\n", cpsetup);
  EXPECT_FALSE(s.eof);
  EXPECT_EQ(s.out, kMenu + kInput + "\n I=17  やり直し" + kMenu + kInput + "\n I=15  やり直し" +
                       kMenu + kInput + "\n I=5  やり直し" + kMenu + kInput + kConsts + kCosine);
}

TEST_F(CpSetup, ZeroAndNegativeNumbersRedisplayTheMenuSilently) {
  auto s = scripted("0\n-3\n1\n2 5\n", cpsetup);
  EXPECT_FALSE(s.eof);
  EXPECT_EQ(s.out, kMenu + kInput + kMenu + kInput + kMenu + kInput + kConsts + kCosine);
}

TEST_F(CpSetup, TextAtTheNumberPromptAsksForTheNumberAgain) {
  auto s = scripted("abc\n1\n2 5\n", cpsetup);
  EXPECT_EQ(s.out, kMenu + kInput + kNotNumber + kInput + kConsts + kCosine);
  EXPECT_EQ(curveNo, 1);
}

TEST_F(CpSetup, CardioidAsksForOneConstant) {
  auto s = scripted("13\n2.5\n", cpsetup);
  EXPECT_FALSE(s.eof);
  EXPECT_EQ(s.out, kMenu + kInput + kConsts + kCardioid);
  EXPECT_EQ(A13, 2.5);
  EXPECT_EQ(B13, 1.2);
  EXPECT_DOUBLE_EQ(P0cp[13][0], (1.2 - 1) * 2.5);
}

TEST_F(CpSetup, WavyCircleNeverAsksForItsRadius) {
  auto s = scripted("16\n0.5 3\n", cpsetup);
  EXPECT_FALSE(s.eof);
  EXPECT_EQ(s.out, kMenu + kInput + kConsts + kWavy);
  EXPECT_EQ(A16, 0.5);
  EXPECT_EQ(nw16, 3.0);
  EXPECT_EQ(R16, 2.0);
  EXPECT_EQ(P0cp[16][0], 2.5);
}

TEST_F(CpSetup, NegativeConstantRepeatsThePrompt) {
  auto s = scripted("1\n-2 5\n2 -5\n2 5\n", cpsetup);
  EXPECT_FALSE(s.eof);
  EXPECT_EQ(s.out, kMenu + kInput + kConsts + kCosine + kCosine + kCosine);
  EXPECT_EQ(A1, 2.0);
  EXPECT_EQ(L1, 5.0);
}

TEST_F(CpSetup, TextAtTheConstantPromptAsksAgain) {
  auto s = scripted("1\n2 x\n2 5\n", cpsetup);
  EXPECT_EQ(s.out, kMenu + kInput + kConsts + kCosine + kNotNumber + kCosine);
}

TEST_F(CpSetup, ConstantsThatLeaveTheCurveUndefinedAreAskedAgain) {
  auto s = scripted("1\n2 0\n2 5\n", cpsetup);
  EXPECT_FALSE(s.eof);
  EXPECT_EQ(s.out, kMenu + kInput + kConsts + kCosine + undefinedMsg(1) + kCosine);
  EXPECT_EQ(L1, 5.0);
  EXPECT_EQ(uend[1], 5.0);

  s = scripted("14\n1 0\n0 2\n1 3\n", cpsetup);
  EXPECT_FALSE(s.eof);
  EXPECT_EQ(s.out,
            kMenu + kInput + kConsts + kRose + undefinedMsg(14) + kRose + undefinedMsg(14) + kRose);
  EXPECT_DOUBLE_EQ(uend[14], PI);

  s = scripted("11\n0 1\n2 0\n2 2\n", cpsetup);
  EXPECT_FALSE(s.eof);
  EXPECT_EQ(s.out, kMenu + kInput + kConsts + kEllipse + undefinedMsg(11) + kEllipse +
                       undefinedMsg(11) + kEllipse);
  EXPECT_EQ(AB11, 4.0);
}

TEST_F(CpSetup, ZeroAmplitudeIsAccepted) {
  auto s = scripted("2\n0 4\n", cpsetup);
  EXPECT_FALSE(s.eof);
  EXPECT_EQ(s.out.find("cpsetup()"), std::string::npos);
  EXPECT_EQ(A2, 0.0);
  EXPECT_EQ(Pfcp[2][1], 0.0);
}

TEST_F(CpSetup, RoseRangeFromItsLobeNumber) {
  scripted("14\n1 2\n", cpsetup);
  EXPECT_DOUBLE_EQ(uend[14], 2 * PI);
  scripted("14\n1 3\n", cpsetup);
  EXPECT_DOUBLE_EQ(uend[14], PI);
}

TEST_F(CpSetup, OnlyTheChosenCurveIsDerived) {
  scripted("12\n1 3\n", cpsetup);
  EXPECT_DOUBLE_EQ(uend[12], 6 * PI);
  const double x11 = P0cp[11][0];
  scripted("1\n1 4\n", cpsetup);
  EXPECT_DOUBLE_EQ(uend[12], 6 * PI);
  EXPECT_EQ(P0cp[11][0], x11);
}

TEST_F(CpSetup, EndOfInputLeavesTheSetUp) {
  auto s = scripted("3\n1", cpsetup);
  EXPECT_TRUE(s.eof);
}
