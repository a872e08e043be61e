#include "render/agvfig.h"

#include <cmath>

#include "control/base/params.h"
#include "control/base/view.h"

namespace agv {

namespace {

// Figure dimensions [m].
constexpr double bodyL = 1.2;      // body length
constexpr double bodyW = 1.0;      // body width
constexpr double bodyB = 0.2;      // rear overhang behind the reference point
constexpr double noseDeg = 30.0;   // nose angle [deg]
constexpr double frontD = 1.0;     // reference point to the front point F
constexpr double halfTrack = 0.6;  // rear wheel centres across
constexpr double rearLen = 0.24;   // rear or drive wheel: straight length
constexpr double rearWid = 0.12;   // and width
constexpr double frontLen = 0.12;  // caster or steered wheel: straight length
constexpr double frontWid = 0.08;  // and width
constexpr double boxSide = 0.16;   // motor and differential boxes
constexpr double halfBox = 0.08;   // half of a box side
constexpr double pivotR = 0.04;    // pivot disc, half disc and reference marker
constexpr double heavyW = 0.04;    // axles, shafts, caster stem
constexpr double forkW = 0.008;    // fork lines [screen units], not zoomed
// Two-wheel drive: axle stubs and motors beside the wheels.
constexpr double stubIn = 0.06;      // stub from the wheel centre inwards
constexpr double stubOut = 0.22;     // to the motor
constexpr double motorFar = 0.38;    // far side of the motor box
constexpr double casterBack = 0.2;   // caster wheel centre behind F
constexpr double stemLen = 0.08;     // caster stem
constexpr double forkHalf = 0.048;   // half width of a fork
constexpr double forkWidth = 0.096;  // width of a fork
constexpr double casterArm = 0.16;   // fork arms reaching back past the caster
// Steered front wheel.
constexpr double shaftIn = 0.04;   // drive shaft from the wheel centre
constexpr double shaftOut = 0.12;  // to the motor
// Rear drive.
constexpr double rearShaft0 = 0.08;  // drive shaft ahead of the reference point
constexpr double rearShaft1 = 0.16;  // to the motor

struct Vec {
  double x, y;
};

// a + d * u, with the length d [m] zoomed.
Point off(const Point& a, double d, const Vec& u) {
  return {a.x + d * scale * u.x, a.y + d * scale * u.y};
}

void body(const Point& P, double th, const Color& c) {
  drawbody(P, bodyL * scale, bodyW * scale, bodyB * scale, noseDeg * DEG2RAD, th, c);
}

void rearwheels(const Point& WL, const Point& WR, double th, const Color& c) {
  drawwheel(WL, rearLen * scale, rearWid * scale, th, c);
  drawwheel(WR, rearLen * scale, rearWid * scale, th, c);
}

// White box with a black outline.
void box(const Point& corner, double ang) {
  drawrect(corner, boxSide * scale, boxSide * scale, ang, white);
  drawrectline(corner, boxSide * scale, boxSide * scale, ang, black);
}

// Pivot, fork and wheel of the steered front wheel (types 2 and 3).
void steeredwheel(const Point& F, double ths, const Vec& g, const Vec& m) {
  drawhalfdisc(F, pivotR * scale, ths - PI_2, white);
  drawhalfarc(F, pivotR * scale, ths - PI_2, black);
  Point A = off(off(F, forkHalf, m), forkHalf, g);
  Point Am = off(A, -forkWidth, m);
  drawline(A, off(A, -forkWidth, g), forkW, black);
  drawline(Am, off(Am, -forkWidth, g), forkW, black);
  drawwheel(F, frontLen * scale, frontWid * scale, ths, white);
  drawwheelline(F, frontLen * scale, frontWid * scale, ths, black);
}

void twowheeldrive(const Point& P, const Point& F, const Point& WL, const Point& WR, double th,
                   double ths, const Vec& h, const Vec& n, const Vec& g, const Vec& m,
                   const Color& c) {
  body(P, th, c);
  rearwheels(WL, WR, th, c);
  drawline(off(WL, -stubIn, n), off(WL, -stubOut, n), heavyW * scale, black);
  box(off(off(WL, -motorFar, n), -halfBox, h), th);
  drawline(off(WR, stubIn, n), off(WR, stubOut, n), heavyW * scale, black);
  box(off(off(WR, stubOut, n), -halfBox, h), th);
  Point C = off(F, -casterBack, g);
  drawwheel(C, frontLen * scale, frontWid * scale, ths, white);
  drawwheelline(C, frontLen * scale, frontWid * scale, ths, black);
  drawline(F, off(F, -stemLen, g), heavyW * scale, black);
  Point A = off(off(F, -stemLen, g), forkHalf, m);
  Point Am = off(A, -forkWidth, m);
  drawline(A, off(A, -casterArm, g), forkW, black);
  drawline(A, Am, forkW, black);
  drawline(off(Am, -casterArm, g), Am, forkW, black);
  drawdisc(F, pivotR * scale, white);
  drawcircle(F, pivotR * scale, black);
}

void frontdrive(const Point& P, const Point& F, const Point& WL, const Point& WR, double th,
                double ths, const Vec& g, const Vec& m, const Color& c) {
  drawline(WL, WR, heavyW * scale, black);
  body(P, th, c);
  rearwheels(WL, WR, th, c);
  steeredwheel(F, ths, g, m);
  drawline(off(F, shaftIn, m), off(F, shaftOut, m), heavyW * scale, black);
  box(off(off(F, shaftOut, m), -halfBox, g), ths);
}

void reardrive(const Point& P, const Point& F, const Point& WL, const Point& WR, double th,
               double ths, const Vec& h, const Vec& n, const Vec& g, const Vec& m, const Color& c) {
  body(P, th, c);
  drawline(WL, WR, heavyW * scale, black);
  rearwheels(WL, WR, th, c);
  Point D = off(off(P, -halfBox, n), -halfBox, h);
  box(D, th);
  drawline(D, off(off(D, boxSide, h), boxSide, n), forkW, black);
  drawline(off(D, boxSide, h), off(D, boxSide, n), forkW, black);
  drawline(off(P, rearShaft0, h), off(P, rearShaft1, h), heavyW * scale, black);
  box(off(off(P, rearShaft1, h), -halfBox, n), th);
  steeredwheel(F, ths, g, m);
}

}  // namespace

void drawagv(const Point& p, double th, double phi, const Color& c) {
  Point P = toscreen(p.x, p.y);
  double ths = th + phi;
  Vec h{std::cos(th), std::sin(th)};
  Vec n{-std::sin(th), std::cos(th)};
  Vec g{std::cos(ths), std::sin(ths)};
  Vec m{-std::sin(ths), std::cos(ths)};
  Point F = off(P, frontD, h);
  Point WL = off(P, halfTrack, n);
  Point WR = off(P, -halfTrack, n);
  if (agvType == 1) twowheeldrive(P, F, WL, WR, th, ths, h, n, g, m, c);
  if (agvType == 2) frontdrive(P, F, WL, WR, th, ths, g, m, c);
  if (agvType == 3) reardrive(P, F, WL, WR, th, ths, h, n, g, m, c);
  drawmark(p, pivotR, white);
}

}  // namespace agv
