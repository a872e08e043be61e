// Whole transcripts of scripted dialogue passes.
#include "console/dialogue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "console/startup.h"
#include "mapfile/mapfile.h"
#include "support/session.h"
#include "support/texts.h"

using namespace agvtest;

namespace {

const std::string kHello =
    "\n移動ロボット(AGV)の経路生成と経路追従運動のシミュレーション"
    "\n　(1) PTP，CP経路種類と経路選択"
    "\n  (2) AGV機構選択";
const std::string kKind = "\n\n p:PTP   c:CP の選択  sgnPATH=";
const std::string kChange = "\n   経路を変更する？　yes : y   no : n ";
const std::string kBusy = "\n\n　　　只今計算中．．．．．．．\n";
const std::string kPtpLegend =
    "\n\n(1) 理論経路（円弧－直線(赤)，クロソイド－直線(緑)の２種）"
    "\n(2) 定速走行（追従できずに経路からずれる）と可変速走行の２種のAGV運動";
const std::string kCpLegend = "\n\n(1) 理論経路（赤)\n(2) AGV走行軌道（青）";
const std::string kKeys =
    "\n・経路，終点位置姿勢の変更はキーで選択"
    "\n(1) 描画画面上でキーによる操作選択"
    "\n(1-1) '1' '2' '3' : AGVのタイプ選択"
    "\n(1-2) 'p' 'c'     : PTP，CPの選択"
    "\n(2) 描画の選択"
    "\n(2-1) 'a' 'b'：円弧－直線軌道AGV or CLD－直線軌道AGV描画の選択"
    "\n(2-2) 's'    ：運動継続"
    "\n(2-3) '0'    ：運動初期に戻す"
    "\n(2-4) 'x' 'X' 'y' 'Y'：ロボット図の左右上下移動"
    "\n(2-5) 'w' 'W'：ロボット図の縮小拡大"
    "\n(3)   ESC    ：終了"
    "\n\n任意キーで描画画面へ       ";
const std::string kDone = "\n　　   　  計算終了  ";
const std::string kEndQuestion =
    "\n\n(3) 始点(x0,y0)=(0,0)[m], θ0=0°旧終点(xf,yf)=( 2.000  3.000)[m], θf= 0.00°"
    "\n    PTP経路の終点変更する？  変更する：y,  しない：n  ";
const std::string kOldCurve = "\n\n(4) 旧経路 :" + kCosineList + "\n 下記の経路のどれかを選択";

std::string ptpReport(const char* xf, const char* yf, const char* thf) {
  return kHead + kType1 + kSpeed + kRadius + ptpPose(xf, yf, thf) + kDrawA + kTail;
}
const std::string kDefaultReport = ptpReport(" 2.0000", " 3.0000", " 0.00");
const std::string kPtpStart = kHello + kKind + "p" + kDefaultReport + kChange + kEndQuestion;
const std::string kCpStart = kHello + kKind + "c" + kMenu + kConsts + kCosinePrompt;

std::string cpReport(const std::string& line) {
  return kHead + kType1 + kSpeed + kRadius + kCp + line + kTail;
}

// The planner's report of the path a session adopted.
std::string planReport(const agv::Session& s) {
  return scripted("", [&] { agv::reportpath(s.ptp); }).out;
}

// A new session, on the heap: its results are large.
std::unique_ptr<agv::Session> fresh() { return std::make_unique<agv::Session>(); }

// The session in the example warehouse, as agvsim --map loads it.
void inwarehouse(agv::Session& s) {
  std::string err;
  ASSERT_TRUE(agv::mapfile::loadmap(std::string(AGV_SOURCE_DIR) + "/examples/warehouse.yaml",
                                    s.map, err))
      << err;
  ASSERT_TRUE(agv::buildindex(s.map, s.params, s.index));
  s.mapped = true;
}

const std::string kDefaultPlan =
    "\n採用経路 i=0 曲率方向=(1 0 -1)"
    "\n       3経路長s[]=( 1.5708  1.0000  1.5708)[m] 全経路長sf= 4.1416[m]"
    "\n      始点   P0[]=( 0.0000  0.0000    0.00°)"
    "\n      中間点 P1[]=( 1.0000  1.0000   90.00°) P2[]=( 1.0000  2.0000  90.00°)"
    "\n      終点   Pf[]=( 2.0000  3.0000    0.00°)";

void expectClosedState(const agv::Session& s) {
  EXPECT_EQ(s.ndlg, 1);
  EXPECT_EQ(s.agvType, 1);
  EXPECT_EQ(s.sgnDraw, 'a');
  EXPECT_EQ(s.view.scale, 0.2);
  EXPECT_EQ(s.view.kanimC, 0);
  EXPECT_EQ(s.view.kanimV, 0);
  EXPECT_EQ(s.view.kanimCP, 0);
}

TEST(DialogueFirstPass, PtpWithTheDefaultEndPose) {
  auto ss = fresh();
  auto s = firstPass(*ss, "?pnx");  // a key other than p or c asks again
  ASSERT_FALSE(s.eof);
  EXPECT_EQ(s.out, kHello + kKind + "?" + kKind + "p" + kDefaultReport + kChange + kDefaultReport +
                       "\n" + kDefaultPlan + kBusy + kPtpLegend + kKeys + " x");
  expectClosedState(*ss);
  EXPECT_EQ(ss->dSteerMax, 2.0 * 0.02);
  // The extents pool x and y of the arc-line reference of each type.
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(ss->ptp.bndPTP[k].hi, 3.0, 1e-6);
    EXPECT_NEAR(ss->ptp.bndPTP[k].lo, 0.0, 1e-6);
    EXPECT_NEAR(ss->ptp.bndPTP[k].mag, 3.0, 1e-6);
  }
}

