// The start-up's output and the two reports that other parts print.
#pragma once

#include "session/session.h"

namespace agv {

// What the start-up prints before the first dialogue pass: the condition
// report of the start-up's choices and the banner.
void startup(Session& s);

// Condition report for the current choices.
void report(const Session& s);

// One-line description of CP curve I with its constants; nothing for a
// number outside the catalogue.
void curvelist(const Session& s, int I);

// The report of the adopted path: the planner's, or the one searched in a map.
void reportpath(const PtpResult& r);

}  // namespace agv
