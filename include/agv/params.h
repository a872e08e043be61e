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
};

// One parameter: its name, unit, allowed values lo ... hi (whole numbers
// only where `whole`) and what it is.
struct ParamInfo {
  const char* name;
  const char* unit;
  double lo;
  double hi;
  bool whole;
  const char* about;
};

// Parameter i = 0 ... nParams - 1, in the order above.
inline constexpr int nParams = 9;
ParamInfo paraminfo(int i);

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
