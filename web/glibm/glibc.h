/* What glibc's own build gives every source of its mathematics library, for the few of them the
   page compiles (web/CMakeLists.txt): their visibility, inlining and branch hints, its aliases. */
#pragma once

#define attribute_hidden
#define __glibc_likely(c) __builtin_expect((c), 1)
#define __glibc_unlikely(c) __builtin_expect((c), 0)
#ifndef __always_inline
#define __always_inline __inline __attribute__((__always_inline__))
#endif
#define strong_alias(from, to) extern __typeof(from) to __attribute__((alias(#from)));
/* No SVID error handling: errno alone, as glibc's current symbols have it. */
#define LIBM_SVID_COMPAT 0
