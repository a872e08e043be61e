// The AGV path generation and path following library: everything in one
// include.
#pragma once

#include "agv/columns.h"
#include "agv/cp.h"
#include "agv/map.h"
#include "agv/params.h"
#include "agv/ptp.h"
#include "agv/route.h"
#include "agv/search.h"
#include "agv/track.h"
#include "agv/types.h"