TEST(DialogueFirstPass, PtpWithATypedEndPose) {
  auto ss = fresh();
  auto s = firstPass(*ss, "pyy4 -3 -45\n ");
  ASSERT_FALSE(s.eof);
  const std::string plan = planReport(*ss);
  EXPECT_EQ(s.out, kPtpStart + kPosePrompt + ptpReport(" 4.0000", "-3.0000", "-45.00") + "\n" +
                       plan + kBusy + kPtpLegend + kKeys + "  ");
  EXPECT_NEAR(ss->thf, -45.0 * agv::DEG2RAD, 1e-15);
  EXPECT_EQ(plan,
            "\n採用経路 i=3 曲率方向=(-1 0 -1)"
            "\n       3経路長s[]=( 0.6881  4.2628  0.0973)[m] 全経路長sf= 5.0482[m]"
            "\n      始点   P0[]=( 0.0000  0.0000    0.00°)"
            "\n      中間点 P1[]=( 0.6351 -0.2275  -39.42°) P2[]=( 3.9279 -2.9346 -39.42°)"
            "\n      終点   Pf[]=( 4.0000 -3.0000  -45.00°)");
  expectClosedState(*ss);
}

// A path that backs up (a three-point turn with arcs of 2 m): the report lists its segments,
// their curvature and driving directions, its cusps and every joint.
TEST(DialogueFirstPass, APathThatBacksUpIsReportedSegmentBySegment) {
  auto ss = fresh();
  ss->params.reverse = 1;
  ss->params.Ra = 2;
  auto s = firstPass(*ss, "pyy0 0 180\n ");
  ASSERT_FALSE(s.eof);
  const std::string plan = planReport(*ss);
  EXPECT_NE(s.out.find(plan + kBusy), std::string::npos);
  EXPECT_EQ(plan,
            "\n採用経路 (後退可) 曲率方向=(1 -1 1) 走行方向=(+1 -1 +1) 切り返し=2"
            "\n       3経路長s[]=( 2.0944  2.0944  2.0944)[m] 全経路長sf= 6.2832[m]"
            "\n      始点   P0[]=( 0.0000  0.0000    0.00°)"
            "\n      中間点 P1[]=( 1.7321  1.0000   60.00°)"
            "\n      中間点 P2[]=( 1.7321 -1.0000  120.00°)"
            "\n      終点   Pf[]=( 0.0000  0.0000  180.00°)");
}

// A heading typed a turn and a half round is reduced into (-180, 180] as it is typed: the
// reports show the heading the path is planned for.
TEST(DialogueFirstPass, TypedHeadingIsReducedWhereItEnters) {
  auto ss = fresh();
  auto s = firstPass(*ss, "pyy4 -3 -405\n ");
  ASSERT_FALSE(s.eof);
  EXPECT_EQ(ss->thfDeg, -45.0);
  EXPECT_NE(s.out.find(ptpReport(" 4.0000", "-3.0000", "-45.00")), std::string::npos);
  EXPECT_NE(s.out.find("終点   Pf[]=( 4.0000 -3.0000  -45.00°)"), std::string::npos);
  EXPECT_NE(s.out.find("採用経路 i=3 曲率方向=(-1 0 -1)"), std::string::npos);
}

