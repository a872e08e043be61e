// Keyboard commands of the viewer window, apart from the window itself.
#pragma once

namespace agv {

enum class KeyAction { None, Redraw, Exit };

// Applies one window key to the view and animation state ('p' and 'c'
// run a dialogue pass).  Tells the window what to do next.
KeyAction keycmd(unsigned char key);

}  // namespace agv
