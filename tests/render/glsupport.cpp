#include "glsupport.h"

#include "console/startup.h"
#include "support/goldens.h"

#include <GL/freeglut.h>
#include <dlfcn.h>
#include <png.h>
#include <link.h>

#include <sys/stat.h>

#include <cstring>

// After the project's headers: glx.h brings Xlib's macros.
#include <GL/glx.h>

// LeakSanitizer passes over what the X, GL and GLUT libraries keep to the end.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libGLX\nleak:libGLdispatch.so\nleak:libgallium\nleak:swrast_dri.so\nleak:libLLVM\n"
         "leak:libX11.so\nleak:libxcb.so\nleak:libglut.so\nleak:libdrm.so\n";
}

namespace rendertest {

// Mesa's driver, pinned, is not unloaded before LeakSanitizer names its library.
static int pindriver(dl_phdr_info* info, size_t, void*) {
  if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "_dri.so") != nullptr)
    dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
  return 0;
}

Session& sess() {
  static Session* s = new Session();
  return *s;
}

void initview() {
  View& v = sess().view;
  const double zoom = v.scale;
  v = View{};
  v.scale = zoom;
}

bool glready() {
  static bool ready = [] {
    static agvtest::Xvfb server;
    if (!server.ok()) return false;
    // The window may draw as soon as it exists: the start-up's state unless a pass has run.
    setenv("DISPLAY", server.display().c_str(), 1);
    static char name[] = "test_render";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    createwin(sess(), &argc, argv);
    // With no window manager it stands at (-1, -1): moved, and waited for at (0, 0).
    glutPositionWindow(0, 0);
    dl_iterate_phdr(pindriver, nullptr);
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < limit) {
      glutMainLoopEvent();
      XWindowAttributes a;
      if (XGetWindowAttributes(glXGetCurrentDisplay(), glXGetCurrentDrawable(), &a) != 0 &&
          a.map_state == IsViewable && a.width == W && a.height == H && a.x == 0 && a.y == 0)
        return true;
    }
    return false;
  }();
  return ready;
}

Frame readback() {
  wincanvas().flush();
  glFinish();
  Frame f{std::vector<uint8_t>(3 * W * H)};
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, f.rgb.data());
  return f;
}

bool Frame::is(int c, int r, const Color& k) const {
  if (c < 0 || c >= W || r < 0 || r >= H) return false;
  const uint8_t* p = &rgb[3 * (r * W + c)];
  auto chan = [](uint8_t v, float want) { return std::abs(v - want * 255.0f) <= 40.0f; };
  return chan(p[0], k.r) && chan(p[1], k.g) && chan(p[2], k.b);
}

bool Frame::near(const Point& s, const Color& c, int radius) const {
  for (int dr = -radius; dr <= radius; ++dr)
    for (int dc = -radius; dc <= radius; ++dc)
      if (is(col(s.x) + dc, row(s.y) + dr, c)) return true;
  return false;
}

int Frame::count(double x0, double y0, double x1, double y1, const Color& c) const {
  int n = 0;
  for (int r = row(y0); r <= row(y1); ++r)
    for (int k = col(x0); k <= col(x1); ++k) n += is(k, r, c);
  return n;
}

int Frame::differ(const Frame& o) const {
  int n = 0;
  for (size_t i = 0; i + 2 < rgb.size() && i + 2 < o.rgb.size(); i += 3)
    n += rgb[i] != o.rgb[i] || rgb[i + 1] != o.rgb[i + 1] || rgb[i + 2] != o.rgb[i + 2];
  return n + (rgb.size() != o.rgb.size() ? W * H : 0);
}

std::string golden(const char* name) { return agvtest::goldenfile(name); }

std::string picture(const std::string& name) {
  const std::string dir = std::string(AGV_BINARY_DIR) + "/pictures";
  mkdir(dir.c_str(), 0777);
  return dir + "/" + name;
}

// RGB rows bottom first, as the frames hold them.
bool writepng(const std::string& file, const Frame& f) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = W;
  img.height = H;
  img.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&img, file.c_str(), 0, f.rgb.data(), -3 * W, nullptr) != 0;
}

bool readpng(const std::string& file, Frame& f) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&img, file.c_str()) == 0) return false;
  img.format = PNG_FORMAT_RGB;
  if (img.width != W || img.height != H) {
    png_image_free(&img);
    return false;
  }
  f.rgb.assign(3 * W * H, 0);
  return png_image_finish_read(&img, nullptr, f.rgb.data(), -3 * W, nullptr) != 0;
}

Frame shown() {
  display();
  return onscreen();
}

// After the swap: from the window (the front buffer reads back black).
Frame onscreen() {
  glFinish();
  XImage* img =
      XGetImage(glXGetCurrentDisplay(), glXGetCurrentDrawable(), 0, 0, W, H, AllPlanes, ZPixmap);
  Frame f{std::vector<uint8_t>(3 * W * H)};
  for (int i = 0; img != nullptr && i < 3 * W * H; ++i)
    f.rgb[i] =
        static_cast<uint8_t>(XGetPixel(img, i / 3 % W, H - 1 - i / 3 / W) >> (16 - 8 * (i % 3)));
  if (img != nullptr) XDestroyImage(img);
  return f;
}

double px(const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y) * W / 2.0; }

Point ahead(const Record& rec, double d) {
  Point s = scr(rec);
  const double scale = sess().view.scale;
  return {s.x + d * scale * std::cos(rec.th), s.y + d * scale * std::sin(rec.th)};
}

Expect::Expect(std::initializer_list<const Record*> figs, std::initializer_list<Point> marks) {
  for (const Record* r : figs) figures.push_back(scr(*r));
  for (const Point& m : marks) markers.push_back(scr(m.x, m.y));
}

void Expect::add(const Record& rec, const Color& c, bool present) {
  Point s = scr(rec);
  if (s.x > 0.33 || std::fabs(s.y) > 0.98) return;
  for (const Point& f : figures)
    if (px(s, f) < 1.3 * sess().view.scale * W / 2.0) return;
  for (const Point& m : markers)
    if (px(s, m) < 6.0) return;
  want.emplace_back(s, c, present);
}

int Expect::misses(const Frame& f) const {
  int n = 0;
  for (const auto& [s, c, present] : want) n += f.near(s, c, radius) != present;
  return n;
}

}  // namespace rendertest
