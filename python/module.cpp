// agvsim._agvsim: the planner and the runs of the library for the Python package agvsim, their
// records as numpy arrays.  A pass runs without the GIL, so Python threads run passes side by
// side.  The package (python/agvsim/__init__.py) checks the arguments of its functions and
// numbers the mechanisms; this module does the rest.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "agv/agv.h"
#include "python/module.h"
#include "python/pool.h"

namespace py = pybind11;
using agvpy::indexof;
using agvpy::mapof;
using agvpy::paramsof;
using agvpy::waypoint;
using agvpy::waypointof;
using agvpy::pool;

namespace {

// The exceptions of the refusals, by status; created with the module, which holds them for
// as long as the interpreter runs.
PyObject* refusals[static_cast<int>(agv::Status::BadPath) + 1];

const char* const kFields[] = {"t", "s", "th", "x", "y", "phi", "kap", "u"};

// The numpy type of a record: its doubles by name at their offsets.
template <class R>
py::dtype recordtype(int fields) {
  const R r{};
  const char* base = reinterpret_cast<const char*>(&r);
  const double* at[8] = {&r.t, &r.s, &r.th, &r.x, &r.y, &r.phi, &r.kap, nullptr};
  if constexpr (std::is_same_v<R, agv::CurveRecord>) at[7] = &r.u;
  py::list names, formats, offsets;
  for (int i = 0; i < fields; ++i) {
    names.append(kFields[i]);
    formats.append("<f8");
    offsets.append(reinterpret_cast<const char*>(at[i]) - base);
  }
  return py::dtype::from_args(py::dict(py::arg("names") = names, py::arg("formats") = formats,
                                       py::arg("offsets") = offsets,
                                       py::arg("itemsize") = sizeof(R)));
}

// The numpy type of the values of a vector: records by field, the rows of an arc-length
// table, or plain numbers.  Made once and kept to the end of the interpreter.
template <class T>
const py::dtype& typeof() {
  static const py::dtype* type = [] {
    if constexpr (std::is_same_v<T, agv::TabRow>) {
      return new py::dtype(py::dtype::from_args(py::dict(
          py::arg("names") = py::make_tuple("u", "s", "d", "part"),
          py::arg("formats") = py::make_tuple("<f8", "<f8", "<f8", "?"),
          py::arg("offsets") = py::make_tuple(offsetof(agv::TabRow, u), offsetof(agv::TabRow, s),
                                              offsetof(agv::TabRow, d), offsetof(agv::TabRow, part)),
          py::arg("itemsize") = sizeof(agv::TabRow))));
    } else if constexpr (std::is_base_of_v<agv::Record, T>) {
      return new py::dtype(recordtype<T>(std::is_same_v<T, agv::CurveRecord> ? 8 : 7));
    } else {
      return new py::dtype(py::dtype::of<T>());
    }
  }();
  return *type;
}

// The values of a vector as a numpy array that reads them where they are, and cannot write
// them; `owner` keeps them.
template <class T>
py::array view(const std::vector<T>& v, py::handle owner) {
  py::array a(typeof<T>(), {static_cast<py::ssize_t>(v.size())},
              {static_cast<py::ssize_t>(sizeof(T))}, v.data(), owner);
  a.attr("setflags")(py::arg("write") = false);
  return a;
}

// A pass that did not finish: the exception of its refusal, with the reason as the message
// (ValueError for a misuse).
[[noreturn]] void raise(agv::Status status, const std::string& why) {
  agvpy::raiseas(refusals[static_cast<int>(status)], why);
}

// A pose: x, y [m] and the heading th [rad].
struct PyPose {
  double x, y, th;
};
PyPose pose(const agv::Pose& p) { return PyPose{p.x, p.y, p.th}; }

// The runs of one mechanism on one path (the arc-line or the clothoid-line path of a pass or a
// route, or a CP curve), as Python sees them; the result they belong to is kept with them.
// What a run of that kind has not is null.
struct PyRuns {
  std::shared_ptr<const void> owner;
  agv::Mechanism m = agv::Mechanism::M2DW1C;
  const char* path = "";
  const std::vector<agv::Record>* ref = nullptr;
  const std::vector<agv::CurveRecord>* curve = nullptr;  // a CP reference, with u
  const std::vector<agv::Record>* cv = nullptr;
  const std::vector<agv::Record>* err = nullptr;
  const std::vector<agv::Record>* vv = nullptr;
  const std::vector<agv::Record>* tr = nullptr;
  const std::vector<double>* xte = nullptr;
  const std::vector<int>* leg = nullptr;
  const std::vector<int>* vleg = nullptr;
  int NN = -1;     // a CP run's last record
  double T = NAN;  // and its duration
};

// True for the results of CP passes: a curve's or a track's.
template <class R>
constexpr bool cpresult = std::is_base_of_v<agv::CpResult, R>;

// The runs of the three mechanisms of a result on path b (0 arc-line, 1 clothoid-line; a CP
// pass has its curve alone).
template <class R>
std::vector<PyRuns> runsof(const std::shared_ptr<R>& r, int b) {
  std::vector<PyRuns> out;
  for (agv::Mechanism m : agv::kMechanisms) {
    PyRuns x;
    x.owner = r;
    x.m = m;
    const auto every = [&x](const auto& c) {  // what the runs of every kind have
      x.cv = &c.cv;
      x.err = &c.err;
      x.tr = &c.tr;
      x.xte = &c.xte;
    };
    if constexpr (cpresult<R>) {
      every(r->runs(m));
      x.path = std::is_same_v<R, agv::TrackResult> ? "track" : "curve";
      x.curve = &r->runs(m).ref;
      x.NN = r->NN[agv::index(m)];
      x.T = r->TCP[agv::index(m)];
    } else {
      const auto& c = b == 0 ? r->arcruns(m) : r->clruns(m);
      every(c);
      x.path = b == 0 ? "arc-line path" : "clothoid-line path";
      x.ref = &c.ref;
      x.vv = &c.vv;
      if constexpr (std::is_same_v<R, agv::RouteResult>) {
        x.leg = &c.leg;
        x.vleg = &c.vleg;
      }
    }
    out.push_back(x);
  }
  return out;
}

// The first n values of a path's segments as a tuple.
template <class T>
py::tuple segments(const std::vector<T>& v, int n) {
  py::tuple t(n);
  for (int j = 0; j < n; ++j) t[j] = v[j];
  return t;
}

// A summary as a dict, by the column titles of agvbatch's files: whole numbers as int, a value
// the row has not as NaN.
template <class... Leg>
py::dict summary(agv::Table t, const auto& r, Leg... leg) {
  const agv::Features f = agv::features(r);
  std::vector<double> v;
  agv::values(r, leg..., f, v);
  const std::vector<agv::Column> cols = agv::columns(t, f);
  py::dict d;
  for (size_t i = 0; i < cols.size(); ++i)
    d[py::str(cols[i].title())] = cols[i].whole && !std::isnan(v[i])
                                      ? py::object(py::int_(static_cast<long>(v[i])))
                                      : py::object(py::float_(v[i]));
  return d;
}

// A pass in its two stages, each without the GIL; between them a pending signal (Ctrl-C)
// raises its exception.  A pass that does not finish raises with the reason why() gives.
template <class R, class Plan, class Run, class Why>
std::shared_ptr<R> stages(Plan plan, Run run, Why why) {
  std::shared_ptr<R> r = pool<R>().get();
  agv::Status s;
  {
    py::gil_scoped_release free;
    s = plan(*r);
  }
  if (s == agv::Status::Done) {
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    py::gil_scoped_release free;
    s = run(*r);
  }
  if (s != agv::Status::Done) raise(r->refusal.status, why(*r));
  return r;
}

// A pass's run stage, then the contacts of its paths and runs in the map of ix, if any.
template <class R>
agv::Status contacted(agv::Status s, const agv::MapIndex* ix, R& r) {
  if (s == agv::Status::Done && ix != nullptr) agv::findcontacts(*ix, r);
  return s;
}

// A result of Python, holding the map it was driven in (for its pictures and its pickle).
template <class R>
py::object mapped(std::shared_ptr<R> r, const py::object& map) {
  py::object o = py::cast(std::move(r));
  o.attr("_map") = map;
  return o;
}

// The passes, their arguments checked by the package.
py::object ptp(const py::tuple& start, const py::tuple& end, const py::object& params,
               const py::object& map) {
  const agv::Params p = paramsof(params);
  const agv::Waypoint a = waypointof(start), b = waypointof(end);
  const std::unique_ptr<agv::MapIndex> ix = indexof(map, p);
  return mapped(stages<agv::PtpResult>(
      // In a map the path is searched round its obstacles.
      [&](agv::PtpResult& r) { return ix ? agv::planPTP(p, a, b, *ix, r) : agv::planPTP(p, a, b, r); },
      [&](agv::PtpResult& r) { return contacted(agv::runPTP(r), ix.get(), r); },
      [&](const agv::PtpResult& r) { return agv::reason(r.refusal, p); }), map);
}

py::object route(const std::vector<py::tuple>& waypoints, const py::object& params,
                 const py::object& map) {
  const agv::Params p = paramsof(params);
  std::vector<agv::Waypoint> w;
  w.reserve(waypoints.size());
  for (const py::tuple& t : waypoints) w.push_back(waypointof(t));
  const std::unique_ptr<agv::MapIndex> ix = indexof(map, p);
  return mapped(stages<agv::RouteResult>(
      [&](agv::RouteResult& r) { return ix ? agv::planRoute(p, w, *ix, r) : agv::planRoute(p, w, r); },
      [&](agv::RouteResult& r) { return contacted(agv::runRoute(r), ix.get(), r); },
      [](const agv::RouteResult& r) { return agv::reason(r); }), map);
}

// A CP pass into a result of type R, held with the map it was driven in: planned by plan, its
// runs by runs where `run` asks for them, then their contacts with the map, if any.
template <class R, class Plan>
py::object curvepass(const agv::Params& p, Plan plan, agv::Status (*runs)(R&), bool run,
                     const py::object& map) {
  const std::unique_ptr<agv::MapIndex> ix = run ? indexof(map, p) : nullptr;
  return mapped(stages<R>(
      plan, [&](R& r) { return run ? contacted(runs(r), ix.get(), r) : agv::Status::Done; },
      [&](const R& r) { return agv::reason(r.refusal, p); }), map);
}

py::object cp(int curve, double a, double b, const py::object& params, bool run,
              const py::object& map) {
  const agv::Params p = paramsof(params);
  const agv::Curve k{curve, a, b};
  return curvepass<agv::CpResult>(
      p, [&](agv::CpResult& r) { return agv::planCP(p, k, r); }, agv::runCP, run, map);
}

// The track through the points of an array of n rows x, y [m], with the headings th0 and thf
// [deg] at its ends where they are not None.
agv::Track trackof(const py::array_t<double, py::array::c_style | py::array::forcecast>& points,
                   const py::object& th0, const py::object& thf) {
  if (points.ndim() != 2 || points.shape(1) != 2) throw py::value_error("track: n rows of x, y");
  agv::Track t;
  const auto p = points.unchecked<2>();
  for (py::ssize_t i = 0; i < p.shape(0); ++i) t.points.push_back({p(i, 0), p(i, 1)});
  if (!th0.is_none()) t.th0Deg = th0.cast<double>();
  if (!thf.is_none()) t.thfDeg = thf.cast<double>();
  return t;
}

py::object track(
    const py::array_t<double, py::array::c_style | py::array::forcecast>& points,
    const py::object& th0, const py::object& thf, const py::object& params, bool run,
    const py::object& map) {
  const agv::Params p = paramsof(params);
  const agv::Track t = trackof(points, th0, thf);
  return curvepass<agv::TrackResult>(
      p, [&](agv::TrackResult& r) { return agv::planTrack(p, t, r); }, agv::runTrack, run, map);
}

// One leg of a route: its plan, kept by the route.
struct PyLeg {
  std::shared_ptr<agv::RouteResult> r;
  int i;
  py::object map;  // the route's map, or None
  const agv::PtpResult& plan() const { return r->legs[static_cast<size_t>(i)]; }
};

// A result pickles as what made it: unpickling runs the same pass again (a leg: its route),
// which gives the same values, bit for bit.
py::tuple remade(const char* how, const py::tuple& args) {
  return py::make_tuple(py::module_::import("agvsim").attr(how), args);
}
py::list waypointsof(const agv::RouteResult& r) {
  py::list w;
  for (const agv::Waypoint& p : r.waypoints) w.append(waypoint(p));
  return w;
}

// The properties of a planned path, on a class whose objects give their plan by `plan`.
template <class T, class Class, class Plan>
void pathproperties(Class& c, Plan plan) {
  const auto prop = [&c, plan](const char* name, auto get, const char* what) {
    c.def_property_readonly(name, [plan, get](const T& t) { return get(plan(t)); }, what);
  };
  using R = const agv::PtpResult&;
  prop("start", [](R r) { return waypoint(r.start); },
       "the start pose asked for: x [m], y [m], th_deg [deg], as it was given");
  prop("end", [](R r) { return waypoint(r.end); },
       "the end pose asked for: x [m], y [m], th_deg [deg], as it was given");
  prop("row", [](R r) { return r.path.krow; },
       "the adopted join (12, 13: three arcs; -1: a path that may back up)");
  prop("sgnK", [](R r) { return segments(r.path.sgnK, r.path.nseg); },
       "curvature direction of each segment: +1 left, 0 line, -1 right");
  prop("drive", [](R r) { return segments(r.path.drive, r.path.nseg); },
       "driving direction of each segment: +1 forward, -1 backward");
  prop("cusps", [](R r) { return r.path.cusps(); }, "the changes of driving direction");
  prop("s", [](R r) { return segments(r.path.s, r.path.nseg); },
       "segment lengths of the arc-line path [m]");
  prop("sf", [](R r) { return r.path.sf; }, "length of the arc-line path [m]");
  prop("Rarc", [](R r) { return r.path.Rarc; }, "radius of its arcs [m]");
  prop("phiArc", [](R r) { return r.path.phiArc; }, "steering angle on its arcs [rad]");
  prop("phiArc_deg", [](R r) { return r.path.phiArc * agv::RAD2DEG; },
       "steering angle on its arcs [deg]");
  prop("P0", [](R r) { return pose(r.path.P0); },
       "start pose (a Pose: x, y [m], th [rad], th_deg [deg])");
  // A joint the path has not is a pose of zeros.
  const auto joint = [](R r, size_t j) { return pose(j < r.path.Pj.size() ? r.path.Pj[j] : agv::Pose{}); };
  prop("P1", [joint](R r) { return joint(r, 0); }, "the joint after the first segment (a Pose)");
  prop("P2", [joint](R r) { return joint(r, 1); }, "the joint after the second segment (a Pose)");
  prop("joints", [](R r) {
    py::list l;
    for (int j = 0; j + 1 < r.path.nseg; ++j) l.append(pose(r.path.Pj[j]));
    return l;
  }, "the joints between the segments, in driving order (Poses)");
  prop("Pf", [](R r) { return pose(r.path.Pf); },
       "end pose, its heading reduced into (-180, 180] deg (a Pose)");
  prop("sc", [](R r) { return segments(r.clothoid.sc, r.path.nseg); },
       "segment lengths of the clothoid-line path [m]");
  prop("clothoid_sf", [](R r) { return r.clothoid.sf; }, "length of the clothoid-line path [m]");
}

// What every kind of result has: its runs by mechanism (_arc and _clothoid, or a CP pass's
// _runs), its summary by the columns of table t, and pickling as the pass that made it
// (`remake` with the arguments args gives).
template <class R, class Class, class Args>
void resultproperties(Class& c, agv::Table t, const char* remake, Args args) {
  using P = const std::shared_ptr<R>&;
  if constexpr (cpresult<R>) {
    c.def_property_readonly("_runs", [](P r) { return runsof(r, 0); });
  } else {
    c.def_property_readonly("_arc", [](P r) { return runsof(r, 0); });
    c.def_property_readonly("_clothoid", [](P r) { return runsof(r, 1); });
  }
  c.def_property_readonly("summary", [t](const R& r) { return summary(t, r); },
                          "the numbers of agvbatch's summary.csv, by its column titles");
  c.def_property_readonly("params", [](const R& r) { return r.params; },
                          "the parameters of the pass");
  c.def("__reduce__", [remake, args](const py::object& self) {
    return remade(remake, args(self.cast<const R&>()) + py::make_tuple(self.attr("_map")));
  });
}

// What the results of CP passes have beside their runs: the curve's length, parameter range,
// end poses and arc-length table (`u` says what the parameter is).
template <class R, class Class>
void curveproperties(Class& c, const std::string& u) {
  c.def_readonly("length", &R::length, "length of the curve [m]")
      .def_readonly("uend", &R::uend, ("end of the parameter range (" + u + ")").c_str())
      .def_property_readonly("P0", [](const R& r) { return pose(r.P0cp); },
                             "start pose of the curve (a Pose)")
      .def_property_readonly("Pf", [](const R& r) { return pose(r.Pfcp); },
                             "end pose of the curve (a Pose)")
      .def_property_readonly("table", [](py::object self) {
        return view(self.cast<const R&>().utab, self);
      }, "the arc-length table: the curve parameter u, the length s [m] from the start, the\n"
         "length d [m] from the row before, and part: the row is a part of a step of 0.01,\n"
         "where the curve bends too sharply for one");
}

// A track's points as an array of rows x, y [m].
py::array points(const agv::TrackResult& r) {
  py::array_t<double> a({static_cast<py::ssize_t>(r.track.points.size()), py::ssize_t{2}});
  auto w = a.mutable_unchecked<2>();
  for (size_t i = 0; i < r.track.points.size(); ++i) {
    w(static_cast<py::ssize_t>(i), 0) = r.track.points[i].x;
    w(static_cast<py::ssize_t>(i), 1) = r.track.points[i].y;
  }
  return a;
}

// A heading given [deg], or None.
py::object heading(const std::optional<double>& th) {
  return th ? py::object(py::float_(*th)) : py::object(py::none());
}

// A property of the runs: the records (or values) the member points to, read where they are;
// AttributeError on runs of a kind that has none.
template <class T>
void runsproperty(py::class_<PyRuns>& c, const char* name,
                  const std::vector<T>* PyRuns::*member, const std::string& what) {
  c.def_property_readonly(name, [member, name](py::object self) -> py::object {
    const PyRuns& r = self.cast<const PyRuns&>();
    if (r.*member == nullptr)
      throw py::attribute_error(std::string("the runs along a ") + r.path + " have no " + name);
    return view(*(r.*member), self);
  }, what.c_str());
}

}  // namespace

