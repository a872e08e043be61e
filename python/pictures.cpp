// Pictures and videos of the results: the window's picture drawn by Cairo, the motion
// encoded by ffmpeg.
#include <memory>
#include <string>

#include "agv/agv.h"
#include "python/module.h"
#include "picture/picture.h"

namespace py = pybind11;

namespace agvpy {

namespace {

// The window's picture of a result with the shot chosen (and the map it was driven in, whose
// grid the result holds); ValueError where the shot is not there.
std::unique_ptr<agv::Scene> shown(const py::object& result, const agv::Shot& shot) {
  std::unique_ptr<agv::Scene> s;
  if (py::isinstance<agv::PtpResult>(result)) s = agv::ptpshow(result.cast<const agv::PtpResult&>());
  if (py::isinstance<agv::RouteResult>(result))
    s = agv::routeshow(result.cast<const agv::RouteResult&>());
  const bool track = py::isinstance<agv::TrackResult>(result);
  if (track || py::isinstance<agv::CpResult>(result)) {
    const agv::CpResult& r = track ? result.cast<const agv::TrackResult&>()
                                   : result.cast<const agv::CpResult&>();
    if (r.run[0].ref.empty()) throw py::value_error("a CP result of run=False has no runs to show");
    s = track ? agv::trackshow(result.cast<const agv::TrackResult&>()) : agv::cpshow(r);
  }
  if (s == nullptr)
    throw py::type_error("a PtpResult, CpResult, RouteResult or TrackResult is needed");
  if (const std::shared_ptr<const agv::Map> world = mapof(result.attr("_map"))) {
    s->map = world.get();
    agv::mapview(s->view, *world);
  }
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

}  // namespace

void bindpictures(py::module_& m) {
  m.def("_picture", &picture, py::arg("result"), py::arg("format"), py::arg("mechanism"),
        py::arg("drawing"), py::arg("step"), py::arg("panx"), py::arg("pany"), py::arg("width"),
        py::arg("height"));
  m.def("_video", &video, py::arg("result"), py::arg("fd"), py::arg("seekable"), py::arg("format"),
        py::arg("mechanism"), py::arg("drawing"), py::arg("panx"), py::arg("pany"),
        py::arg("speed"), py::arg("width"), py::arg("height"));
}

}  // namespace agvpy