TEST(DialogueFirstPass, RefusedEndPoseIsAskedAgain) {
  auto ss = fresh();
  auto s = firstPass(*ss, "pyyabc 1 2\nnan 1 2\n1 1e400 2\n1 2\n3\nq");
  ASSERT_FALSE(s.eof);
  const std::string asked =
      kPosePrompt + kRefused + kPosePrompt + kRefused + kPosePrompt + kRefused + kPosePrompt;
  EXPECT_EQ(s.out.substr(0, kPtpStart.size() + asked.size()), kPtpStart + asked);
  EXPECT_EQ(ss->xf, 1.0);
  EXPECT_EQ(ss->yf, 2.0);
  EXPECT_NEAR(ss->thf, 3.0 * agv::DEG2RAD, 1e-15);
  EXPECT_EQ(s.out.substr(s.out.size() - 2), " q");
}

// A path too long for its step tables: the planner's report, the message of the step
// tables and of the plan, then the dialogue's, and the end pose is asked again.
TEST(DialogueFirstPass, PathTooLongIsReportedAndTheEndPoseAskedAgain) {
  auto ss = fresh();
  auto s = firstPass(*ss, "pyy60 0 0\n2 3 0\n ");
  ASSERT_FALSE(s.eof);
  const std::string report = ptpReport("60.0000", " 0.0000", " 0.00");
  const size_t at = s.out.find(report);
  ASSERT_NE(at, std::string::npos);
  const std::string after = s.out.substr(at + report.size());
  const std::string refusal = std::string(agv::msgTooLong) + agv::msgTooLong + agv::msgTooLong +
                              kPosePrompt;
  EXPECT_EQ(after.substr(0, 2), "\n\n");  // the report, then the planner's
  EXPECT_NE(after.find("全経路長sf=60.0000[m]"), std::string::npos);
  EXPECT_NE(after.find("終点   Pf[]=(60.0000  0.0000    0.00°)" + refusal), std::string::npos);
  // No join at all: the planner's message alone before the dialogue's.
  auto tt = fresh();
  auto t = firstPass(*tt, "pyy1e6 0 0\n2 3 0\n ");
  EXPECT_NE(t.out.find(ptpReport("1000000.0000", " 0.0000", " 0.00") + "\n" + agv::msgTooLong +
                       agv::msgTooLong + kPosePrompt),
            std::string::npos);
}

// A PTP path in the session's map (agvsim --map) is searched round its obstacles: a goal in the
// bottom wall is refused with the console's message and the end pose asked again; the path then
// planned is the library's pass in that map.
TEST(DialogueFirstPass, InAMapThePathIsSearchedAndAGoalInAWallAskedAgain) {
  auto ss = fresh();
  scripted("", [&] { agv::startup(*ss); });  // a program just started, its map then loaded
  ASSERT_NO_FATAL_FAILURE(inwarehouse(*ss));
  auto s = scripted("pyy0 -5.5 0\n12 3 0\n ", [&] { agv::dialogue(*ss); });
  ASSERT_FALSE(s.eof);
  EXPECT_NE(s.out.find("\n地図の障害物を避ける経路が見つからない．経路設定し直し" + kPosePrompt),
            std::string::npos)
      << s.out;
  auto r = std::make_unique<agv::PtpResult>();
  ASSERT_EQ(agv::passPTP(ss->params, {}, {12, 3, 0}, ss->index, *r), agv::Status::Done)
      << agv::reason(r->refusal, ss->params) << s.out;
  EXPECT_TRUE(ss->ptp.search.done);
  EXPECT_NE(s.out.find("\n採用経路 (地図内で探索) 曲率方向=("), std::string::npos) << s.out;
  EXPECT_GT(ss->ptp.path.nseg, 3);
  EXPECT_EQ(ss->ptp.path.s, r->path.s);
  EXPECT_FALSE(ss->ptp.contacts.path[0]);
}

