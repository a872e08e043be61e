#include "window/window.h"

#include <GL/freeglut.h>

#include <cstdlib>
#include <cstring>

#include "console/console.h"
#include "console/keys.h"
#include "render/scene.h"

// After the project's headers: Xlib defines macros with common names.
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace agv {

namespace {

// The connection that found the display, kept until the window exists: a
// bare X server resets itself when its last client leaves, and a window
// opened during the reset would fail.
Display* probe = nullptr;

// The session the window shows and its keys change: GLUT's callbacks take
// no argument of their own.
Session* shown = nullptr;

void redraw() { display(wincanvas(), sceneof(*shown)); }

constexpr int winW = 800;  // window size [px]
constexpr int winH = 800;

// freeglut writes the title as a Latin-1 WM_NAME, which shows the UTF-8
// bytes as garbage.  The window's names are replaced by UTF-8 ones, in
// the EWMH properties that window managers read first and in the ICCCM
// ones.  Called while the new window is current.
void utf8title() {
  Display* dpy = glXGetCurrentDisplay();
  GLXDrawable win = glXGetCurrentDrawable();
  if (dpy == nullptr || win == 0) return;
  Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
  const char* title = con::tr(wintitle);
  const auto* bytes = reinterpret_cast<const unsigned char*>(title);
  int len = static_cast<int>(std::strlen(title));
  for (const char* name : {"_NET_WM_NAME", "_NET_WM_ICON_NAME", "WM_NAME", "WM_ICON_NAME"})
    XChangeProperty(dpy, win, XInternAtom(dpy, name, False), utf8, 8, PropModeReplace, bytes, len);
  XFlush(dpy);
}

// Keys typed into the window while a dialogue pass waited on the console
// are dropped, not replayed: the window takes no events during a pass.
void discardkeys() {
  Display* dpy = glXGetCurrentDisplay();
  GLXDrawable win = glXGetCurrentDrawable();
  if (dpy == nullptr || win == 0) return;
  XSync(dpy, False);
  XEvent ev;
  while (XCheckTypedWindowEvent(dpy, win, KeyPress, &ev) ||
         XCheckTypedWindowEvent(dpy, win, KeyRelease, &ev)) {
  }
}

}  // namespace

void createwin(Session& s, int* argc, char** argv) {
  shown = &s;
  glutInitWindowSize(winW, winH);
  glutInit(argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutCreateWindow(con::tr(wintitle));
  utf8title();
  glutDisplayFunc(redraw);
  glutReshapeFunc(reshape);
  glutKeyboardFunc(keyboard);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
}

GlCanvas& wincanvas() {
  static GlCanvas canvas;
  return canvas;
}

void openwin(Session& s, int* argc, char** argv) {
  createwin(s, argc, argv);
  if (probe != nullptr) {
    XCloseDisplay(probe);
    probe = nullptr;
  }
  glutMainLoop();
  // freeglut ends the process itself when its window closes; the loop
  // returns only if that was switched off.
  std::exit(0);
}

void reshape(int w, int h) {
  glViewport(0, 0, w, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
}

// Keys change the state and ask GLUT for a frame: GLUT applies every key
// that is waiting before it draws, so a frame is never drawn for a state
// that the next key changes at once.
void keyboard(unsigned char key, int /*x*/, int /*y*/) {
  const KeyAction a = keycmd(*shown, key);
  if (a == KeyAction::Exit) std::exit(0);
  if (a == KeyAction::Redraw) glutPostRedisplay();
  if (a == KeyAction::Passed) discardkeys();
}

bool chkdisplay() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') {
    con::out(
        "\n描画画面を開けません：環境変数DISPLAYが設定されていません (cannot open the window: "
        "DISPLAY is not set)\n");
    return false;
  }
  probe = XOpenDisplay(nullptr);
  if (probe == nullptr) {
    con::out(
        "\n描画画面を開けません：Xディスプレイ %s に接続できません (cannot open the window: "
        "no X display at %s)\n",
        name, name);
    return false;
  }
  return true;
}

}  // namespace agv
