#include "cli/passargs.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace agv::cli {

namespace {

bool number(const std::string& s, double& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  v = std::strtod(s.c_str(), &end);
  return end == s.c_str() + s.size() && std::isfinite(v);
}

}  // namespace

bool numbers(const std::vector<std::string>& text, double* v, std::string& err) {
  for (size_t i = 0; i < text.size(); ++i)
    if (!number(text[i], v[i])) {
      err = "not a finite number: " + text[i];
      return false;
    }
  return true;
}

bool whole(const std::string& s, long& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  v = std::strtol(s.c_str(), &end, 10);
  return end == s.c_str() + s.size() && errno != ERANGE;
}

bool curveargs(const std::vector<std::string>& args, Curve& c, std::string& err) {
  long I = 0;
  if (args.empty() || !whole(args[0], I) || I < INT_MIN || I > INT_MAX) {
    err = "cp takes a curve number I";
    return false;
  }
  const int n = nconsts(static_cast<int>(I));
  if (n == 0) {
    err = "unknown curve number " + args[0];
    return false;
  }
  if (args.size() != static_cast<size_t>(1 + n)) {
    err = "curve " + args[0] + " takes " + std::to_string(n) + " constant(s)";
    return false;
  }
  double v[2] = {0.0, 0.0};
  if (!numbers({args.begin() + 1, args.end()}, v, err)) return false;
  for (int i = 0; i < n; ++i)
    if (v[i] < 0) {
      err = "a constant is negative: " + args[1 + i];
      return false;
    }
  c = Curve{static_cast<int>(I), v[0], v[1]};
  return true;
}

}  // namespace agv::cli
