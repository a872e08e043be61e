// Start-up, the condition report and the curve lines.
#include <gtest/gtest.h>

#include <string>

#include "control/params.h"
#include "control/startup.h"
#include "control/view.h"
#include "support/session.h"

using agvtest::scripted;

namespace {

const std::string kHead =
    "\n\n/*************** 設定したAGVの経路生成条件 ************************/";
const std::string kTail =
    "\n/***********************************************************************/\n";
const std::string kSpeed = "\n(1-2) 走行速度    Vmax= 1.00[m/s]＝一定";
const std::string kRadius = "\n(1-4) 最小旋回半径  Ra= 1.00[m]";
const std::string kType1 = "\n(1-1) 1:2DW1Cタイプ";
const std::string kSteer =
    "\n(1-3) ステアリング速度= 2.00[rad/s]＝一定"
    "\n      dt=0.0200[s]で変えられる最大角度= 2.2918[deg]";
const std::string kCp = "\n(2-1)CP運動（経路既知）";
const std::string kCosine = "\n (1) 余弦関数 y=A*(1-cos(2πx/L)) A=2.00[m] L=5.00[m]";

std::string report() {
  return scripted("", [] { agv::report(); }).out;
}

class Report : public ::testing::Test {
 protected:
  void SetUp() override {
    scripted("", [] { agv::startup(); });
  }
};

TEST_F(Report, StartUpPrintsTheCosineCurveAndTheBanner) {
  EXPECT_EQ(scripted("", [] { agv::startup(); }).out,
            kHead + kType1 + kSpeed + kRadius + kCp + kCosine + kTail +
                "\n\n移動ロボット(AGV)の経路生成と運動シミュレーション");
  EXPECT_EQ(agv::sgnPATH, 'c');
  EXPECT_EQ(agv::keyin, '0');
  EXPECT_EQ(agv::ndlg, 0);
  EXPECT_EQ(agv::xorg, -0.5);
}

TEST_F(Report, MechanismAndSteeringLines) {
  agv::dSteerMax = 0.04;
  agv::agvType = 2;
  EXPECT_EQ(report(),
            kHead + "\n(1-1) 2:1FDW1FSタイプ" + kSpeed + kSteer + kRadius + kCp + kCosine + kTail);
  agv::agvType = 3;
  EXPECT_EQ(report(),
            kHead + "\n(1-1) 3:1RDW1FSタイプ" + kSpeed + kSteer + kRadius + kCp + kCosine + kTail);
  agv::agvType = 4;
  EXPECT_EQ(report(), kHead + kSpeed + kRadius + kCp + kCosine + kTail);
}

TEST_F(Report, PtpSectionForEachDrawing) {
  agv::sgnPATH = 'p';
  agv::xf = 4.0;
  agv::yf = -3.0;
  agv::thf = -45.0 * agv::DEG2RAD;
  const std::string pose =
      "\nPTP運動：始点・終点を与えて経路生成"
      "\n(2-1) PTP始点 (x0,y0)=( 0.0000  0.0000)[m], θ0= 0.00[deg]"
      "\n         終点 (xf,yf)=( 4.0000 -3.0000)[m]，θf=-45.00[deg]";
  for (auto [draw, line] :
       {std::pair<char, std::string>{'a', "\n(3) 円弧－直線経路の定速・可変速運動を描画"},
        {'b', "\n(3) クロソイド－直線経路の定速・可変速運動を描画"},
        {'z', ""}}) {
    agv::sgnDraw = draw;
    EXPECT_EQ(report(), kHead + kType1 + kSpeed + kRadius + pose + line + kTail) << draw;
  }
}

// Report line and curve list line of every curve with its start-up constants.
TEST_F(Report, CurveLinesInTheReportAndTheList) {
  const struct {
    int I;
    const char* report;
    const char* list;
  } cases[] = {
      {1, "\n (1) 余弦関数 y=A*(1-cos(2πx/L)) A=2.00[m] L=5.00[m]",
       "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) A= 2.00[m] L= 5.00[m]"},
      {2, "\n (2) サイクロイド y=A*(x-L/2π*sin(2πx/L)) A=2.00[m] L=5.00[m]",
       "\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) A= 2.00[m] L= 5.00[m]"},
      {3, "\n (3) 2次関数 y=A*(x/L)^2 A=1.00[m] L=1.00[m]",
       "\n I=3  : 2次関数 y=A*(x/L)^2 A= 1.00[m] L= 1.00[m]"},
      {4, "\n (4) 3次関数 y=A*(x/L)^3 A=1.00[m] L=1.00[m]",
       "\n I=4  : 3次関数 y=A*(x/L)^3 A= 1.00[m] L= 1.00[m]"},
      {11, "\n (11)楕円 r=A*B/√{(Asinβ)^2+(Bcosβ)^2} A=2.00[m] B=1.00[m]",
       "\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) A= 2.00[m] B= 1.00[m]"},
      {12, "\n (12)アルキメデス螺旋 r=A*(β/2π) A=1.00[m] 巻数n=2.00",
       "\n I=12 : アルキメデス螺旋 r=A*β/2π Aと巻数 A= 1.00[m] n=2.00"},
      {13, "\n (13)Cardioid r=A*(B-cosβ) A=1.00[m] B=1.20[m]",
       "\n I=13 : カーディオイド r=A(B-cosβ) A= 1.00[m] B= 1.20[m]"},
      {14, "\n (14)正葉線 r=A*sin(nβ) A=1.00[m] n=2.00",
       "\n I=14 : 正葉線 r=A*sin(nβ) A= 1.00[m] n=2.00"},
      {16, "\n (16)波打ち円 r=R+A*cos(nβ) R=2.00[m] A=0.20[m] n=2.00",
       "\n I=16 : 波打ち円 r=R+A*sin(nβ) R= 2.00[m] A= 0.20[m] 波打ち数n=2.00"},
      {-1, "", ""},
      {0, "", ""},
      {5, "", ""},
      {10, "", ""},
      {15, "", ""},
      {17, "", ""},
  };
  for (const auto& c : cases) {
    agv::curveNo = c.I;
    EXPECT_EQ(report(), kHead + kType1 + kSpeed + kRadius + kCp + c.report + kTail) << c.I;
    EXPECT_EQ(scripted("", [&] { agv::curvelist(c.I); }).out, c.list) << c.I;
  }
}

}  // namespace
