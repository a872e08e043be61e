// The web page against agvbatch.  tests/web/drive.sh (the fixture Web.DriveThePageInChromium)
// has driven the page in headless Chromium through the cases of cases.txt and kept what it
// showed; here each is held to agvbatch's files of the same pass (the same lines and fields, the
// numbers to their last bits), and its canvas to Cairo's picture of the same view, by the
// likeness measure of the picture tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "picture/picsupport.h"
#include "picture/picture.h"
#include "support/files.h"
#include "support/proc.h"
#include "web/page.h"

namespace {

namespace fs = std::filesystem;
using pictest::Image;

constexpr double kAlike = 0.97;
// The page computes with glibc's own mathematics functions, those glibc runs on an x86-64
// processor without FMA: agvbatch told to run them too (as it does on such a processor) writes
// the very same bytes.  On a processor with FMA glibc runs variants of them that round about one
// call in a thousand to the other neighbour, so a number of agvbatch's own may differ in its last
// bits, and a tracked AGV's feedback carries that on: up to 5e-7 m seen.
const std::vector<std::string> kWithoutFma{"GLIBC_TUNABLES=glibc.cpu.hwcaps=-FMA,-FMA4"};
constexpr double kNear = 1e-6;
const std::string kShown = AGV_BINARY_DIR "/web";  // what drive.sh kept

struct Case {
  std::string name, query, keys;
  std::string mapfiles;  // the files of examples/ chosen on the page, space-separated
  std::vector<std::pair<std::string, std::string>> entries;  // the query, decoded
  bool bad() const { return name.rfind("bad", 0) == 0 || name == "refused"; }
  std::string get(const std::string& k, const std::string& dflt = "") const {
    for (const auto& [n, v] : entries)
      if (n == k) return v;
    return dflt;
  }
};

// A query string's entries, %XX and '+' decoded as a browser decodes them.
std::vector<std::pair<std::string, std::string>> decode(const std::string& q) {
  const auto unescape = [](const std::string& s) {
    std::string o;
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '+') {
        o += ' ';
      } else if (s[i] == '%' && i + 2 < s.size()) {
        o += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else {
        o += s[i];
      }
    }
    return o;
  };
  std::vector<std::pair<std::string, std::string>> e;
  size_t at = 0;
  while (at <= q.size()) {
    const size_t amp = std::min(q.find('&', at), q.size());
    const std::string kv = q.substr(at, amp - at);
    const size_t eq = kv.find('=');
    if (!kv.empty())
      e.emplace_back(unescape(kv.substr(0, eq)),
                     eq == std::string::npos ? "" : unescape(kv.substr(eq + 1)));
    at = amp + 1;
  }
  return e;
}

std::vector<Case> cases() {
  std::ifstream in(AGV_SOURCE_DIR "/tests/web/cases.txt");
  std::vector<Case> all;
  for (std::string l; std::getline(in, l);) {
    if (l.empty() || l[0] == '#') continue;
    Case c;
    const size_t t1 = l.find('\t'), t2 = l.find('\t', t1 + 1);
    c.name = l.substr(0, t1);
    c.query = l.substr(t1 + 1, t2 - t1 - 1);
    const size_t t3 = l.find('\t', t2 + 1);
    c.keys = l.substr(t2 + 1, t3 == std::string::npos ? std::string::npos : t3 - t2 - 1);
    if (c.keys == "-") c.keys.clear();
    if (t3 != std::string::npos) c.mapfiles = l.substr(t3 + 1);
    c.entries = decode(c.query);
    all.push_back(c);
  }
  EXPECT_GT(all.size(), 5u);
  return all;
}

// The YAML file of the case's map, from the source root: the first of the files chosen, or the
// map of the site named (one of examples/); empty for none.
std::string mapyaml(const Case& c) {
  if (!c.mapfiles.empty()) return c.mapfiles.substr(0, c.mapfiles.find(' '));
  return c.get("map").empty() ? "" : "examples/" + c.get("map") + ".yaml";
}

