#include "console/dialogue.h"

#include <memory>
#include <utility>

#include "console/console.h"
#include "console/cpsetup.h"
#include "console/startup.h"

namespace agv {

namespace {

enum class Step { Kind, PtpEdit, Pose, Draw, CpEdit, Compute, Done };

// First pass: the path kind, until it is 'p' or 'c'; 'c' sets the curve up
// at once.
void firstkind(Session& s) {
  do {
    con::out("\n\n p:PTP   c:CP の選択  sgnPATH=");
    s.sgnPATH = con::key();
    con::out("%c", s.sgnPATH);
    if (s.sgnPATH == 'c') cpsetup(s);
  } while (s.sgnPATH != 'p' && s.sgnPATH != 'c');
}

// The first question of a pass: the change question on the first pass,
// the window's key afterwards.
Step start(Session& s) {
  if (s.ndlg == 0) {
    con::out("\n   経路を変更する？　yes : y   no : n ");
    if (con::key() == 'n') return Step::Compute;
    return s.sgnPATH == 'p' ? Step::PtpEdit : Step::CpEdit;
  }
  if (s.keyin == 'p') return Step::PtpEdit;
  if (s.keyin == 'c') return Step::CpEdit;
  return Step::Kind;
}

Step kind(Session& s) {
  if (s.sgnPATH == 'p') con::out("\n\n(2) 旧経路 p=PTP：円弧(クロソイド)－直線の繋ぎ合わせ");
  if (s.sgnPATH == 'c') con::out("\n\n(2) 旧経路 c=CP ：CP曲線");
  con::out("\n    経路 p or c 入力 PATH=");
  s.sgnPATH = con::key();
  con::out("%c", s.sgnPATH);
  if (s.sgnPATH == 'p') return Step::PtpEdit;
  if (s.sgnPATH == 'c') return Step::CpEdit;
  return Step::Kind;
}

Step ptpedit(Session& s) {
  con::out("\n\n(3) 始点(x0,y0)=(0,0)[m], θ0=0°");
  con::out("旧終点(xf,yf)=(%6.3f %6.3f)[m], θf=%5.2f°", s.xf, s.yf, s.thf * RAD2DEG);
  con::out("\n    PTP経路の終点変更する？");
  con::out("  変更する：y,  しない：n  ");
  return con::key() == 'n' ? Step::Draw : Step::Pose;
}

// The three numbers of the end pose, asked again until they are numbers.
Step pose(Session& s) {
  double v[3] = {s.xf, s.yf, s.thf};
  for (;;) {
    con::out("\n    入力　xf[m] yf[m] θf°=");
    if (con::readDoubles(3, v)) break;
  }
  s.xf = v[0];
  s.yf = v[1];
  s.thfDeg = reduceheading(v[2]);
  s.thf = s.thfDeg * DEG2RAD;
  return Step::Compute;
}

Step draw(Session& s) {
  if (s.sgnDraw == 'a') con::out("\n(3-2) 旧描画曲線 a:円弧－直線の繋ぎ合わせ");
  if (s.sgnDraw == 'b') con::out("\n(3-2) 旧描画曲線 b:クロソイド－直線の繋ぎ合わせ");
  con::out("\n   入力　a or b  描画=");
  s.sgnDraw = con::key();
  con::out("%c", s.sgnDraw);
  return Step::Compute;
}

Step cpedit(Session& s) {
  con::out("\n\n(4) 旧経路 :");
  curvelist(s, s.curveNo);
  con::out("\n 下記の経路のどれかを選択");
  cpsetup(s);
  return Step::Compute;
}

// A pass whose records would take more memory than maxMemory.
void memory(const Refusal& r) {
  con::out("\n記録のメモリ%.0f[MiB]>%.0f[MiB]=maxMemory 時間刻み数%dが多過ぎる．経路設定し直し", r.value,
           r.limit, r.count);
}

void progress() { con::out("\n\n　　　只今計算中．．．．．．．\n"); }

// The largest steering change in one time step of the path kind ('p' or
// 'c'), for the report before a computation.
void setsteer(Session& s) {
  const Params& p = s.params;
  s.dSteerMax = s.sgnPATH == 'p' ? p.steerRate * p.dt : p.steerRate * p.dtCP;
}

// Where the paths and the runs of a pass in a map first touch it: a line for each path, and
// how many runs touch (the window marks where).
void reportcontacts(const Contacts& c, bool ptp, bool tracked) {
  const char* names[2] = {ptp ? con::tr("円弧－直線経路") : con::tr("CP経路"),
                          con::tr("クロソイド－直線経路")};
  int runs = 0, touching = 0;
  for (int b = 0; b < (ptp ? 2 : 1); ++b) {
    const Contact& at = c.path[b];
    if (at)
      con::out("\n地図：%sは%.3f[s]に(x,y)=(%7.4f %7.4f)[m]で障害物に接する", names[b], at.t, at.x,
               at.y);
    else
      con::out("\n地図：%sは障害物に接しない", names[b]);
    for (int k = 0; k < 3; ++k)
      for (const Contact* run : {&c.cv[b][k], &c.vv[b][k], &c.tr[b][k]}) {
        if ((run == &c.vv[b][k] && !ptp) || (run == &c.tr[b][k] && !tracked)) continue;
        runs += 1;
        touching += *run ? 1 : 0;
      }
  }
  con::out("\n地図：AGVの走行のうち%d本が障害物に接する（%d本中，窓に印）", touching, runs);
}

// The PTP pass with its reports; what it refused decides the next question.
Step computePTP(Session& s) {
  const int max = s.params.maxSteps;
  const Refusal& r = s.ptp.refusal;
  // In a map the path is searched round its obstacles.
  const Waypoint end{s.xf, s.yf, s.thfDeg};
  const Status plan = s.mapped ? planPTP(s.params, Waypoint{}, end, s.index, s.ptp)
                               : planPTP(s.params, s.xf, s.yf, s.thfDeg, s.ptp);
  if (plan == Status::NoPathInMap) {
    con::out("\n地図の障害物を避ける経路が見つからない．経路設定し直し");
    return Step::Pose;
  }
  if (plan == Status::TooMuchMemory) {
    reportpath(s.ptp);
    memory(r);
    return Step::Pose;
  }
  if (plan == Status::PathTooLong) {
    // The planner finds no join; or the path is reported, and the step
    // tables or the schedules find it too long, as does the plan.
    if (r.stage == 1) {
      reportpath(s.ptp);
      con::out("%s", con::tr(msgTooLong));
    }
    con::out("%s", con::tr(msgTooLong));
    con::out("\n経路長長過ぎる．経路設定し直し");
    return Step::Pose;
  }
  reportpath(s.ptp);
  progress();
  if (runPTP(s.ptp) == Status::RunTooLong) {
    if (r.run == 'a') con::out("\n円弧－直線経路 時間刻み数Nk=%d>MAX=%d 設定し直し", r.count, max);
    if (r.run == 'b') con::out("\nCLD－直線経路 時間刻み数Nk=%d>MAX=%d 設定し直し", r.count, max);
    con::out("\n時間刻み数NN=%d>MAX=%d 大き過ぎる．経路設定し直し", max, max);
    return Step::Pose;
  }
  if (s.mapped) {
    findcontacts(s.index, s.ptp);
    reportcontacts(s.ptp.contacts, true, features(s.params).tracked);
  }
  return Step::Done;
}

// The CP pass with its reports; what it refused decides the next question.
Step computeCP(Session& s) {
  const int I = s.curveNo;
  const int max = s.params.maxSteps;
  const Refusal& r = s.cp.refusal;
  switch (planCP(s.params, curveof(s, I), s.cp)) {
    case Status::Done:
      break;
    case Status::RangeTooLong:
      con::out(
          "\nchkrange() I=%d 曲線範囲uend=%7.4f>=%5.2f 弧長表の行数が%d=MAXを超える(範囲長過ぎる)．",
          I, r.value, r.limit, max);
      return Step::CpEdit;
    case Status::CurveTooLong:
      con::out("\n経路番号I=%d 経路長sf=%7.4f>%7.4f=smax限界を超えている．経路設定し直し", I,
               r.value, r.limit);
      return Step::Kind;
    case Status::CurveTooSharp:
      if (r.stage == 0)
        con::out("\nchklen() I=%d 曲線の曲がりが急過ぎて弧長を求められない．曲線定数を設定し直し", I);
      else
        con::out("\ncaltab() I=%d 曲線の曲がりが急過ぎて弧長表を作れない．曲線定数を設定し直し", I);
      return Step::CpEdit;
    default:  // the set-up lets no other curve through
      return Step::CpEdit;
  }
  progress();
  const Status run = runCP(s.cp);
  if (run == Status::CurveTooSharp) {
    con::out(
        "\ncaltraj() I=%d AGV=%d 曲線の曲がりが時間刻みに対し急過ぎ，基準点が曲線から%7.4f>%7.4f"
        "ずれる．曲線定数を設定し直し",
        I, r.mechanism, r.value, r.limit);
    return Step::CpEdit;
  }
  if (run == Status::TooMuchMemory) {
    memory(r);
    return Step::CpEdit;
  }
  if (run == Status::CurveSteps) {
    if (r.stage == 0)
      con::out("\ncalpath() I=%d AGV=%d 時系列刻み数k=%d>=%d=MAX 多すぎる(経路長長過ぎる)．", I,
               r.mechanism, r.count, max);
    else
      con::out("\ncaltraj() I=%d AGV=%d 刻み数NN=%d>=%d=MAX 経路長長過ぎる．経路設定し直し", I,
               r.mechanism, r.count, max);
    con::out("\ndialogue() I=%d 経路設定し直し", I);
    return Step::CpEdit;
  }
  con::out("\n　　   　  計算終了  ");
  if (s.mapped) {
    findcontacts(s.index, s.cp);
    reportcontacts(s.cp.contacts, false, features(s.params).tracked);
  }
  return Step::Done;
}

// The pass of the path kind.
Step compute(Session& s) {
  setsteer(s);
  report(s);
  con::out("\n");
  return s.sgnPATH == 'p' ? computePTP(s) : computeCP(s);
}

Step next(Session& s, Step step) {
  switch (step) {
    case Step::Kind:
      return kind(s);
    case Step::PtpEdit:
      return ptpedit(s);
    case Step::Pose:
      return pose(s);
    case Step::Draw:
      return draw(s);
    case Step::CpEdit:
      return cpedit(s);
    case Step::Compute:
      return compute(s);
    case Step::Done:
      break;
  }
  return Step::Done;
}

// The view after a pass, what the picture shows and the window's keys.
void closing(Session& s) {
  s.ndlg += 1;
  passed(s);

  if (s.sgnPATH == 'p') {
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

void dialogue(Session& s) {
  if (s.routed || s.track) leaveroute(s);
  con::out("\n移動ロボット(AGV)の経路生成と経路追従運動のシミュレーション");
  con::out("\n　(1) PTP，CP経路種類と経路選択");
  con::out("\n  (2) AGV機構選択");
  if (s.ndlg == 0) firstkind(s);
  report(s);
  for (Step step = start(s); step != Step::Done;) step = next(s, step);
  closing(s);
  const char c = con::key();
  con::out(" %c", c);
}

bool routepass(Session& s, const std::vector<Waypoint>& waypoints) {
  s.sgnPATH = 'p';
  s.sgnDraw = 'a';
  setsteer(s);
  const Waypoint& a = waypoints.front();
  const Waypoint& b = waypoints.back();
  con::out("\n\nルート：経由点%zu点を順に通るPTP経路（%zu区間）", waypoints.size(),
           waypoints.size() - 1);
  con::out("\n(2-1) 始点 (x0,y0)=(%7.4f %7.4f)[m], θ0=%5.2f[deg]", a.x, a.y, a.thDeg);
  con::out("\n      終点 (xf,yf)=(%7.4f %7.4f)[m]，θf=%5.2f[deg]", b.x, b.y, b.thDeg);
  progress();
  if ((s.mapped ? passRoute(s.params, waypoints, s.index, s.route)
                : passRoute(s.params, waypoints, s.route)) != Status::Done) {
    if (s.route.leg >= 0) con::out("\nルートの区間%dで経路を作れない．", s.route.leg + 1);
    con::out("\nこのルートは受け付けられない．agvsimを終了する\n");
    return false;
  }
  con::out("\n　　   　  計算終了  ");
  con::out("\nルートの経路長 円弧－直線 %.4f[m]，クロソイド－直線 %.4f[m]", s.route.sf,
           s.route.sfc);
  if (s.mapped) reportcontacts(s.route.contacts, true, features(s.params).tracked);
  closing(s);
  s.routed = true;
  if (s.mapped)
    mapview(s.view, s.map);
  else
    routeview(s.view, s.route);
  const char c = con::key();
  con::out(" %c", c);
  return true;
}

bool trackpass(Session& s, const Track& t) {
  s.sgnPATH = 'c';
  setsteer(s);
  const TrackPoint& a = t.points.front();
  const TrackPoint& b = t.points.back();
  con::out("\n\nトラック：点%zu点を通る3次スプライン経路", t.points.size());
  con::out("\n(2-1) 始点 (x0,y0)=(%7.4f %7.4f)[m]", a.x, a.y);
  con::out("\n      終点 (xf,yf)=(%7.4f %7.4f)[m]", b.x, b.y);
  progress();
  auto r = std::make_unique<TrackResult>();
  if ((s.mapped ? passTrack(s.params, t, s.index, *r) : passTrack(s.params, t, *r)) !=
      Status::Done) {
    s.cp.refusal = r->refusal;
    con::out("\nトラックを設定し直し\n");
    return false;
  }
  con::out("\n　　   　  計算終了  ");
  const Bends& k = r->bends;
  con::out("\nトラックの経路長 %.4f[m]，最大曲率 %.4f[1/m] s=%.4f[m] (x,y)=(%7.4f %7.4f)[m]",
           r->length, k.kapmax, k.s, k.x, k.y);
  if (!k.tight.empty())
    con::out("\n最小回転半径Ra=%.4f[m]より急な区間 %zu箇所 計%.4f[m]，最初 s=%.4f～%.4f[m] "
             "(x,y)=(%7.4f %7.4f)[m]",
             s.params.Ra, k.tight.size(), k.tightlength(), k.tight[0].s0, k.tight[0].s1,
             k.tight[0].x, k.tight[0].y);
  if (s.mapped) reportcontacts(r->contacts, false, features(s.params).tracked);
  s.cp = std::move(static_cast<CpResult&>(*r));
  closing(s);
  s.track = true;
  if (s.mapped)
    mapview(s.view, s.map);
  else
    trackview(s.view, s.cp);
  const char c = con::key();
  con::out(" %c", c);
  return true;
}

}  // namespace agv
