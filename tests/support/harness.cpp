#include "support/harness.h"

#include <memory>
#include <sstream>
#include <vector>

#include "cli/params.h"
#include "console/console.h"
#include "console/dialogue.h"
#include "console/keys.h"
#include "console/startup.h"

namespace agvtest {

namespace {

// The parameters of the bytes before "#session"; false when refused.
bool sessionparams(const std::string& text, agv::Params& p) {
  std::vector<std::string> args;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("#args ", 0) != 0) continue;
    std::istringstream words(line.substr(6));
    std::string w;
    while (words >> w) args.push_back(w);
  }
  agv::cli::SimOptions o;
  std::string msg;
  int status = 0;
  if (!agv::cli::simoptions(args, o, msg, status)) return false;
  o.params.file.clear();  // the file is the text itself
  return agv::cli::parseparams(text, "params", p, msg) && agv::cli::applyparams(o.params, p, msg);
}

}  // namespace

int runsession(const uint8_t* data, size_t size, std::string* out) {
  struct InputUsedUp {};
  constexpr unsigned char ESC = 27;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  auto s = std::make_unique<agv::Session>();
  const std::string head = "#params\n", tail = "\n#session\n";
  if (bytes.rfind(head, 0) == 0) {
    const size_t end = bytes.find(tail);
    const std::string text = bytes.substr(0, end);
    bytes = end == std::string::npos ? "" : bytes.substr(end + tail.size());
    if (!sessionparams(text, s->params)) return -1;
  }
  std::string sink;
  agv::con::script(bytes, out ? out : &sink);
  agv::con::onEof([] { throw InputUsedUp{}; });
  int passes = 0;
  try {
    agv::startup(*s);
    agv::dialogue(*s);
    for (passes = s->ndlg;; passes = s->ndlg) {
      unsigned char k = static_cast<unsigned char>(agv::con::key());
      if (k != ESC) agv::keycmd(*s, k);
    }
  } catch (const InputUsedUp&) {
  }
  agv::con::onEof(agv::con::defaultEof);
  agv::con::scriptEnd();
  return passes;
}

}  // namespace agvtest
