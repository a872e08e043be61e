// CP curve set-up menu.
#pragma once

#include "session/session.h"

namespace agv {

// Asks for the curve number and its constants until they define a curve.
void cpsetup(Session& s);

}  // namespace agv
