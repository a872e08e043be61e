#include "control/dialogue.h"

#include <cmath>

#include "control/console.h"
#include "control/cpsetup.h"
#include "control/params.h"
#include "control/startup.h"
#include "control/view.h"
#include "cp/arclen.h"
#include "cp/curves.h"
#include "cp/track.h"
#include "motion/runs.h"
#include "motion/varruns.h"
#include "ptp/clpath.h"
#include "ptp/planner.h"

namespace agv {

double bndPTP[3][3];
double bndCP[3][3];
double bndCPk[3][3];

namespace {

// Work buffer of the extents: one pair for every record a run can have.
double work[MAXCP][2];

enum class Step { Kind, PtpEdit, Pose, Draw, CpEdit, Compute, Done };

// Reads the three numbers of the end pose, asking again until they are
// numbers.
void readpose() {
  double v[3] = {xf, yf, thf};
  for (;;) {
    con::out("\n    入力　xf[m] yf[m] θf°=");
    if (con::readDoubles(3, v)) break;
  }
  xf = v[0];
  yf = v[1];
  thf = v[2];
  thf = thf * DEG2RAD;
}

// PTP computation; the step to go on with.
Step computePTP() {
  Pose P0{x0, y0, th0, 0.0};
  Pose PF{xf, yf, thf, 0.0};
  if (calPTP(P0, PF) == 0) {
    con::out("\n経路長長過ぎる．経路設定し直し");
    return Step::Pose;
  }
  con::out("\n\n　　　只今計算中．．．．．．．\n");
  int n = caltrajPTP();
  if (n >= MAX) {
    con::out("\n時間刻み数NN=%d>MAX=%d 大き過ぎる．経路設定し直し", n, MAX);
    return Step::Pose;
  }
  n = caltrajVV();
  if (n >= MAX) {
    con::out("\n時間刻み数NN=%d>MAX=%d 大き過ぎる．経路設定し直し", n, MAX);
    return Step::Pose;
  }
  extentsPTP();
  return Step::Done;
}

// CP computation; the step to go on with.
Step computeCP() {
  // A parameter range beyond the arc-length table is refused first: the
  // length of such a curve would take long to integrate for nothing.
  if (chkrange(curveNo) == 0) return Step::CpEdit;
  if (chklen(curveNo) == 0) return Step::Kind;
  con::out("\n\n　　　只今計算中．．．．．．．\n");
  caltab(curveNo);
  if (calpath(curveNo) >= MAX) {
    con::out("\ndialogue() I=%d 経路設定し直し", curveNo);
    return Step::CpEdit;
  }
  if (caltraj(curveNo) >= MAX) {
    con::out("\ndialogue() I=%d 経路設定し直し", curveNo);
    return Step::CpEdit;
  }
  extentsCP();
  con::out("\n　　   　  計算終了  ");
  return Step::Done;
}

}  // namespace

void dialogue() {
  con::out("\n移動ロボット(AGV)の経路生成と経路追従運動のシミュレーション");
  con::out("\n　(1) PTP，CP経路種類と経路選択");
  con::out("\n  (2) AGV機構選択");

  if (ndlg == 0) {
    do {
      con::out("\n\n p:PTP   c:CP の選択  sgnPATH=");
      sgnPATH = con::key();
      con::out("%c", sgnPATH);
      if (sgnPATH == 'c') cpsetup();
    } while (sgnPATH != 'p' && sgnPATH != 'c');
  }

  report();

  Step step;
  if (ndlg == 0) {
    con::out("\n   経路を変更する？　yes : y   no : n ");
    char c = con::key();
    if (c == 'n')
      step = Step::Compute;
    else
      step = (sgnPATH == 'p') ? Step::PtpEdit : Step::CpEdit;
  } else if (keyin == 'p') {
    step = Step::PtpEdit;
  } else if (keyin == 'c') {
    step = Step::CpEdit;
  } else {
    step = Step::Kind;
  }

  while (step != Step::Done) {
    switch (step) {
      case Step::Kind:
        if (sgnPATH == 'p') con::out("\n\n(2) 旧経路 p=PTP：円弧(クロソイド)－直線の繋ぎ合わせ");
        if (sgnPATH == 'c') con::out("\n\n(2) 旧経路 c=CP ：CP曲線");
        con::out("\n    経路 p or c 入力 PATH=");
        sgnPATH = con::key();
        con::out("%c", sgnPATH);
        if (sgnPATH == 'p')
          step = Step::PtpEdit;
        else if (sgnPATH == 'c')
          step = Step::CpEdit;
        break;
      case Step::PtpEdit: {
        con::out("\n\n(3) 始点(x0,y0)=(0,0)[m], θ0=0°");
        con::out("旧終点(xf,yf)=(%6.3f %6.3f)[m], θf=%5.2f°", xf, yf, thf * RAD2DEG);
        con::out("\n    PTP経路の終点変更する？");
        con::out("  変更する：y,  しない：n  ");
        char c = con::key();
        step = (c == 'n') ? Step::Draw : Step::Pose;
        break;
      }
      case Step::Pose:
        readpose();
        step = Step::Compute;
        break;
      case Step::Draw:
        if (sgnDraw == 'a') con::out("\n(3-2) 旧描画曲線 a:円弧－直線の繋ぎ合わせ");
        if (sgnDraw == 'b') con::out("\n(3-2) 旧描画曲線 b:クロソイド－直線の繋ぎ合わせ");
        con::out("\n   入力　a or b  描画=");
        sgnDraw = con::key();
        con::out("%c", sgnDraw);
        step = Step::Compute;
        break;
      case Step::CpEdit:
        con::out("\n\n(4) 旧経路 :");
        curvelist(curveNo);
        con::out("\n 下記の経路のどれかを選択");
        cpsetup();
        step = Step::Compute;
        break;
      case Step::Compute:
        dSteerMax = (sgnPATH == 'p') ? steerRate * dt : steerRate * dtCP;
        report();
        con::out("\n");
        step = (sgnPATH == 'p') ? computePTP() : computeCP();
        break;
      case Step::Done:
        break;
    }
  }

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

  char c = con::key();
  con::out(" %c", c);
}

int chklen(int I) {
  double sf = curvlen(0.0, uend[I], I);
  Pfcp[I][3] = sf;
  double smax = MAX * dsCP;
  // A length that is not a number cannot be run either.
  if (!(sf <= smax)) {
    con::out("\n経路番号I=%d 経路長sf=%7.4f>%7.4f=smax限界を超えている．経路設定し直し", I, sf,
             smax);
    return 0;
  }
  return 1;
}

void extentsPTP() {
  for (int k = 0; k < 3; ++k) {
    for (int i = 0; i <= nSeg[k][3]; ++i) {
      work[i][0] = refA[k][i][RX];
      work[i][1] = refA[k][i][RY];
    }
    bounds(nSeg[k][3], work, bndPTP[k]);
  }
}

void extentsCP() {
  for (int k = 0; k < 3; ++k) {
    for (int i = 0; i <= NN[k]; ++i) {
      work[i][0] = refCP[k][i][RX];
      work[i][1] = refCP[k][i][RY];
    }
    bounds(NN[k], work, bndCP[k]);
    for (int i = 0; i <= NN[k]; ++i) {
      work[i][0] = refCP[k][i][RKAP];
      work[i][1] = cvCP[k][i][RKAP];
    }
    bounds(NN[k], work, bndCPk[k]);
  }
}

void bounds(int n, const double (*pts)[2], double out[3]) {
  double hi = -1000.0;
  double lo = +1000.0;
  for (int j = 0; j <= n; ++j) {
    if (pts[j][0] > hi) hi = pts[j][0];
    if (pts[j][1] > hi) hi = pts[j][1];
    if (pts[j][0] < lo) lo = pts[j][0];
    if (pts[j][1] < lo) lo = pts[j][1];
  }
  out[0] = hi;
  out[1] = lo;
  out[2] = std::fabs(hi);
  if (std::fabs(lo) > std::fabs(hi)) out[2] = std::fabs(lo);
}

}  // namespace agv
