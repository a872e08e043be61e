// agvsim._agvsim: the planner and the runs of the library for the Python package agvsim, their
// records as numpy arrays.  A pass runs without the GIL, so Python threads run passes side by
// side.  The package (python/agvsim/__init__.py) checks the arguments of its functions and
// numbers the mechanisms; this module does the rest.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "agv/agv.h"
#include "picture/picture.h"

namespace py = pybind11;

namespace {

// The exceptions of the refusals, by status; created with the module, which holds them for
// as long as the interpreter runs.
PyObject* refusals[static_cast<int>(agv::Status::NotPlanned) + 1];

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
  py::dict d;
  d["names"] = names;
  d["formats"] = formats;
  d["offsets"] = offsets;
  d["itemsize"] = sizeof(R);
  return py::dtype::from_args(d);
}

// The records of a run as a numpy array that reads them where they are; `owner` keeps them.
template <class R>
py::array records(const std::vector<R>& v, py::handle owner) {
  // Made once and kept to the end of the interpreter.
  static const py::dtype* type =
      new py::dtype(recordtype<R>(std::is_same_v<R, agv::CurveRecord> ? 8 : 7));
  py::array a(*type, {static_cast<py::ssize_t>(v.size())}, {static_cast<py::ssize_t>(sizeof(R))},
              v.data(), owner);
  a.attr("setflags")(py::arg("write") = false);
  return a;
}

// The rows of an arc-length table as a numpy array that reads them where they are.
py::array tablerows(const std::vector<agv::TabRow>& v, py::handle owner) {
  static const py::dtype* type = [] {
    py::dict d;
    d["names"] = py::make_tuple("u", "s", "d", "part");
    d["formats"] = py::make_tuple("<f8", "<f8", "<f8", "?");
    d["offsets"] = py::make_tuple(offsetof(agv::TabRow, u), offsetof(agv::TabRow, s),
                                  offsetof(agv::TabRow, d), offsetof(agv::TabRow, part));
    d["itemsize"] = sizeof(agv::TabRow);
    return new py::dtype(py::dtype::from_args(d));
  }();
  py::array a(*type, {static_cast<py::ssize_t>(v.size())},
              {static_cast<py::ssize_t>(sizeof(agv::TabRow))}, v.data(), owner);
  a.attr("setflags")(py::arg("write") = false);
  return a;
}

std::string typename_of(py::handle v) {
  return py::str(py::type::of(v).attr("__name__")).cast<std::string>();
}

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
  if ((isbool && !isswitch) || (!py::isinstance<py::float_>(v) && !py::isinstance<py::int_>(v) &&
                                !py::hasattr(v, "__float__")))
    throw py::type_error(name + " must be a number [" + info.unit + "], not " + typename_of(v));
  const double value = v.cast<double>();
  if (info.whole && std::isfinite(value) && value != std::floor(value))
    throw py::type_error(name + " takes a whole number, not " + py::repr(v).cast<std::string>());
  if (agv::setparam(p, name, value) != agv::ParamCheck::Ok)
    throw py::value_error(agv::paramerror(name, value));
}

// The parameters given, or the defaults.
agv::Params paramsof(const py::object& p) {
  if (p.is_none()) return agv::Params{};
  if (!py::isinstance<agv::Params>(p))
    throw py::type_error("params must be an agvsim.Params or None, not " + typename_of(p));
  return p.cast<agv::Params>();
}

// A pass that did not finish: its exception, with the reason as the message.
[[noreturn]] void raise(const agv::Refusal& r, const agv::Params& p) {
  const std::string why = agv::reason(r, p);
  PyObject* cls = refusals[static_cast<int>(r.status)];
  if (cls != nullptr) {
    PyErr_SetString(cls, why.c_str());
    throw py::error_already_set();
  }
  throw py::value_error(why);
}

// A pose: x, y [m] and the heading th [rad].
struct PyPose {
  double x, y, th;
};
PyPose pose(const agv::Pose& p) { return PyPose{p.x, p.y, p.th}; }

// The runs of one mechanism on one PTP path, as the Python side sees them.
struct PyRuns {
  std::shared_ptr<agv::PtpResult> r;
  int b, k;
  const agv::Runs& runs() const { return b == 0 ? r->arc[k] : r->cl[k]; }
};

struct PyCpRuns {
  std::shared_ptr<agv::CpResult> r;
  int k;
};

// The runs of one mechanism on one path of a route.
struct PyRouteRuns {
  std::shared_ptr<agv::RouteResult> r;
  int b, k;
  const agv::RouteRuns& runs() const { return b == 0 ? r->arc[k] : r->cl[k]; }
};

// A vector of whole numbers as a numpy array that reads it where it is.
py::array ints(const std::vector<int>& v, py::handle owner) {
  py::array a(py::dtype::of<int>(), {static_cast<py::ssize_t>(v.size())},
              {static_cast<py::ssize_t>(sizeof(int))}, v.data(), owner);
  a.attr("setflags")(py::arg("write") = false);
  return a;
}

