#include "gltrap.h"

#include <GL/gl.h>
#include <dlfcn.h>

#include <cmath>

namespace rendertest {

int nonfinite = 0;

namespace {

void note(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) ++nonfinite;
}

template <typename F>
F next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

}  // namespace rendertest

extern "C" {

void GLAPIENTRY glVertex2d(GLdouble x, GLdouble y) {
  static auto real = rendertest::next<void(GLAPIENTRY*)(GLdouble, GLdouble)>("glVertex2d");
  rendertest::note(x, y);
  real(x, y);
}

void GLAPIENTRY glRasterPos2f(GLfloat x, GLfloat y) {
  static auto real = rendertest::next<void(GLAPIENTRY*)(GLfloat, GLfloat)>("glRasterPos2f");
  rendertest::note(x, y);
  real(x, y);
}

void GLAPIENTRY glTranslated(GLdouble x, GLdouble y, GLdouble z) {
  static auto real =
      rendertest::next<void(GLAPIENTRY*)(GLdouble, GLdouble, GLdouble)>("glTranslated");
  rendertest::note(x, y);
  rendertest::note(z, 0.0);
  real(x, y, z);
}

}  // extern "C"
