// The viewer window (GLUT).
#pragma once

#include "console/console.h"
#include "render/glcanvas.h"
#include "session/session.h"

namespace agv {

// Title of the window (UTF-8), in the language of the console: con::tr(wintitle).
inline constexpr const char* wintitle = con::text(
    "1,2,3:機構選択, "
    "p,c:経路変更，a,b:円弧,CLD描画選択，W,w:画面拡大縮小，x,X,y,Y:画面移動，0:初期へ，s:継続");

// Opens the window of the session s and runs the event loop; does not
// return.
[[noreturn]] void openwin(Session& s, int* argc, char** argv);

// The window of openwin, set up without entering the event loop, so that
// frames can be drawn and read back directly.
void createwin(Session& s, int* argc, char** argv);

// The window's canvas: its frames are drawn on it, in the window's GL context.
GlCanvas& wincanvas();

void reshape(int w, int h);
void keyboard(unsigned char key, int x, int y);

}  // namespace agv

namespace agv {

// True when an X display can be opened; otherwise prints why on the
// console and returns false.  main checks it before the first dialogue.
// The connection stays open until openwin has its window.
bool chkdisplay();

}  // namespace agv
