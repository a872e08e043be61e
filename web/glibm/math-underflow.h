/* Floating-point flags are not kept in WebAssembly: no underflow to raise. */
#pragma once
#define math_check_force_underflow(x) do { } while (0)
#define math_check_force_underflow_nonneg(x) do { } while (0)
