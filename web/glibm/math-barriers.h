/* A value the compiler may neither move nor drop (where glibc raises a flag by computing it). */
#pragma once
#define math_opt_barrier(x) ({ __typeof(x) volatile b_ = (x); b_; })
#define math_force_eval(x) ({ __typeof(x) volatile b_ = (x); (void)b_; })
