// Start-up, the condition report and the curve lines.
#include <gtest/gtest.h>

#include <tuple>

#include "control/base/params.h"
#include "control/startup.h"
#include "control/base/view.h"
#include "support/session.h"
#include "support/texts.h"

using namespace agvtest;

namespace {

std::string report() { return scripted("", agv::report).out; }

class Report : public ::testing::Test {
 protected:
  void SetUp() override { scripted("", agv::startup); }
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
  for (auto [type, line] : {std::pair<int, std::string>{2, "\n(1-1) 2:1FDW1FSタイプ"},
                            {3, "\n(1-1) 3:1RDW1FSタイプ"}}) {
    agv::agvType = type;
    EXPECT_EQ(report(), kHead + line + kSpeed + kSteer + kRadius + kCp + kCosine + kTail) << type;
  }
  agv::agvType = 4;
  EXPECT_EQ(report(), kHead + kSpeed + kRadius + kCp + kCosine + kTail);
}

TEST_F(Report, PtpSectionForEachDrawing) {
  agv::sgnPATH = 'p';
  agv::xf = 4.0;
  agv::yf = -3.0;
  agv::thf = -45.0 * agv::DEG2RAD;
  const std::string pose = ptpPose(" 4.0000", "-3.0000", "-45.00");
  for (auto [draw, line] : {std::pair<char, std::string>{'a', kDrawA}, {'b', kDrawB}, {'z', ""}}) {
    agv::sgnDraw = draw;
    EXPECT_EQ(report(), kHead + kType1 + kSpeed + kRadius + pose + line + kTail) << draw;
  }
}

// Report line and curve list line of every curve with its start-up constants.
TEST_F(Report, CurveLinesInTheReportAndTheList) {
  const std::tuple<int, std::string, std::string> cases[] = {
      {1, kCosine, kCosineList},
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
  for (const auto& [I, line, list] : cases) {
    agv::curveNo = I;
    EXPECT_EQ(report(), kHead + kType1 + kSpeed + kRadius + kCp + line + kTail) << I;
    EXPECT_EQ(scripted("", [&] { agv::curvelist(I); }).out, list) << I;
  }
}

}  // namespace
