// Start-up, the condition report and the curve lines.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "console/startup.h"
#include "support/session.h"
#include "support/texts.h"

using namespace agvtest;

namespace {

class Report : public ::testing::Test {
 protected:
  std::string report() { return scripted("", [&] { agv::report(*s); }).out; }
  std::unique_ptr<agv::Session> s = std::make_unique<agv::Session>();
};

TEST_F(Report, StartUpPrintsTheCosineCurveAndTheBanner) {
  EXPECT_EQ(scripted("", [&] { agv::startup(*s); }).out,
            kHead + kType1 + kSpeed + kRadius + kCp + kCosine + kTail +
                "\n\n移動ロボット(AGV)の経路生成と運動シミュレーション");
  EXPECT_EQ(s->sgnPATH, 'c');
  EXPECT_EQ(s->keyin, '0');
  EXPECT_EQ(s->ndlg, 0);
  EXPECT_EQ(s->view.xorg, -0.5);
}

TEST_F(Report, MechanismAndSteeringLines) {
  s->dSteerMax = 0.04;
  for (auto [type, line] : {std::pair<int, std::string>{2, "\n(1-1) 2:1FDW1FSタイプ"},
                            {3, "\n(1-1) 3:1RDW1FSタイプ"}}) {
    s->agvType = type;
    EXPECT_EQ(report(), kHead + line + kSpeed + kSteer + kRadius + kCp + kCosine + kTail) << type;
  }
  s->agvType = 4;
  EXPECT_EQ(report(), kHead + kSpeed + kRadius + kCp + kCosine + kTail);
}

TEST_F(Report, PtpSectionForEachDrawing) {
  s->sgnPATH = 'p';
  s->xf = 4.0;
  s->yf = -3.0;
  s->thf = -45.0 * agv::DEG2RAD;
  const std::string pose = ptpPose(" 4.0000", "-3.0000", "-45.00");
  for (auto [draw, line] : {std::pair<char, std::string>{'a', kDrawA}, {'b', kDrawB}, {'z', ""}}) {
    s->sgnDraw = draw;
    EXPECT_EQ(report(), kHead + kType1 + kSpeed + kRadius + pose + line + kTail) << draw;
  }
}

// Parameters other than the defaults: the values in force, one line after the radius, and
// the steering lines of the time step and the steering rate in force.
TEST_F(Report, ParametersInForce) {
  s->params.Lw = 0.5;
  s->params.steerRate = 1.0;
  s->params.dt = 0.01;
  s->agvType = 2;
  s->dSteerMax = 0.01;
  EXPECT_EQ(report(), kHead + "\n(1-1) 2:1FDW1FSタイプ" + kSpeed +
                          "\n(1-3) ステアリング速度= 1.00[rad/s]＝一定"
                          "\n      dt=0.0100[s]で変えられる最大角度= 0.5730[deg]" +
                          kRadius +
                          "\n(1-5) パラメータ Vmax=1 steerRate=1 Ra=1 Lw=0.5 dt=0.01 dtCP=0.02 "
                          "maxSteps=3000 threeArcs=0 maxMemory=1024" +
                          kCp + kCosine + kTail);
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
    s->curveNo = I;
    EXPECT_EQ(report(), kHead + kType1 + kSpeed + kRadius + kCp + line + kTail) << I;
    EXPECT_EQ(scripted("", [&] { agv::curvelist(*s, I); }).out, list) << I;
  }
}

}  // namespace