const char* const kMechanisms[] = {"2DW1C", "1FDW1FS", "1RDW1FS"};

// The summary of a pass as a dict, named as agvbatch's summary.csv names its columns.
void addsummary(py::dict& d, const std::string& prefix, const agv::RunSummary& s, bool vv) {
  d[py::str(prefix + "steps")] = s.steps;
  d[py::str(prefix + "T[s]")] = s.T;
  if (vv) {
    d[py::str(prefix + "vsteps")] = s.vsteps;
    d[py::str(prefix + "vT[s]")] = s.vT;
  }
  d[py::str(prefix + "maxerr[m]")] = s.maxerr;
  d[py::str(prefix + "enderr[m]")] = s.enderr;
  d[py::str(prefix + "endtherr[rad]")] = s.endtherr;
  if (!s.tracked) return;  // no controller: none of the tracked AGV's numbers
  d[py::str(prefix + "trsteps")] = s.trsteps;
  d[py::str(prefix + "trT[s]")] = s.trT;
  d[py::str(prefix + "trmaxxte[m]")] = s.trmaxxte;
  d[py::str(prefix + "trrmsxte[m]")] = s.trrmsxte;
  d[py::str(prefix + "trendxte[m]")] = s.trendxte;
  d[py::str(prefix + "trenderr[m]")] = s.trenderr;
  d[py::str(prefix + "trendtherr[rad]")] = s.trendtherr;
  d[py::str(prefix + "cvmaxxte[m]")] = s.cvmaxxte;
}

// A run's doubles as a numpy array that reads them where they are.
py::array doubles(const std::vector<double>& v, py::handle owner) {
  py::array a(py::dtype::of<double>(), {static_cast<py::ssize_t>(v.size())},
              {static_cast<py::ssize_t>(sizeof(double))}, v.data(), owner);
  a.attr("setflags")(py::arg("write") = false);
  return a;
}

// The first n values of a path's segments as a tuple.
template <class T>
py::tuple segments(const T* v, int n) {
  py::tuple t(n);
  for (int j = 0; j < n; ++j) t[j] = v[j];
  return t;
}

py::dict ptpsummary(const agv::PtpResult& r) {
  py::dict d;
  const agv::ArcPath& a = r.path;
  d["row"] = a.krow;
  // A path that may back up has up to five segments, their driving directions and its cusps.
  // The fields of segments a path has not are NaN (empty in agvbatch's file).
  const bool reverse = r.params.reverse != 0;
  const int n = reverse ? agv::kSegMax : 3;
  const auto segment = [&](auto v, int j) {
    return j < a.nseg ? py::object(py::cast(v)) : py::object(py::float_(NAN));
  };
  const auto key = [](const char* name, int j, const char* unit) {
    std::string k(name);
    k.append(std::to_string(j)).append(unit);
    return py::str(k);
  };
  for (int j = 0; j < n; ++j) d[key("dir", j, "")] = segment(a.sgnK[j], j);
  if (reverse)
    for (int j = 0; j < n; ++j) d[key("drive", j, "")] = segment(a.drive[j], j);
  for (int j = 0; j < n; ++j) d[key("s", j, "[m]")] = segment(a.s[j], j);
  d["sf[m]"] = a.sf;
  if (reverse) d["cusps"] = a.cusps();
  const agv::PtpSummary s = agv::summarize(r);
  const char* paths[2] = {"arc", "clothoid"};
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k)
      addsummary(d, paths[b] + std::to_string(k + 1) + "_", s.run[b][k], true);
  return d;
}

// The numbers of the runs of a summary, as agvbatch names them.
void addruns(py::dict& d, const agv::PtpSummary& s) {
  const char* paths[2] = {"arc", "clothoid"};
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k)
      addsummary(d, paths[b] + std::to_string(k + 1) + "_", s.run[b][k], true);
}

py::dict routesummary(const agv::RouteResult& r) {
  py::dict d;
  d["waypoints"] = r.waypoints.size();
  d["legs"] = r.legs.size();
  d["sf[m]"] = r.sf;
  d["sfc[m]"] = r.sfc;
  addruns(d, agv::summarize(r));
  return d;
}

py::dict cpsummary(const agv::CpResult& r) {
  py::dict d;
  d["curve"] = r.curve.I;
  d["c1"] = r.curve.a;
  if (agv::nconsts(r.curve.I) > 1) d["c2"] = r.curve.b;
  d["sf[m]"] = r.length;
  const agv::CpSummary s = agv::summarize(r);
  for (int k = 0; k < 3; ++k) addsummary(d, "cp" + std::to_string(k + 1) + "_", s.run[k], false);
  return d;
}

// The memory the records of a result hold.
template <class V>
size_t bytes(const V& v) {
  return v.capacity() * sizeof(typename V::value_type);
}
size_t footprint(const agv::PtpResult& r) {
  size_t n = 0;
  for (const agv::Runs* runs : {r.arc, r.cl})
    for (int k = 0; k < 3; ++k)
      n += bytes(runs[k].ref) + bytes(runs[k].cv) + bytes(runs[k].err) + bytes(runs[k].vv) +
           bytes(runs[k].tr) + bytes(runs[k].xte);
  return n;
}
size_t footprint(const agv::CpResult& r) {
  size_t n = bytes(r.utab);
  for (const agv::CpRuns& run : r.run)
    n += bytes(run.ref) + bytes(run.cv) + bytes(run.err) + bytes(run.tr) + bytes(run.xte);
  return n;
}

