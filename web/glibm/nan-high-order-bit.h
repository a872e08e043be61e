/* A quiet NaN has the high bit of its fraction set, as on x86-64. */
#pragma once
#define HIGH_ORDER_BIT_IS_SET_FOR_SNAN 0
