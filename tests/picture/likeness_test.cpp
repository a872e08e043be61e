// Cairo's pictures against the window: every golden frame of the window drawn again by Cairo
// from the same pass and keys, with no display.  The picture has its ink where the window has
// ink, and the window where the picture has, within 2 pixels, for at least 97% of the ink both
// ways, the texts counted (Nimbus Sans has the widths of the window's Helvetica, so a line of
// text ends where the window's does); its SVG and PDF, read back by rsvg-convert and pdftoppm,
// are the PNG again by the same measure.  The programs that draw pictures link Cairo and never
// GL.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "picsupport.h"
#include "picture/picture.h"
#include "support/files.h"
#include "support/goldens.h"
#include "support/proc.h"

namespace {

using namespace agv;
using namespace pictest;
using agvtest::Golden;

constexpr double kAlike = 0.97;

std::string draw(const Session& s, Format f) {
  std::string bytes, err;
  const Sink put = [&](const unsigned char* d, size_t n) {
    bytes.append(reinterpret_cast<const char*>(d), n);
    return true;
  };
  EXPECT_TRUE(writepicture(sceneof(s), f, Size{}, put, err)) << err;
  return bytes;
}

// fn(frame, session) for every golden frame, each pass computed once.
template <class Fn>
void eachgolden(Fn fn) {
  auto s = std::make_unique<Session>();
  std::string last;
  for (const Golden& g : agvtest::goldens()) {
    SCOPED_TRACE(g.name);
    if (agvtest::passkey(g) != last) {
      last = agvtest::passkey(g);
      ASSERT_TRUE(agvtest::goldenpass(*s, g));
    }
    agvtest::goldenview(*s, g);
    fn(g, *s);
  }
}

// Both ways, the figures printed.
TEST(Likeness, EveryGoldenFrameDrawnByCairoHasItsInkWhereTheWindowHas) {
  std::printf("  %-20s %31s\n", "", "picture near window, reverse");
  eachgolden([](const Golden& g, const Session& s) {
    Image mine, window;
    ASSERT_TRUE(pngbytes(draw(s, Format::Png), mine));
    ASSERT_TRUE(pngfile(agvtest::goldenfile(g.name), window));
    ASSERT_EQ(mine.w, window.w);
    ASSERT_EQ(mine.h, window.h);
    const double a = likeness(mine, window), b = likeness(window, mine);
    std::printf("  %-20s %6.2f%% %6.2f%%\n", g.name, 100.0 * a, 100.0 * b);
    EXPECT_GE(a, kAlike);
    EXPECT_GE(b, kAlike);
  });
}

TEST(Likeness, SvgAndPdfReadBackAreThePng) {
  const std::string dir = agvtest::scratch("vectors");
  eachgolden([&](const Golden& g, const Session& s) {
    Image png;
    ASSERT_TRUE(pngbytes(draw(s, Format::Png), png));
    const std::string base = dir + "/" + g.name;
    {
      std::FILE* f = std::fopen((base + ".svg").c_str(), "wb");
      const std::string svg = draw(s, Format::Svg);
      std::fwrite(svg.data(), 1, svg.size(), f);
      std::fclose(f);
      f = std::fopen((base + ".pdf").c_str(), "wb");
      const std::string pdf = draw(s, Format::Pdf);
      std::fwrite(pdf.data(), 1, pdf.size(), f);
      std::fclose(f);
    }
    const agvtest::RunResult r1 = agvtest::runprog(
        {"/usr/bin/rsvg-convert", "-o", base + ".svg.png", base + ".svg"}, "", {}, 60);
    const agvtest::RunResult r2 = agvtest::runprog(
        {"/usr/bin/pdftoppm", "-png", "-r", "72", "-singlefile", base + ".pdf", base + ".pdf"},
        "", {}, 60);
    ASSERT_EQ(r1.status, 0) << r1.err;
    ASSERT_EQ(r2.status, 0) << r2.err;
    for (const char* kind : {".svg.png", ".pdf.png"}) {
      Image back;
      ASSERT_TRUE(pngfile(base + kind, back)) << kind;
      ASSERT_EQ(back.w, png.w) << kind;
      ASSERT_EQ(back.h, png.h) << kind;
      EXPECT_GE(likeness(back, png), kAlike) << kind;
      EXPECT_GE(likeness(png, back), kAlike) << kind;
    }
  });
  std::filesystem::remove_all(dir);
}

// The libraries a program is linked with, as ldd names them.
std::string libraries(const std::string& program) {
  const agvtest::RunResult r = agvtest::runprog({"/usr/bin/ldd", program}, "", {}, 60);
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out;
}

TEST(Layers, PicturesLinkCairoAndNeverGl) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  for (const std::string& program : {std::string(AGVBATCH_EXE), self}) {
    SCOPED_TRACE(program);
    const std::string libs = libraries(program);
    EXPECT_NE(libs.find("libcairo.so"), std::string::npos) << libs;
    for (const char* gl : {"libGL.so", "libGLX", "libOpenGL", "libglut", "libGLU"})
      EXPECT_EQ(libs.find(gl), std::string::npos) << gl << " in\n" << libs;
  }
  // The window is where GL is.
  EXPECT_NE(libraries(AGVSIM_EXE).find("libglut"), std::string::npos);
}

}  // namespace
