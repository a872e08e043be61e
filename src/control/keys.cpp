#include "control/keys.h"

#include "control/base/console.h"
#include "control/dialogue.h"
#include "control/base/params.h"
#include "control/base/view.h"
#include "motion/records.h"
#include "motion/shown.h"

namespace agv {

namespace {

constexpr int animStep = 3;       // time steps per 's'
constexpr double panStep = 0.05;  // screen units per pan key
constexpr double zoomStep = 0.9;  // zoom factor of 'w'
constexpr unsigned char keyEsc = 27;

void resetanim() { kanimCP = kanimV = kanimC = 0; }

// The last steps of the PTP runs the current type and drawing show: the
// clothoid-line runs for 'b', the arc-line runs otherwise.  Set before the
// steps move, so that keys applied before the next frame (a burst, or the
// first 's' after a pass) stop where that frame's runs end.
void setends() {
  const PtpRuns r = ptpruns(agvType - 1);
  kendC = r.n;
  kendV = r.nv;
}

// step + animStep, limited to last and to at least 0.
int advance(int step, int last) {
  step += animStep;
  if (step > last) step = last;
  if (step < 0) step = 0;
  return step;
}

}  // namespace

KeyAction keycmd(unsigned char key) {
  keyin = static_cast<char>(key);
  switch (key) {
    case '1':
    case '2':
    case '3':
      agvType = key - '0';
      resetanim();
      return KeyAction::Redraw;
    case 'p':
    case 'c':
      keyin = sgnPATH = static_cast<char>(key);
      resetanim();
      dialogue();
      return KeyAction::Passed;
    case 'a':
    case 'b':
      sgnDraw = static_cast<char>(key);
      resetanim();
      return KeyAction::Redraw;
    case 's':
      if (sgnPATH == 'p') {
        setends();
        kanimC = advance(kanimC, kendC);
        kanimV = advance(kanimV, kendV);
      }
      if (sgnPATH == 'c') kanimCP = advance(kanimCP, NN[agvType - 1]);
      return KeyAction::Redraw;
    case '0':
      resetanim();
      return KeyAction::Redraw;
    case 'x':
      xshift -= panStep;
      return KeyAction::Redraw;
    case 'X':
      xshift += panStep;
      return KeyAction::Redraw;
    case 'y':
      yshift -= panStep;
      return KeyAction::Redraw;
    case 'Y':
      yshift += panStep;
      return KeyAction::Redraw;
    case 'w':
      scale = zoomStep * scale;
      return KeyAction::Redraw;
    case 'W':
      scale = scale / zoomStep;
      return KeyAction::Redraw;
    case keyEsc:
      // The shell's prompt starts on a line of its own.
      con::out("\n");
      return KeyAction::Exit;
    default:
      return KeyAction::None;
  }
}

}  // namespace agv
