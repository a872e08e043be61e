// The real program under a private Xvfb: the console dialogue typed into
// its standard input, keys sent to its window, screenshots of it.
//
// In the sanitizer build the program's leak check at exit is switched off
// (detect_leaks=0 added to the inherited ASAN_OPTIONS): the GL library
// unloads Mesa's driver as the process ends, before LeakSanitizer
// reports, so the driver's own allocations show up as leaks of no library
// and cannot be told apart by a suppression.  Every other check of the
// sanitizers stays on in the program, and the same drawing code runs with
// the leak check on in this test program, whose driver stays loaded.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "child.h"
#include "control/keys.h"
#include "control/params.h"
#include "control/view.h"
#include "control/window.h"
#include "glsupport.h"
#include "motion/runs.h"
#include "motion/varruns.h"
#include "ptp/clpath.h"
#include "ptp/schedule.h"
#include "support/proc.h"
#include "support/session.h"

using namespace agv;
using rendertest::Frame;

namespace {

namespace fs = std::filesystem;

const std::string kClosing = "任意キーで描画画面へ";

double now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// A screenshot of the window as a Frame of window pixels.  Without a
// window manager the window stands at (-1, -1): xwd leaves out its first
// row and column, which stay white here.
struct Shot {
  Frame f;
  bool ok = false;
};

Shot screenshot(const std::string& display, const std::string& win, const fs::path& png) {
  Shot s;
  std::string cmd = rendertest::which("xwd") + " -silent -display " + display + " -id " + win +
                    " | " + rendertest::which("convert") + " xwd:- " + png.string();
  agvtest::RunResult r = agvtest::runprog({"/bin/sh", "-c", cmd}, "", {}, 20.0);
  if (r.status != 0) return s;
  std::string ppm = rendertest::tool({rendertest::which("convert"), png.string(), "ppm:-"});
  std::istringstream in(ppm);
  // Header fields, with comment lines (convert writes the image's name).
  auto field = [&in] {
    std::string t;
    while (in >> t && t[0] == '#') std::getline(in, t);
    return t;
  };
  std::string magic = field();
  int w = std::atoi(field().c_str()), h = std::atoi(field().c_str());
  field();
  in.get();
  if (magic != "P6" || w <= 0 || h <= 0 || w > rendertest::W || h > rendertest::H) return s;
  std::string data(static_cast<size_t>(3 * w * h), '\0');
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  if (!in) return s;
  s.f.rgb.assign(3 * rendertest::W * rendertest::H, 255);
  int dx = rendertest::W - w, dy = rendertest::H - h;
  for (int t = 0; t < h; ++t)
    for (int c = 0; c < w; ++c) {
      int r = rendertest::H - 1 - (t + dy);
      for (int k = 0; k < 3; ++k)
        s.f.rgb[3 * (r * rendertest::W + c + dx) + k] =
            static_cast<uint8_t>(data[3 * (t * w + c) + k]);
    }
  s.ok = true;
  return s;
}

// The window of the program: the root's only child on a private server.
std::string findwindow(const std::string& display, double seconds) {
  double limit = now() + seconds;
  while (now() < limit) {
    std::string out = rendertest::tool(
        {rendertest::which("xwininfo"), "-display", display, "-root", "-children"});
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
      size_t at = line.find("0x");
      if (at != std::string::npos && line.find("800x800") != std::string::npos)
        return line.substr(at, line.find(' ', at) - at);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return "";
}

// The world-to-screen rule for the view state of the test process.
Point scr(const double* rec) {
  return {scale * (rec[RX] + xorg) + xshift, scale * (rec[RY] + yorg) + yshift};
}
double pxdist(const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y) * 400.0; }

// What a frame must show: colours on the screen points of records, none
// of them under a figure (1.3 m around its reference point), the panel or
// a marker.
struct Expect {
  std::vector<std::pair<Point, Color>> want;
  std::vector<Point> figures, markers;
  void add(const double* rec, const Color& c) {
    Point s = scr(rec);
    if (s.x > 0.33 || std::fabs(s.y) > 0.98) return;
    for (const Point& h : figures)
      if (pxdist(s, h) < 1.3 * scale * 400.0) return;
    for (const Point& h : markers)
      if (pxdist(s, h) < 6.0) return;
    want.emplace_back(s, c);
  }
  void figure(const double* rec) { figures.push_back(scr(rec)); }
  void marker(double x, double y) {
    markers.push_back({scale * (x + xorg) + xshift, scale * (y + yorg) + yshift});
  }
  // Points where the frame differs from the expectation.
  int misses(const Frame& f, std::string* where = nullptr) const {
    int n = 0;
    for (const auto& [s, c] : want)
      if (!f.near(s, c, 1)) {
        ++n;
        if (where) *where += " (" + std::to_string(s.x) + ", " + std::to_string(s.y) + ")";
      }
    return n;
  }
};

// Takes screenshots until one shows what is expected; the last one.
Shot pollshot(const std::string& display, const std::string& win, const fs::path& png,
              const Expect& e, double seconds) {
  double limit = now() + seconds;
  Shot s;
  do {
    s = screenshot(display, win, png);
    if (s.ok && e.misses(s.f) == 0) return s;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  } while (now() < limit);
  return s;
}

bool keys(const std::string& display, const std::string& win, const std::vector<std::string>& k) {
  std::vector<std::string> argv{
      rendertest::which("xdotool"), "key", "--window", win, "--delay", "20"};
  argv.insert(argv.end(), k.begin(), k.end());
  agvtest::RunResult r = agvtest::runprog(argv, "", {"DISPLAY=" + display}, 60.0);
  return r.status == 0;
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* t : {"xwd", "convert", "xwininfo", "xdotool", "xprop"})
      ASSERT_NE(rendertest::which(t), "") << t << " is needed";
    dir = fs::temp_directory_path() / ("agvsim_e2e_" + std::to_string(getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(dir);
  }
  fs::path dir;
};

TEST_F(EndToEnd, DialogueKeysScreenshotsReEntryAndEscape) {
  agvtest::Xvfb x;
  ASSERT_TRUE(x.ok());
  const char* asan = std::getenv("ASAN_OPTIONS");
  rendertest::Child sim({agvtest::agvsimPath()},
                        {"DISPLAY=" + x.display(), "ASAN_OPTIONS=" + std::string(asan ? asan : "") +
                                                       (asan ? ":" : "") + "detect_leaks=0"});

  // The default PTP pass, then a key for the window.
  sim.send("pnk");
  ASSERT_TRUE(sim.waitfor(kClosing, 0, 60)) << sim.out;
  std::string win = findwindow(x.display(), 30);
  ASSERT_NE(win, "") << sim.out;

  // The title as a window manager reads it.
  std::string title =
      rendertest::tool({"/usr/bin/env", "LC_ALL=C.UTF-8", rendertest::which("xprop"), "-display",
                        x.display(), "-id", win, "_NET_WM_NAME", "WM_NAME"});
  EXPECT_NE(title.find(std::string("_NET_WM_NAME(UTF8_STRING) = \"") + wintitle + "\""),
            std::string::npos)
      << title;
  EXPECT_NE(title.find(std::string("WM_NAME(UTF8_STRING) = \"") + wintitle + "\""),
            std::string::npos)
      << title;

  // The same pass in this process gives the records to look for.
  ASSERT_FALSE(agvtest::firstPass("pnk").eof);

  // '2', 'b', eighty steps and a zoom in.
  std::vector<std::string> k{"2", "b"};
  for (int i = 0; i < 80; ++i) k.push_back("s");
  k.push_back("W");
  ASSERT_TRUE(keys(x.display(), win, k));
  scale = scale0 / 0.9;
  int c = std::min(240, nc[1][3]), v = std::min(240, nvc[1][3]);
  Expect e;
  e.figure(cvB[1][c]);
  e.figure(vvB[1][v]);
  e.marker(agv::x0, agv::y0);
  e.marker(xf, yf);
  for (int i = 0; i <= c; i += 4) e.add(cvB[1][i], blue);
  EXPECT_GT(e.want.size(), 10u);
  Shot s = pollshot(x.display(), win, dir / "ptp_keys.png", e, 60);
  ASSERT_TRUE(s.ok);
  std::string where;
  EXPECT_EQ(e.misses(s.f, &where), 0) << where << " see " << (dir / "ptp_keys.png");
  // The green variable-velocity figure: its body 0.5 m ahead of it.
  const double* P = vvB[1][v];
  Point body = scr(P);
  body.x += 0.5 * scale * std::cos(P[RTH]);
  body.y += 0.5 * scale * std::sin(P[RTH]);
  EXPECT_TRUE(s.f.near(body, green, 2));

  // '0': back to the first step, with type, drawing and zoom kept; the
  // clothoid-line path is free of the trace.
  ASSERT_TRUE(keys(x.display(), win, {"0"}));
  Expect e0;
  e0.figure(cvB[1][0]);
  e0.marker(agv::x0, agv::y0);
  e0.marker(xf, yf);
  for (int i = 0; i <= nc[1][3]; ++i) e0.add(refB[1][i], green);
  EXPECT_GT(e0.want.size(), 50u);
  s = pollshot(x.display(), win, dir / "ptp_start.png", e0, 60);
  ASSERT_TRUE(s.ok);
  where.clear();
  EXPECT_EQ(e0.misses(s.f, &where), 0) << where << " see " << (dir / "ptp_start.png");
  EXPECT_EQ(s.f.count(-1.0, -1.0, 0.34, 1.0, blue), 0);

  // 'p' re-enters the dialogue; a new end pose on the console.
  // Points of the old clothoid-line path that the new paths do not pass.
  // At the zoom of the next frame (the pass resets it).
  std::vector<Point> old;
  scale = scale0;
  for (int i = 0; i <= nc[0][3]; i += 5) old.push_back(scr(refB[0][i]));

  size_t mark = sim.out.size();
  ASSERT_TRUE(keys(x.display(), win, {"p"}));
  ASSERT_TRUE(sim.waitfor("PTP経路の終点変更する？", mark, 30)) << sim.out.substr(mark);
  sim.send("y4 -3 -45\nk");
  ASSERT_TRUE(sim.waitfor(kClosing, mark, 60)) << sim.out.substr(mark);
  agvtest::Session again = agvtest::scripted("y4 -3 -45\nk", [] { keycmd('p'); });
  ASSERT_FALSE(again.eof);
  // The next key shows the new path: type 1, arc-line drawing, zoom 0.2.
  ASSERT_TRUE(keys(x.display(), win, {"0"}));
  Expect e2;
  e2.figure(vvA[0][0]);
  e2.marker(agv::x0, agv::y0);
  for (int i = 0; i <= nc[0][3]; ++i) e2.add(refB[0][i], green);
  // Where the two paths coincide the green one lies on top.
  for (int i = 0; i <= nSeg[0][3]; ++i) {
    double d = 1e9;
    for (int j = 0; j <= nc[0][3]; ++j) d = std::min(d, pxdist(scr(refA[0][i]), scr(refB[0][j])));
    if (d > 4.0) e2.add(refA[0][i], red);
  }
  std::erase_if(old, [](const Point& p) {
    if (p.x > 0.33) return true;
    for (int j = 0; j <= nSeg[0][3]; ++j)
      if (pxdist(p, scr(refA[0][j])) < 8.0) return true;
    for (int j = 0; j <= nc[0][3]; ++j)
      if (pxdist(p, scr(refB[0][j])) < 8.0) return true;
    return false;
  });
  EXPECT_GT(old.size(), 10u);
  EXPECT_GT(e2.want.size(), 30u);
  s = pollshot(x.display(), win, dir / "ptp_new.png", e2, 60);
  ASSERT_TRUE(s.ok);
  where.clear();
  EXPECT_EQ(e2.misses(s.f, &where), 0) << where << " see " << (dir / "ptp_new.png");
  // The old path is gone.
  int stale = 0;
  for (const Point& p : old)
    if (s.f.near(p, green, 1)) ++stale;
  EXPECT_EQ(stale, 0);

  // ESC ends the program with status 0 (the window goes while xdotool
  // still sends the key's release, so its own status tells nothing).
  keys(x.display(), win, {"Escape"});
  EXPECT_EQ(sim.wait(30), 0) << sim.out.substr(mark);
}

TEST(NoDisplay, SaysSoAndEndsBeforeTheDialogue) {
  struct Case {
    std::vector<std::string> env;
    std::string says;
  };
  for (const Case& c : {Case{{"DISPLAY"}, "DISPLAY is not set"},
                        Case{{"DISPLAY=:4095"}, "no X display at :4095"}}) {
    agvtest::RunResult r = agvtest::runprog({agvtest::agvsimPath()}, "pnk", c.env, 30);
    EXPECT_FALSE(r.timedOut);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out << r.err;
    EXPECT_NE(r.out.find("描画画面を開けません"), std::string::npos) << r.out;
    // Nothing of the dialogue was asked.
    EXPECT_EQ(r.out.find("sgnPATH="), std::string::npos) << r.out;
  }
}

}  // namespace
