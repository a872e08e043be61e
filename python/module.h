// What the files of the compiled module agvsim._agvsim share: the parameters from Python,
// and the bindings each file adds to the module.
#pragma once

#include <pybind11/pybind11.h>

#include <memory>
#include <string>

#include "agv/map.h"
#include "agv/params.h"

namespace agvpy {

// The name of a Python value's type, for the messages of TypeError.
std::string typename_of(pybind11::handle v);

// The parameters given (an agvsim.Params), or the defaults for None; TypeError otherwise.
agv::Params paramsof(const pybind11::object& p);

// The map given (an agvsim.Map), or nullptr for None; TypeError otherwise.
std::shared_ptr<const agv::Map> mapof(const pybind11::object& m);

// The classes and functions of each file: agvsim.Params; agvsim.Map; plans alone and the
// poses along them; the pictures and videos of results.
void bindparams(pybind11::module_& m);
void bindmap(pybind11::module_& m);
void bindplans(pybind11::module_& m);
void bindpictures(pybind11::module_& m);

}  // namespace agvpy
