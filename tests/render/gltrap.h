// Counts the coordinates handed to GL that are not finite: the test
// program's own glVertex2d, glRasterPos2f and glTranslated stand in front
// of the library's and pass every call on.
#pragma once

namespace rendertest {

extern int nonfinite;

}  // namespace rendertest
