/* WebAssembly computes doubles as doubles: nothing wider to narrow. */
#pragma once
#define math_narrow_eval(x) (x)
