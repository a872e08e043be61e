#include "motion/control.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace agv {

namespace {

// Rear-wheel feedback divides by the distance to the path's centre of curvature over its
// radius, 1 - k e; an AGV at or beyond the centre takes this in its place.
constexpr double kNearCentre = 1e-9;

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double wrap(double a) { return a - kTwoPi * std::nearbyint(a / kTwoPi); }

// Backing up, the AGV turned half a turn drives forward: its heading is the travel's, the
// cosine and sine of its heading turn sign, and the command it asks for turns the other way.
struct Travel {
  double g;      // +1 forward, -1 backward
  double turn;   // the half turn [rad], or none
  double speed;  // [m/s]
  explicit Travel(const Vehicle& v)
      : g(v.v < 0.0 ? -1.0 : 1.0),
        turn(v.v < 0.0 ? std::numbers::pi : 0.0),
        speed(std::fabs(v.v)) {}
};

// The command of a curvature k, clamped to 1 / Ra.
Steer bycurvature(const Model& m, double k) {
  const double kap = std::clamp(k, -1.0 / m.Ra, 1.0 / m.Ra);
  return {std::atan(m.Lw * kap), kap};
}

}  // namespace

Steer purepursuit(const Model& m, const Vehicle& v, const Foot&, const Ahead& ahead) {
  const Travel w(v);
  const double L = m.Ld + m.kLd * w.speed;
  double gx = 0.0, gy = 0.0;
  ahead.goal(v.x, v.y, L, gx, gy);
  const double dx = gx - v.x;
  const double dy = gy - v.y;
  const double d2 = dx * dx + dy * dy;
  const double across = -(w.g * v.s) * dx + (w.g * v.c) * dy;
  const double kap = d2 > 0.0 ? 2.0 * across / d2 : 0.0;
  return bycurvature(m, w.g * kap);
}

Steer stanley(const Model& m, const Vehicle& v, const Foot&, const Ahead& ahead) {
  const Travel w(v);
  const Foot ff = ahead.nearest(v.x + m.Lw * (w.g * v.c), v.y + m.Lw * (w.g * v.s));
  const double turn = wrap(ff.th - (v.th + w.turn)) - std::atan(m.kStanley * ff.e / w.speed);
  const double deltaMax = std::atan(m.Lw / m.Ra);
  const double delta = std::clamp(w.g * turn, -deltaMax, deltaMax);
  return {delta, std::tan(delta) / m.Lw};
}

Steer rearwheel(const Model& m, const Vehicle& v, const Foot& near, const Ahead&) {
  const Travel w(v);
  const double te = wrap(v.th + w.turn - near.th);
  const double sinc = te == 0.0 ? 1.0 : std::sin(te) / te;
  const double den = std::max(1.0 - near.k * near.e, kNearCentre);
  const double kap = near.k * std::cos(te) / den - m.kTheta * te - m.kE * sinc * near.e;
  return bycurvature(m, w.g * kap);
}

Control controlof(int controller) {
  switch (controller) {
    case PurePursuit:
      return purepursuit;
    case Stanley:
      return stanley;
    case RearWheel:
      return rearwheel;
    default:
      return nullptr;
  }
}

}  // namespace agv
