// agvsim: path generation and path following of wheeled mobile robots.

#include "control/base/console.h"
#include "control/dialogue.h"
#include "control/startup.h"
#include "control/window.h"

int main(int argc, char** argv) {
  agv::con::installTerminalGuard();
  // Without a display the window could not open after the dialogue.
  if (!agv::chkdisplay()) return 1;
  agv::startup();
  agv::dialogue();
  agv::openwin(&argc, argv);
}
