#include "control/base/params.h"

// Every default is set by the start-up (startup()), the largest steering
// change by each pass (setsteer()).
namespace agv {

double dSteerMax;

int agvType;
char sgnPATH;
char sgnDraw;
int curveNo;

double x0, y0, th0;
double xf, yf, thf;

int ndlg;
char keyin;

double A1, L1;
double A2, L2;
double A3, L3;
double A4, L4;
double A11, B11;
double A12, nt12;
double A13, B13;
double A14, nr14;
double R16, A16, nw16;

}  // namespace agv
