/* WebAssembly rounds to nearest, always: nothing to set or restore. */
#pragma once
#define SET_RESTORE_ROUND(r) do { } while (0)
#define SET_RESTORE_ROUND_53BIT(r) do { } while (0)
