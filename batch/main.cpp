// agvbatch: the simulator's computations without the window (agvbatch --help).
#include <pthread.h>
#include <signal.h>

#include <new>
#include <system_error>
#include <string>
#include <thread>
#include <vector>

#include "batch/batch.h"
#include "batch/files.h"
#include "cli/start.h"

int main(int argc, char** argv) {
  agv::cli::stdfiles();
  // A file-size limit makes a write fail, with a message, instead of ending the process; a
  // reader of standard error that has gone (progress | head) costs the lines, not the files.
  signal(SIGXFSZ, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);
  // The termination signals are taken by a thread of their own, which removes every file being
  // written and ends the process at once; the threads of a sweep never see them.  A signal
  // ignored when the program started (nohup) stays ignored.
  sigset_t set;
  sigemptyset(&set);
  for (int sig : agvbatch::endsignals()) {
    struct sigaction old {};
    if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) sigaddset(&set, sig);
  }
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  try {
    std::thread([set] {
      int sig = 0;
      if (sigwait(&set, &sig) == 0) agvbatch::interrupted(sig);
    }).detach();
    return agvbatch::run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::bad_alloc&) {
    // The files being written went with their objects.
    return agvbatch::failed("out of memory; " + agvbatch::leftover());
  } catch (const std::system_error& e) {
    return agvbatch::failed(std::string("cannot start a thread: ") + e.what() + "; " +
                            agvbatch::leftover());
  }
}