size_t footprint(const agv::RouteResult& r) {
  size_t n = r.legs.capacity() * sizeof(agv::PtpResult);
  for (const agv::RouteRuns* runs : {r.arc, r.cl})
    for (int k = 0; k < 3; ++k)
      n += bytes(runs[k].ref) + bytes(runs[k].cv) + bytes(runs[k].err) + bytes(runs[k].vv) +
           bytes(runs[k].leg) + bytes(runs[k].vleg) + bytes(runs[k].tr) + bytes(runs[k].xte);
  return n;
}

// Results of earlier passes that Python has let go, kept for the next passes: a pass into a
// result of its size allocates nothing and touches no memory it has not touched before.  A few
// are kept, up to a total size; the rest are freed.
template <class R>
class Pool {
 public:
  std::shared_ptr<R> get() {
    R* r = nullptr;
    {
      std::lock_guard<std::mutex> lock(mu_);
      if (!free_.empty()) {
        r = free_.back().release();
        free_.pop_back();
        held_ -= footprint(*r);
      }
    }
    if (r == nullptr) r = new R();
    return std::shared_ptr<R>(r, [this](R* done) { put(done); });
  }

 private:
  static constexpr size_t kKept = 8;               // enough for a pass in each of a few threads
  static constexpr size_t kKeptBytes = 64u << 20;  // as many as eight of the largest default passes
  void put(R* r) {
    const size_t n = footprint(*r);
    std::lock_guard<std::mutex> lock(mu_);
    if (free_.size() < kKept && held_ + n <= kKeptBytes) {
      free_.emplace_back(r);
      held_ += n;
    } else {
      delete r;
    }
  }
  std::mutex mu_;
  std::vector<std::unique_ptr<R>> free_;
  size_t held_ = 0;
};

// Never destroyed: a result may go back after the interpreter has begun to end.
Pool<agv::PtpResult>& ptppool = *new Pool<agv::PtpResult>();
Pool<agv::CpResult>& cppool = *new Pool<agv::CpResult>();
Pool<agv::RouteResult>& routepool = *new Pool<agv::RouteResult>();

// A pass in its two stages, each without the GIL; between them a pending signal (Ctrl-C)
// raises its exception.
template <class R, class Plan, class Run>
void stages(R& r, const agv::Params& p, Plan plan, Run run) {
  agv::Status s;
  {
    py::gil_scoped_release free;
    s = plan();
  }
  if (s == agv::Status::Done) {
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    py::gil_scoped_release free;
    s = run();
  }
  if (s != agv::Status::Done) raise(r.refusal, p);
}

// A pose as the passes take it, from a tuple (x [m], y [m], th [deg]) and back.
agv::Waypoint waypointof(const py::tuple& t) {
  return agv::Waypoint{t[0].cast<double>(), t[1].cast<double>(), t[2].cast<double>()};
}
py::tuple waypoint(const agv::Waypoint& w) { return py::make_tuple(w.x, w.y, w.thDeg); }

// The passes, their arguments checked by the package.
std::shared_ptr<agv::PtpResult> ptp(const py::tuple& start, const py::tuple& end,
                                    const py::object& params) {
  const agv::Params p = paramsof(params);
  const agv::Waypoint a = waypointof(start), b = waypointof(end);
  std::shared_ptr<agv::PtpResult> r = ptppool.get();
  stages(*r, p, [&] { return agv::planPTP(p, a, b, *r); }, [&] { return agv::runPTP(*r); });
  return r;
}