bool isview(const std::string& k) {
  for (const char* v : agvweb::kViewNames)
    if (k == v) return true;
  return false;
}

// agvbatch's command line for the pass of case c, run in the folder dir (a route's file
// written there, named "route" as the page names it).
std::vector<std::string> batchargs(const Case& c, const std::string& dir) {
  std::vector<std::string> a{AGVBATCH_EXE};
  const std::string path = c.get("path", "ptp");
  if (path == "ptp") {
    a.insert(a.end(), {"ptp", c.get("xf", "2"), c.get("yf", "3"), c.get("thf", "0")});
    if (!c.get("x0").empty() || !c.get("y0").empty() || !c.get("th0").empty())
      a.insert(a.end(), {"--from", c.get("x0", "0"), c.get("y0", "0"), c.get("th0", "0")});
  } else if (path == "cp") {
    const std::string I = c.get("I", "1");
    a.insert(a.end(), {"cp", I});
    for (int i = 0; agvweb::constname(std::stoi(I), i) != nullptr; ++i)
      a.push_back(c.get(agvweb::constname(std::stoi(I), i)));
  } else {
    std::ofstream(dir + "/route") << c.get("route");
    a.insert(a.end(), {"route", "route"});
  }
  if (!mapyaml(c).empty()) a.insert(a.end(), {"--map", AGV_SOURCE_DIR "/" + mapyaml(c)});
  for (const auto& [k, v] : c.entries)
    if (k != "path" && k != "lang" && k != "route" && k != "I" && k != "map" && !isview(k) &&
        std::string("x0 y0 th0 xf yf thf A L B n").find(k) == std::string::npos)
      a.insert(a.end(), {"--param", k + "=" + v});
  return a;
}

agvtest::RunResult agvbatch(const std::vector<std::string>& args, const std::string& dir,
                            const std::vector<std::string>& env = {}) {
  std::vector<std::string> cd{"/usr/bin/env", "-C", dir};
  cd.insert(cd.end(), args.begin(), args.end());
  return agvtest::runprog(cd, "", env, 120);
}

std::string shown(const Case& c, const std::string& file) {
  return agvtest::slurp(kShown + "/" + c.name + "/" + file);
}

// The page's pass and view of case c, natively: its map read from its files, its entries, then
// its keys.
void native(agvweb::Page& p, const Case& c) {
  if (!mapyaml(c).empty()) {
    const fs::path yaml = fs::path(AGV_SOURCE_DIR) / mapyaml(c);
    std::string err;
    ASSERT_TRUE(p.mapyaml(yaml.filename(), agvtest::slurp(yaml), err)) << err;
    const std::string image = agvtest::slurp(yaml.parent_path() / p.mapimage());
    ASSERT_TRUE(p.mapbytes(reinterpret_cast<const std::uint8_t*>(image.data()), image.size(), err))
        << err;
    p.set("map", yaml.stem());
  }
  for (const auto& [k, v] : c.entries)
    if (k != "lang") p.set(k, v);
  ASSERT_TRUE(p.run()) << c.name;
  for (char k : c.keys) p.key(static_cast<unsigned char>(k));
}

std::string picture(const agv::Scene& s) {
  std::string bytes, err;
  const agv::Sink put = [&](const unsigned char* d, size_t n) {
    bytes.append(reinterpret_cast<const char*>(d), n);
    return true;
  };
  EXPECT_TRUE(agv::writepicture(s, agv::Format::Png, agv::Size{}, put, err)) << err;
  return bytes;
}

