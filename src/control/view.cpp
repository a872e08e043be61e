#include "control/view.h"

namespace agv {

double xshift = 0.0, yshift = 0.0;
double xorg = -0.5, yorg = -0.5;
double xg1 = 0.4, yg1 = 0.65;
double xg2 = 0.4, yg2 = 0.0;
double wg = 0.5;
double scale = scale0;

int kanimC = 0, kanimV = 0, kanimCP = 0;
int kendC = 0, kendV = 0;

void initview() {
  xshift = 0.0;
  yshift = 0.0;
  xorg = -0.5;
  yorg = -0.5;
  xg1 = 0.4;
  yg1 = 0.65;
  xg2 = 0.4;
  yg2 = 0.0;
  wg = 0.5;
}

}  // namespace agv