// Plans alone for the poses of six arrays of one length (start x, y, th; end x, y, th), without
// the GIL: the lengths, the segment counts, and per segment (five columns) the curvature and
// driving directions and the lengths.  Poses refused get length NaN and no segments.
py::dict plans(const py::array_t<double, py::array::c_style | py::array::forcecast>& poses,
               const py::object& params) {
  const agv::Params p = paramsof(params);
  if (poses.ndim() != 2 || poses.shape(0) != 6) throw py::value_error("plans: 6 rows of poses");
  const py::ssize_t n = poses.shape(1);
  py::array_t<double> length(n);
  py::array_t<int> count(n);
  py::array_t<int> k({n, static_cast<py::ssize_t>(agv::kSegMax)});
  py::array_t<int> drive({n, static_cast<py::ssize_t>(agv::kSegMax)});
  py::array_t<double> s({n, static_cast<py::ssize_t>(agv::kSegMax)});
  bool badparams = false;
  {
    const auto in = poses.unchecked<2>();
    auto L = length.mutable_unchecked<1>();
    auto c = count.mutable_unchecked<1>();
    auto K = k.mutable_unchecked<2>();
    auto D = drive.mutable_unchecked<2>();
    auto S = s.mutable_unchecked<2>();
    // In chunks, each without the GIL; between them a pending signal (Ctrl-C) raises.
    constexpr py::ssize_t kChunk = 1 << 16;
    for (py::ssize_t from = 0; from < n && !badparams; from += kChunk) {
      if (from > 0 && PyErr_CheckSignals() != 0) throw py::error_already_set();
      py::gil_scoped_release free;
      for (py::ssize_t i = from; i < std::min(n, from + kChunk) && !badparams; ++i) {
        const agv::PlanWord w = agv::planOnly(p, agv::Waypoint{in(0, i), in(1, i), in(2, i)},
                                              agv::Waypoint{in(3, i), in(4, i), in(5, i)});
        badparams = w.status == agv::Status::BadParams;
        const bool done = w.status == agv::Status::Done;
        L(i) = done ? w.length : std::numeric_limits<double>::quiet_NaN();
        c(i) = done ? w.n : 0;
        for (int j = 0; j < agv::kSegMax; ++j) {
          K(i, j) = j < c(i) ? w.sgnK[j] : 0;
          D(i, j) = j < c(i) ? w.drive[j] : 0;
          S(i, j) = j < c(i) ? w.s[j] : 0.0;
        }
      }
    }
  }
  if (badparams) throw py::value_error(agv::checkparams(p));
  py::dict d;
  d["length"] = length;
  d["n"] = count;
  d["sgnK"] = k;
  d["drive"] = drive;
  d["s"] = s;
  return d;
}

std::shared_ptr<agv::RouteResult> route(const std::vector<py::tuple>& waypoints,
                                        const py::object& params) {
  const agv::Params p = paramsof(params);
  std::vector<agv::Waypoint> w;
  w.reserve(waypoints.size());
  for (const py::tuple& t : waypoints) w.push_back(waypointof(t));
  std::shared_ptr<agv::RouteResult> r = routepool.get();
  agv::Status s;
  {
    py::gil_scoped_release free;
    s = agv::planRoute(p, w, *r);
  }
  if (s == agv::Status::Done) {
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    py::gil_scoped_release free;
    s = agv::runRoute(*r);
  }
  if (s != agv::Status::Done) {
    PyObject* cls = refusals[static_cast<int>(r->refusal.status)];
    const std::string why = agv::reason(*r);
    if (cls == nullptr) throw py::value_error(why);
    PyErr_SetString(cls, why.c_str());
    throw py::error_already_set();
  }
  return r;
}

std::shared_ptr<agv::CpResult> cp(int curve, double a, double b, const py::object& params,
                                  bool run) {
  const agv::Params p = paramsof(params);
  std::shared_ptr<agv::CpResult> r = cppool.get();
  const agv::Curve k{curve, a, b};
  stages(*r, p, [&] { return agv::planCP(p, k, *r); },
         [&] { return run ? agv::runCP(*r) : agv::Status::Done; });
  return r;
}

// A result pickles as what made it: unpickling runs the same pass again, which gives the same
// values, bit for bit.
py::tuple reduceptp(const agv::PtpResult& r) {
  return py::make_tuple(py::module_::import("agvsim").attr("_remake_ptp"),
                        py::make_tuple(waypoint(r.start), waypoint(r.end), r.params));
}
py::tuple reduceroute(const agv::RouteResult& r) {
  py::list w;
  for (const agv::Waypoint& p : r.waypoints) w.append(waypoint(p));
  return py::make_tuple(py::module_::import("agvsim").attr("_remake_route"),
                        py::make_tuple(w, r.params));
}

py::tuple reducecp(const agv::CpResult& r) {
  const bool ran = !r.run[0].ref.empty();
  return py::make_tuple(py::module_::import("agvsim").attr("_remake_cp"),
                        py::make_tuple(r.curve.I, r.curve.a, r.curve.b, r.params, ran));
}

// The window's picture of a result with the shot chosen; ValueError where the shot is not there.
std::unique_ptr<agv::Scene> shown(const py::object& result, const agv::Shot& shot) {
  std::unique_ptr<agv::Scene> s;
  if (py::isinstance<agv::PtpResult>(result)) s = agv::ptpshow(result.cast<const agv::PtpResult&>());
  if (py::isinstance<agv::RouteResult>(result))
    s = agv::routeshow(result.cast<const agv::RouteResult&>());
  if (py::isinstance<agv::CpResult>(result)) {
    const auto& r = result.cast<const agv::CpResult&>();
    if (r.run[0].ref.empty()) throw py::value_error("a CP result of run=False has no runs to show");
    s = agv::cpshow(r);
  }
  if (s == nullptr) throw py::type_error("a PtpResult, CpResult or RouteResult is needed");
  std::string err;
  if (!agv::choose(*s, shot, err)) throw py::value_error(err);
  return s;
}

agv::Format formatnamed(const std::string& name) {
  agv::Format f = agv::Format::Png;
  if (!agv::formatof("." + name, f)) throw py::value_error("no format " + name);
  return f;
}

