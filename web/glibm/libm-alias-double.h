/* The sources' functions under the C library's names, which the page links in place of its own
   C library's (musl's). */
#pragma once
#define libm_alias_double(from, to) extern __typeof(from) to __attribute__((alias(#from)));
