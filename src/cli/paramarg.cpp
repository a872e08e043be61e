#include "cli/paramarg.h"

#include <cmath>
#include <cstdlib>

namespace agv::cli {

bool setparamarg(Params& p, std::string_view arg, std::string& err) {
  const size_t eq = arg.find('=');
  if (eq == std::string_view::npos) {
    err = "--param " + std::string(arg) + ": NAME=VALUE expected";
    return false;
  }
  const std::string name(arg.substr(0, eq));
  const std::string val(arg.substr(eq + 1));
  char* end = nullptr;
  double v = std::strtod(val.c_str(), &end);
  if (val.empty() || end != val.c_str() + val.size()) v = paramvalue(name, val);
  if (std::isnan(v)) {
    std::string names;
    for (int i = 0; i < nParams; ++i)
      if (name == paraminfo(i).name) names = paraminfo(i).names;
    err = "--param " + std::string(arg) + ": " + name + " needs a number" +
          (names.empty() ? "" : " or one of " + names);
    return false;
  }
  if (setparam(p, name, v) != ParamCheck::Ok) {
    err = "--param " + std::string(arg) + ": " + paramerror(name, v);
    return false;
  }
  return true;
}

}  // namespace agv::cli
