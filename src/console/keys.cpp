#include "console/keys.h"

#include "console/console.h"
#include "console/dialogue.h"

namespace agv {

namespace {

constexpr unsigned char keyEsc = 27;

}  // namespace

KeyAction keycmd(Session& s, unsigned char key) {
  s.keyin = static_cast<char>(key);
  switch (key) {
    case 'p':
    case 'c':
      s.keyin = s.sgnPATH = static_cast<char>(key);
      restart(s.view);
      dialogue(s);
      return KeyAction::Passed;
    case keyEsc:
      // The shell's prompt starts on a line of its own.
      con::out("\n");
      return KeyAction::Exit;
    default:
      return viewkey(s, key) ? KeyAction::Redraw : KeyAction::None;
  }
}

}  // namespace agv