TEST(DialogueFirstPass, CpChangeAnswerRunsTheSetUpAgain) {
  auto ss = fresh();
  auto s = firstPass(*ss, "c1\n2 5\ny3\n1 1\n ");
  ASSERT_FALSE(s.eof);
  EXPECT_EQ(s.out, kCpStart + cpReport(kCosine) + kChange + kOldCurve + kMenu + kConsts +
                       "\n I=3  : 2次関数 y=A*(x/L)^2 を選択　A L=" +
                       cpReport("\n (3) 2次関数 y=A*(x/L)^2 A=1.00[m] L=1.00[m]") + "\n" + kBusy +
                       kDone + kCpLegend + kKeys + "  ");
  EXPECT_EQ(ss->curveNo, 3);
  expectClosedState(*ss);
  EXPECT_EQ(ss->dSteerMax, 2.0 * 0.02);
  for (int k = 0; k < 3; ++k) {  // x and y of the quadratic both run from 0 to 1
    EXPECT_NEAR(ss->cp.bndCP[k].hi, 1.0, 1e-9);
    EXPECT_NEAR(ss->cp.bndCP[k].lo, 0.0, 1e-9);
  }
}

TEST(DialogueFirstPass, TooLongCurveGoesBackToTheKindQuestion) {
  auto ss = fresh();
  auto s = firstPass(*ss, "c1\n20 25\nnq");
  EXPECT_TRUE(s.eof);  // the input ends at the second kind question
  const std::string longCos = cpReport("\n (1) 余弦関数 y=A*(1-cos(2πx/L)) A=20.00[m] L=25.00[m]");
  const std::string start = kCpStart + longCos + kChange + longCos + "\n";
  ASSERT_EQ(s.out.substr(0, start.size()), start);
  std::string rest = s.out.substr(start.size());
  const std::string tooLong = "\n経路番号I=1 経路長sf=";
  ASSERT_EQ(rest.substr(0, tooLong.size()), tooLong);
  const std::string kind =
      "=smax限界を超えている．経路設定し直し"
      "\n\n(2) 旧経路 c=CP ：CP曲線\n    経路 p or c 入力 PATH=q"
      "\n    経路 p or c 入力 PATH=";
  EXPECT_EQ(rest.substr(rest.size() - kind.size()), kind);
  EXPECT_NE(rest.find(">60.0000=smax"), std::string::npos);
}

// A curve too long for the step capacity, and a range too long for the table: the
// refusal's messages lead back to the curve change, which sets up the quadratic.
TEST(DialogueFirstPass, ReturnsToTheCurveSetUpFromACurveTooLong) {
  // The spiral of four turns, 59.99 m: the front drive's walk needs 3000 steps.
  const double b = 2 * M_PI * 4.0;
  const double A = 2 * M_PI * 59.99 / (0.5 * (b * std::sqrt(1 + b * b) + std::asinh(b)));
  char spiral[64];
  std::snprintf(spiral, sizeof spiral, "c12\n%.12f 4\nn3\n1 1\nx", A);
  const std::string cases[][2] = {
      {spiral,
       "\ncalpath() I=12 AGV=1 時系列刻み数k=3000>=3000=MAX 多すぎる(経路長長過ぎる)．"
       "\ndialogue() I=12 経路設定し直し"},
      // 0.1 m per turn over five turns: short, but 31.4 rad of range.
      {"c12\n0.1 5\nn3\n1 1\nx",
       "\nchkrange() I=12 曲線範囲uend=31.4159>=29.99 "
       "弧長表の行数が3000=MAXを超える(範囲長過ぎる)．"},
      // An ellipse too sharp for the time step, one too sharp to be measured.
      {"c11\n10 0.2\nn3\n1 1\nx",
       "\ncaltraj() I=11 AGV=1 曲線の曲がりが時間刻みに対し急過ぎ，基準点が曲線から 0.1041> 0.0400"
       "ずれる．曲線定数を設定し直し"},
      {"c11\n1 0.000001\nn3\n1 1\nx",
       "\nchklen() I=11 曲線の曲がりが急過ぎて弧長を求められない．曲線定数を設定し直し"},
  };
  for (const auto& c : cases) {
    auto ss = fresh();
    const auto s = firstPass(*ss, c[0]);
    EXPECT_FALSE(s.eof);
    EXPECT_NE(s.out.find(c[1] + "\n\n(4) 旧経路 :"), std::string::npos) << s.out;
    EXPECT_EQ(ss->curveNo, 3);
  }
}

