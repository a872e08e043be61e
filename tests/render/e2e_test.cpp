// The real program under a private Xvfb: dialogue on stdin, keys to its window, screenshots.
#include "glsupport.h"

namespace {

agvtest::RunResult sh(const std::string& display, const std::string& cmd) {
  return agvtest::runprog({"/bin/sh", "-c", cmd}, "", {"DISPLAY=" + display, "LC_ALL=C.UTF-8"},
                          60.0);
}

// The program's window: on a private server the root's only 800x800 child.
std::string findwindow(const std::string& d) {
  for (int i = 0; i < 300; ++i) {
    std::string w = sh(d, "xwininfo -root -children | awk '/800x800/ {print $1; exit}'").out;
    if (!w.empty()) return w.substr(0, w.find('\n'));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return "";
}

int keys(const std::string& d, const std::string& win, const std::string& k) {
  return sh(d, "xdotool key --window " + win + " --delay 20 " + k).status;
}

// Screenshots (PNG, working directory) until one shows what is expected, for about a minute.
// The window stands at (-1, -1) and xwd leaves out a row and column: padded to 800x800.
Frame pollshot(const std::string& d, const std::string& win, const std::string& png,
               const Expect& e) {
  std::string cmd = "xwd -silent -id " + win +
                    " | convert xwd:- -background white -gravity southeast -extent 800x800 " + png +
                    " && convert " + png + " -flip -depth 8 rgb:-";
  Frame f;
  for (int i = 0; i < 100; ++i) {
    agvtest::RunResult r = sh(d, cmd);
    if (r.status == 0 && r.out.size() == 3u * W * H) {
      f.rgb.assign(r.out.begin(), r.out.end());
      if (e.misses(f) == 0) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return f;
}

TEST(EndToEnd, DialogueKeysScreenshotsReEntryAndEscape) {
  const char* tools =
      "for t in xwd convert xwininfo xdotool xprop; do command -v $t || exit 1; done";
  ASSERT_EQ(sh("", tools).status, 0) << "the X tools are needed";
  agvtest::RunResult sim;
  std::jthread run;  // joined after the server has gone, taking the program with it
  agvtest::Xvfb x;
  ASSERT_TRUE(x.ok());
  const std::string d = x.display();
  // No leak check: Mesa's driver, unloaded before the report, leaves leaks of no library.
  const char* asan = std::getenv("ASAN_OPTIONS");
  std::string noleaks = "ASAN_OPTIONS=" + (asan ? std::string(asan) + ":" : "") + "detect_leaks=0";
  // The default PTP pass, then the new end pose that 'p' asks for.
  run = std::jthread([&sim, d, noleaks] {
    sim = agvtest::runprog({agvtest::agvsimPath()}, "pnky4 -3 -45\nk", {"DISPLAY=" + d, noleaks},
                           240.0);
  });
  std::string win = findwindow(d);
  ASSERT_NE(win, "");

  // The same pass in this process gives the records to look for.
  ASSERT_FALSE(firstPass("pnk").eof);
  initview();
  // '2', 'b', eighty steps and a zoom in.
  std::string k = "2 b";
  for (int i = 0; i < 80; ++i) k += " s";
  ASSERT_EQ(keys(d, win, k + " W"), 0);
  S.view.scale = scale0 / 0.9;
  const Runs& B1 = S.ptp.cl[1];
  const int c = std::min<int>(240, static_cast<int>(B1.cv.size()) - 1);
  const int v = std::min<int>(240, static_cast<int>(B1.vv.size()) - 1);
  Expect e({&B1.cv[c], &B1.vv[v]}, {{S.x0, S.y0}, {S.xf, S.yf}});
  e.add(std::vector<Record>(B1.cv.begin(), B1.cv.begin() + c + 1), blue, 4);
  EXPECT_GT(e.want.size(), 10u);
  Frame f = pollshot(d, win, picture("e2e_keys.png"), e);
  ASSERT_FALSE(f.rgb.empty());
  EXPECT_EQ(e.misses(f), 0) << "see " << picture("e2e_keys.png");
  // The green variable-velocity figure: its body 0.5 m ahead of it.
  EXPECT_TRUE(f.near(ahead(B1.vv[v], 0.5), green, 2));

  // 'p' reads a new end pose; the next key shows type 1's new paths, arc-line, zoom 0.2.
  const std::vector<Record> old = S.ptp.cl[0].ref;
  ASSERT_EQ(keys(d, win, "p"), 0);
  ASSERT_FALSE(agvtest::scripted("y4 -3 -45\nk", [] { keycmd('p'); }).eof);
  ASSERT_EQ(keys(d, win, "0"), 0);
  const Runs& A0 = S.ptp.arc[0];
  const Runs& B0 = S.ptp.cl[0];
  Expect e2({&A0.vv[0]}, {{S.x0, S.y0}});
  e2.add(B0.ref, green);
  for (const Record& r : A0.ref)
    if (nearest(scr(r), B0.ref) > 4.0) e2.add(r, red);
  EXPECT_GT(e2.want.size(), 30u);
  size_t shown = e2.want.size();
  // The old clothoid-line path is gone.
  for (size_t i = 0; i < old.size(); i += 5) {
    Point s = scr(old[i]);
    if (nearest(s, A0.ref) > 8.0 && nearest(s, B0.ref) > 8.0) e2.add(old[i], green, false);
  }
  EXPECT_GT(e2.want.size(), shown + 10);
  f = pollshot(d, win, picture("e2e_new.png"), e2);
  EXPECT_EQ(e2.misses(f), 0) << "see " << picture("e2e_new.png");

  // ESC: exit status 0 (xdotool's status tells nothing: the window goes before the release).
  keys(d, win, "Escape");
  run.join();
  EXPECT_EQ(sim.status, 0) << sim.out << sim.err;
  size_t first = sim.out.find("任意キーで描画画面へ");
  EXPECT_NE(sim.out.find("PTP経路の終点変更する？", first), std::string::npos) << sim.out;
}

// No leak check in the child: Mesa's driver, unloaded before the report, leaves leaks of
// no library.
std::string noleaks() {
  const char* asan = std::getenv("ASAN_OPTIONS");
  return "ASAN_OPTIONS=" + (asan ? std::string(asan) + ":" : "") + "detect_leaks=0";
}

// The title as a window manager reads it, in the language of the console, once the program
// has set it (just after the window appears): the EWMH and the ICCCM names, both UTF-8.
TEST(EndToEnd, TheWindowTitleSpeaksTheLanguageOfTheConsole) {
  const struct {
    const char* lang;
    std::string title;
  } cases[] = {
      {"ja", wintitle},
      {"en", "1,2,3: mechanism, p,c: change the path, a,b: arc-line or clothoid-line drawing, "
             "W,w: zoom in, out, x,X,y,Y: move the picture, 0: back to the start, s: motion on"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lang);
    agvtest::Xvfb x;  // each its own: the window of the last run may outlive it a little
    ASSERT_TRUE(x.ok());
    const std::string d = x.display();
    agvtest::Child sim({agvtest::agvsimPath(), "--lang", c.lang}, {"DISPLAY=" + d, noleaks()});
    ASSERT_TRUE(sim.write("pnk"));
    const std::string win = findwindow(d);
    ASSERT_NE(win, "");
    std::string title;
    for (int i = 0; i < 100; ++i) {
      title = sh(d, "xprop -id " + win + " _NET_WM_NAME WM_NAME").out;
      if (title.find("_NET_WM_NAME(UTF8_STRING)") != std::string::npos &&
          title.find("\nWM_NAME(UTF8_STRING)") != std::string::npos)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(title, "_NET_WM_NAME(UTF8_STRING) = \"" + c.title + "\"\nWM_NAME(UTF8_STRING) = \"" +
                         c.title + "\"\n");
    keys(d, win, "Escape");
    EXPECT_EQ(sim.wait(60), 0) << sim.out();
  }
}

// What the window shows, polled until it equals `want` (for about half a minute); the
// window is moved to (0, 0) first, so that all of it is on the screen.
Frame showing(const std::string& d, const std::string& win, const Frame& want) {
  sh(d, "xdotool windowmove --sync " + win + " 0 0");
  const std::string cmd = "xwd -silent -id " + win + " | convert xwd:- -flip -depth 8 rgb:-";
  Frame f;
  for (int i = 0; i < 150; ++i) {
    agvtest::RunResult r = sh(d, cmd);
    if (r.status == 0 && r.out.size() == 3u * W * H) {
      f.rgb.assign(r.out.begin(), r.out.end());
      if (f.differ(want) == 0) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return f;
}

TEST(EndToEnd, KeysTypedWhileAPassWaitsOnTheConsoleAreDropped) {
  Frame want;
  ASSERT_TRUE(readpng(golden("ptp_1a_start"), want));
  agvtest::Xvfb x;
  ASSERT_TRUE(x.ok());
  const std::string d = x.display();
  agvtest::Child sim({agvtest::agvsimPath()}, {"DISPLAY=" + d, noleaks()});
  ASSERT_TRUE(sim.write("pnk"));
  std::string win = findwindow(d);
  ASSERT_NE(win, "");
  ASSERT_EQ(keys(d, win, "p"), 0);
  ASSERT_TRUE(sim.waitfor("PTP経路の終点変更する？", 60)) << sim.out();
  // Type, drawing, steps, zoom, pan, a new pass and the end, while the pass waits.
  ASSERT_EQ(keys(d, win, "2 b s s s w x c Escape"), 0);
  ASSERT_TRUE(sim.write("nak"));  // the old end pose, drawing a, the last key
  ASSERT_TRUE(sim.waitfor("任意キーで描画画面へ", 60)) << sim.out();
  // The next frame shows the state the pass left: type 1, arc-line drawing, step 0.
  ASSERT_EQ(keys(d, win, "0"), 0);
  Frame f = showing(d, win, want);
  f.differ(want) == 0 ? void() : void(writepng(picture("e2e_dropped.png"), f));
  EXPECT_EQ(f.differ(want), 0) << "see " << picture("e2e_dropped.png");
  keys(d, win, "Escape");
  EXPECT_EQ(sim.wait(60), 0) << sim.out();
}

// agvsim --route: the route's picture (the golden frame drawn in process), 'p' to the
// dialogue, ESC; a route file refused before anything is asked, a refused leg after the
// route's report.
TEST(EndToEnd, ARouteFileIsShownThenPLeadsToTheDialogue) {
  Frame want;
  ASSERT_TRUE(readpng(golden("route_1a_start"), want));
  const std::string file = picture("route.csv"), bad = picture("route_bad.csv"),
                    far = picture("route_far.csv");
  ASSERT_EQ(sh("", "printf 'x,y,th\\n0,0,0\\n4,2,90\\n0,6,180\\n-3,0,-90\\n' >" + file +
                       " && printf 'x,y,th\\n0,0,0\\n4,2\\n' >" + bad +
                       " && printf 'x,y,th\\n0,0,0\\n2,3,0\\n90,3,0\\n' >" + far)
                .status,
            0);
  agvtest::Xvfb x;
  ASSERT_TRUE(x.ok());
  const std::string d = x.display();
  agvtest::RunResult r =
      agvtest::runprog({agvtest::agvsimPath(), "--route", bad}, "", {"DISPLAY=" + d}, 30);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "agvsim: " + bad + ":3: a waypoint has 3 fields, x,y,th, not 2\n");
  EXPECT_EQ(r.out, "");
  r = agvtest::runprog({agvtest::agvsimPath(), "--route", far}, "", {"DISPLAY=" + d, noleaks()},
                       30);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("agvsim: refused: leg 2 from"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("ルートの区間2で経路を作れない"), std::string::npos) << r.out;

  agvtest::Child sim({agvtest::agvsimPath(), "--route", file}, {"DISPLAY=" + d, noleaks()});
  ASSERT_TRUE(sim.write("k"));
  std::string win = findwindow(d);
  ASSERT_NE(win, "");
  Frame f = showing(d, win, want);
  f.differ(want) == 0 ? void() : void(writepng(picture("e2e_route.png"), f));
  EXPECT_EQ(f.differ(want), 0) << "see " << picture("e2e_route.png");
  ASSERT_EQ(keys(d, win, "p"), 0);
  ASSERT_TRUE(sim.waitfor("PTP経路の終点変更する？", 60)) << sim.out();
  ASSERT_TRUE(sim.write("nak"));
  ASSERT_TRUE(sim.waitfor("任意キーで描画画面へ", 60)) << sim.out();
  keys(d, win, "Escape");
  EXPECT_EQ(sim.wait(60), 0) << sim.out();
}

// agvsim --map: a bad map refused before anything is asked; a route in the warehouse shown
// with the map under it.
TEST(EndToEnd, AMapIsRefusedOrDrawnUnderARoute) {
  Frame want;
  ASSERT_TRUE(readpng(golden("map_bay_1a_start"), want));
  const std::string warehouse = std::string(AGV_SOURCE_DIR) + "/examples/warehouse.yaml";
  agvtest::Xvfb x;
  ASSERT_TRUE(x.ok());
  const std::string d = x.display();
  const std::string pgm = std::string(AGV_SOURCE_DIR) + "/examples/warehouse.pgm";
  agvtest::RunResult r = agvtest::runprog({agvtest::agvsimPath(), "--map", pgm}, "", {"DISPLAY=" + d}, 30);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "agvsim: " + pgm + ": larger than 64 KiB: not a map's YAML file\n");
  EXPECT_EQ(r.out, "");
  agvtest::Child sim({agvtest::agvsimPath(), "--route",
                      std::string(AGV_SOURCE_DIR) + "/examples/bay.csv", "--map", warehouse},
                     {"DISPLAY=" + d, noleaks()});
  ASSERT_TRUE(sim.waitfor("経路長", 60)) << sim.out();
  ASSERT_TRUE(sim.write("k"));
  std::string win = findwindow(d);
  ASSERT_NE(win, "");
  Frame f = showing(d, win, want);
  f.differ(want) == 0 ? void() : void(writepng(picture("e2e_map.png"), f));
  EXPECT_EQ(f.differ(want), 0) << "see " << picture("e2e_map.png");
  keys(d, win, "Escape");
  EXPECT_EQ(sim.wait(60), 0) << sim.out();
}

TEST(EndToEnd, WindowOpensOnABareServerThirtyTimesInARow) {
  // A server that resets itself whenever its last client leaves.
  agvtest::Xvfb x(true);
  ASSERT_TRUE(x.ok());
  const std::string d = x.display();
  int runs = 0, restarts = 0;
  while (runs < 30 && restarts < 30) {
    agvtest::Child sim({agvtest::agvsimPath()}, {"DISPLAY=" + d, noleaks()});
    ASSERT_TRUE(sim.write("pnk"));
    if (!sim.waitfor("任意キーで描画画面へ", 60)) {
      // The test's own last client left a reset that this start met: started again.
      ASSERT_NE(sim.out().find("no X display"), std::string::npos) << sim.out();
      ++restarts;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      continue;
    }
    // The program keeps a connection from here on, so the server no longer resets.
    std::string win = findwindow(d);
    ASSERT_NE(win, "") << "run " << runs << ": " << sim.out();
    keys(d, win, "Escape");
    ASSERT_EQ(sim.wait(60), 0) << "run " << runs << ": " << sim.out();
    ++runs;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  EXPECT_EQ(runs, 30);
}

TEST(NoDisplay, SaysSoAndEndsBeforeTheDialogue) {
  for (auto [env, says] : {std::pair{"DISPLAY", "DISPLAY is not set"},
                           std::pair{"DISPLAY=:4095", "no X display at :4095"}}) {
    agvtest::RunResult r = agvtest::runprog({agvtest::agvsimPath()}, "pnk", {env}, 30);
    EXPECT_FALSE(r.timedOut);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find(says), std::string::npos) << r.out << r.err;
    EXPECT_NE(r.out.find("描画画面を開けません"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("sgnPATH="), std::string::npos) << r.out;  // nothing asked
  }
}

}  // namespace
