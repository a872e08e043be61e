// agvsim: path generation and path following of wheeled mobile robots.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cli/params.h"
#include "cli/route.h"
#include "cli/start.h"
#include "console/console.h"
#include "console/dialogue.h"
#include "console/startup.h"
#include "mapfile/mapfile.h"
#include "window/window.h"

// Out of memory anywhere: a message and status 2 (the program writes no file).
void nomemory() {
  static const char msg[] = "agvsim: メモリが足りない (out of memory)\n";
  (void)!write(2, msg, sizeof msg - 1);
  _exit(2);
}

// The folder of the console's catalogs: locale/ beside the program in its build folder, the
// installed one otherwise.
std::string localedir() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    std::string dir(self, static_cast<size_t>(n));
    dir = dir.substr(0, dir.rfind('/')) + "/locale";
    if (access((dir + "/en/LC_MESSAGES/agvsim.mo").c_str(), R_OK) == 0) return dir;
  }
  return AGV_LOCALEDIR;
}

int main(int argc, char** argv) {
  agv::cli::stdfiles();
  std::set_new_handler(nomemory);
  // Every parameter is checked before anything else happens.
  agv::cli::SimOptions o;
  std::string text;
  int status = 0;
  if (!agv::cli::simoptions(std::vector<std::string>(argv + 1, argv + argc), o, text, status)) {
    std::fputs(text.c_str(), status == 0 ? stdout : stderr);
    return status;
  }
  agv::Params params;
  std::string err;
  if (!agv::cli::applyparams(o.params, params, err)) {
    std::fprintf(stderr, "agvsim: %s\n", err.c_str());
    return 2;
  }
  if (o.lang == "en" && !agv::con::language(agv::con::Lang::En, localedir())) {
    std::fprintf(stderr, "agvsim: the English catalog is missing (%s); the console speaks Japanese\n",
                 localedir().c_str());
  }
  std::vector<agv::Waypoint> route;
  agv::cli::TrackFile track;
  if ((!o.route.empty() && !agv::cli::readroute(o.route, route, err)) ||
      (!o.track.empty() && !agv::cli::readtrack(o.track, track, err))) {
    std::fprintf(stderr, "agvsim: %s\n", err.c_str());
    return 2;
  }
  agv::con::installTerminalGuard();
  // Without a display the window could not open after the dialogue.
  if (!agv::chkdisplay()) return 1;
  // The session lives as long as the window's event loop, which ends the
  // process.
  auto s = std::make_unique<agv::Session>();
  s->params = params;
  if (!o.map.empty()) {
    if (!agv::mapfile::loadmap(o.map, s->map, err)) {
      std::fprintf(stderr, "agvsim: %s\n", err.c_str());
      return 2;
    }
    if (!agv::buildindex(s->map, params, s->index)) {
      std::fprintf(stderr, "agvsim: %s: %s\n", o.map.c_str(), agv::checkmap(s->map).c_str());
      return 2;
    }
    s->mapped = true;
  }
  agv::startup(*s);
  if (!route.empty()) {
    if (!agv::routepass(*s, route)) {
      std::fprintf(stderr, "agvsim: refused: %s\n", agv::reason(s->route).c_str());
      return 1;
    }
  } else if (!track.track.points.empty()) {
    if (!agv::trackpass(*s, track.track)) {
      const agv::Refusal& why = s->cp.refusal;
      const std::string what = agv::reason(why, params);
      if (why.status != agv::Status::BadTrack) {
        std::fprintf(stderr, "agvsim: refused: %s\n", what.c_str());
        return 1;
      }
      const std::string bad = agv::cli::trackerror(o.track, track, why, what);
      std::fprintf(stderr, "agvsim: %s\n", bad.c_str());
      return 2;
    }
  } else {
    agv::dialogue(*s);
  }
  int gargc = 1;
  agv::openwin(*s.release(), &gargc, argv);
}
