// The parameters of a simulation: the vehicle and the time steps.
//
// A Params value is the model of every pass: fill it in (the defaults are the
// simulator's own vehicle), check it, and hand it to the passes of
// agv/ptp.h and agv/cp.h.  Nothing in the library changes it.
#pragma once

#include <string>
#include <string_view>

namespace agv {

struct Params {
  double Vmax = 1.0;       // running speed of the AGV [m/s]
  double steerRate = 2.0;  // steering speed of the steered wheel [rad/s]
  double Ra = 1.0;         // minimum turning radius [m]
  double Lw = 1.0;         // wheel base [m]
  double dt = 0.02;        // time step of the PTP runs [s]
  double dtCP = 0.02;      // time step of the CP runs [s]
  int maxSteps = 3000;     // step capacity: a run of maxSteps time steps or more is refused
  int threeArcs = 0;       // 1: the planner also tries the three-arc joins
  int maxMemory = 1024;    // largest memory the records of a pass may take [MiB]
  // A fourth AGV, the tracked one, steered by a controller from its own pose against the path
  // (opt-in: none of it runs, and none of it is listed, while controller is 0).
  int controller = 0;      // 0 none, 1 pure pursuit, 2 Stanley, 3 rear-wheel feedback
  double Ld = 1.0;         // pure pursuit: lookahead distance [m]
  double kLd = 0.0;        // pure pursuit: lookahead growth with the speed, Ld + kLd v [s]
  double kStanley = 0.5;   // Stanley: gain of the cross-track error [1/s]
  double kTheta = 1.0;     // rear-wheel feedback: gain of the heading error [1/m]
  double kE = 0.5;         // rear-wheel feedback: gain of the cross-track error [1/m^2]
  double offsetX = 0.0;    // start of the tracked AGV off the path's start, ahead [m]
  double offsetY = 0.0;    // ... to the left [m]
  double offsetTh = 0.0;   // ... turned [deg]
  // PTP paths that may back up (opt-in: listed only where not the default): the path of least
  // cost of arcs of radius Ra and lines, forward or backward; cost = forward length +
  // reverseCost x backward length + cuspCost x changes of direction.
  int reverse = 0;           // 1: paths may back up
  double reverseCost = 1.0;  // factor on the length driven backward
  double cuspCost = 0.0;     // metres added for each change of direction [m]
  // The vehicle's body in a map (opt-in: listed only where not the default): a rectangle about
  // the reference point, bodyFront ahead of it, bodyRear behind and bodyWidth across, grown by
  // clearance on every side; and how the map's unknown cells count.
  double bodyFront = 1.0;  // the body's reach ahead of the reference point [m]
  double bodyRear = 0.2;   // ... behind it [m]
  double bodyWidth = 1.0;  // the body's width [m]
  double clearance = 0.0;  // safety margin added on every side [m]
  int unknownFree = 0;     // 1: unknown cells of a map count as free (0: as occupied)
};

// The controllers of the tracked AGV (Params::controller).
enum Controller : int { NoController = 0, PurePursuit = 1, Stanley = 2, RearWheel = 3 };

// One parameter: its name, unit, allowed values lo ... hi (whole numbers
// only where `whole`), what it is, whether it belongs to an opt-in capability
// (listed in reports, parameter files and sweep columns only where it is not
// its default), and the names of its values lo, lo + 1, ... ("" where they
// have none; comma-separated).
struct ParamInfo {
  const char* name;
  const char* unit;
  double lo;
  double hi;
  bool whole;
  const char* about;
  bool optin;
  const char* names;
};

// Parameter i = 0 ... nParams - 1, in the order above.
inline constexpr int nParams = 26;
ParamInfo paraminfo(int i);

// The value of parameter `name` that `text` names (controller: none,
// purepursuit, stanley, rearwheel); NaN where it names none.
double paramvalue(std::string_view name, std::string_view text);

// The name of value v of parameter `name`; empty where its values have no names.
std::string paramname(std::string_view name, double v);

// Whether parameter i of p is listed: always, but an opt-in one only where it
// is not its default.
bool listed(const Params& p, int i);

// What setparam found.
enum class ParamCheck { Ok, UnknownName, OutOfRange };

// Sets the parameter `name` to `value` when the name is known and the value
// within its range; otherwise p is left as it was.
ParamCheck setparam(Params& p, std::string_view name, double value);

// The value of the parameter `name` (NaN for an unknown name).
double getparam(const Params& p, std::string_view name);

// Empty when every parameter is within its range; otherwise one English line
// naming the first parameter that is not, and its allowed range.
std::string checkparams(const Params& p);

// The line of setparam's refusal of `value` for `name`.
std::string paramerror(std::string_view name, double value);

// True when every parameter has its default value.
bool isdefault(const Params& p);

}  // namespace agv
