#include "render/agvfig.h"

#include <cmath>

#include "agv/types.h"

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

// The canvas of the figure and its screen units per metre: the zoom, with the figure scaled
// so that its front point lies one wheel base ahead of the reference point.
struct Fig {
  Canvas& cv;
  double z;
};

// a + d * u, with the length d [m] zoomed.
Point off(const Fig& f, const Point& a, double d, const Vec& u) {
  return {a.x + d * f.z * u.x, a.y + d * f.z * u.y};
}

void body(const Fig& f, const Point& P, double th, const Color& c) {
  drawbody(f.cv, P, bodyL * f.z, bodyW * f.z, bodyB * f.z, noseDeg * DEG2RAD, th, c);
}

void rearwheels(const Fig& f, const Point& WL, const Point& WR, double th, const Color& c) {
  drawwheel(f.cv, WL, rearLen * f.z, rearWid * f.z, th, c);
  drawwheel(f.cv, WR, rearLen * f.z, rearWid * f.z, th, c);
}

// White box with a black outline.
void box(const Fig& f, const Point& corner, double ang) {
  drawrect(f.cv, corner, boxSide * f.z, boxSide * f.z, ang, white);
  drawrectline(f.cv, corner, boxSide * f.z, boxSide * f.z, ang, black);
}

// Pivot, fork and wheel of the steered front wheel (types 2 and 3).
void steeredwheel(const Fig& f, const Point& F, double ths, const Vec& g, const Vec& m) {
  drawhalfdisc(f.cv, F, pivotR * f.z, ths - PI_2, white);
  drawhalfarc(f.cv, F, pivotR * f.z, ths - PI_2, black);
  Point A = off(f, off(f, F, forkHalf, m), forkHalf, g);
  Point Am = off(f, A, -forkWidth, m);
  drawline(f.cv, A, off(f, A, -forkWidth, g), forkW, black);
  drawline(f.cv, Am, off(f, Am, -forkWidth, g), forkW, black);
  drawwheel(f.cv, F, frontLen * f.z, frontWid * f.z, ths, white);
  drawwheelline(f.cv, F, frontLen * f.z, frontWid * f.z, ths, black);
}

void twowheeldrive(const Fig& f, const Point& P, const Point& F, const Point& WL, const Point& WR, double th,
                   double ths, const Vec& h, const Vec& n, const Vec& g, const Vec& m,
                   const Color& c) {
  body(f, P, th, c);
  rearwheels(f, WL, WR, th, c);
  drawline(f.cv, off(f, WL, -stubIn, n), off(f, WL, -stubOut, n), heavyW * f.z, black);
  box(f, off(f, off(f, WL, -motorFar, n), -halfBox, h), th);
  drawline(f.cv, off(f, WR, stubIn, n), off(f, WR, stubOut, n), heavyW * f.z, black);
  box(f, off(f, off(f, WR, stubOut, n), -halfBox, h), th);
  Point C = off(f, F, -casterBack, g);
  drawwheel(f.cv, C, frontLen * f.z, frontWid * f.z, ths, white);
  drawwheelline(f.cv, C, frontLen * f.z, frontWid * f.z, ths, black);
  drawline(f.cv, F, off(f, F, -stemLen, g), heavyW * f.z, black);
  Point A = off(f, off(f, F, -stemLen, g), forkHalf, m);
  Point Am = off(f, A, -forkWidth, m);
  drawline(f.cv, A, off(f, A, -casterArm, g), forkW, black);
  drawline(f.cv, A, Am, forkW, black);
  drawline(f.cv, off(f, Am, -casterArm, g), Am, forkW, black);
  drawdisc(f.cv, F, pivotR * f.z, white);
  drawcircle(f.cv, F, pivotR * f.z, black);
}

void frontdrive(const Fig& f, const Point& P, const Point& F, const Point& WL, const Point& WR, double th,
                double ths, const Vec& g, const Vec& m, const Color& c) {
  drawline(f.cv, WL, WR, heavyW * f.z, black);
  body(f, P, th, c);
  rearwheels(f, WL, WR, th, c);
  steeredwheel(f, F, ths, g, m);
  drawline(f.cv, off(f, F, shaftIn, m), off(f, F, shaftOut, m), heavyW * f.z, black);
  box(f, off(f, off(f, F, shaftOut, m), -halfBox, g), ths);
}

void reardrive(const Fig& f, const Point& P, const Point& F, const Point& WL, const Point& WR, double th,
               double ths, const Vec& h, const Vec& n, const Vec& g, const Vec& m, const Color& c) {
  body(f, P, th, c);
  drawline(f.cv, WL, WR, heavyW * f.z, black);
  rearwheels(f, WL, WR, th, c);
  Point D = off(f, off(f, P, -halfBox, n), -halfBox, h);
  box(f, D, th);
  drawline(f.cv, D, off(f, off(f, D, boxSide, h), boxSide, n), forkW, black);
  drawline(f.cv, off(f, D, boxSide, h), off(f, D, boxSide, n), forkW, black);
  drawline(f.cv, off(f, P, rearShaft0, h), off(f, P, rearShaft1, h), heavyW * f.z, black);
  box(f, off(f, off(f, P, rearShaft1, h), -halfBox, n), th);
  steeredwheel(f, F, ths, g, m);
}

}  // namespace

void drawagv(Canvas& cv, const View& v, int type, double Lw, const Point& p, double th, double phi,
             const Color& c) {
  const double size = Lw / frontD;
  const Fig f{cv, v.scale * size};
  Point P = toscreen(v, p.x, p.y);
  double ths = th + phi;
  Vec h{std::cos(th), std::sin(th)};
  Vec n{-std::sin(th), std::cos(th)};
  Vec g{std::cos(ths), std::sin(ths)};
  Vec m{-std::sin(ths), std::cos(ths)};
  Point F = off(f, P, frontD, h);
  Point WL = off(f, P, halfTrack, n);
  Point WR = off(f, P, -halfTrack, n);
  if (type == 1) twowheeldrive(f, P, F, WL, WR, th, ths, h, n, g, m, c);
  if (type == 2) frontdrive(f, P, F, WL, WR, th, ths, g, m, c);
  if (type == 3) reardrive(f, P, F, WL, WR, th, ths, h, n, g, m, c);
  drawmark(cv, v, p, pivotR * size, white);
}

}  // namespace agv
