// CP curve set-up menu.
#pragma once

namespace agv {

// Asks for the curve number and its constants, then derives the curve's
// records.
void cpsetup();

}  // namespace agv
