// agvsim.plan_in_map: the search alone in a map, the path it finds and the poses along it.
#include <pybind11/numpy.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "agv/agv.h"
#include "python/module.h"

namespace py = pybind11;

namespace agvpy {

namespace {

// The exceptions of the search's refusals, by status (null: ValueError); created with the
// module, which holds them for as long as the interpreter runs.
PyObject* refusals[static_cast<int>(agv::SearchStatus::BadIndex) + 1];

// A path found in a map, with what it was searched with (for its poses and its pickle).
struct PyMapPath {
  agv::SearchResult r;
  agv::Params p;
  agv::Waypoint start, goal;
  py::object map;
};

// Asked by the search every so many expansions: a pending signal (Ctrl-C) stops it, its
// exception set.  The GIL is taken for the moment of the question.
bool signalled(void*) {
  py::gil_scoped_acquire gil;
  return PyErr_CheckSignals() != 0;
}

// The search, its arguments checked by the package, without the GIL; its buffers are kept by
// each thread for its next search.  A refusal raises the exception of its status with the reason.
PyMapPath plan(const py::object& map, const py::tuple& start, const py::tuple& goal,
               const py::object& params) {
  PyMapPath out{agv::SearchResult{}, paramsof(params), waypointof(start), waypointof(goal), map};
  const std::unique_ptr<agv::MapIndex> ix = indexof(map, out.p);
  if (ix == nullptr) throw py::type_error("map must be an agvsim.Map, not None");
  agv::SearchStatus s = agv::SearchStatus::Found;
  {
    py::gil_scoped_release free;
    thread_local agv::SearchWork work;
    s = agv::planInMap(out.p, *ix, out.start, out.goal, work, out.r, signalled, nullptr);
  }
  if (PyErr_Occurred() != nullptr) throw py::error_already_set();
  if (s == agv::SearchStatus::Found) return out;
  raiseas(refusals[static_cast<int>(s)], agv::searchreason(out.r, out.p));
}

// The path's segments as numpy records k, drive, len.
py::array segmentsof(const PyMapPath& m) {
  py::list fields;
  fields.append(py::make_tuple("k", "i4"));
  fields.append(py::make_tuple("drive", "i4"));
  fields.append(py::make_tuple("len", "f8"));
  const std::vector<agv::SearchSegment>& segs = m.r.segments;
  py::array a(py::dtype::from_args(fields), static_cast<py::ssize_t>(segs.size()));
  for (size_t i = 0; i < segs.size(); ++i) {
    auto* row = static_cast<char*>(a.mutable_data(static_cast<py::ssize_t>(i)));
    const std::int32_t k = segs[i].k, drive = segs[i].drive;
    std::memcpy(row, &k, sizeof k);
    std::memcpy(row + 4, &drive, sizeof drive);
    std::memcpy(row + 8, &segs[i].len, sizeof(double));
  }
  return a;
}

// The poses every ds along the path, without the GIL; ValueError for a bad ds.
py::array poses(const PyMapPath& m, double ds) {
  std::vector<agv::PlanPose> out;
  agv::Status s = agv::Status::Done;
  {
    py::gil_scoped_release free;
    s = agv::samplePath(m.r.segments, m.p, m.start, ds, out);
  }
  if (s != agv::Status::Done) throw py::value_error(agv::reason(agv::Refusal{s}, m.p));
  return posearray(out);
}

}  // namespace

void bindsearch(py::module_& m) {
  const std::pair<agv::SearchStatus, const char*> kinds[] = {
      {agv::SearchStatus::StartCollides, "StartCollides"},
      {agv::SearchStatus::GoalCollides, "GoalCollides"},
      {agv::SearchStatus::Unreachable, "Unreachable"},
      {agv::SearchStatus::ExpansionBound, "ExpansionBound"},
  };
  const py::object nopath = m.attr("NoPathInMap");  // a pass in a map raises it for them all
  for (const auto& [status, name] : kinds)
    refusals[static_cast<int>(status)] = exceptionclass(m, name, nopath);
  refusals[static_cast<int>(agv::SearchStatus::MemoryBound)] = m.attr("TooMuchMemory").ptr();

  py::class_<PyMapPath> c(m, "MapPath",
                          "A path found in a map by agvsim.plan_in_map: arcs of radius Ra and "
                          "lines, driven forward and (with reverse=1) backward, from the start pose "
                          "to the goal pose, free of the map's obstacles.");
  const auto number = [&c](const char* name, auto field, const char* doc) {
    c.def_property_readonly(name, [field](const PyMapPath& p) { return p.r.*field; }, doc);
  };
  number("cost", &agv::SearchResult::cost,
         "the cost, as the planner counts it: forward length + reverseCost x backward length + "
         "cuspCost per cusp [m]");
  number("length", &agv::SearchResult::length, "the length [m]");
  number("cusps", &agv::SearchResult::cusps, "the changes of driving direction");
  number("expansions", &agv::SearchResult::expansions, "the nodes the search expanded");
  number("seconds", &agv::SearchResult::seconds, "the search's time, its grid distances included [s]");
  number("step", &agv::SearchResult::step,
         "the length of a move of the search [m] (searchStep, or the automatic one)");
  for (const auto& [name, end] : {std::pair{"start", &PyMapPath::start}, {"goal", &PyMapPath::goal}})
    c.def_property_readonly(name, [end](const PyMapPath& p) { return waypoint(p.*end); },
                            "the pose as given: x [m], y [m], th [deg]");
  c.def_property_readonly("segments", &segmentsof,
                          "the segments in driving order: numpy records k (+1 left arc, 0 line, -1 "
                          "right arc), drive (+1 forward, -1 backward), len [m]")
      .def("_poses", &poses, py::arg("ds"))
      .def("__reduce__", [](const PyMapPath& p) {
        return py::make_tuple(py::module_::import("agvsim").attr("_remake_plan_in_map"),
                              py::make_tuple(p.map, waypoint(p.start), waypoint(p.goal),
                                             py::cast(p.p)));
      })
      .def("__repr__", [](const PyMapPath& p) {
        return "<agvsim.MapPath of " + py::repr(py::float_(p.r.length)).cast<std::string>() +
               " m: " + std::to_string(p.r.segments.size()) + " segments, " +
               std::to_string(p.r.cusps) + " cusps>";
      });
  m.def("_plan_in_map", &plan, py::arg("map"), py::arg("start"), py::arg("goal"),
        py::arg("params"));
}

}  // namespace agvpy
