// The numbers of a pass as text, checked as agvbatch checks its arguments (the web page checks
// its fields by the same rules, with the same messages).
#pragma once

#include <string>
#include <vector>

#include "agv/cp.h"

namespace agv::cli {

// text[i] into v[i], each the whole of a finite number; false with "not a finite number: T"
// in err.
bool numbers(const std::vector<std::string>& text, double* v, std::string& err);

// A whole number, the whole of the text, within long.
bool whole(const std::string& s, long& v);

// The curve number I and its constants (as many as the curve takes, none negative) into c;
// false with the reason in err.
bool curveargs(const std::vector<std::string>& args, Curve& c, std::string& err);

}  // namespace agv::cli
