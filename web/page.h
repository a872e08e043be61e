// The simulator as a web page: its inputs by the names of the page's address (the query
// string), each checked as agvbatch checks the same value, the pass they ask for, the window's
// keys, and what the page shows: the window's scene, agvbatch's summary and run files.
//
//   agvweb::Page page;
//   page.set("path", "cp"), page.set("I", "16"), page.set("A", "0.2"), page.set("n", "3");
//   if (page.run()) ... page.summary(), page.key('s'), display(canvas, page.scene()) ...
//
// Nothing of it is web-only: the page's script calls it through web/main.cpp, the tests call
// it natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mapfile/mapfile.h"
#include "session/session.h"

namespace agvweb {

// The names of the address that are the view, not the pass: the mechanism, the drawing, the
// step of the motion, and the zoom and pan keys pressed since the pass (net counts).
inline constexpr const char* kViewNames[] = {"mech", "drawing", "step", "zoom", "panx", "pany"};

// The constants of CP curve I by the names of its set-up prompt (A L, A B, A n, A); nullptr
// past its last.
const char* constname(int I, int i);

class Page {
 public:
  Page();

  // Every input back to its default: a PTP pass from (0, 0, 0 deg) to (2, 3, 0 deg), the
  // parameters of the simulator's own vehicle, mechanism 1 on the arc-line drawing at step 0.
  void reset();

  // One entry of the address, name=value, kept for the next run (a later one of the same name
  // replaces it): path (ptp, cp or route), x0 y0 th0 xf yf thf (m, m, deg), I and the constants
  // of its prompt, route (the text of a route file), map (the name of the map read), a parameter
  // by its --param name, and the view (kViewNames).
  void set(const std::string& name, const std::string& value);

  // A map, read from its files as agvbatch --map reads them: the text of its YAML file (name, the
  // file's name), then the bytes of the image that it names (mapimage()).  False, with agvbatch's
  // message for the same file, for files that are not a map's; the page keeps the map it had
  // then.  The map read last stays through reset(); the entry map=NAME (its YAML file's name
  // without .yaml) puts the passes in it.
  bool mapyaml(const std::string& name, std::string_view text, std::string& err);
  const std::string& mapimage() const { return pending_.image; }
  bool mapbytes(const std::uint8_t* data, std::size_t size, std::string& err);

  // The pass the entries ask for, and its view.  False when an entry is refused or the pass is
  // refused: errors() tells why, the page shows no pass then.
  bool run();

  // What run() refused: the entry's name (or "pass" for the pass) and agvbatch's message for
  // the same value, in the order of the page's fields.
  const std::vector<std::pair<std::string, std::string>>& errors() const { return errors_; }

  // A key of the window ('1' '2' '3', 'a' 'b', 's', '0', 'x' 'X' 'y' 'Y', 'w' 'W'); true when
  // the picture changes.  Nothing before a pass.
  bool key(unsigned char k);

  // The view as entries of the address (those not at their defaults), so that the address
  // shows what is on the canvas.
  std::string viewquery() const;

  bool done() const { return done_; }
  // The scene of the pass as the window shows it now (a pass is done).
  agv::Scene scene() const { return agv::sceneof(*s_); }

  // agvbatch's summary.csv of the pass, and the names and texts of every file agvbatch writes
  // for it: the run files, legs.csv of a route, summary.csv and params.toml.
  std::string summary() const;
  std::vector<std::string> files() const;
  std::string file(const std::string& name) const;  // empty for a name it has not

 private:
  bool view();
  bool press(unsigned char k);
  void refuse(const std::string& name, const std::string& why);
  std::string entry(const std::string& name, const std::string& fallback) const;

  std::unique_ptr<agv::Session> s_;
  // The map read last, by its name, and the YAML file read before its image.
  std::string mapName_;
  std::unique_ptr<agv::Map> map_;
  std::string pendingName_;
  agv::mapfile::MapYaml pending_;
  std::map<std::string, std::string> in_;  // the entries, by name
  std::vector<std::pair<std::string, std::string>> errors_;
  char kind_ = 'p';  // of the pass done: 'p' PTP, 'c' CP, 'r' route
  bool done_ = false;
  int panx_ = 0, pany_ = 0;  // pan keys since the pass, net
};

}  // namespace agvweb
