// The simulator's state: the parameters it was started with, what the user
// chose, what the passes computed, and the view of the window.
#pragma once

#include "agv/agv.h"
#include "agv/map.h"
#include "agv/route.h"
#include "session/view.h"

namespace agv {

// The constants the user gave each CP curve (the set-up menu keeps them).
struct CurveConsts {
  double A1 = 2.0, L1 = 5.0;
  double A2 = 2.0, L2 = 5.0;
  double A3 = 1.0, L3 = 1.0;
  double A4 = 1.0, L4 = 1.0;
  double A11 = 2.0, B11 = 1.0;
  double A12 = 1.0, nt12 = 2.0;
  double A13 = 1.0, B13 = cardioidB;
  double A14 = 1.0, nr14 = 2.0;
  double R16 = wavyR, A16 = 0.2, nw16 = 2.0;
};

struct Session {
  Params params;
  // Largest steering change in one time step, for the report: set before
  // each computation for its path kind (0 until the first one).
  double dSteerMax = 0.0;
  // Current choices: the dialogue sets them, the window's keys change them,
  // and each dialogue pass resets the mechanism and the drawing.
  int agvType = 1;     // 1 = 2DW1C, 2 = 1FDW1FS, 3 = 1RDW1FS
  char sgnPATH = 'c';  // 'p' PTP, 'c' CP
  char sgnDraw = 'a';  // 'a' arc-line, 'b' clothoid-line drawing
  int curveNo = 1;     // CP curve number
  // PTP start and end poses (headings in radians; the end heading also in
  // degrees as typed).
  double x0 = 0.0, y0 = 0.0, th0 = 0.0;
  double xf = 2.0, yf = 3.0, thf = 0.0 * DEG2RAD, thfDeg = 0.0;
  int ndlg = 0;       // completed dialogue passes
  char keyin = '0';   // last key pressed in the viewer window
  CurveConsts cc;
  PtpResult ptp;  // the last PTP pass
  CpResult cp;    // the last CP pass
  // The route of agvsim --route: while `routed`, the PTP picture shows it in
  // place of the last PTP pass (a dialogue pass ends that).
  RouteResult route;
  bool routed = false;
  // The track of agvsim --track: while set, cp is the track's pass, its
  // picture fitted and labelled a track (a dialogue pass ends that).
  bool track = false;
  // The map of agvsim --map: every pass is checked against it, and the picture shows it.
  Map map;
  MapIndex index;  // for the parameters' body
  bool mapped = false;
  View view;
};

// The constants of curve I in the order the set-up asks for them; their
// count, 0 for a number outside the catalogue.
int curveconsts(Session& s, int I, double* v[2]);

// Curve I with the constants the user gave it.
Curve curveof(Session& s, int I);

// What the window's picture shows, seen in its view: the results of the passes it draws
// (referred to, never copied: they must outlive the scene), the parameters and the poses they
// were computed with, and the choices of mechanism, drawing and steps.  The window makes one
// of its session for each frame, a picture one of the result it is given; each draws its scene
// on a canvas of its own.
struct Scene {
  Params params;
  char sgnPATH = 'p';  // 'p' the PTP pass (or the route), 'c' the CP pass
  int agvType = 1;     // 1 = 2DW1C, 2 = 1FDW1FS, 3 = 1RDW1FS
  char sgnDraw = 'a';  // 'a' arc-line, 'b' clothoid-line drawing
  int curveNo = 1;     // CP curve number
  bool track = false;  // the CP pass is a track's: labelled so
  double x0 = 0.0, y0 = 0.0, xf = 0.0, yf = 0.0;  // the PTP pass's start and end [m]
  const PtpResult* ptp = nullptr;      // the PTP pass ('p')
  const CpResult* cp = nullptr;        // the CP pass ('c')
  const RouteResult* route = nullptr;  // the route, shown in place of the PTP pass where set
  const Map* map = nullptr;            // the map of a pass in one, drawn under everything
  View view;
};

// The scene of the session s as its window shows it now.
Scene sceneof(const Session& s);

// The runs of mechanism k that the current PTP drawing shows (the route's
// while routed): the clothoid-line runs for 'b', the arc-line runs for any
// other drawing.  The scene shows a PTP pass or a route.
struct PtpRuns {
  bool clothoid;  // the clothoid-line runs
  const Runs* arc;  // both paths' runs of mechanism k
  const Runs* cl;
  double B;       // extent of the arc-line reference run [m]
  double T;       // duration of the constant-velocity runs [s]
  int n;          // their last record (-1 before any pass)
  const Record* ref;
  const Record* cv;
  const Record* err;
  int nv;  // last record of the variable-velocity run
  const Record* vv;
};
PtpRuns ptpruns(const Scene& s, int k);

// The tracked AGV of mechanism k that the current picture shows (a controller set): the PTP
// drawing's or the CP curve's; n is its last record, -1 where it has none.
struct TrackedRun {
  int n;
  const Record* tr;
  const double* xte;
};
TrackedRun trackedrun(const Scene& s, int k);

// The last steps the picture's motion may show, for the current mechanism and
// drawing: of the PTP constant-velocity run (the tracked AGV's, where it goes
// on longer), of the PTP variable-velocity run, and of the CP run (or its
// tracked AGV's); -1 for the path kind the scene does not show.
struct StepEnds {
  int c, v, cp;
};
StepEnds stepends(const Scene& s);

// The last step of the motion the picture shows: the last of any of its runs.
int laststep(const Scene& s);

// The motion at step k (0 ... laststep): each run at its step k, or at its
// end where it ends before.
void showstep(Scene& s, int k);

// The time step of the motion the picture shows [s].
double steptime(const Scene& s);

// The motion back to its start.
void restart(View& v);

// A window key that changes what the picture shows, applied to s: '1' '2' '3' the mechanism and
// 'a' 'b' the drawing (the motion restarts), 's' three time steps on, '0' back to the start,
// 'x' 'X' 'y' 'Y' the pan, 'w' 'W' the zoom.  False for any other key, and for a zoom key at
// its bound (the picture unchanged).
bool viewkey(Session& s, unsigned char key);

// What a pass leaves for the picture: the view of a new picture, the motion
// at its start, mechanism 1 on the arc-line drawing.
void passed(Session& s);

// The view of a route: the whole route fitted into the picture left of the
// graphs.
void routeview(View& v, const RouteResult& r);

// The view of a track (the pass in r): the whole track fitted, as a route.
void trackview(View& v, const CpResult& r);

// The view of a map: the whole map fitted there.
void mapview(View& v, const Map& m);

// The view when the picture leaves a route or a track: the scene's origin
// where a dialogue pass has it.
void leaveroute(Session& s);

}  // namespace agv
