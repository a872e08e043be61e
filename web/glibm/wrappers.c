/* The public names of the functions glibc's sources give only internal names, as glibc's
   wrappers call them (a domain error is the NaN they return). */
#include <math_private.h>

double atan2(double y, double x) { return __ieee754_atan2(y, x); }
double asin(double x) { return __ieee754_asin(x); }
double acos(double x) { return __ieee754_acos(x); }
