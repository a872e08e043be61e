/* The halves of a double in memory (WebAssembly is little-endian), as glibc's sources name them. */
#pragma once
#include_next <endian.h>
#define LITTLE_ENDI 1
#define HIGH_HALF 1
#define LOW_HALF 0
