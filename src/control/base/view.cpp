#include "control/base/view.h"

// The defaults are set by initview(); the zoom and the steps by each
// dialogue pass, then by the window's keys.
namespace agv {

double xshift, yshift;
double xorg, yorg;
double xg2, yg2;
double wg;
double scale;

int kanimC, kanimV, kanimCP;
int kendC, kendV;

void initview() {
  xshift = 0.0;
  yshift = 0.0;
  xorg = -0.5;
  yorg = -0.5;
  xg2 = 0.4;
  yg2 = 0.0;
  wg = 0.5;
}

}  // namespace agv
