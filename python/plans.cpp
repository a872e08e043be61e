// Plans alone, for many poses at once: their paths, and the poses along them.
#include <pybind11/numpy.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "agv/agv.h"
#include "python/module.h"

namespace py = pybind11;

namespace agvpy {

namespace {

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
  return py::dict(py::arg("length") = length, py::arg("n") = count, py::arg("sgnK") = k,
                  py::arg("drive") = drive, py::arg("s") = s);
}

// The poses every ds along the plans of the poses of six arrays of one length (as plans takes
// them), without the GIL: for each plan a numpy array of records x [m], y [m], th [rad],
// drive (+1, -1) and s [m], or None where no path is found.  ValueError for a bad ds.
py::list samples(const py::array_t<double, py::array::c_style | py::array::forcecast>& poses,
                 const py::object& params, double ds) {
  const agv::Params p = paramsof(params);
  if (poses.ndim() != 2 || poses.shape(0) != 6) throw py::value_error("samples: 6 rows of poses");
  const py::ssize_t n = poses.shape(1);
  std::vector<std::vector<agv::PlanPose>> out(static_cast<size_t>(n));
  std::vector<char> planned(static_cast<size_t>(n), 0);
  agv::Status bad = agv::Status::Done;
  {
    const auto in = poses.unchecked<2>();
    py::gil_scoped_release free;
    for (py::ssize_t i = 0; i < n && bad == agv::Status::Done; ++i) {
      const agv::Waypoint a{in(0, i), in(1, i), in(2, i)}, b{in(3, i), in(4, i), in(5, i)};
      const agv::PlanWord w = agv::planOnly(p, a, b);
      if (w.status == agv::Status::BadParams) bad = w.status;
      if (w.status != agv::Status::Done) continue;
      const agv::Status st = agv::samplePlan(w, a, ds, out[static_cast<size_t>(i)]);
      if (st == agv::Status::BadSpacing) bad = st;
      planned[static_cast<size_t>(i)] = st == agv::Status::Done;
    }
  }
  if (bad == agv::Status::BadParams) throw py::value_error(agv::checkparams(p));
  if (bad != agv::Status::Done) throw py::value_error(agv::reason(agv::Refusal{bad}, p));
  py::list list;
  for (size_t i = 0; i < out.size(); ++i)
    list.append(planned[i] ? py::object(posearray(out[i])) : py::object(py::none()));
  return list;
}

}  // namespace

py::array posearray(const std::vector<agv::PlanPose>& poses) {
  py::list fields;
  for (const char* f : {"x", "y", "th"}) fields.append(py::make_tuple(f, "f8"));
  fields.append(py::make_tuple("drive", "i4"));
  fields.append(py::make_tuple("s", "f8"));
  py::array a(py::dtype::from_args(fields), static_cast<py::ssize_t>(poses.size()));
  for (size_t j = 0; j < poses.size(); ++j) {
    const agv::PlanPose& q = poses[j];
    auto* row = static_cast<char*>(a.mutable_data(static_cast<py::ssize_t>(j)));
    std::memcpy(row, &q.x, sizeof(double));
    std::memcpy(row + 8, &q.y, sizeof(double));
    std::memcpy(row + 16, &q.th, sizeof(double));
    const std::int32_t d = q.drive;
    std::memcpy(row + 24, &d, sizeof d);
    std::memcpy(row + 28, &q.s, sizeof(double));
  }
  return a;
}

void bindplans(py::module_& m) {
  m.def("_plans", &plans, py::arg("poses"), py::arg("params"));
  m.def("_samples", &samples, py::arg("poses"), py::arg("params"), py::arg("ds"));
}

}  // namespace agvpy
