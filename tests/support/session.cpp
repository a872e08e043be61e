#include "support/session.h"

#include "console/console.h"
#include "console/dialogue.h"
#include "console/startup.h"

namespace agvtest {

Transcript scripted(const std::string& input, const std::function<void()>& fn) {
  Transcript s;
  agv::con::script(input, &s.out);
  agv::con::onEof([] { throw ConsoleEof{}; });
  try {
    fn();
  } catch (const ConsoleEof&) {
    s.eof = true;
  }
  agv::con::onEof(agv::con::defaultEof);
  agv::con::scriptEnd();
  return s;
}

Transcript firstPass(agv::Session& s, const std::string& input) {
  // The state of a program just started with the parameters of s.
  const agv::Params p = s.params;
  s = agv::Session{};
  s.params = p;
  scripted("", [&] { agv::startup(s); });
  return scripted(input, [&] { agv::dialogue(s); });
}

}  // namespace agvtest