// The bytes of the picture of a result in the format `format` (png, svg, pdf).
py::bytes picture(const py::object& result, const std::string& format, int mechanism,
                  char drawing, int step, double panx, double pany, int w, int h) {
  const std::unique_ptr<agv::Scene> s = shown(result, {mechanism, drawing, step, panx, pany});
  std::string bytes, err;
  const agv::Sink put = [&](const unsigned char* data, size_t n) {
    bytes.append(reinterpret_cast<const char*>(data), n);
    return true;
  };
  if (!agv::writepicture(*s, formatnamed(format), agv::Size{w, h}, put, err))
    throw std::runtime_error(err);
  return py::bytes(bytes);
}

// The video of a result in the format `format` (mp4, gif), written by ffmpeg to the open file
// fd; a signal that raises in Python (Ctrl-C) stops it between frames.
void video(const py::object& result, int fd, bool seekable, const std::string& format,
           int mechanism, char drawing, double panx, double pany, double speed, int w, int h) {
  const std::unique_ptr<agv::Scene> s = shown(result, {mechanism, drawing, -1, panx, pany});
  const agv::VideoHooks hooks{nullptr, [] { return PyErr_CheckSignals() == 0; }};
  std::string err;
  if (!agv::writevideo(*s, formatnamed(format), agv::Size{w, h}, speed, fd, seekable, hooks, err)) {
    if (PyErr_Occurred() != nullptr) throw py::error_already_set();
    PyErr_SetString(PyExc_OSError, err.c_str());
    throw py::error_already_set();
  }
}

// Docstring of a property: what it is and its unit.
std::string doc(const std::string& what, const char* unit) {
  return *unit != '\0' ? what + " [" + unit + "]" : what;
}

}  // namespace

