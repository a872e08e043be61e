// A parameter given as NAME=VALUE (--param, and the web page's fields), without the parser of
// the command line.
#pragma once

#include <string>
#include <string_view>

#include "agv/params.h"

namespace agv::cli {

// One NAME=VALUE into p (VALUE a number, or the name of one: controller=stanley); false with
// the reason in err, p left as it was.
bool setparamarg(Params& p, std::string_view arg, std::string& err);

}  // namespace agv::cli
