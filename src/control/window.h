// The viewer window (GLUT).
#pragma once

namespace agv {

// Opens the window and runs the event loop; does not return.
[[noreturn]] void openwin(int* argc, char** argv);

void reshape(int w, int h);
void framebegin();
void frameend();
void keyboard(unsigned char key, int x, int y);

}  // namespace agv

namespace agv {

// True when an X display can be opened; otherwise prints why on the
// console and returns false.  main checks it before the first dialogue.
bool chkdisplay();

}  // namespace agv
