// Start-up sequence and the two reports that other parts print.
#pragma once

namespace agv {

// Steps of the start-up before the first dialogue pass: parameters,
// curve constants, choices and poses, the condition report, the banner,
// the view defaults, keyin and ndlg.
void startup();

// Condition report for the current choices.
void report();

// One-line description of CP curve I with its constants; nothing for a
// number outside the catalogue.
void curvelist(int I);

}  // namespace agv
