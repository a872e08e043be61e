// What the files of the compiled module agvsim._agvsim share: the parameters from Python,
// and the bindings each file adds to the module.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <memory>
#include <string>
#include <vector>

#include "agv/map.h"
#include "agv/params.h"
#include "agv/ptp.h"
#include "agv/types.h"

namespace agvpy {

// The name of a Python value's type, for the messages of TypeError.
std::string typename_of(pybind11::handle v);

// The parameters given (an agvsim.Params), or the defaults for None; TypeError otherwise.
agv::Params paramsof(const pybind11::object& p);

// The map given (an agvsim.Map), or nullptr for None; TypeError otherwise.
std::shared_ptr<const agv::Map> mapof(const pybind11::object& m);

// A new exception class agvsim.NAME of the bases given (a class or a tuple), held by module m
// for as long as the interpreter runs.
PyObject* exceptionclass(pybind11::module_& m, const char* name, const pybind11::object& bases);

// The exception cls raised with the reason why (ValueError where cls is null).
[[noreturn]] void raiseas(PyObject* cls, const std::string& why);

// A pose as the passes take it, from a tuple (x [m], y [m], th [deg]) and back.
agv::Waypoint waypointof(const pybind11::tuple& t);
pybind11::tuple waypoint(const agv::Waypoint& w);

// The index of the map given (an agvsim.Map) for the body of p, built without the GIL; none
// for None.  ValueError for parameters out of their ranges.
std::unique_ptr<agv::MapIndex> indexof(const pybind11::object& map, const agv::Params& p);

// Poses along a path as a numpy array of records x [m], y [m], th [rad], drive (+1, -1), s [m].
pybind11::array posearray(const std::vector<agv::PlanPose>& poses);

// The classes and functions of each file: agvsim.Params; agvsim.Map; plans alone and the
// poses along them; plans in a map; the pictures and videos of results.
void bindparams(pybind11::module_& m);
void bindmap(pybind11::module_& m);
void bindplans(pybind11::module_& m);
void bindsearch(pybind11::module_& m);
void bindpictures(pybind11::module_& m);

}  // namespace agvpy
