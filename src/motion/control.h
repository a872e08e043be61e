// The controllers of the tracked AGV, each on its own: from what the AGV knows at the start of
// a step (its pose and speed, the point of the path nearest to it, and what lies ahead on the
// path) to a steering command, held through the step.
#pragma once

#include <concepts>

#include "base/model.h"

namespace agv {

// A point of the path: where along its arc (sig from the arc's start), its heading and
// curvature, and the signed distance e of a point from it (left of the direction of travel
// positive).
struct Foot {
  double sig, th, k, e;
};

// The AGV at the start of a step: its position, its heading as its records hold it, that
// heading's cosine and sine, and its speed (negative backing up: the controllers then steer the
// AGV turned half a turn, driving forward).
struct Vehicle {
  double x, y, th, c, s, v;
};

// What lies ahead on the path, for the controllers that look beyond the nearest point: a
// reference to an object with these two members (the run's path, or a path in closed form in a
// test).  Two plain function pointers, not virtual functions, whose tables would be writable
// data of the library.
class Ahead {
 public:
  template <class P>
    requires(!std::same_as<P, Ahead>)
  explicit Ahead(P& p)
      : self_(&p),
        goal_([](void* s, double px, double py, double L, double& gx, double& gy) {
          static_cast<P*>(s)->goal(px, py, L, gx, gy);
        }),
        nearest_([](void* s, double px, double py) {
          return static_cast<P*>(s)->nearest(px, py);
        }) {}
  // The point of the path ahead of the nearest one at the distance L from (px, py), or the
  // path's end where that lies nearer.
  void goal(double px, double py, double L, double& gx, double& gy) const {
    goal_(self_, px, py, L, gx, gy);
  }
  // The point of the path nearest to (px, py), a point ahead of the AGV.
  Foot nearest(double px, double py) const { return nearest_(self_, px, py); }

 private:
  void* self_;
  void (*goal_)(void*, double, double, double, double&, double&);
  Foot (*nearest_)(void*, double, double);
};

// A steering command: the steering angle and the curvature it asks for (mechanism 2DW1C turns
// at the curvature, the others steer to the angle), within the steering angle of the minimum
// radius, atan(Lw / Ra), and the curvature 1 / Ra.
struct Steer {
  double delta, kap;
};

// Coulter, "Implementation of the Pure Pursuit Path Tracking Algorithm" (CMU-RI-TR-92-01, 1992):
// the arc through the AGV, tangent to its heading, through the goal point at the lookahead
// distance Ld + kLd |v|; its curvature 2 x / L^2, x the goal's offset across the heading.
Steer purepursuit(const Model& m, const Vehicle& v, const Foot& near, const Ahead& ahead);

// Thrun et al., "Stanley: The Robot that Won the DARPA Grand Challenge" (J. Field Robotics
// 23(9), 2006), eq. (9): the heading error plus arctan(kStanley e / |v|), e the cross-track
// error of the front axle's centre (a wheel base ahead of the AGV's point).
Steer stanley(const Model& m, const Vehicle& v, const Foot& near, const Ahead& ahead);

// Paden et al., "A Survey of Motion Planning and Control Techniques for Self-driving Urban
// Vehicles" (IEEE T-IV 1(1), 2016), rear-wheel position feedback, eq. (36), as a curvature:
// k cos(te) / (1 - k e) - kTheta te - kE sin(te) / te e, te the heading error.
Steer rearwheel(const Model& m, const Vehicle& v, const Foot& near, const Ahead& ahead);

// The controller Params::controller names; null for none.
using Control = Steer (*)(const Model&, const Vehicle&, const Foot&, const Ahead&);
Control controlof(int controller);

}  // namespace agv
