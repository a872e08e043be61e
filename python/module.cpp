// The Python module agvsim: the planner and the runs of the library, their records as numpy
// arrays.  A pass runs without the GIL, so Python threads run passes side by side.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "agv/agv.h"

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

// The parameters given, or the defaults; refused ones raise ValueError.
agv::Params paramsof(const py::object& p) {
  if (!p.is_none() && !py::isinstance<agv::Params>(p))
    throw py::type_error("params must be an agvsim.Params or None, not " +
                         std::string(py::str(py::type::of(p).attr("__name__"))));
  agv::Params out = p.is_none() ? agv::Params{} : p.cast<agv::Params>();
  const std::string err = agv::checkparams(out);
  if (!err.empty()) throw py::value_error(err);
  return out;
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

py::tuple pose(const agv::Pose& p) { return py::make_tuple(p.x, p.y, p.th); }

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
}

py::dict ptpsummary(const agv::PtpResult& r) {
  py::dict d;
  const agv::ArcPath& a = r.path;
  d["row"] = a.krow;
  for (int j = 0; j < 3; ++j) d[py::str("dir" + std::to_string(j))] = a.sgnK[j];
  for (int j = 0; j < 3; ++j) d[py::str("s" + std::to_string(j) + "[m]")] = a.s[j];
  d["sf[m]"] = a.sf;
  const agv::PtpSummary s = agv::summarize(r);
  const char* paths[2] = {"arc", "clothoid"};
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k)
      addsummary(d, paths[b] + std::to_string(k + 1) + "_", s.run[b][k], true);
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
      n += bytes(runs[k].ref) + bytes(runs[k].cv) + bytes(runs[k].err) + bytes(runs[k].vv);
  return n;
}
size_t footprint(const agv::CpResult& r) {
  size_t n = bytes(r.utab);
  for (const agv::CpRuns& run : r.run) n += bytes(run.ref) + bytes(run.cv) + bytes(run.err);
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

std::shared_ptr<agv::PtpResult> ptp(double xf, double yf, double thfDeg, const py::object& params) {
  const agv::Params p = paramsof(params);
  std::shared_ptr<agv::PtpResult> r = ptppool.get();
  stages(*r, p, [&] { return agv::planPTP(p, xf, yf, thfDeg, *r); },
         [&] { return agv::runPTP(*r); });
  return r;
}

std::shared_ptr<agv::CpResult> cp(int curve, const py::args& constants, const py::object& params,
                                  bool run) {
  const agv::Params p = paramsof(params);
  const int n = agv::nconsts(curve);
  if (n == 0)
    throw py::value_error("no curve " + std::to_string(curve) +
                          " (the curves are 1, 2, 3, 4, 11, 12, 13, 14 and 16)");
  if (constants.size() != static_cast<size_t>(n))
    throw py::type_error("curve " + std::to_string(curve) + " takes " + std::to_string(n) +
                         (n == 1 ? " constant, " : " constants, ") +
                         std::to_string(constants.size()) + " given");
  double c[2] = {0.0, 0.0};
  for (int i = 0; i < n; ++i) {
    const py::handle v = constants[static_cast<size_t>(i)];
    if (!py::isinstance<py::float_>(v) && !py::isinstance<py::int_>(v))
      throw py::type_error("constant " + std::to_string(i + 1) + " of curve " +
                           std::to_string(curve) + " must be a number, not " +
                           std::string(py::str(py::type::of(v).attr("__name__"))));
    c[i] = v.cast<double>();
  }
  std::shared_ptr<agv::CpResult> r = cppool.get();
  const agv::Curve k{curve, c[0], c[1]};
  stages(*r, p, [&] { return agv::planCP(p, k, *r); },
         [&] { return run ? agv::runCP(*r) : agv::Status::Done; });
  return r;
}

}  // namespace

