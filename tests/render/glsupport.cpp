#include "glsupport.h"

#include <GL/freeglut.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <link.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "control/window.h"
#include "lsan.h"
#include "render/scene.h"
#include "support/proc.h"

// After the project's headers: glx.h brings Xlib's macros.
#include <GL/glx.h>

// LeakSanitizer asks the program for its suppressions: the libraries'
// own allocations (lsan.h).  Unused in a build without it.
extern "C" const char* __lsan_default_suppressions() { return rendertest::lsanSuppressions; }

namespace rendertest {

namespace {

agvtest::Xvfb* server = nullptr;
bool tried = false;
bool ready = false;

// The window is left to the end of the process, with the GL driver
// loaded, so that LeakSanitizer can still name the library of what the
// driver keeps.
void closeall() {
  delete server;
  server = nullptr;
}

// Processes window events until the window is on the screen, at most a
// few seconds.
bool waitmapped() {
  Display* dpy = glXGetCurrentDisplay();
  GLXDrawable win = glXGetCurrentDrawable();
  auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < limit) {
    glutMainLoopEvent();
    XWindowAttributes a;
    if (XGetWindowAttributes(dpy, win, &a) != 0 && a.map_state == IsViewable && a.width == W &&
        a.height == H && a.x == 0 && a.y == 0)
      return true;
  }
  return false;
}

// Mesa's driver is unloaded when the GLX library shuts down, before
// LeakSanitizer reports at exit, and what it keeps would then be named by
// no library.  Pinned, its allocations carry its name for the
// suppressions.
int pindriver(dl_phdr_info* info, size_t, void*) {
  std::string name = info->dlpi_name ? info->dlpi_name : "";
  if (name.find("_dri.so") != std::string::npos)
    dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
  return 0;
}

}  // namespace

bool glready() {
  if (tried) return ready;
  tried = true;
  server = new agvtest::Xvfb;
  std::atexit(closeall);
  if (!server->ok()) return false;
  setenv("DISPLAY", server->display().c_str(), 1);
  static char name[] = "test_render";
  static char* argv[] = {name, nullptr};
  int argc = 1;
  agv::createwin(&argc, argv);
  // With no window manager the window stands at (-1, -1), its first row
  // and column off the screen; the whole of it is read back.
  glutPositionWindow(0, 0);
  ready = waitmapped();
  dl_iterate_phdr(pindriver, nullptr);
  return ready;
}

int col(double sx) { return static_cast<int>((sx + 1.0) * W / 2.0); }
int row(double sy) { return static_cast<int>((sy + 1.0) * H / 2.0); }

bool Frame::is(int c, int r, const agv::Color& k) const {
  if (!inside(c, r)) return false;
  const uint8_t* p = px(c, r);
  auto chan = [](uint8_t v, float want) { return std::abs(v - want * 255.0f) <= 40.0f; };
  return chan(p[0], k.r) && chan(p[1], k.g) && chan(p[2], k.b);
}

bool Frame::near(const agv::Point& s, const agv::Color& c, int radius) const {
  int c0 = col(s.x), r0 = row(s.y);
  for (int dr = -radius; dr <= radius; ++dr)
    for (int dc = -radius; dc <= radius; ++dc)
      if (is(c0 + dc, r0 + dr, c)) return true;
  return false;
}

int Frame::count(double x0, double y0, double x1, double y1, const agv::Color& c) const {
  int n = 0;
  for (int r = row(y0); r <= row(y1); ++r)
    for (int k = col(x0); k <= col(x1); ++k)
      if (is(k, r, c)) ++n;
  return n;
}

int Frame::dark(double x0, double y0, double x1, double y1) const {
  int n = 0;
  for (int r = row(y0); r <= row(y1); ++r)
    for (int k = col(x0); k <= col(x1); ++k) {
      if (!inside(k, r)) continue;
      const uint8_t* p = px(k, r);
      if (p[0] < 64 && p[1] < 64 && p[2] < 64) ++n;
    }
  return n;
}

namespace {

Frame readbuffer(GLenum buf) {
  Frame f;
  f.rgb.resize(3 * W * H);
  glReadBuffer(buf);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, f.rgb.data());
  return f;
}

}  // namespace

Frame readback() {
  glFinish();
  return readbuffer(GL_BACK);
}

Frame shown() {
  agv::display();
  glFinish();
  Display* dpy = glXGetCurrentDisplay();
  GLXDrawable win = glXGetCurrentDrawable();
  XImage* img = XGetImage(dpy, win, 0, 0, W, H, AllPlanes, ZPixmap);
  Frame f;
  f.rgb.resize(3 * W * H);
  if (img == nullptr) return f;
  for (int r = 0; r < H; ++r)
    for (int c = 0; c < W; ++c) {
      unsigned long v = XGetPixel(img, c, H - 1 - r);
      uint8_t* p = &f.rgb[3 * (r * W + c)];
      p[0] = static_cast<uint8_t>((v & img->red_mask) >> 16);
      p[1] = static_cast<uint8_t>((v & img->green_mask) >> 8);
      p[2] = static_cast<uint8_t>(v & img->blue_mask);
    }
  XDestroyImage(img);
  return f;
}

void save(const Frame& f, const char* path) {
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return;
  std::fprintf(out, "P6\n%d %d\n255\n", W, H);
  for (int r = H - 1; r >= 0; --r) std::fwrite(f.px(0, r), 1, 3 * W, out);
  std::fclose(out);
}

}  // namespace rendertest