namespace agvpy {

PyObject* exceptionclass(py::module_& m, const char* name, const py::object& bases) {
  const std::string full = std::string("agvsim.") + name;
  py::object cls = py::reinterpret_steal<py::object>(
      PyErr_NewException(full.c_str(), bases.ptr(), nullptr));
  m.attr(name) = cls;
  return cls.ptr();
}

void raiseas(PyObject* cls, const std::string& why) {
  if (cls == nullptr) throw py::value_error(why);
  PyErr_SetString(cls, why.c_str());
  throw py::error_already_set();
}

agv::Waypoint waypointof(const py::tuple& t) {
  return agv::Waypoint{t[0].cast<double>(), t[1].cast<double>(), t[2].cast<double>()};
}
py::tuple waypoint(const agv::Waypoint& w) { return py::make_tuple(w.x, w.y, w.thDeg); }

}  // namespace agvpy

PYBIND11_MODULE(_agvsim, m) {
  m.doc() = "The compiled part of agvsim; use the package agvsim.";
  m.attr("__version__") = AGV_VERSION;
  agvpy::bindparams(m);
  agvpy::bindmap(m);

  py::class_<PyPose>(m, "Pose",
                     "A pose: the position x, y [m] and the heading th [rad] (th_deg in degrees, "
                     "as the passes take it).  It unpacks as x, y, th.")
      .def_readonly("x", &PyPose::x, "x [m]")
      .def_readonly("y", &PyPose::y, "y [m]")
      .def_readonly("th", &PyPose::th, "heading [rad]")
      .def_property_readonly("th_deg", [](const PyPose& p) { return p.th * agv::RAD2DEG; },
                             "heading [deg]")
      .def("__iter__",
           [](const PyPose& p) { return py::iter(py::make_tuple(p.x, p.y, p.th)); })
      .def("__len__", [](const PyPose&) { return 3; })
      .def("__getitem__",
           [](const PyPose& p, int i) {
             if (i < -3 || i > 2) throw py::index_error("a pose has 3 fields: x, y, th");
             return py::make_tuple(p.x, p.y, p.th)[static_cast<size_t>((i + 3) % 3)];
           })
      .def("__eq__",
           [](const PyPose& a, const py::object& o) {
             if (!py::isinstance<PyPose>(o)) return false;
             const PyPose b = o.cast<PyPose>();
             return a.x == b.x && a.y == b.y && a.th == b.th;
           })
      .def("__repr__", [](const PyPose& p) {
        return "agvsim.Pose(x=" + py::repr(py::float_(p.x)).cast<std::string>() +
               ", y=" + py::repr(py::float_(p.y)).cast<std::string>() +
               ", th=" + py::repr(py::float_(p.th)).cast<std::string>() + ")";
      });

  py::object refused = py::reinterpret_steal<py::object>(
      PyErr_NewExceptionWithDoc("agvsim.Refused", "A path refused by the pass; the message says why.",
                                PyExc_Exception, nullptr));
  m.attr("Refused") = refused;
  const std::pair<agv::Status, const char*> kinds[] = {
      {agv::Status::PathTooLong, "PathTooLong"},   {agv::Status::RunTooLong, "RunTooLong"},
      {agv::Status::RangeTooLong, "RangeTooLong"}, {agv::Status::CurveTooLong, "CurveTooLong"},
      {agv::Status::CurveSteps, "CurveSteps"},     {agv::Status::UndefinedCurve, "UndefinedCurve"},
      {agv::Status::CurveTooSharp, "CurveTooSharp"}, {agv::Status::TooMuchMemory, "TooMuchMemory"},
      {agv::Status::NoPathInMap, "NoPathInMap"},
  };
  for (const auto& [status, name] : kinds) {
    const py::object bases = status == agv::Status::UndefinedCurve
                                 ? py::object(py::make_tuple(refused, py::handle(PyExc_ValueError)))
                                 : refused;
    refusals[static_cast<int>(status)] = agvpy::exceptionclass(m, name, bases);
  }

  const std::string records =
      ": numpy records t [s], s [m], th [rad], x [m], y [m], phi [rad], kap [1/m]";
  py::class_<PyRuns> runs(m, "Runs",
                          "The runs of one mechanism on one path: the arc-line or clothoid-line "
                          "path of a PTP pass or of a route, or a CP curve.");
  runs.def_property_readonly("ref", [](py::object self) {
        const PyRuns& r = self.cast<const PyRuns&>();
        return r.curve != nullptr ? view(*r.curve, self) : view(*r.ref, self);
      }, ("the reference point (theory; on a CP curve with its curve parameter u)" + records).c_str());
  runsproperty(runs, "cv", &PyRuns::cv, "the constant-velocity AGV" + records);
  runsproperty(runs, "err", &PyRuns::err, "cv - ref, field by field, the time kept");
  runsproperty(runs, "vv", &PyRuns::vv,
               "the variable-velocity AGV, on time steps of its own (PTP paths)" + records);
  runsproperty(runs, "tr", &PyRuns::tr,
               "the tracked AGV (a controller set; empty otherwise), on cv's time steps until "
               "its nearest point of the path is the path's end" + records);
  runsproperty(runs, "xte", &PyRuns::xte,
               "the cross-track error of each record of tr: the distance to the nearest point "
               "of the path, positive left of it [m]");
  runsproperty(runs, "leg", &PyRuns::leg,
               "the leg of each record of ref, cv and err on a route: 0, 1, ... (each leg's "
               "records whole: the last of a leg and the first of the next hold the same state "
               "of the AGVs)");
  runsproperty(runs, "vleg", &PyRuns::vleg, "the leg of each record of vv on a route");
  runs.def_property_readonly("NN", [](const PyRuns& r) {
        if (r.NN < 0) throw py::attribute_error("NN is the last record of a run along a curve");
        return r.NN;
      }, "the index of the last record of a run along a CP curve")
      .def_property_readonly("T", [](const PyRuns& r) {
        return std::isnan(r.T) ? r.ref->back().t - r.ref->front().t : r.T;
      }, "the duration of the constant-velocity run [s]")
      .def_property_readonly("mechanism", [](const PyRuns& r) { return static_cast<int>(r.m); },
                             "the mechanism: 1, 2 or 3")
      .def_property_readonly("name", [](const PyRuns& r) { return agv::name(r.m); },
                             "the mechanism's name: 2DW1C, 1FDW1FS or 1RDW1FS")
      .def("__repr__", [](const PyRuns& r) {
        return std::string("<agvsim.Runs of mechanism ") + std::to_string(static_cast<int>(r.m)) +
               " " + agv::name(r.m) + " on the " + r.path + ">";
      });

  py::class_<agv::PtpResult, std::shared_ptr<agv::PtpResult>> ptpc(
      m, "PtpResult", "Everything a PTP pass computes.", py::dynamic_attr());
  pathproperties<agv::PtpResult>(ptpc, [](const agv::PtpResult& r) -> const agv::PtpResult& { return r; });
  resultproperties<agv::PtpResult>(ptpc, agv::Table::Ptp, "_remake_ptp", [](const agv::PtpResult& r) {
    return py::make_tuple(waypoint(r.start), waypoint(r.end), r.params);
  });

  py::class_<PyLeg> legc(m, "Leg",
                         "One leg of a route: its plan from one waypoint to the next (the runs are "
                         "the route's).");
  pathproperties<PyLeg>(legc, [](const PyLeg& l) -> const agv::PtpResult& { return l.plan(); });
  legc.def_property_readonly("index", [](const PyLeg& l) { return l.i; },
                             "the leg's place in the route: 0, 1, ...")
      .def_property_readonly("params", [](const PyLeg& l) { return l.r->params; },
                             "the parameters of the route")
      .def_property_readonly("summary", [](const PyLeg& l) {
        return summary(agv::Table::Leg, *l.r, l.i);
      }, "the numbers of the leg, by the column names of agvbatch's legs.csv")
      .def("__reduce__", [](const PyLeg& l) {
        return remade("_remake_leg", py::make_tuple(waypointsof(*l.r), l.r->params, l.i, l.map));
      })
      .def("__repr__", [](const PyLeg& l) {
        return "<agvsim.Leg " + std::to_string(l.i) + " of a route of " +
               std::to_string(l.r->legs.size()) + " legs>";
      });

  py::class_<agv::CpResult, std::shared_ptr<agv::CpResult>> cpc(
      m, "CpResult", "Everything a CP pass computes.", py::dynamic_attr());
  resultproperties<agv::CpResult>(cpc, agv::Table::Cp, "_remake_cp", [](const agv::CpResult& r) {
    const bool ran = !r.run[0].ref.empty();
    return py::make_tuple(r.curve.I, r.curve.a, r.curve.b, r.params, ran);
  });
  cpc.def_property_readonly("curve", [](const agv::CpResult& r) { return r.curve.I; },
                             "the curve number")
      .def_property_readonly("constants", [](const agv::CpResult& r) {
        return agv::nconsts(r.curve.I) > 1 ? py::make_tuple(r.curve.a, r.curve.b)
                                           : py::make_tuple(r.curve.a);
      }, "the curve's constants, as cp() took them");
  curveproperties<agv::CpResult>(cpc, "x [m] of a graph, beta [rad] of a polar curve");

  py::class_<agv::RouteResult, std::shared_ptr<agv::RouteResult>> routec(
      m, "RouteResult", "Everything a route pass computes: its legs and the runs of the whole route.",
      py::dynamic_attr());
  resultproperties<agv::RouteResult>(routec, agv::Table::Route, "_remake_route",
                                     [](const agv::RouteResult& r) {
                                       return py::make_tuple(waypointsof(r), r.params);
                                     });
  routec.def_property_readonly("waypoints", [](const agv::RouteResult& r) { return waypointsof(r); },
                             "the waypoints, as given: (x [m], y [m], th [deg])")
      .def_property_readonly("legs", [](const py::object& self) {
        const auto r = self.cast<std::shared_ptr<agv::RouteResult>>();
        py::list legs;
        for (size_t i = 0; i < r->legs.size(); ++i)
          legs.append(PyLeg{r, static_cast<int>(i), self.attr("_map")});
        return legs;
      }, "[i] leg i: its plan and its numbers (an agvsim.Leg)")
      .def_property_readonly("leg_summaries", [](const agv::RouteResult& r) {
        py::list out;
        for (size_t i = 0; i < r.legs.size(); ++i)
          out.append(summary(agv::Table::Leg, r, static_cast<int>(i)));
        return out;
      }, "[i] the numbers of leg i, by the column names of agvbatch's legs.csv")
      .def_readonly("sf", &agv::RouteResult::sf, "length of the arc-line route [m]")
      .def_readonly("clothoid_sf", &agv::RouteResult::sfc, "length of the clothoid-line route [m]")
      .def_readonly("cusps", &agv::RouteResult::cusps,
                    "the changes of driving direction, at the waypoints too");

  py::class_<agv::TrackResult, std::shared_ptr<agv::TrackResult>> trackc(
      m, "TrackResult",
      "Everything a track's pass computes: the cubic spline through its points, run as a CP "
      "curve.",
      py::dynamic_attr());
  resultproperties<agv::TrackResult>(trackc, agv::Table::Track, "_remake_track",
                                     [](const agv::TrackResult& r) {
                                       const bool ran = !r.run[0].ref.empty();
                                       return py::make_tuple(points(r), heading(r.track.th0Deg),
                                                             heading(r.track.thfDeg), r.params,
                                                             ran);
                                     });
  curveproperties<agv::TrackResult>(trackc, "the chord length along the points [m] over scale");
  trackc
      .def_property_readonly("points", &points, "the points as given: rows x [m], y [m]")
      .def_property_readonly(
          "th0", [](const agv::TrackResult& r) { return heading(r.track.th0Deg); },
          "the heading given at the first point [deg], or None")
      .def_property_readonly(
          "thf", [](const agv::TrackResult& r) { return heading(r.track.thfDeg); },
          "the heading given at the last point [deg], or None")
      .def_readonly("scale", &agv::TrackResult::scale,
                    "metres of chord per unit of the parameter u: 1, or more for a track longer "
                    "than the arc-length table holds")
      .def_property_readonly("kapmax", [](const agv::TrackResult& r) { return r.bends.kapmax; },
                             "the largest magnitude of the curvature [1/m]")
      .def_property_readonly("kapmax_at", [](const agv::TrackResult& r) {
        return py::make_tuple(r.bends.s, r.bends.x, r.bends.y);
      }, "where the curvature is largest: the arc length s [m] and the point x, y [m]")
      .def_property_readonly("tight", [](const agv::TrackResult& r) {
        py::list l;
        for (const agv::Bend& b : r.bends.tight) l.append(py::make_tuple(b.s0, b.s1, b.x, b.y));
        return l;
      }, "the stretches tighter than the vehicle can steer (|curvature| > 1/Ra): tuples of the\n"
         "arc lengths s0, s1 [m] where each begins and ends, and the point x, y [m] where it\n"
         "begins");

  m.def("_ptp", &ptp, py::arg("start"), py::arg("end"), py::arg("params"), py::arg("map"));
  m.def("_route", &route, py::arg("waypoints"), py::arg("params"), py::arg("map"));
  agvpy::bindplans(m);
  agvpy::bindsearch(m);
  m.def("_cp", &cp, py::arg("curve"), py::arg("a"), py::arg("b"), py::arg("params"),
        py::arg("run"), py::arg("map"));
  m.def("_nconsts", &agv::nconsts, py::arg("curve"));
  m.def("_track", &track, py::arg("points"), py::arg("th0"), py::arg("thf"), py::arg("params"),
        py::arg("run"), py::arg("map"));
  agvpy::bindpictures(m);
  m.def("reduceheading", &agv::reduceheading, py::arg("deg"),
        "A heading [deg] reduced into (-180, 180], as every pass takes it.");
  // The classes show (and pickle) as the package's own.
  for (const char* name : {"Params", "Map", "Pose", "Runs", "PtpResult", "Leg", "CpResult",
                          "RouteResult", "TrackResult", "MapPath"})
    m.attr(name).attr("__module__") = "agvsim";
}
