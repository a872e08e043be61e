#include "console/keys.h"

#include "console/console.h"
#include "console/dialogue.h"

namespace agv {

namespace {

constexpr int animStep = 3;       // time steps per 's'
constexpr double panStep = 0.05;  // screen units per pan key
constexpr unsigned char keyEsc = 27;

void resetanim(View& v) { v.kanimCP = v.kanimV = v.kanimC = 0; }

// The last steps of the PTP runs the current type and drawing show: the
// clothoid-line runs for 'b', the arc-line runs otherwise.  Set before the
// steps move, so that keys applied before the next frame (a burst, or the
// first 's' after a pass) stop where that frame's runs end.
void setends(Session& s) {
  const StepEnds e = stepends(sceneof(s));
  s.view.kendC = e.c;
  s.view.kendV = e.v;
}

// step + animStep, limited to last and to at least 0.
int advance(int step, int last) {
  step += animStep;
  if (step > last) step = last;
  if (step < 0) step = 0;
  return step;
}

}  // namespace

KeyAction keycmd(Session& s, unsigned char key) {
  View& v = s.view;
  s.keyin = static_cast<char>(key);
  switch (key) {
    case '1':
    case '2':
    case '3':
      s.agvType = key - '0';
      resetanim(v);
      return KeyAction::Redraw;
    case 'p':
    case 'c':
      s.keyin = s.sgnPATH = static_cast<char>(key);
      resetanim(v);
      dialogue(s);
      return KeyAction::Passed;
    case 'a':
    case 'b':
      s.sgnDraw = static_cast<char>(key);
      resetanim(v);
      return KeyAction::Redraw;
    case 's':
      if (s.sgnPATH == 'p') {
        setends(s);
        v.kanimC = advance(v.kanimC, v.kendC);
        v.kanimV = advance(v.kanimV, v.kendV);
      }
      if (s.sgnPATH == 'c') v.kanimCP = advance(v.kanimCP, stepends(sceneof(s)).cp);
      return KeyAction::Redraw;
    case '0':
      resetanim(v);
      return KeyAction::Redraw;
    case 'x':
      v.xshift -= panStep;
      return KeyAction::Redraw;
    case 'X':
      v.xshift += panStep;
      return KeyAction::Redraw;
    case 'y':
      v.yshift -= panStep;
      return KeyAction::Redraw;
    case 'Y':
      v.yshift += panStep;
      return KeyAction::Redraw;
    case 'w':
      return zoomview(v, -1) ? KeyAction::Redraw : KeyAction::None;
    case 'W':
      return zoomview(v, +1) ? KeyAction::Redraw : KeyAction::None;
    case keyEsc:
      // The shell's prompt starts on a line of its own.
      con::out("\n");
      return KeyAction::Exit;
    default:
      return KeyAction::None;
  }
}

}  // namespace agv