// Where the page's text a differs from agvbatch's b: empty where they have the same lines and
// fields, each the same text or a number within kNear of the other (whole numbers, such as the
// step counts, the same), else the first line that differs, both ways.  `same` counts the
// fields of the same text, `fields` all of them.
std::string difference(const std::string& a, const std::string& b, long& same, long& fields) {
  std::istringstream sa(a), sb(b);
  for (int line = 1;; ++line) {
    std::string la, lb;
    const bool ga = static_cast<bool>(std::getline(sa, la));
    const bool gb = static_cast<bool>(std::getline(sb, lb));
    if (!ga && !gb) break;
    bool close = ga && gb;
    std::istringstream fa(la), fb(lb);
    for (std::string x, y; close;) {
      const bool gx = static_cast<bool>(std::getline(fa, x, ','));
      const bool gy = static_cast<bool>(std::getline(fb, y, ','));
      if (!gx || !gy) {
        close = gx == gy;
        break;
      }
      ++fields;
      if (x == y) {
        ++same;
        continue;
      }
      char* ea = nullptr;
      char* eb = nullptr;
      const double u = std::strtod(x.c_str(), &ea), v = std::strtod(y.c_str(), &eb);
      close = *ea == '\0' && *eb == '\0' && !x.empty() && !y.empty() &&
              std::fabs(u - v) <= kNear * std::fmax(1.0, std::fmax(std::fabs(u), std::fabs(v)));
    }
    if (!close) return "line " + std::to_string(line) + ":\n" + la + "\nagainst\n" + lb;
  }
  return "";
}

// The summary and every file are agvbatch's, byte for byte, where agvbatch runs glibc's functions
// without FMA; on this processor's own, each number within kNear (and how many the same text).
TEST(WebPage, SummaryAndEveryFileAreAgvbatchs) {
  std::printf("  %-16s %s\n", "",
              "fields the same text as agvbatch's with FMA, summary.csv, all files");
  for (const Case& c : cases()) {
    if (c.bad()) continue;
    SCOPED_TRACE(c.name);
    const std::string dir = agvtest::scratch("web-" + c.name);
    std::vector<std::string> args = batchargs(c, dir);
    const auto with = [&](const std::string& out) {
      std::vector<std::string> a = args;
      a.insert(a.end(), {"--out", out});
      return a;
    };
    agvtest::RunResult r = agvbatch(with("exact"), dir, kWithoutFma);
    ASSERT_EQ(r.status, 0) << r.err;
    r = agvbatch(with("out"), dir);
    ASSERT_EQ(r.status, 0) << r.err;
    // a search's time (with a map) is the one field no run repeats
    const auto file = [](const std::string& name) {
      return agvtest::blankcolumn(agvtest::slurp(name));
    };
    const auto page = [&c](const std::string& name) {
      return agvtest::blankcolumn(shown(c, name));
    };
    EXPECT_EQ(page("summary.csv"), file(dir + "/exact/summary.csv"));
    long same = 0, fields = 0, allsame = 0, all = 0;
    EXPECT_EQ(difference(page("summary.csv"), file(dir + "/out/summary.csv"), same, fields), "");
    int files = 0;
    for (const auto& f : fs::directory_iterator(dir + "/out")) {
      const std::string name = f.path().filename().string();
      EXPECT_TRUE(page("files/" + name) == file(dir + "/exact/" + name)) << name;
      EXPECT_EQ(difference(page("files/" + name), file(f.path().string()), allsame, all), "")
          << name;
      ++files;
    }
    std::printf("  %-16s %6.2f%% %6.2f%%\n", c.name.c_str(), 100.0 * same / fields,
                100.0 * allsame / all);
    EXPECT_EQ(std::distance(fs::directory_iterator(kShown + "/" + c.name + "/files"),
                            fs::directory_iterator{}),
              files);
    fs::remove_all(dir);
  }
}

