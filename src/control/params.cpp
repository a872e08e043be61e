#include "control/params.h"

namespace agv {

double dSteerMax = 0.0;

int agvType = 1;
char sgnPATH = 'c';
char sgnDraw = 'a';
int curveNo = 1;

double x0 = 0.0, y0 = 0.0, th0 = 0.0;
double xf = 2.0, yf = 3.0, thf = 0.0;

int ndlg = 0;
char keyin = '0';

double A1 = 2.0, L1 = 5.0;
double A2 = 2.0, L2 = 5.0;
double A3 = 1.0, L3 = 1.0;
double A4 = 1.0, L4 = 1.0;
double A11 = 2.0, B11 = 1.0;
double A12 = 1.0, nt12 = 2.0;
double A13 = 1.0, B13 = 1.2;
double A14 = 1.0, nr14 = 2.0;
double R16 = 2.0, A16 = 0.2, nw16 = 2.0;

}  // namespace agv
