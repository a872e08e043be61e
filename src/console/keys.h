// Keyboard commands of the viewer window, apart from the window itself.
#pragma once

#include "session/session.h"

namespace agv {

// What the window does after a key: nothing, draw the picture again, end
// the program, or, after a dialogue pass, forget the keys typed meanwhile.
enum class KeyAction { None, Redraw, Exit, Passed };

// Applies one window key to the view and animation state ('p' and 'c'
// run a dialogue pass).  Tells the window what to do next.
KeyAction keycmd(Session& s, unsigned char key);

}  // namespace agv
