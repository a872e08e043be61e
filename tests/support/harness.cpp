#include "support/harness.h"

#include "control/base/console.h"
#include "control/dialogue.h"
#include "control/keys.h"
#include "control/base/params.h"
#include "control/startup.h"
#include "motion/shown.h"
#include "cp/curves.h"

namespace agvtest {

int runsession(const uint8_t* data, size_t size, std::string* out) {
  struct InputUsedUp {};
  constexpr unsigned char ESC = 27;
  std::string sink;
  agv::con::script(std::string(reinterpret_cast<const char*>(data), size), out ? out : &sink);
  agv::con::onEof([] { throw InputUsedUp{}; });
  int passes = 0;
  try {
    agv::startup();
    agv::dialogue();
    for (passes = agv::ndlg;; passes = agv::ndlg) {
      unsigned char k = static_cast<unsigned char>(agv::con::key());
      if (k != ESC) agv::keycmd(k);
    }
  } catch (const InputUsedUp&) {
  }
  agv::con::onEof(agv::con::defaultEof);
  agv::con::scriptEnd();
  return passes;
}

}  // namespace agvtest
