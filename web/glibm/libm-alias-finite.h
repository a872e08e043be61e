/* No __*_finite names: nothing calls them. */
#pragma once
#define libm_alias_finite(from, to)
