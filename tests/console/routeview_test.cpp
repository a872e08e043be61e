// The route's picture: fitted so that every waypoint and every point of the paths between them
// lies in the part of the window kept for it.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "agv/route.h"
#include "session/session.h"

namespace {

// Routes whose paths bulge beyond their waypoints: U-turns, and a loop back past the start.
const std::vector<std::vector<agv::Waypoint>> kRoutes = {
    {{0, 0, 0}, {0, 1, 180}},
    {{0, 0, 90}, {2, 0, -90}, {4, 0, 90}},
    {{1, -2, 30}, {4, 2, 90}, {0, 6, 180}},
    {{0, 0, 0}, {-1, 0, 0}},
};

TEST(RouteView, EveryPointOfThePathsLiesInTheRoutesBox) {
  auto r = std::make_unique<agv::RouteResult>();
  for (const auto& w : kRoutes) {
    ASSERT_EQ(agv::passRoute(agv::Params{}, w, *r), agv::Status::Done);
    agv::View v;
    agv::routeview(v, *r);
    const agv::Box& f = agv::routeBox;
    const double tol = 1e-9 * (f.right - f.left);
    for (int k = 0; k < 3; ++k)
      for (const agv::Runs* runs : {&r->arc[k], &r->cl[k]})
        for (const agv::Record& p : runs->ref) {
          const double sx = (v.xorg + p.x) * v.scale, sy = (v.yorg + p.y) * v.scale;
          ASSERT_TRUE(sx >= f.left - tol && sx <= f.right + tol) << w.size() << " " << sx;
          ASSERT_TRUE(sy >= f.bottom - tol && sy <= f.top + tol) << w.size() << " " << sy;
        }
  }
}

}  // namespace