// A pass whose records would take more than maxMemory: the numbers, and the end pose asked
// again (a curve: the curve set-up).
TEST(DialogueFirstPass, PassesThatWouldTakeMoreThanMaxMemory) {
  const std::string cases[][2] = {
      {"pnx", "\n記録のメモリ62[MiB]>1[MiB]=maxMemory 時間刻み数66212が多過ぎる．経路設定し直し"
              "\n    入力　xf[m] yf[m] θf°="},
      {"c16\n0.2 3\nnx", "\n記録のメモリ68[MiB]>1[MiB]=maxMemory 時間刻み数146696が多過ぎる．"
                          "経路設定し直し\n\n(4) 旧経路 :"},
  };
  for (const auto& c : cases) {
    auto ss = fresh();
    ss->params.dt = ss->params.dtCP = 0.0001;
    ss->params.maxSteps = 1000000;
    ss->params.maxMemory = 1;
    const auto s = firstPass(*ss, c[0]);
    EXPECT_NE(s.out.find(c[1]), std::string::npos) << s.out;
  }
}

class DialogueReentry : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(firstPass(*ss, "pnx").eof); }
  std::unique_ptr<agv::Session> ss = fresh();
};

TEST_F(DialogueReentry, WindowKeyPGoesToTheEndPose) {
  ss->keyin = 'p';
  ss->agvType = 3;  // as left by the window
  ss->dSteerMax = 0.04;
  auto s = scripted("nbz", [&] { agv::dialogue(*ss); });
  ASSERT_FALSE(s.eof);
  const std::string type3 = kHead + "\n(1-1) 3:1RDW1FSタイプ" + kSpeed + kSteer + kRadius +
                            ptpPose(" 2.0000", " 3.0000", " 0.00");
  EXPECT_EQ(s.out, kHello + type3 + kDrawA + kTail + kEndQuestion +
                       "\n(3-2) 旧描画曲線 a:円弧－直線の繋ぎ合わせ"
                       "\n   入力　a or b  描画=b" +
                       type3 + kDrawB + kTail + "\n" + kDefaultPlan + kBusy + kPtpLegend + kKeys +
                       " z");
  EXPECT_EQ(ss->ndlg, 2);
  EXPECT_EQ(ss->agvType, 1);
  EXPECT_EQ(ss->sgnDraw, 'a');  // the drawing answer shows only in the report
}

TEST_F(DialogueReentry, WindowKeyCGoesToTheCurveChange) {
  ss->keyin = 'c';
  ss->sgnPATH = 'c';
  auto s = scripted("1\n2 5\n ", [&] { agv::dialogue(*ss); });
  ASSERT_FALSE(s.eof);
  EXPECT_EQ(s.out, kHello + cpReport(kCosine) + kOldCurve + kMenu + kConsts + kCosinePrompt +
                       cpReport(kCosine) + "\n" + kBusy + kDone + kCpLegend + kKeys + "  ");
  EXPECT_EQ(ss->sgnPATH, 'c');
}

TEST_F(DialogueReentry, OtherKeyAsksForThePathKind) {
  ss->keyin = '1';
  auto s = scripted("zpnax", [&] { agv::dialogue(*ss); });
  ASSERT_FALSE(s.eof);
  const std::string kind =
      "\n\n(2) 旧経路 p=PTP：円弧(クロソイド)－直線の繋ぎ合わせ\n    経路 p or c 入力 PATH=z"
      "\n    経路 p or c 入力 PATH=p\n\n(3) 始点";
  EXPECT_NE(s.out.find(kTail + kind), std::string::npos);
}

