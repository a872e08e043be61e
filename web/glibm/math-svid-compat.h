/* No SVID compatibility (see glibc.h). */
#pragma once
