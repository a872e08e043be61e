#include "console/startup.h"

#include <type_traits>

#include "console/console.h"

namespace agv {

void startup(Session& s) {
  report(s);
  con::out("\n\n移動ロボット(AGV)の経路生成と運動シミュレーション");
}

void report(const Session& s) {
  const CurveConsts& c = s.cc;
  con::out("\n\n/*************** 設定したAGVの経路生成条件 ************************/");
  switch (s.agvType) {
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
  const Params& p = s.params;
  con::out("\n(1-2) 走行速度    Vmax=%5.2f[m/s]＝一定", p.Vmax);
  if (s.agvType == 2 || s.agvType == 3) {
    con::out("\n(1-3) ステアリング速度=%5.2f[rad/s]＝一定", p.steerRate);
    con::out("\n      dt=%6.4f[s]で変えられる最大角度=%7.4f[deg]", p.dt, s.dSteerMax * RAD2DEG);
  }
  con::out("\n(1-4) 最小旋回半径  Ra=%5.2f[m]", p.Ra);
  // Parameters other than the simulator's own: the values in force.
  if (!isdefault(p)) {
    con::out("\n(1-5) パラメータ");
    for (int i = 0; i < nParams; ++i) {
      if (!listed(p, i)) continue;
      const char* name = paraminfo(i).name;
      const std::string named = paramname(name, getparam(p, name));
      if (named.empty())
        con::out(" %s=%.15g", name, getparam(p, name));
      else
        con::out(" %s=%s", name, named.c_str());
    }
  }
  if (s.sgnPATH == 'p') {
    con::out("\nPTP運動：始点・終点を与えて経路生成");
    con::out("\n(2-1) PTP始点 (x0,y0)=(%7.4f %7.4f)[m], θ0=%5.2f[deg]", s.x0, s.y0, s.th0 * RAD2DEG);
    con::out("\n         終点 (xf,yf)=(%7.4f %7.4f)[m]，θf=%5.2f[deg]", s.xf, s.yf, s.thf * RAD2DEG);
    if (s.sgnDraw == 'a') con::out("\n(3) 円弧－直線経路の定速・可変速運動を描画");
    if (s.sgnDraw == 'b') con::out("\n(3) クロソイド－直線経路の定速・可変速運動を描画");
  }
  if (s.sgnPATH == 'c') {
    con::out("\n(2-1)CP運動（経路既知）");
    switch (s.curveNo) {
      case 1:
        con::out("\n (1) 余弦関数 y=A*(1-cos(2πx/L)) A=%4.2f[m] L=%4.2f[m]", c.A1, c.L1);
        break;
      case 2:
        con::out("\n (2) サイクロイド y=A*(x-L/2π*sin(2πx/L)) A=%4.2f[m] L=%4.2f[m]", c.A2, c.L2);
        break;
      case 3:
        con::out("\n (3) 2次関数 y=A*(x/L)^2 A=%4.2f[m] L=%4.2f[m]", c.A3, c.L3);
        break;
      case 4:
        con::out("\n (4) 3次関数 y=A*(x/L)^3 A=%4.2f[m] L=%4.2f[m]", c.A4, c.L4);
        break;
      case 11:
        con::out("\n (11)楕円 r=A*B/√{(Asinβ)^2+(Bcosβ)^2} A=%4.2f[m] B=%4.2f[m]", c.A11, c.B11);
        break;
      case 12:
        con::out("\n (12)アルキメデス螺旋 r=A*(β/2π) A=%4.2f[m] 巻数n=%4.2f", c.A12, c.nt12);
        break;
      case 13:
        con::out("\n (13)Cardioid r=A*(B-cosβ) A=%4.2f[m] B=%4.2f[m]", c.A13, c.B13);
        break;
      case 14:
        con::out("\n (14)正葉線 r=A*sin(nβ) A=%4.2f[m] n=%4.2f", c.A14, c.nr14);
        break;
      case 16:
        con::out("\n (16)波打ち円 r=R+A*cos(nβ) R=%4.2f[m] A=%4.2f[m] n=%4.2f", c.R16, c.A16, c.nw16);
        break;
      default:
        break;
    }
  }
  con::out("\n/***********************************************************************/");
  con::out("\n");
}

void curvelist(const Session& s, int I) {
  const CurveConsts& c = s.cc;
  switch (I) {
    case 1:
      con::out("\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) A=%5.2f[m] L=%5.2f[m]", c.A1, c.L1);
      break;
    case 2:
      con::out("\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) A=%5.2f[m] L=%5.2f[m]", c.A2, c.L2);
      break;
    case 3:
      con::out("\n I=3  : 2次関数 y=A*(x/L)^2 A=%5.2f[m] L=%5.2f[m]", c.A3, c.L3);
      break;
    case 4:
      con::out("\n I=4  : 3次関数 y=A*(x/L)^3 A=%5.2f[m] L=%5.2f[m]", c.A4, c.L4);
      break;
    case 11:
      con::out("\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) A=%5.2f[m] B=%5.2f[m]", c.A11, c.B11);
      break;
    case 12:
      con::out("\n I=12 : アルキメデス螺旋 r=A*β/2π Aと巻数 A=%5.2f[m] n=%4.2f", c.A12, c.nt12);
      break;
    case 13:
      con::out("\n I=13 : カーディオイド r=A(B-cosβ) A=%5.2f[m] B=%5.2f[m]", c.A13, c.B13);
      break;
    case 14:
      con::out("\n I=14 : 正葉線 r=A*sin(nβ) A=%5.2f[m] n=%4.2f", c.A14, c.nr14);
      break;
    case 16:
      con::out("\n I=16 : 波打ち円 r=R+A*sin(nβ) R=%5.2f[m] A=%5.2f[m] 波打ち数n=%4.2f", c.R16, c.A16,
               c.nw16);
      break;
    default:
      break;
  }
}

// A path that may back up, or one searched in a map: its segments, their directions, its joints.
void reportsegments(const ArcPath& a, bool searched) {
  if (searched)
    con::out("\n採用経路 (地図内で探索) 曲率方向=(");
  else
    con::out("\n採用経路 (後退可) 曲率方向=(");
  for (int j = 0; j < a.nseg; ++j) con::out(j ? " %d" : "%d", a.sgnK[j]);
  con::out(") 走行方向=(");
  for (int j = 0; j < a.nseg; ++j) con::out(j ? " %+d" : "%+d", a.drive[j]);
  con::out(") 切り返し=%d", a.cusps());
  con::out("\n       %d経路長s[]=(", a.nseg);
  for (int j = 0; j < a.nseg; ++j) con::out(j ? " %7.4f" : "%7.4f", a.s[j]);
  con::out(")[m] 全経路長sf=%7.4f[m]", a.sf);
  con::out("\n      始点   P0[]=(%7.4f %7.4f %7.2f°)", a.P0.x, a.P0.y, a.P0.th * RAD2DEG);
  for (int j = 0; j + 1 < a.nseg; ++j)
    con::out("\n      中間点 P%d[]=(%7.4f %7.4f %7.2f°)", j + 1, a.Pj[j].x, a.Pj[j].y,
             a.Pj[j].th * RAD2DEG);
  con::out("\n      終点   Pf[]=(%7.4f %7.4f %7.2f°)", a.Pf.x, a.Pf.y, a.Pf.th * RAD2DEG);
}

void reportpath(const PtpResult& r) {
  const ArcPath& a = r.path;
  if (a.krow < 0) {
    reportsegments(a, r.search.done);
    return;
  }
  // A forward join has three segments; a plan refused before its join, none (zeros shown).
  const auto at = [](const auto& v, size_t j) {
    return j < v.size() ? v[j] : typename std::decay_t<decltype(v)>::value_type{};
  };
  con::out("\n採用経路 i=%d 曲率方向=(%d %d %d)", a.krow, at(a.sgnK, 0), at(a.sgnK, 1),
           at(a.sgnK, 2));
  con::out("\n       3経路長s[]=(%7.4f %7.4f %7.4f)[m] 全経路長sf=%7.4f[m]", at(a.s, 0), at(a.s, 1),
           at(a.s, 2), a.sf);
  con::out("\n      始点   P0[]=(%7.4f %7.4f %7.2f°)", a.P0.x, a.P0.y, a.P0.th * RAD2DEG);
  const Pose P1 = at(a.Pj, 0), P2 = at(a.Pj, 1);
  con::out("\n      中間点 P1[]=(%7.4f %7.4f %7.2f°) P2[]=(%7.4f %7.4f %6.2f°)", P1.x, P1.y,
           P1.th * RAD2DEG, P2.x, P2.y, P2.th * RAD2DEG);
  con::out("\n      終点   Pf[]=(%7.4f %7.4f %7.2f°)", a.Pf.x, a.Pf.y, a.Pf.th * RAD2DEG);
}

}  // namespace agv