// A route's pass: its report, the window's picture the route (fitted), and 'p' back to the
// dialogue's end pose, the picture the dialogue's again.
TEST(RoutePass, ReportsTheRouteThenPLeadsToTheDialogue) {
  auto ss = fresh();
  const std::vector<agv::Waypoint> w = {{1, -2, 30}, {4, 2, 90}, {0, 6, 180}};
  bool done = false;
  auto s = scripted("x", [&] { done = agv::routepass(*ss, w); });
  ASSERT_FALSE(s.eof);
  ASSERT_TRUE(done);
  char lengths[128];
  std::snprintf(lengths, sizeof lengths, "%.4f[m]，クロソイド－直線 %.4f[m]", ss->route.sf,
                ss->route.sfc);
  EXPECT_EQ(s.out, "\n\nルート：経由点3点を順に通るPTP経路（2区間）"
                   "\n(2-1) 始点 (x0,y0)=( 1.0000 -2.0000)[m], θ0=30.00[deg]"
                   "\n      終点 (xf,yf)=( 0.0000  6.0000)[m]，θf=180.00[deg]" +
                       kBusy + kDone + "\nルートの経路長 円弧－直線 " + lengths + kPtpLegend +
                       kKeys + " x");
  EXPECT_TRUE(ss->routed);
  EXPECT_EQ(ss->sgnPATH, 'p');
  EXPECT_EQ(ss->ndlg, 1);  // the window's 'p' and 'c' go on as after a dialogue pass
  // Fitted: every waypoint inside the picture left of the graphs, below the legend.
  for (const agv::Waypoint& p : w) {
    const agv::View& v = ss->view;
    const double sx = (v.xorg + p.x) * v.scale + v.xshift, sy = (v.yorg + p.y) * v.scale + v.yshift;
    EXPECT_TRUE(sx >= agv::routeBox.left && sx <= agv::routeBox.right) << sx;
    EXPECT_TRUE(sy >= agv::routeBox.bottom && sy <= agv::routeBox.top) << sy;
  }
  EXPECT_LT(ss->view.scale, agv::scale0);
  // The runs the window shows are the route's, its duration its legs' together.
  const agv::PtpRuns r = agv::ptpruns(agv::sceneof(*ss), 1);
  EXPECT_EQ(r.cv, ss->route.arc[1].cv.data());
  EXPECT_DOUBLE_EQ(r.T, ss->route.legs[0].steps.Tseg[1].total +
                            ss->route.legs[1].steps.Tseg[1].total);
  ss->keyin = 'p';
  s = scripted("nax", [&] { agv::dialogue(*ss); });
  ASSERT_FALSE(s.eof);
  EXPECT_NE(s.out.find(kEndQuestion), std::string::npos) << s.out;
  EXPECT_FALSE(ss->routed);
  EXPECT_EQ(ss->view.xorg, agv::View{}.xorg);
  EXPECT_EQ(ss->view.yorg, agv::View{}.yorg);
  EXPECT_EQ(agv::ptpruns(agv::sceneof(*ss), 1).cv, ss->ptp.arc[1].cv.data());
}

TEST(RoutePass, ARefusedLegIsNamedAndNothingIsShown) {
  auto ss = fresh();
  ss->params.maxSteps = 400;  // 8 s of each leg's runs
  const std::vector<agv::Waypoint> w = {{0, 0, 0}, {2, 3, 0}, {30, 3, 0}};
  bool done = true;
  auto s = scripted("", [&] { done = agv::routepass(*ss, w); });
  ASSERT_FALSE(s.eof);  // no key asked
  EXPECT_FALSE(done);
  EXPECT_FALSE(ss->routed);
  EXPECT_EQ(ss->route.leg, 1);
  // The route cannot be set again: the program ends (its reason on stderr, status 1).
  EXPECT_EQ(s.out, "\n\nルート：経由点3点を順に通るPTP経路（2区間）"
                   "\n(2-1) 始点 (x0,y0)=( 0.0000  0.0000)[m], θ0= 0.00[deg]"
                   "\n      終点 (xf,yf)=(30.0000  3.0000)[m]，θf= 0.00[deg]" +
                       kBusy + "\nルートの区間2で経路を作れない．" +
                       "\nこのルートは受け付けられない．agvsimを終了する\n");
}

// A lane: out along an aisle, a U-turn a little tighter than Ra = 1 m, back along the next; and
// the report of its pass.
agv::Track lane() {
  return agv::Track{{{0, 0}, {2, 0}, {4, 0.2}, {6, 0}, {7.2, 0.6}, {7.4, 1.6}, {6.6, 2.4},
                     {5, 2.5}, {3, 2.4}, {1, 2.5}},
                    0.0,
                    180.0};
}
std::string laneReport() {
  return "\n\nトラック：点10点を通る3次スプライン経路"
         "\n(2-1) 始点 (x0,y0)=( 0.0000  0.0000)[m]"
         "\n      終点 (xf,yf)=( 1.0000  2.5000)[m]" +
             kBusy + kDone +
             "\nトラックの経路長 15.2594[m]，最大曲率 1.1219[1/m] s=8.4643[m] "
             "(x,y)=( 7.4000  1.6000)[m]"
             "\n最小回転半径Ra=1.0000[m]より急な区間 1箇所 計0.3221[m]，最初 "
             "s=8.3096～8.6317[m] (x,y)=( 7.4309  1.4487)[m]";
}