TEST(WebPage, TheCanvasAfterTheKeysIsCairosPictureOfTheSameView) {
  std::printf("  %-16s %28s\n", "", "canvas near picture, reverse");
  for (const Case& c : cases()) {
    if (c.bad()) continue;
    SCOPED_TRACE(c.name);
    agvweb::Page p;
    native(p, c);
    Image canvas, cairo, reloaded;
    ASSERT_TRUE(pictest::pngfile(kShown + "/" + c.name + "/canvas.png", canvas));
    ASSERT_TRUE(pictest::pngbytes(picture(p.scene()), cairo));
    ASSERT_EQ(canvas.w, cairo.w);
    ASSERT_EQ(canvas.h, cairo.h);
    const double a = pictest::likeness(canvas, cairo), b = pictest::likeness(cairo, canvas);
    std::printf("  %-16s %6.2f%% %6.2f%%\n", c.name.c_str(), 100.0 * a, 100.0 * b);
    EXPECT_GE(a, kAlike);
    EXPECT_GE(b, kAlike);
    // The address after the keys is the view: loaded afresh it shows the very same canvas (a
    // map of the site's: a link cannot bring the user's own files), and the page natively
    // shows its view.
    ASSERT_TRUE(pictest::pngfile(kShown + "/" + c.name + "/reloaded.png", reloaded));
    if (mapyaml(c).rfind("examples/", 0) == 0 || mapyaml(c).empty()) {
      EXPECT_TRUE(reloaded.rgb == canvas.rgb);
    }
    EXPECT_NE(shown(c, "address.txt").find(p.viewquery()), std::string::npos)
        << shown(c, "address.txt") << " against " << p.viewquery();
  }
}

// A view that agvbatch's options can ask for: the page's picture of it is agvbatch's picture.
TEST(WebPage, ThePagesSceneIsTheSceneOfAgvbatchsPicture) {
  for (const Case& c : cases()) {
    if (c.name != "ptp") continue;
    const std::string dir = agvtest::scratch("web-picture");
    std::vector<std::string> args = batchargs(c, dir);
    args.insert(args.end(),
                {"--picture", "pass.png", "--mechanism", c.get("mech"), "--drawing",
                 c.get("drawing") == "b" ? "clothoid" : "arc", "--step", c.get("step")});
    const agvtest::RunResult r = agvbatch(args, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    agvweb::Page p;
    native(p, c);
    EXPECT_TRUE(picture(p.scene()) == agvtest::slurp(dir + "/pass.png"));
    fs::remove_all(dir);
  }
}

// A bad value in the address: the page shows agvbatch's message for it beside its field, and no
// pass.
TEST(WebPage, ABadValueShowsAgvbatchsRefusal) {
  for (const Case& c : cases()) {
    if (!c.bad()) continue;
    SCOPED_TRACE(c.name);
    const std::string dir = agvtest::scratch("web-" + c.name);
    std::vector<std::string> args = batchargs(c, dir);
    if (!c.get("step").empty())
      args.insert(args.end(), {"--picture", "x.png", "--step", c.get("step")});
    const agvtest::RunResult r = agvbatch(args, dir);
    EXPECT_NE(r.status, 0);
    std::string want = r.err.substr(0, r.err.find('\n'));
    const std::string prefix = "agvbatch: ", help = " (agvbatch --help tells the usage)";
    ASSERT_EQ(want.rfind(prefix, 0), 0u) << want;
    want = want.substr(prefix.size());
    if (want.size() > help.size() && want.substr(want.size() - help.size()) == help)
      want.resize(want.size() - help.size());
    const std::string messages = shown(c, "messages.tsv");
    EXPECT_NE(messages.find("\t" + want + "\n"), std::string::npos) << messages << "against\n"
                                                                    << want;
    EXPECT_EQ(shown(c, "summary.csv"), "");
    // The page natively refuses it so too.
    agvweb::Page p;
    for (const auto& [k, v] : c.entries) p.set(k, v);
    EXPECT_FALSE(p.run());
    ASSERT_FALSE(p.errors().empty());
    EXPECT_EQ(p.errors().front().second, want);
    fs::remove_all(dir);
  }
}

}  // namespace
