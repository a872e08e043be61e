#include "picture/picture.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "render/cairocanvas.h"
#include "render/scene.h"

namespace agv {

namespace {

struct Extension {
  const char* ext;
  Format f;
};
constexpr Extension kExtensions[] = {{".png", Format::Png}, {".svg", Format::Svg},
                                     {".pdf", Format::Pdf}, {".mp4", Format::Mp4},
                                     {".gif", Format::Gif}};

// The text as a whole number of pixels within the bounds of a side.
bool side(const std::string& text, int& v) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  char* end = nullptr;
  errno = 0;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || n < minSide || n > maxSide) return false;
  v = static_cast<int>(n);
  return true;
}

// The bytes Cairo writes, handed on to the sink.
cairo_status_t tosink(void* closure, const unsigned char* data, unsigned int n) {
  const Sink& put = *static_cast<const Sink*>(closure);
  return put(data, n) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

// The frame of s on the surface.
cairo_status_t drawon(cairo_surface_t* surface, const Scene& s, const Size& size) {
  cairo_t* cr = cairo_create(surface);
  {
    CairoCanvas c(cr, size.w, size.h);
    display(c, s);
  }
  const cairo_status_t st = cairo_status(cr);
  cairo_destroy(cr);
  return st;
}

// Why Cairo failed, or nothing where the sink refused the bytes (it knows why); no memory
// throws std::bad_alloc, as everywhere.
bool cairofailed(cairo_status_t st, std::string& err) {
  if (st == CAIRO_STATUS_NO_MEMORY) throw std::bad_alloc();
  if (st == CAIRO_STATUS_WRITE_ERROR)
    err.clear();
  else
    err = std::string("cannot draw the picture: ") + cairo_status_to_string(st);
  return false;
}

}  // namespace

bool formatof(const std::string& file, Format& f) {
  const size_t dot = file.rfind('.');
  if (dot == std::string::npos || file.find('/', dot) != std::string::npos) return false;
  std::string ext = file.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const Extension& e : kExtensions)
    if (ext == e.ext) {
      f = e.f;
      return true;
    }
  return false;
}

bool isvideo(Format f) { return f == Format::Mp4 || f == Format::Gif; }

bool parsesize(const std::string& text, Size& size, std::string& err) {
  const size_t x = text.find_first_of("xX");
  Size s;
  const bool ok = x == std::string::npos
                      ? side(text, s.w) && side(text, s.h)
                      : side(text.substr(0, x), s.w) && side(text.substr(x + 1), s.h);
  if (!ok) {
    err = "the size " + text + " is not WxH or N with whole numbers of pixels from " +
          std::to_string(minSide) + " to " + std::to_string(maxSide);
    return false;
  }
  size = s;
  return true;
}

bool checksize(const Size& size, std::string& err) {
  const auto inside = [](int side) { return side >= minSide && side <= maxSide; };
  if (inside(size.w) && inside(size.h)) return true;
  err = "the size " + std::to_string(size.w) + "x" + std::to_string(size.h) +
        " is not within " + std::to_string(minSide) + " ... " + std::to_string(maxSide) +
        " pixels a side";
  return false;
}

bool checkspeed(double speed, std::string& err) {
  if (speed >= minSpeed && speed <= maxSpeed) return true;
  char text[128];
  std::snprintf(text, sizeof text, "the speed %g is not a number from %g to %g", speed, minSpeed,
                maxSpeed);
  err = text;
  return false;
}

std::unique_ptr<Scene> ptpshow(const PtpResult& r) {
  auto s = std::make_unique<Scene>();
  s->params = r.params;
  s->sgnPATH = 'p';
  s->ptp = &r;
  s->x0 = r.start.x;
  s->y0 = r.start.y;
  s->xf = r.end.x;
  s->yf = r.end.y;
  passview(s->view);
  return s;
}

std::unique_ptr<Scene> cpshow(const CpResult& r) {
  auto s = std::make_unique<Scene>();
  s->params = r.params;
  s->sgnPATH = 'c';
  s->curveNo = r.curve.I;
  s->cp = &r;
  passview(s->view);
  return s;
}

std::unique_ptr<Scene> trackshow(const TrackResult& r) {
  std::unique_ptr<Scene> s = cpshow(r);
  s->track = true;
  trackview(s->view, r);
  return s;
}

std::unique_ptr<Scene> routeshow(const RouteResult& r) {
  auto s = std::make_unique<Scene>();
  s->params = r.params;
  s->sgnPATH = 'p';
  s->route = &r;
  passview(s->view);
  routeview(s->view, r);
  return s;
}

bool choose(Scene& s, const Shot& shot, std::string& err) {
  if (shot.mechanism < 1 || shot.mechanism > 3) {
    err = "no mechanism " + std::to_string(shot.mechanism) +
          ": the mechanisms are 1 (2DW1C), 2 (1FDW1FS) and 3 (1RDW1FS)";
    return false;
  }
  if (shot.drawing != 'a' && shot.drawing != 'b') {
    err = "the drawings are arc (arc-line) and clothoid (clothoid-line)";
    return false;
  }
  s.agvType = shot.mechanism;
  s.sgnDraw = shot.drawing;
  const int last = laststep(s);
  if (shot.step > last) {
    err = "step " + std::to_string(shot.step) + " is beyond the motion: its last step is " +
          std::to_string(last);
    return false;
  }
  showstep(s, shot.step < 0 ? last : static_cast<int>(shot.step));
  s.view.xshift = shot.panX * s.view.scale;
  s.view.yshift = shot.panY * s.view.scale;
  return true;
}

bool writepicture(const Scene& s, Format f, const Size& size, const Sink& put, std::string& err) {
  if (!checksize(size, err)) return false;
  cairo_surface_t* surface = nullptr;
  void* closure = const_cast<Sink*>(&put);
  if (f == Format::Png) surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.w, size.h);
  if (f == Format::Svg) {
    surface = cairo_svg_surface_create_for_stream(tosink, closure, size.w, size.h);
    cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_PX);
  }
  if (f == Format::Pdf) surface = cairo_pdf_surface_create_for_stream(tosink, closure, size.w, size.h);
  if (surface == nullptr) {
    err = "a video is no picture";
    return false;
  }
  cairo_status_t st = cairo_surface_status(surface);
  if (st == CAIRO_STATUS_SUCCESS) st = drawon(surface, s, size);
  if (st == CAIRO_STATUS_SUCCESS && f == Format::Png)
    st = cairo_surface_write_to_png_stream(surface, tosink, closure);
  cairo_surface_finish(surface);
  if (st == CAIRO_STATUS_SUCCESS) st = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  return st == CAIRO_STATUS_SUCCESS || cairofailed(st, err);
}

int videoframes(const Scene& s, double speed) {
  std::string err;
  if (!checkspeed(speed, err)) return 0;
  // Frame i shows the motion i / fps seconds times speed after its start; the last frame, its
  // last step.
  const double stepsPerFrame = speed / (videoFps * steptime(s));
  const double frames = std::ceil((laststep(s) - 0.5) / stepsPerFrame);
  return static_cast<int>(std::max(frames, 0.0)) + 1;
}

}  // namespace agv