// A track's pass: its report with its largest curvature and the stretch tighter than the
// vehicle, the window's picture the track (fitted, as a CP curve), and 'c' back to the
// dialogue, whose curve the picture is again.
TEST(TrackPass, ReportsTheTrackThenCLeadsToTheDialogue) {
  auto ss = fresh();
  const agv::Track t = lane();
  bool done = false;
  auto s = scripted("x", [&] { done = agv::trackpass(*ss, t); });
  ASSERT_FALSE(s.eof);
  ASSERT_TRUE(done);
  EXPECT_EQ(s.out, laneReport() + kCpLegend + kKeys + " x");
  EXPECT_TRUE(ss->track);
  EXPECT_EQ(ss->sgnPATH, 'c');
  EXPECT_EQ(ss->ndlg, 1);
  EXPECT_LT(ss->view.scale, agv::scale0);
  EXPECT_EQ(agv::trackedrun(agv::sceneof(*ss), 1).n, -1);  // no controller, no tracked AGV
  EXPECT_EQ(agv::laststep(agv::sceneof(*ss)), ss->cp.NN[0]);
  ss->keyin = 'c';
  s = scripted("1\n2 5\n ", [&] { agv::dialogue(*ss); });
  ASSERT_FALSE(s.eof);
  EXPECT_FALSE(ss->track);
  EXPECT_EQ(ss->cp.curve.I, 1);
  EXPECT_EQ(ss->view.xorg, agv::View{}.xorg);
}

// A track in the session's map (agvsim --track --map): the report ends with where the curve and
// the runs first touch the map (the lane's U-turn runs into a rack of the warehouse), the
// contacts are the library's pass's in that map, and the picture shows the whole map.
TEST(TrackPass, InAMapReportsTheFirstContactsAndShowsTheMap) {
  auto ss = fresh();
  ASSERT_NO_FATAL_FAILURE(inwarehouse(*ss));
  const agv::Track t = lane();
  bool done = false;
  auto s = scripted("x", [&] { done = agv::trackpass(*ss, t); });
  ASSERT_FALSE(s.eof);
  ASSERT_TRUE(done);
  EXPECT_EQ(s.out, laneReport() +
                       "\n地図：CP経路は5.820[s]に(x,y)=( 5.7915 -0.0122)[m]で障害物に接する"
                       "\n地図：AGVの走行のうち3本が障害物に接する（3本中，窓に印）" +
                       kCpLegend + kKeys + " x");
  auto r = std::make_unique<agv::TrackResult>();
  ASSERT_EQ(agv::passTrack(ss->params, t, ss->index, *r), agv::Status::Done);
  ASSERT_TRUE(ss->cp.contacts.checked);
  EXPECT_EQ(ss->cp.contacts.path[0].t, r->contacts.path[0].t);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(ss->cp.contacts.cv[0][k].t, r->contacts.cv[0][k].t);
  agv::View whole = ss->view;
  agv::mapview(whole, ss->map);
  EXPECT_EQ(ss->view.scale, whole.scale);
  EXPECT_EQ(ss->view.xorg, whole.xorg);
  EXPECT_EQ(ss->view.yorg, whole.yorg);
}

TEST(TrackPass, ARefusedTrackIsSaidAndNothingIsShown) {
  auto ss = fresh();
  const agv::Track t{{{0, 0}, {40, 0}, {80, 1}}, std::nullopt, std::nullopt};
  bool done = true;
  auto s = scripted("", [&] { done = agv::trackpass(*ss, t); });
  ASSERT_FALSE(s.eof);  // no key asked
  EXPECT_FALSE(done);
  EXPECT_FALSE(ss->track);
  EXPECT_EQ(ss->cp.refusal.status, agv::Status::CurveTooLong);
  EXPECT_NE(s.out.find(kBusy + "\nトラックを設定し直し\n"), std::string::npos) << s.out;
}

}  // namespace