PYBIND11_MODULE(agvsim, m) {
  m.doc() =
      "Path generation and path following of wheeled mobile robots (AGVs): the PTP planner\n"
      "and the CP curves, and the runs of the three mechanisms (2DW1C, 1FDW1FS, 1RDW1FS),\n"
      "their records as numpy arrays with the fields t, s, th, x, y, phi, kap (and u on a CP\n"
      "curve's reference records).";

  py::class_<agv::Params> pc(m, "Params", "The vehicle and the time steps of a pass.");
  pc.def(py::init([](double Vmax, double steerRate, double Ra, double Lw, double dt, double dtCP,
                       int maxSteps, int threeArcs, int maxMemory) {
             agv::Params p{Vmax, steerRate, Ra, Lw, dt, dtCP, maxSteps, threeArcs, maxMemory};
             const std::string err = agv::checkparams(p);
             if (!err.empty()) throw py::value_error(err);
             return p;
           }),
           py::kw_only(), py::arg("Vmax") = 1.0, py::arg("steerRate") = 2.0, py::arg("Ra") = 1.0,
           py::arg("Lw") = 1.0, py::arg("dt") = 0.02, py::arg("dtCP") = 0.02,
           py::arg("maxSteps") = 3000, py::arg("threeArcs") = 0, py::arg("maxMemory") = 1024)
      .def("__repr__", [](const agv::Params& p) {
        std::string s = "agvsim.Params(";
        for (int i = 0; i < agv::nParams; ++i) {
          const agv::ParamInfo info = agv::paraminfo(i);
          const double v = agv::getparam(p, info.name);
          s += std::string(i ? ", " : "") + info.name + "=" +
               (info.whole ? std::to_string(static_cast<long>(v))
                           : py::str(py::float_(v)).cast<std::string>());
        }
        return s + ")";
      });
  // Each parameter a property; a value out of its range raises ValueError.
  for (int i = 0; i < agv::nParams; ++i) {
    const std::string name = agv::paraminfo(i).name;
    const bool whole = agv::paraminfo(i).whole;
    pc.def_property(
        name.c_str(),
        [name, whole](const agv::Params& p) -> py::object {
          const double v = agv::getparam(p, name);
          return whole ? py::object(py::int_(static_cast<long>(v))) : py::object(py::float_(v));
        },
        [name](agv::Params& p, double v) {
          if (agv::setparam(p, name, v) != agv::ParamCheck::Ok)
            throw py::value_error(agv::paramerror(name, v));
        });
  }

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

  py::class_<PyRuns>(m, "Runs", "The runs of one mechanism on one PTP path.")
      .def_property_readonly("ref", [](py::object self) {
        return records(self.cast<PyRuns&>().runs().ref, self);
      }, "the reference point (theory)")
      .def_property_readonly("cv", [](py::object self) {
        return records(self.cast<PyRuns&>().runs().cv, self);
      }, "the constant-velocity AGV")
      .def_property_readonly("err", [](py::object self) {
        return records(self.cast<PyRuns&>().runs().err, self);
      }, "cv - ref, the time kept")
      .def_property_readonly("vv", [](py::object self) {
        return records(self.cast<PyRuns&>().runs().vv, self);
      }, "the variable-velocity AGV, on time steps of its own");

  py::class_<agv::PtpResult, std::shared_ptr<agv::PtpResult>>(m, "PtpResult",
                                                              "Everything a PTP pass computes.")
      .def_property_readonly("row", [](const agv::PtpResult& r) { return r.path.krow; },
                             "the adopted join (12, 13: three arcs)")
      .def_property_readonly("sgnK", [](const agv::PtpResult& r) {
        return py::make_tuple(r.path.sgnK[0], r.path.sgnK[1], r.path.sgnK[2]);
      }, "curvature direction of each segment: +1 left, 0 line, -1 right")
      .def_property_readonly("s", [](const agv::PtpResult& r) {
        return py::make_tuple(r.path.s[0], r.path.s[1], r.path.s[2]);
      }, "segment lengths [m]")
      .def_property_readonly("sf", [](const agv::PtpResult& r) { return r.path.sf; },
                             "path length [m]")
      .def_property_readonly("Rarc", [](const agv::PtpResult& r) { return r.path.Rarc; })
      .def_property_readonly("phiArc", [](const agv::PtpResult& r) { return r.path.phiArc; })
      .def_property_readonly("P0", [](const agv::PtpResult& r) { return pose(r.path.P0); })
      .def_property_readonly("P1", [](const agv::PtpResult& r) { return pose(r.path.P1); })
      .def_property_readonly("P2", [](const agv::PtpResult& r) { return pose(r.path.P2); })
      .def_property_readonly("Pf", [](const agv::PtpResult& r) { return pose(r.path.Pf); })
      .def_property_readonly("sc", [](const agv::PtpResult& r) {
        return py::make_tuple(r.clothoid.sc[0], r.clothoid.sc[1], r.clothoid.sc[2]);
      }, "segment lengths of the clothoid-line path [m]")
      .def_property_readonly("params", [](const agv::PtpResult& r) { return r.params; })
      .def_property_readonly("arc", [](const std::shared_ptr<agv::PtpResult>& r) {
        return std::vector<PyRuns>{{r, 0, 0}, {r, 0, 1}, {r, 0, 2}};
      }, "[k] the runs of mechanism k on the arc-line path")
      .def_property_readonly("clothoid", [](const std::shared_ptr<agv::PtpResult>& r) {
        return std::vector<PyRuns>{{r, 1, 0}, {r, 1, 1}, {r, 1, 2}};
      }, "[k] the runs of mechanism k on the clothoid-line path")
      .def_property_readonly("summary", [](const agv::PtpResult& r) { return ptpsummary(r); },
                             "the numbers of agvbatch's summary.csv, by its column names");

  py::class_<PyCpRuns>(m, "CpRuns", "The run of one mechanism along a CP curve.")
      .def_property_readonly("ref", [](py::object self) {
        const PyCpRuns& c = self.cast<PyCpRuns&>();
        return records(c.r->run[c.k].ref, self);
      }, "the reference point, with its curve parameter u")
      .def_property_readonly("cv", [](py::object self) {
        const PyCpRuns& c = self.cast<PyCpRuns&>();
        return records(c.r->run[c.k].cv, self);
      }, "the constant-velocity AGV")
      .def_property_readonly("err", [](py::object self) {
        const PyCpRuns& c = self.cast<PyCpRuns&>();
        return records(c.r->run[c.k].err, self);
      }, "cv - ref, the time kept");

  py::class_<agv::CpResult, std::shared_ptr<agv::CpResult>>(m, "CpResult",
                                                            "Everything a CP pass computes.")
      .def_property_readonly("curve", [](const agv::CpResult& r) { return r.curve.I; })
      .def_property_readonly("length", [](const agv::CpResult& r) { return r.length; },
                             "length of the curve [m]")
      .def_property_readonly("uend", [](const agv::CpResult& r) { return r.uend; },
                             "end of the parameter range")
      .def_property_readonly("P0", [](const agv::CpResult& r) { return pose(r.P0cp); })
      .def_property_readonly("Pf", [](const agv::CpResult& r) { return pose(r.Pfcp); })
      .def_property_readonly("NN", [](const agv::CpResult& r) {
        return py::make_tuple(r.NN[0], r.NN[1], r.NN[2]);
      }, "[k] the last record of mechanism k")
      .def_property_readonly("TCP", [](const agv::CpResult& r) {
        return py::make_tuple(r.TCP[0], r.TCP[1], r.TCP[2]);
      }, "[k] the duration of its run [s]")
      .def_property_readonly("params", [](const agv::CpResult& r) { return r.params; })
      .def_property_readonly("table", [](py::object self) {
        return tablerows(self.cast<const agv::CpResult&>().utab, self);
      }, "the arc-length table: the curve parameter u, the length s [m] from the start, the\n"
         "length d [m] from the row before, and part: the row is a part of a step of 0.01,\n"
         "where the curve bends too sharply for one")
      .def_property_readonly("runs", [](const std::shared_ptr<agv::CpResult>& r) {
        return std::vector<PyCpRuns>{{r, 0}, {r, 1}, {r, 2}};
      }, "[k] the run of mechanism k")
      .def_property_readonly("summary", [](const agv::CpResult& r) { return cpsummary(r); },
                             "the numbers of agvbatch's summary.csv, by its column names");

  m.def("ptp", &ptp, py::arg("xf"), py::arg("yf"), py::arg("thf_deg"), py::kw_only(),
        py::arg("params") = py::none(),
        "A PTP pass from (0, 0, 0) to the end pose xf, yf [m], thf_deg [deg]: the planner's\n"
        "path, the clothoid-line path and the runs of the three mechanisms.  A refused path\n"
        "raises a subclass of agvsim.Refused; bad arguments raise ValueError or TypeError.");
  m.def("cp", &cp, py::arg("curve"), py::arg("params") = py::none(),
        py::arg("run") = true,
        "A CP pass along curve 1, 2, 3, 4, 11, 12, 13, 14 or 16 with its constants as the\n"
        "set-up asks for them (13 takes one): cp(16, 0.2, 3).  With run=False, the curve's\n"
        "length and arc-length table only, without the runs.  A refused curve raises a\n"
        "subclass of agvsim.Refused; bad arguments raise ValueError or TypeError.");
  m.def("reduceheading", &agv::reduceheading, py::arg("deg"),
        "A heading [deg] reduced into (-180, 180], as every pass takes it.");
}
