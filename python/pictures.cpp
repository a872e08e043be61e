// Pictures and videos of the results: the window's picture drawn by Cairo, the motion
// encoded by ffmpeg; their files written as agvbatch writes its own.
#include <pybind11/stl.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "agv/agv.h"
#include "python/module.h"
#include "output/output.h"
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

// An output that could not be written: OSError of its error number (FileNotFoundError,
// IsADirectoryError, ...) saying why.
[[noreturn]] void unwritten(const agv::output::Output& out, const std::string& err) {
  const std::string msg = "cannot write " + out.path() + ": " + err;
  const py::object e = py::reinterpret_steal<py::object>(
      PyObject_CallFunction(PyExc_OSError, "is", out.error(), msg.c_str()));
  if (!e) throw py::error_already_set();
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(e.ptr())), e.ptr());
  throw py::error_already_set();
}

// The picture of a result in the format `format` (png, svg, pdf): its bytes where file is None,
// otherwise written to the file named, as agvbatch writes its files (output/output.h).  Drawn
// and written without the GIL (a FIFO's reader may be a Python thread).
py::object picture(const py::object& result, const std::string& format, int mechanism,
                   char drawing, int step, double panx, double pany, int w, int h,
                   const std::optional<std::string>& file) {
  const std::unique_ptr<agv::Scene> s = shown(result, {mechanism, drawing, step, panx, pany});
  const agv::Format f = formatnamed(format);
  std::string bytes, err, perr;
  agv::output::Pending pending;
  std::optional<agv::output::Output> out;
  if (file) out.emplace(*file, pending);
  const agv::Sink put = [&](const unsigned char* data, size_t n) {
    const std::string_view text(reinterpret_cast<const char*>(data), n);
    if (out) return out->put(text, perr);
    bytes.append(text);
    return true;
  };
  bool opened = true, drawn = false, committed = false;
  {
    py::gil_scoped_release free;
    opened = !out || out->open(err);
    drawn = opened && agv::writepicture(*s, f, agv::Size{w, h}, put, err);
    committed = drawn && (!out || out->commit(err));
  }
  if (!opened) unwritten(*out, err);
  if (!drawn && out && err.empty()) unwritten(*out, perr);
  if (!drawn) throw std::runtime_error(err);
  if (!committed) unwritten(*out, err);
  return out ? py::none() : py::object(py::bytes(bytes));
}

// The video of a result in the format `format` (mp4, gif), written by ffmpeg to the file named,
// as agvbatch writes its files, without the GIL; a signal that raises in Python (Ctrl-C) stops
// it between frames (the GIL taken for the moment of the question), and the file is not written.
void video(const py::object& result, const std::string& file, const std::string& format,
           int mechanism, char drawing, double panx, double pany, double speed, int w, int h) {
  const std::unique_ptr<agv::Scene> s = shown(result, {mechanism, drawing, -1, panx, pany});
  const agv::Format f = formatnamed(format);
  agv::output::Pending pending;
  agv::output::Output out(file, pending);
  const agv::VideoHooks hooks{nullptr, [] {
                                py::gil_scoped_acquire gil;
                                return PyErr_CheckSignals() == 0;
                              }};
  std::string err;
  bool opened = false, made = false, committed = false;
  {
    py::gil_scoped_release free;
    opened = out.open(err);
    made = opened && agv::writevideo(*s, f, agv::Size{w, h}, speed, out.lend(), !out.inplace(),
                                     hooks, err);
    committed = made && out.commit(err);
  }
  if (!opened) unwritten(out, err);
  if (PyErr_Occurred() != nullptr) throw py::error_already_set();
  if (!made) {
    PyErr_SetString(PyExc_OSError, err.c_str());
    throw py::error_already_set();
  }
  if (!committed) unwritten(out, err);
}

}  // namespace

void bindpictures(py::module_& m) {
  m.def("_picture", &picture, py::arg("result"), py::arg("format"), py::arg("mechanism"),
        py::arg("drawing"), py::arg("step"), py::arg("panx"), py::arg("pany"), py::arg("width"),
        py::arg("height"), py::arg("file"));
  m.def("_video", &video, py::arg("result"), py::arg("file"), py::arg("format"),
        py::arg("mechanism"), py::arg("drawing"), py::arg("panx"), py::arg("pany"),
        py::arg("speed"), py::arg("width"), py::arg("height"));
}

}  // namespace agvpy