PYBIND11_MODULE(_agvsim, m) {
  m.doc() = "The compiled part of agvsim; use the package agvsim.";
  m.attr("__version__") = AGV_VERSION;

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
               const agv::ParamInfo info = agv::paraminfo(i);
               const double v = agv::getparam(p, info.name);
               const std::string named = agv::paramname(info.name, v);
               s += std::string(i ? ", " : "") + info.name + "=" +
                    (!named.empty() ? "'" + named + "'"
                     : info.whole   ? std::to_string(static_cast<long>(v))
                                    : py::str(py::float_(v)).cast<std::string>());
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
            for (int i = 0; i < agv::nParams; ++i) {
              const agv::ParamInfo info = agv::paraminfo(i);
              const double v = agv::getparam(p, info.name);
              d[info.name] = info.whole ? py::object(py::int_(static_cast<long>(v)))
                                        : py::object(py::float_(v));
            }
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
    const bool whole = info.whole;
    pc.def_property(
        name.c_str(),
        [name, whole](const agv::Params& p) -> py::object {
          const double v = agv::getparam(p, name);
          return whole ? py::object(py::int_(static_cast<long>(v))) : py::object(py::float_(v));
        },
        [name](agv::Params& p, py::handle v) { setone(p, name, v); },
        doc(info.about, info.unit).c_str());
  }

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
  };
  for (const auto& [status, name] : kinds) {
    const std::string full = std::string("agvsim.") + name;
    py::object bases = status == agv::Status::UndefinedCurve
                           ? py::object(py::make_tuple(refused, py::handle(PyExc_ValueError)))
                           : refused;
    py::object cls = py::reinterpret_steal<py::object>(
        PyErr_NewException(full.c_str(), bases.ptr(), nullptr));
    m.attr(name) = cls;
    refusals[static_cast<int>(status)] = cls.ptr();
  }

  const char* recorddoc =
      ": numpy records t [s], s [m], th [rad], x [m], y [m], phi [rad], kap [1/m]";
  py::class_<PyRuns>(m, "Runs", "The runs of one mechanism on one PTP path.")
      .def_property_readonly("ref", [](py::object self) {
        return records(self.cast<PyRuns&>().runs().ref, self);
      }, (std::string("the reference point (theory)") + recorddoc).c_str())
      .def_property_readonly("cv", [](py::object self) {
        return records(self.cast<PyRuns&>().runs().cv, self);
      }, (std::string("the constant-velocity AGV") + recorddoc).c_str())
      .def_property_readonly("err", [](py::object self) {
        return records(self.cast<PyRuns&>().runs().err, self);
      }, "cv - ref, field by field, the time kept")
      .def_property_readonly("vv", [](py::object self) {
        return records(self.cast<PyRuns&>().runs().vv, self);
      }, (std::string("the variable-velocity AGV, on time steps of its own") + recorddoc).c_str())
      .def_property_readonly("tr", [](py::object self) {
        return records(self.cast<PyRuns&>().runs().tr, self);
      }, (std::string("the tracked AGV (a controller set; empty otherwise), on cv's time steps until "
                      "its nearest point of the path is the path's end") + recorddoc).c_str())
      .def_property_readonly("xte", [](py::object self) {
        return doubles(self.cast<PyRuns&>().runs().xte, self);
      }, "the cross-track error of each record of tr: the distance to the nearest point of the "
         "path, positive left of it [m]")
      .def_property_readonly("mechanism", [](const PyRuns& r) { return r.k + 1; },
                             "the mechanism: 1, 2 or 3")
      .def_property_readonly("name", [](const PyRuns& r) { return kMechanisms[r.k]; },
                             "the mechanism's name: 2DW1C, 1FDW1FS or 1RDW1FS")
      .def("__repr__", [](const PyRuns& r) {
        return std::string("<agvsim.Runs of mechanism ") + std::to_string(r.k + 1) + " " +
               kMechanisms[r.k] + (r.b == 0 ? " on the arc-line path>" : " on the clothoid-line path>");
      });

  py::class_<agv::PtpResult, std::shared_ptr<agv::PtpResult>>(m, "PtpResult",
                                                              "Everything a PTP pass computes.")
      .def_property_readonly("start", [](const agv::PtpResult& r) { return waypoint(r.start); },
                             "the start pose asked for: x [m], y [m], th_deg [deg], as it was given")
      .def_property_readonly("end", [](const agv::PtpResult& r) { return waypoint(r.end); },
                             "the end pose asked for: x [m], y [m], th_deg [deg], as it was given")
      .def_property_readonly("row", [](const agv::PtpResult& r) { return r.path.krow; },
                             "the adopted join (12, 13: three arcs; -1: a path that may back up)")
      .def_property_readonly("sgnK", [](const agv::PtpResult& r) {
        return segments(r.path.sgnK, r.path.nseg);
      }, "curvature direction of each segment: +1 left, 0 line, -1 right")
      .def_property_readonly("drive", [](const agv::PtpResult& r) {
        return segments(r.path.drive, r.path.nseg);
      }, "driving direction of each segment: +1 forward, -1 backward")
      .def_property_readonly("cusps", [](const agv::PtpResult& r) { return r.path.cusps(); },
                             "the changes of driving direction")
      .def_property_readonly("s", [](const agv::PtpResult& r) {
        return segments(r.path.s, r.path.nseg);
      }, "segment lengths of the arc-line path [m]")
      .def_property_readonly("sf", [](const agv::PtpResult& r) { return r.path.sf; },
                             "length of the arc-line path [m]")
      .def_property_readonly("Rarc", [](const agv::PtpResult& r) { return r.path.Rarc; },
                             "radius of its arcs [m]")
      .def_property_readonly("phiArc", [](const agv::PtpResult& r) { return r.path.phiArc; },
                             "steering angle on its arcs [rad]")
      .def_property_readonly("phiArc_deg",
                             [](const agv::PtpResult& r) { return r.path.phiArc * agv::RAD2DEG; },
                             "steering angle on its arcs [deg]")
      .def_property_readonly("P0", [](const agv::PtpResult& r) { return pose(r.path.P0); },
                             "start pose (a Pose: x, y [m], th [rad], th_deg [deg])")
      .def_property_readonly("P1", [](const agv::PtpResult& r) { return pose(r.path.Pj[0]); },
                             "the joint after the first segment (a Pose)")
      .def_property_readonly("P2", [](const agv::PtpResult& r) { return pose(r.path.Pj[1]); },
                             "the joint after the second segment (a Pose)")
      .def_property_readonly("joints", [](const agv::PtpResult& r) {
        py::list l;
        for (int j = 0; j + 1 < r.path.nseg; ++j) l.append(pose(r.path.Pj[j]));
        return l;
      }, "the joints between the segments, in driving order (Poses)")
      .def_property_readonly("Pf", [](const agv::PtpResult& r) { return pose(r.path.Pf); },
                             "end pose, its heading reduced into (-180, 180] deg (a Pose)")
      .def_property_readonly("sc", [](const agv::PtpResult& r) {
        return segments(r.clothoid.sc, r.path.nseg);
      }, "segment lengths of the clothoid-line path [m]")
      .def_property_readonly("clothoid_sf", [](const agv::PtpResult& r) { return r.clothoid.sf; },
                             "length of the clothoid-line path [m]")
      .def_property_readonly("params", [](const agv::PtpResult& r) { return r.params; },
                             "the parameters of the pass")
      .def_property_readonly("_arc", [](const std::shared_ptr<agv::PtpResult>& r) {
        return std::vector<PyRuns>{{r, 0, 0}, {r, 0, 1}, {r, 0, 2}};
      })
      .def_property_readonly("_clothoid", [](const std::shared_ptr<agv::PtpResult>& r) {
        return std::vector<PyRuns>{{r, 1, 0}, {r, 1, 1}, {r, 1, 2}};
      })
      .def_property_readonly("summary", [](const agv::PtpResult& r) { return ptpsummary(r); },
                             "the numbers of agvbatch's summary.csv, by its column names")
      .def("__reduce__", &reduceptp);

  py::class_<PyCpRuns>(m, "CpRuns", "The run of one mechanism along a CP curve.")
      .def_property_readonly("ref", [](py::object self) {
        const PyCpRuns& c = self.cast<PyCpRuns&>();
        return records(c.r->run[c.k].ref, self);
      }, (std::string("the reference point, with its curve parameter u") + recorddoc).c_str())
      .def_property_readonly("cv", [](py::object self) {
        const PyCpRuns& c = self.cast<PyCpRuns&>();
        return records(c.r->run[c.k].cv, self);
      }, (std::string("the constant-velocity AGV") + recorddoc).c_str())
      .def_property_readonly("err", [](py::object self) {
        const PyCpRuns& c = self.cast<PyCpRuns&>();
        return records(c.r->run[c.k].err, self);
      }, "cv - ref, field by field, the time kept")
      .def_property_readonly("tr", [](py::object self) {
        return records(self.cast<PyCpRuns&>().r->run[self.cast<PyCpRuns&>().k].tr, self);
      }, (std::string("the tracked AGV (a controller set; empty otherwise), on cv's time steps until "
                      "its nearest point of the path is the path's end") + recorddoc).c_str())
      .def_property_readonly("xte", [](py::object self) {
        return doubles(self.cast<PyCpRuns&>().r->run[self.cast<PyCpRuns&>().k].xte, self);
      }, "the cross-track error of each record of tr: the distance to the nearest point of the "
         "path, positive left of it [m]")
      .def_property_readonly("NN", [](const PyCpRuns& c) { return c.r->NN[c.k]; },
                             "the index of the last record")
      .def_property_readonly("T", [](const PyCpRuns& c) { return c.r->TCP[c.k]; },
                             "the duration of the run [s]")
      .def_property_readonly("mechanism", [](const PyCpRuns& r) { return r.k + 1; },
                             "the mechanism: 1, 2 or 3")
      .def_property_readonly("name", [](const PyCpRuns& r) { return kMechanisms[r.k]; },
                             "the mechanism's name: 2DW1C, 1FDW1FS or 1RDW1FS")
      .def("__repr__", [](const PyCpRuns& r) {
        return std::string("<agvsim.CpRuns of mechanism ") + std::to_string(r.k + 1) + " " +
               kMechanisms[r.k] + ">";
      });

  py::class_<agv::CpResult, std::shared_ptr<agv::CpResult>>(m, "CpResult",
                                                            "Everything a CP pass computes.")
      .def_property_readonly("curve", [](const agv::CpResult& r) { return r.curve.I; },
                             "the curve number")
      .def_property_readonly("constants", [](const agv::CpResult& r) {
        return agv::nconsts(r.curve.I) > 1 ? py::make_tuple(r.curve.a, r.curve.b)
                                           : py::make_tuple(r.curve.a);
      }, "the curve's constants, as cp() took them")
      .def_property_readonly("length", [](const agv::CpResult& r) { return r.length; },
                             "length of the curve [m]")
      .def_property_readonly("uend", [](const agv::CpResult& r) { return r.uend; },
                             "end of the parameter range (x [m] of a graph, beta [rad] of a polar "
                             "curve)")
      .def_property_readonly("P0", [](const agv::CpResult& r) { return pose(r.P0cp); },
                             "start pose of the curve (a Pose)")
      .def_property_readonly("Pf", [](const agv::CpResult& r) { return pose(r.Pfcp); },
                             "end pose of the curve (a Pose)")
      .def_property_readonly("params", [](const agv::CpResult& r) { return r.params; },
                             "the parameters of the pass")
      .def_property_readonly("table", [](py::object self) {
        return tablerows(self.cast<const agv::CpResult&>().utab, self);
      }, "the arc-length table: the curve parameter u, the length s [m] from the start, the\n"
         "length d [m] from the row before, and part: the row is a part of a step of 0.01,\n"
         "where the curve bends too sharply for one")
      .def_property_readonly("_runs", [](const std::shared_ptr<agv::CpResult>& r) {
        return std::vector<PyCpRuns>{{r, 0}, {r, 1}, {r, 2}};
      })
      .def_property_readonly("summary", [](const agv::CpResult& r) { return cpsummary(r); },
                             "the numbers of agvbatch's summary.csv, by its column names")
      .def("__reduce__", &reducecp);

  py::class_<PyRouteRuns>(m, "RouteRuns",
                          "The runs of one mechanism on one path of a route, leg after leg.")
      .def_property_readonly("ref", [](py::object self) {
        return records(self.cast<PyRouteRuns&>().runs().ref, self);
      }, (std::string("the reference point (theory)") + recorddoc).c_str())
      .def_property_readonly("cv", [](py::object self) {
        return records(self.cast<PyRouteRuns&>().runs().cv, self);
      }, (std::string("the constant-velocity AGV") + recorddoc).c_str())
      .def_property_readonly("err", [](py::object self) {
        return records(self.cast<PyRouteRuns&>().runs().err, self);
      }, "cv - ref, field by field, the time kept")
      .def_property_readonly("vv", [](py::object self) {
        return records(self.cast<PyRouteRuns&>().runs().vv, self);
      }, (std::string("the variable-velocity AGV, on time steps of its own") + recorddoc).c_str())
      .def_property_readonly("leg", [](py::object self) {
        return ints(self.cast<PyRouteRuns&>().runs().leg, self);
      }, "the leg of each record of ref, cv and err: 0, 1, ... (each leg's records whole: the "
         "last of a leg and the first of the next hold the same state of the AGVs)")
      .def_property_readonly("vleg", [](py::object self) {
        return ints(self.cast<PyRouteRuns&>().runs().vleg, self);
      }, "the leg of each record of vv")
      .def_property_readonly("tr", [](py::object self) {
        return records(self.cast<PyRouteRuns&>().runs().tr, self);
      }, (std::string("the tracked AGV (a controller set; empty otherwise), on cv's time steps until "
                      "its nearest point of the path is the path's end") + recorddoc).c_str())
      .def_property_readonly("xte", [](py::object self) {
        return doubles(self.cast<PyRouteRuns&>().runs().xte, self);
      }, "the cross-track error of each record of tr: the distance to the nearest point of the "
         "path, positive left of it [m]")
      .def_property_readonly("mechanism", [](const PyRouteRuns& r) { return r.k + 1; },
                             "the mechanism: 1, 2 or 3")
      .def_property_readonly("name", [](const PyRouteRuns& r) { return kMechanisms[r.k]; },
                             "the mechanism's name: 2DW1C, 1FDW1FS or 1RDW1FS");

  py::class_<agv::RouteResult, std::shared_ptr<agv::RouteResult>>(
      m, "RouteResult", "Everything a route pass computes: its legs and the runs of the whole route.")
      .def_property_readonly("waypoints", [](const agv::RouteResult& r) {
        py::list w;
        for (const agv::Waypoint& p : r.waypoints) w.append(waypoint(p));
        return w;
      }, "the waypoints, as given: (x [m], y [m], th [deg])")
      .def_property_readonly("legs", [](const std::shared_ptr<agv::RouteResult>& r) {
        py::list legs;
        for (agv::PtpResult& leg : r->legs)
          legs.append(std::shared_ptr<agv::PtpResult>(r, &leg));  // each kept by the route
        return legs;
      }, "[i] the plan of leg i (a PtpResult whose runs are those of the route)")
      .def_property_readonly("leg_summaries", [](const agv::RouteResult& r) {
        py::list out;
        for (size_t i = 0; i < r.legs.size(); ++i) {
          py::dict d = ptpsummary(r.legs[i]);
          const agv::PtpSummary s = agv::summarize(r, static_cast<int>(i));
          addruns(d, s);
          out.append(d);
        }
        return out;
      }, "[i] the numbers of leg i, by the column names of agvbatch's legs.csv")
      .def_property_readonly("sf", [](const agv::RouteResult& r) { return r.sf; },
                             "length of the arc-line route [m]")
      .def_property_readonly("clothoid_sf", [](const agv::RouteResult& r) { return r.sfc; },
                             "length of the clothoid-line route [m]")
      .def_property_readonly("params", [](const agv::RouteResult& r) { return r.params; },
                             "the parameters of the pass")
      .def_property_readonly("_arc", [](const std::shared_ptr<agv::RouteResult>& r) {
        return std::vector<PyRouteRuns>{{r, 0, 0}, {r, 0, 1}, {r, 0, 2}};
      })
      .def_property_readonly("_clothoid", [](const std::shared_ptr<agv::RouteResult>& r) {
        return std::vector<PyRouteRuns>{{r, 1, 0}, {r, 1, 1}, {r, 1, 2}};
      })
      .def_property_readonly("summary", [](const agv::RouteResult& r) { return routesummary(r); },
                             "the numbers of agvbatch's summary.csv of a route, by its column names")
      .def("__reduce__", &reduceroute);

  m.def("_ptp", &ptp, py::arg("start"), py::arg("end"), py::arg("params"));
  m.def("_route", &route, py::arg("waypoints"), py::arg("params"));
  m.def("_plans", &plans, py::arg("poses"), py::arg("params"));
  m.def("_cp", &cp, py::arg("curve"), py::arg("a"), py::arg("b"), py::arg("params"),
        py::arg("run"));
  m.def("_nconsts", &agv::nconsts, py::arg("curve"));
  m.def("_picture", &picture, py::arg("result"), py::arg("format"), py::arg("mechanism"),
        py::arg("drawing"), py::arg("step"), py::arg("panx"), py::arg("pany"), py::arg("width"),
        py::arg("height"));
  m.def("_video", &video, py::arg("result"), py::arg("fd"), py::arg("seekable"), py::arg("format"),
        py::arg("mechanism"), py::arg("drawing"), py::arg("panx"), py::arg("pany"),
        py::arg("speed"), py::arg("width"), py::arg("height"));
  m.def("reduceheading", &agv::reduceheading, py::arg("deg"),
        "A heading [deg] reduced into (-180, 180], as every pass takes it.");
  // The classes show (and pickle) as the package's own.
  for (const char* name :
       {"Params", "Pose", "Runs", "PtpResult", "CpRuns", "CpResult", "RouteRuns", "RouteResult"})
    m.attr(name).attr("__module__") = "agvsim";
}
