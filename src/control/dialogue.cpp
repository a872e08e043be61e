#include "control/dialogue.h"

#include "control/base/console.h"
#include "control/base/params.h"
#include "control/base/view.h"
#include "control/cpsetup.h"
#include "control/pass.h"
#include "control/startup.h"

namespace agv {

namespace {

enum class Step { Kind, PtpEdit, Pose, Draw, CpEdit, Compute, Done };

// First pass: the path kind, until it is 'p' or 'c'; 'c' sets the curve up
// at once.
void firstkind() {
  do {
    con::out("\n\n p:PTP   c:CP の選択  sgnPATH=");
    sgnPATH = con::key();
    con::out("%c", sgnPATH);
    if (sgnPATH == 'c') cpsetup();
  } while (sgnPATH != 'p' && sgnPATH != 'c');
}

// The first question of a pass: the change question on the first pass,
// the window's key afterwards.
Step start() {
  if (ndlg == 0) {
    con::out("\n   経路を変更する？　yes : y   no : n ");
    if (con::key() == 'n') return Step::Compute;
    return sgnPATH == 'p' ? Step::PtpEdit : Step::CpEdit;
  }
  if (keyin == 'p') return Step::PtpEdit;
  if (keyin == 'c') return Step::CpEdit;
  return Step::Kind;
}

Step kind() {
  if (sgnPATH == 'p') con::out("\n\n(2) 旧経路 p=PTP：円弧(クロソイド)－直線の繋ぎ合わせ");
  if (sgnPATH == 'c') con::out("\n\n(2) 旧経路 c=CP ：CP曲線");
  con::out("\n    経路 p or c 入力 PATH=");
  sgnPATH = con::key();
  con::out("%c", sgnPATH);
  if (sgnPATH == 'p') return Step::PtpEdit;
  if (sgnPATH == 'c') return Step::CpEdit;
  return Step::Kind;
}

Step ptpedit() {
  con::out("\n\n(3) 始点(x0,y0)=(0,0)[m], θ0=0°");
  con::out("旧終点(xf,yf)=(%6.3f %6.3f)[m], θf=%5.2f°", xf, yf, thf * RAD2DEG);
  con::out("\n    PTP経路の終点変更する？");
  con::out("  変更する：y,  しない：n  ");
  return con::key() == 'n' ? Step::Draw : Step::Pose;
}

// The three numbers of the end pose, asked again until they are numbers.
Step pose() {
  double v[3] = {xf, yf, thf};
  for (;;) {
    con::out("\n    入力　xf[m] yf[m] θf°=");
    if (con::readDoubles(3, v)) break;
  }
  xf = v[0];
  yf = v[1];
  thf = v[2];
  thf = thf * DEG2RAD;
  return Step::Compute;
}

Step draw() {
  if (sgnDraw == 'a') con::out("\n(3-2) 旧描画曲線 a:円弧－直線の繋ぎ合わせ");
  if (sgnDraw == 'b') con::out("\n(3-2) 旧描画曲線 b:クロソイド－直線の繋ぎ合わせ");
  con::out("\n   入力　a or b  描画=");
  sgnDraw = con::key();
  con::out("%c", sgnDraw);
  return Step::Compute;
}

Step cpedit() {
  con::out("\n\n(4) 旧経路 :");
  curvelist(curveNo);
  con::out("\n 下記の経路のどれかを選択");
  cpsetup();
  return Step::Compute;
}

// The pass of the path kind; what it refused decides the next question.
Step compute() {
  setsteer(sgnPATH);
  report();
  con::out("\n");
  if (sgnPATH == 'p') {
    const PassResult r = passPTP();
    if (r.status == PassStatus::PathTooLong) con::out("\n経路長長過ぎる．経路設定し直し");
    if (r.status == PassStatus::RunTooLong)
      con::out("\n時間刻み数NN=%d>MAX=%d 大き過ぎる．経路設定し直し", r.steps, MAX);
    return r.status == PassStatus::Done ? Step::Done : Step::Pose;
  }
  switch (passCP(curveNo).status) {
    case PassStatus::Done:
      con::out("\n　　   　  計算終了  ");
      return Step::Done;
    case PassStatus::CurveTooLong:
      return Step::Kind;
    case PassStatus::CurveSteps:
      con::out("\ndialogue() I=%d 経路設定し直し", curveNo);
      return Step::CpEdit;
    default:  // RangeTooLong: the range check has said why
      return Step::CpEdit;
  }
}

Step next(Step step) {
  switch (step) {
    case Step::Kind:
      return kind();
    case Step::PtpEdit:
      return ptpedit();
    case Step::Pose:
      return pose();
    case Step::Draw:
      return draw();
    case Step::CpEdit:
      return cpedit();
    case Step::Compute:
      return compute();
    case Step::Done:
      break;
  }
  return Step::Done;
}

// The view after a pass, what the picture shows and the window's keys.
void closing() {
  ndlg += 1;
  scale = scale0;
  kanimCP = kanimV = kanimC = 0;
  agvType = 1;
  sgnDraw = 'a';

  if (sgnPATH == 'p') {
    con::out("\n\n(1) 理論経路（円弧－直線(赤)，クロソイド－直線(緑)の２種）");
    con::out("\n(2) 定速走行（追従できずに経路からずれる）と可変速走行の２種のAGV運動");
  } else {
    con::out("\n\n(1) 理論経路（赤)");
    con::out("\n(2) AGV走行軌道（青）");
  }

  con::out("\n・経路，終点位置姿勢の変更はキーで選択");
  con::out("\n(1) 描画画面上でキーによる操作選択");
  con::out("\n(1-1) '1' '2' '3' : AGVのタイプ選択");
  con::out("\n(1-2) 'p' 'c'     : PTP，CPの選択");
  con::out("\n(2) 描画の選択");
  con::out("\n(2-1) 'a' 'b'：円弧－直線軌道AGV or CLD－直線軌道AGV描画の選択");
  con::out("\n(2-2) 's'    ：運動継続");
  con::out("\n(2-3) '0'    ：運動初期に戻す");
  con::out("\n(2-4) 'x' 'X' 'y' 'Y'：ロボット図の左右上下移動");
  con::out("\n(2-5) 'w' 'W'：ロボット図の縮小拡大");
  con::out("\n(3)   ESC    ：終了");
  con::out("\n\n任意キーで描画画面へ       ");
}

}  // namespace

void dialogue() {
  con::out("\n移動ロボット(AGV)の経路生成と経路追従運動のシミュレーション");
  con::out("\n　(1) PTP，CP経路種類と経路選択");
  con::out("\n  (2) AGV機構選択");
  if (ndlg == 0) firstkind();
  report();
  for (Step step = start(); step != Step::Done;) step = next(step);
  closing();
  const char c = con::key();
  con::out(" %c", c);
}

}  // namespace agv
