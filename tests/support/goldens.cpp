#include "support/goldens.h"

#include "console/dialogue.h"
#include "console/keys.h"
#include "mapfile/mapfile.h"
#include "support/session.h"

namespace agvtest {

namespace {

using agv::PurePursuit;
using agv::Stanley;
using agv::Waypoint;

// A route of three legs that turns left, back and down across the origin.
const std::vector<Waypoint> kRoute = {{0, 0, 0}, {4, 2, 90}, {0, 6, 180}, {-3, 0, -90}};

// A lane: out along an aisle, a U-turn, back along the next.
const agv::Track kLane{{{0, 0}, {2, 0}, {4, 0.2}, {6, 0}, {7.2, 0.6}, {7.4, 1.6}, {6.6, 2.4},
                        {5, 2.5}, {3, 2.4}, {1, 2.5}},
                       0.0,
                       180.0};

// Into the left parking bay of the warehouse map, each leg searched in it.
const std::vector<Waypoint> kBay = {{0, 0, 0}, {1.75, 7, 90}, {1.75, 11.2, 90}};

std::string s(int n) { return std::string(n, 's'); }
std::string w(int n) { return std::string(n, 'w'); }

}  // namespace

const std::vector<Golden>& goldens() {
  static const std::vector<Golden> frames = {
      {"ptp_1a_start", "pnk", ""},
      {"ptp_2b_mid", "pnk", "2b" + s(40)},
      {"ptp_3a_end", "pnk", "3" + s(80)},
      {"ptp_2a_out_pan", "pnk", "2" + s(20) + w(5) + "XXXyy"},
      {"ptp_3b_in", "pnk", "3b" + s(30) + "WWWWxx"},
      {"long_3b_end", "pyy57.86 3 0\nk", "3b" + s(1000)},
      {"long_3b_end_out", "pyy57.86 3 0\nk", "3b" + s(1000) + w(20)},
      {"long_2a_mid_out", "pyy57.86 3 0\nk", "2" + s(300) + w(20) + "Y"},
      {"cp13_1_start", "c13\n1\nnk", ""},
      {"cp13_2_mid", "c13\n1\nnk", "2" + s(50)},
      {"cp13_3_end_pan", "c13\n1\nnk", "3" + s(400) + "XXYY"},
      {"cplong_2_end", "c1\n12.2 29.98\nnk", "2" + s(1100)},
      {"cplong_2_end_out", "c1\n12.2 29.98\nnk", "2" + s(1100) + w(12)},
      // A U-turn to the lane beside: right, left and right arc, each as clothoid, arc, clothoid.
      {"three_2b_mid", "pyy0 0.5 180\nk", "2b" + s(70) + "xxxxxxxxxY", 1},
      // A route fitted into the picture, and its AGVs halfway and at its end.
      {"route_1a_start", "k", "", 0, kRoute},
      {"route_2a_mid", "k", "2" + s(300), 0, kRoute},
      {"route_3b_end", "k", "3b" + s(1000), 0, kRoute},
      // The tracked AGV started off its path: beside the default path, and on the cardioid.
      {"tracked_2b_mid", "pnk", "2b" + s(40), 0, {}, Stanley, 0.5, 20.0},
      {"tracked_cp13_3_end", "c13\n1\nnk", "3" + s(400), 0, {}, PurePursuit, -0.3, 0.0},
      // A three-point turn with arcs of 2 m: forward, back and forward, the backward arc dashed.
      {"reverse_1b_mid", "pyy0 0 180\nk", "1b" + s(70), 0, {}, 0, 0.0, 0.0, 1, 2.0},
      {"reverse_3a_end", "pyy0 0 180\nk", "3" + s(200), 0, {}, 0, 0.0, 0.0, 1, 2.0},
      // A route into a parking bay of the warehouse: the map, the bodies
      // and the rings of the first contacts.
      {"map_bay_1a_start", "k", "", 0, kBay, 0, 0.0, 0.0, 0, 1.0, "examples/warehouse.yaml"},
      {"map_bay_2a_end", "k", "2" + s(1500), 0, kBay, 0, 0.0, 0.0, 0, 1.0, "examples/warehouse.yaml"},
      // A track of points fitted into the picture, the 1FDW1FS AGV under pure pursuit in its
      // U-turn.
      {"track_2_mid", "k", "2" + s(145), 0, {}, PurePursuit, 0.0, 0.0, 0, 1.0, nullptr, kLane},
  };
  return frames;
}

std::string passkey(const Golden& g) {
  return std::string(g.pass) + "|" + std::to_string(g.threeArcs) + "|" +
         std::to_string(g.route.size()) + "|" + std::to_string(g.controller) + "|" +
         std::to_string(g.offsetY) + "|" + std::to_string(g.offsetTh) + "|" +
         std::to_string(g.reverse) + "|" + std::to_string(g.Ra) + "|" + (g.map ? g.map : "") + "|" +
         std::to_string(g.track.points.size());
}

bool goldenpass(agv::Session& s, const Golden& g) {
  s.mapped = false;
  s.params = agv::Params{};
  s.params.threeArcs = g.threeArcs;
  s.params.controller = g.controller;
  s.params.offsetY = g.offsetY;
  s.params.offsetTh = g.offsetTh;
  s.params.reverse = g.reverse;
  s.params.Ra = g.Ra;
  if (g.route.empty() && g.track.points.empty()) return !firstPass(s, g.pass).eof;
  const agv::Params p = s.params;
  s = agv::Session{};
  s.params = p;
  if (g.map != nullptr) {
    std::string err;
    s.mapped = agv::mapfile::loadmap(std::string(AGV_SOURCE_DIR) + "/" + g.map, s.map, err) &&
               agv::buildindex(s.map, p, s.index);
    if (!s.mapped) return false;
  }
  bool done = false;
  return !scripted(g.pass, [&] {
            done = g.route.empty() ? agv::trackpass(s, g.track) : agv::routepass(s, g.route);
          }).eof &&
         done;
}

void goldenview(agv::Session& s, const Golden& g, const std::function<void(size_t)>& each) {
  s.view = agv::View{};
  s.view.scale = agv::scale0;
  if (s.mapped)
    agv::mapview(s.view, s.map);
  else if (s.routed)
    agv::routeview(s.view, s.route);
  else if (s.track)
    agv::trackview(s.view, s.cp);
  s.agvType = 1;
  s.sgnDraw = 'a';
  s.view.kanimC = s.view.kanimV = s.view.kanimCP = 0;
  for (size_t i = 0; i < g.keys.size(); ++i) {
    agv::keycmd(s, static_cast<unsigned char>(g.keys[i]));
    if (each) each(i);
  }
}

std::string goldenfile(const char* name) {
  return std::string(AGV_SOURCE_DIR) + "/tests/render/golden/" + name + ".png";
}

}  // namespace agvtest
