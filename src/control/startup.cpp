#include "control/startup.h"

#include "control/base/console.h"
#include "control/base/params.h"
#include "control/base/view.h"

namespace agv {

void startup() {
  A1 = 2.0;
  L1 = 5.0;
  A2 = 2.0;
  L2 = 5.0;
  A3 = 1.0;
  L3 = 1.0;
  A4 = 1.0;
  L4 = 1.0;
  A11 = 2.0;
  B11 = 1.0;
  A12 = 1.0;
  nt12 = 2.0;
  A13 = 1.0;
  B13 = 1.2;
  A14 = 1.0;
  nr14 = 2.0;
  R16 = 2.0;
  A16 = 0.2;
  nw16 = 2.0;

  sgnPATH = 'c';
  sgnDraw = 'a';
  curveNo = 1;
  agvType = 1;

  x0 = 0.0;
  y0 = 0.0;
  th0 = 0.0;
  xf = 2.0;
  yf = 3.0;
  thf = 0.0 * DEG2RAD;

  report();
  con::out("\n\n移動ロボット(AGV)の経路生成と運動シミュレーション");
  initview();
  keyin = '0';
  ndlg = 0;
}

void report() {
  con::out("\n\n/*************** 設定したAGVの経路生成条件 ************************/");
  switch (agvType) {
    case 1:
      con::out("\n(1-1) 1:2DW1Cタイプ");
      break;
    case 2:
      con::out("\n(1-1) 2:1FDW1FSタイプ");
      break;
    case 3:
      con::out("\n(1-1) 3:1RDW1FSタイプ");
      break;
    default:
      break;
  }
  con::out("\n(1-2) 走行速度    Vmax=%5.2f[m/s]＝一定", Vmax);
  if (agvType == 2 || agvType == 3) {
    con::out("\n(1-3) ステアリング速度=%5.2f[rad/s]＝一定", steerRate);
    con::out("\n      dt=%6.4f[s]で変えられる最大角度=%7.4f[deg]", dt, dSteerMax * RAD2DEG);
  }
  con::out("\n(1-4) 最小旋回半径  Ra=%5.2f[m]", Ra);
  if (sgnPATH == 'p') {
    con::out("\nPTP運動：始点・終点を与えて経路生成");
    con::out("\n(2-1) PTP始点 (x0,y0)=(%7.4f %7.4f)[m], θ0=%5.2f[deg]", x0, y0, th0 * RAD2DEG);
    con::out("\n         終点 (xf,yf)=(%7.4f %7.4f)[m]，θf=%5.2f[deg]", xf, yf, thf * RAD2DEG);
    if (sgnDraw == 'a') con::out("\n(3) 円弧－直線経路の定速・可変速運動を描画");
    if (sgnDraw == 'b') con::out("\n(3) クロソイド－直線経路の定速・可変速運動を描画");
  }
  if (sgnPATH == 'c') {
    con::out("\n(2-1)CP運動（経路既知）");
    switch (curveNo) {
      case 1:
        con::out("\n (1) 余弦関数 y=A*(1-cos(2πx/L)) A=%4.2f[m] L=%4.2f[m]", A1, L1);
        break;
      case 2:
        con::out("\n (2) サイクロイド y=A*(x-L/2π*sin(2πx/L)) A=%4.2f[m] L=%4.2f[m]", A2, L2);
        break;
      case 3:
        con::out("\n (3) 2次関数 y=A*(x/L)^2 A=%4.2f[m] L=%4.2f[m]", A3, L3);
        break;
      case 4:
        con::out("\n (4) 3次関数 y=A*(x/L)^3 A=%4.2f[m] L=%4.2f[m]", A4, L4);
        break;
      case 11:
        con::out("\n (11)楕円 r=A*B/√{(Asinβ)^2+(Bcosβ)^2} A=%4.2f[m] B=%4.2f[m]", A11, B11);
        break;
      case 12:
        con::out("\n (12)アルキメデス螺旋 r=A*(β/2π) A=%4.2f[m] 巻数n=%4.2f", A12, nt12);
        break;
      case 13:
        con::out("\n (13)Cardioid r=A*(B-cosβ) A=%4.2f[m] B=%4.2f[m]", A13, B13);
        break;
      case 14:
        con::out("\n (14)正葉線 r=A*sin(nβ) A=%4.2f[m] n=%4.2f", A14, nr14);
        break;
      case 16:
        con::out("\n (16)波打ち円 r=R+A*cos(nβ) R=%4.2f[m] A=%4.2f[m] n=%4.2f", R16, A16, nw16);
        break;
      default:
        break;
    }
  }
  con::out("\n/***********************************************************************/");
  con::out("\n");
}

void curvelist(int I) {
  switch (I) {
    case 1:
      con::out("\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) A=%5.2f[m] L=%5.2f[m]", A1, L1);
      break;
    case 2:
      con::out("\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) A=%5.2f[m] L=%5.2f[m]", A2, L2);
      break;
    case 3:
      con::out("\n I=3  : 2次関数 y=A*(x/L)^2 A=%5.2f[m] L=%5.2f[m]", A3, L3);
      break;
    case 4:
      con::out("\n I=4  : 3次関数 y=A*(x/L)^3 A=%5.2f[m] L=%5.2f[m]", A4, L4);
      break;
    case 11:
      con::out("\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) A=%5.2f[m] B=%5.2f[m]", A11, B11);
      break;
    case 12:
      con::out("\n I=12 : アルキメデス螺旋 r=A*β/2π Aと巻数 A=%5.2f[m] n=%4.2f", A12, nt12);
      break;
    case 13:
      con::out("\n I=13 : カーディオイド r=A(B-cosβ) A=%5.2f[m] B=%5.2f[m]", A13, B13);
      break;
    case 14:
      con::out("\n I=14 : 正葉線 r=A*sin(nβ) A=%5.2f[m] n=%4.2f", A14, nr14);
      break;
    case 16:
      con::out("\n I=16 : 波打ち円 r=R+A*sin(nβ) R=%5.2f[m] A=%5.2f[m] 波打ち数n=%4.2f", R16, A16,
               nw16);
      break;
    default:
      break;
  }
}

}  // namespace agv
