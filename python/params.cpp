// agvsim.Params: the parameters of the library by keyword, each checked for its type
// (TypeError) and its range (ValueError), naming the parameter.
#include <cmath>
#include <cstdio>
#include <string>

#include "agv/params.h"
#include "python/module.h"

namespace py = pybind11;

namespace agvpy {

namespace {

constexpr size_t kShownDigits = 24;  // the digits of a huge number that a message shows

// One parameter given to Params(...) or set on it: its value checked for its type (TypeError)
// and its range (ValueError).
void setone(agv::Params& p, const std::string& name, py::handle v) {
  int i = 0;
  while (i < agv::nParams && name != agv::paraminfo(i).name) ++i;
  std::string names;
  for (int k = 0; k < agv::nParams; ++k) names += std::string(k ? ", " : "") + agv::paraminfo(k).name;
  if (i == agv::nParams)
    throw py::type_error("Params has no parameter " + name + " (the parameters: " + names + ")");
  const agv::ParamInfo info = agv::paraminfo(i);
  // A value by its name: controller="stanley".
  if (*info.names != '\0' && py::isinstance<py::str>(v)) {
    const double named = agv::paramvalue(name, v.cast<std::string>());
    if (std::isnan(named))
      throw py::value_error(name + " is one of " + info.names + " (or its number " +
                            std::to_string(static_cast<long>(info.lo)) + " ... " +
                            std::to_string(static_cast<long>(info.hi)) + "), not " +
                            py::repr(v).cast<std::string>());
    agv::setparam(p, name, named);
    return;
  }
  const bool isbool = py::isinstance<py::bool_>(v);
  const bool isswitch = info.whole && info.lo == 0.0 && info.hi == 1.0;
  const std::string number =
      name + " must be a number" + (*info.unit ? std::string(" [") + info.unit + "]" : "");
  if ((isbool && !isswitch) || (!py::isinstance<py::float_>(v) && !py::isinstance<py::int_>(v) &&
                                !py::hasattr(v, "__float__")))
    throw py::type_error(number + ", not " + typename_of(v));
  // An int too large for a double is out of range; a value that float() refuses otherwise (a
  // numpy array of two numbers, an object whose __float__ raises) is no number.
  const py::object f = py::reinterpret_steal<py::object>(PyNumber_Float(v.ptr()));
  if (!f) {
    const bool overflow = PyErr_ExceptionMatches(PyExc_OverflowError) != 0;
    PyErr_Clear();
    if (!overflow) throw py::type_error(number + ", not " + py::repr(v).cast<std::string>());
    // The range, then the value as Python writes it, cut short: it has hundreds of digits.
    std::string why = agv::paramerror(name, INFINITY);
    std::string given = py::repr(v).cast<std::string>();
    if (given.size() > kShownDigits) given = given.substr(0, kShownDigits) + "...";
    throw py::value_error(why.substr(0, why.rfind(", not ")) + ", not " + given);
  }
  const double value = PyFloat_AS_DOUBLE(f.ptr());
  if (info.whole && std::isfinite(value) && value != std::floor(value))
    throw py::type_error(name + " takes a whole number, not " + py::repr(v).cast<std::string>());
  if (agv::setparam(p, name, value) != agv::ParamCheck::Ok)
    throw py::value_error(agv::paramerror(name, value));
}

// Docstring of a property: what it is and its unit.
std::string doc(const std::string& what, const char* unit) {
  return *unit != '\0' ? what + " [" + unit + "]" : what;
}

// A parameter's value as Python shows it: a whole number as int.
py::object value(const agv::Params& p, const char* name) {
  const double v = agv::getparam(p, name);
  for (int i = 0; i < agv::nParams; ++i)
    if (std::string(name) == agv::paraminfo(i).name && agv::paraminfo(i).whole)
      return py::int_(static_cast<long>(v));
  return py::float_(v);
}

}  // namespace

std::string typename_of(py::handle v) {
  return py::str(py::type::of(v).attr("__name__")).cast<std::string>();
}

// The parameters given, or the defaults.
agv::Params paramsof(const py::object& p) {
  if (p.is_none()) return agv::Params{};
  if (!py::isinstance<agv::Params>(p))
    throw py::type_error("params must be an agvsim.Params or None, not " + typename_of(p));
  return p.cast<agv::Params>();
}

void bindparams(py::module_& m) {
  std::string paramdoc =
      "The vehicle and the time steps of a pass, given by keyword, each checked against its\n"
      "range (a value outside it raises ValueError, a value of another type TypeError):\n";
  for (int i = 0; i < agv::nParams; ++i) {
    const agv::ParamInfo info = agv::paraminfo(i);
    char line[200];
    std::snprintf(line, sizeof line, "  %-10s %s%s%s%s, %.15g ... %.15g%s%s%s\n", info.name,
                  info.about, *info.unit ? " [" : "", info.unit, *info.unit ? "]" : "", info.lo,
                  info.hi, info.whole ? ", whole" : "", *info.names ? ": " : "", info.names);
    paramdoc += line;
  }
  paramdoc += "Params() is the simulator's own vehicle.  Params pickle and compare by value.";
  py::class_<agv::Params> pc(m, "Params", paramdoc.c_str());
  pc.def(py::init([](const py::args& args, const py::kwargs& kw) {
           if (!args.empty())
             throw py::type_error("Params takes its parameters by keyword: Params(Lw=0.8)");
           agv::Params p;
           for (const auto& [k, v] : kw) setone(p, py::str(k).cast<std::string>(), v);
           return p;
         }))
      .def("__repr__",
           [](const agv::Params& p) {
             std::string s = "agvsim.Params(";
             for (int i = 0; i < agv::nParams; ++i) {
               if (!agv::listed(p, i)) continue;
               const char* name = agv::paraminfo(i).name;
               const std::string named = agv::paramname(name, agv::getparam(p, name));
               s += std::string(i ? ", " : "") + name + "=" +
                    (!named.empty() ? "'" + named + "'"
                                    : py::str(value(p, name)).cast<std::string>());
             }
             return s + ")";
           })
      .def("__eq__",
           [](const agv::Params& a, const py::object& o) {
             if (!py::isinstance<agv::Params>(o)) return false;
             const agv::Params b = o.cast<agv::Params>();
             for (int i = 0; i < agv::nParams; ++i) {
               const char* name = agv::paraminfo(i).name;
               if (agv::getparam(a, name) != agv::getparam(b, name)) return false;
             }
             return true;
           })
      .def(py::pickle(
          [](const agv::Params& p) {
            py::dict d;
            for (int i = 0; i < agv::nParams; ++i)
              d[agv::paraminfo(i).name] = value(p, agv::paraminfo(i).name);
            return d;
          },
          [](const py::dict& d) {
            agv::Params p;
            for (const auto& [k, v] : d) setone(p, py::str(k).cast<std::string>(), v);
            return p;
          }));
  pc.attr("__hash__") = py::none();
  // Each parameter a property.
  for (int i = 0; i < agv::nParams; ++i) {
    const agv::ParamInfo info = agv::paraminfo(i);
    const std::string name = info.name;
    pc.def_property(
        name.c_str(), [name](const agv::Params& p) { return value(p, name.c_str()); },
        [name](agv::Params& p, py::handle v) { setone(p, name, v); },
        doc(info.about, info.unit).c_str());
  }
}

}  // namespace agvpy
