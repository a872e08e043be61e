#include "support/session.h"

#include "control/base/console.h"
#include "control/dialogue.h"
#include "control/startup.h"
#include "motion/shown.h"
#include "cp/curves.h"

namespace agvtest {

Session scripted(const std::string& input, const std::function<void()>& fn) {
  Session s;
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

Session firstPass(const std::string& input) {
  scripted("", agv::startup);
  return scripted(input, agv::dialogue);
}

}  // namespace agvtest
