/* The choices of glibc's generic build (x86-64 without FMA): no fused multiply-add, fmax and
   fmin as functions, sqrt as the instruction (correctly rounded everywhere). */
#pragma once
#define USE_FMA_BUILTIN 0
#define USE_FMAX_BUILTIN 0
#define USE_FMIN_BUILTIN 0
#define USE_SQRT_BUILTIN 1
