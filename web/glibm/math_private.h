/* The words of a double, as glibc's mathematics sources read and write them, and the internal
   functions they call one another by. */
#pragma once

#include <errno.h>
#include <math.h>
#include <stdint.h>
#include <string.h>

static inline uint64_t glibm_bits(double d) {
  uint64_t u;
  memcpy(&u, &d, sizeof u);
  return u;
}
static inline double glibm_double(uint64_t u) {
  double d;
  memcpy(&d, &u, sizeof d);
  return d;
}
#define GLIBM_HIGH(u) ((uint64_t)(uint32_t)(u) << 32)
#define EXTRACT_WORDS(hi, lo, d) \
  do { uint64_t u_ = glibm_bits(d); (hi) = (int32_t)(u_ >> 32); (lo) = (uint32_t)u_; } while (0)
#define EXTRACT_WORDS64(i, d) do { (i) = (int64_t)glibm_bits(d); } while (0)
#define INSERT_WORDS(d, hi, lo) do { (d) = glibm_double(GLIBM_HIGH(hi) | (uint32_t)(lo)); } while (0)
#define INSERT_WORDS64(d, i) do { (d) = glibm_double((uint64_t)(i)); } while (0)
#define GET_HIGH_WORD(i, d) do { (i) = (int32_t)(glibm_bits(d) >> 32); } while (0)
#define GET_LOW_WORD(i, d) do { (i) = (uint32_t)glibm_bits(d); } while (0)
#define SET_HIGH_WORD(d, v) \
  do { (d) = glibm_double((glibm_bits(d) & 0xffffffffu) | GLIBM_HIGH(v)); } while (0)
#define SET_LOW_WORD(d, v) \
  do { (d) = glibm_double((glibm_bits(d) & 0xffffffff00000000ull) | (uint32_t)(v)); } while (0)
#define __set_errno(e) (errno = (e))

int __branred(double x, double *a, double *aa);
double __ieee754_atan2(double y, double x);
double __ieee754_asin(double x);
double __ieee754_acos(double x);
