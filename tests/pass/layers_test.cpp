// The include graph of the sources points one way, from the top layer down: the public
// headers include nothing of the project's; the core includes them, its own layer and the
// layers below; the programs include the public headers and their own layers, never the
// core's inside.  No files include each other round.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Layers from the bottom, by the folder a file lies in (relative to the source root).
constexpr int kPublic = 0;
constexpr int kCoreTop = 5;
const std::map<std::string, int> kLayers = {
    {"include/agv", kPublic},  // the public headers: value types and passes
    {"src/base", 1},           // the model of a pass
    {"src/map", 2},            // maps, the body in them, collisions
    {"src/ptp", 2},            // planner, clothoids, step tables, schedules
    {"src/search", 3},         // the search for a path in a map
    {"src/motion", 3},         // vehicle models, integrators, runs, extents
    {"src/cp", 4},             // curves, arc length, the CP run
    {"src/pass", kCoreTop},    // the passes of the public headers
    {"src/cli", 6},            // parameters of the command lines
    {"src/mapfile", 6},        // map files: YAML, PGM and PNG
    {"src/output", 6},         // files written whole or not at all
    {"src/session", 7},        // the simulator's state
    {"src/console", 8},        // console, dialogue, set-up, window keys
    {"src/render", 9},         // drawing
    {"src/picture", 10},       // pictures and videos without a window
    {"src/window", 10},        // the window, main
    {"batch", 11},             // agvbatch
    {"python", 12},            // the Python module
    {"web", 11},               // the web page
    {"web/glibm", 11},         // what glibc's build gives the glibc sources the page compiles
};

// A file's layer from its folder; -1 for none.
int layer(const std::string& file) {
  const std::string dir = fs::path(file).parent_path().string();
  const auto it = kLayers.find(dir);
  return it == kLayers.end() ? -1 : it->second;
}

// The file an include names: a public header under include/, the rest under src/ (batch/,
// python/ and web/ under the root).
std::string target(const std::string& inc) {
  if (inc.rfind("agv/", 0) == 0) return "include/" + inc;
  if (inc.rfind("batch/", 0) == 0 || inc.rfind("python/", 0) == 0 || inc.rfind("web/", 0) == 0)
    return inc;
  return "src/" + inc;
}

// A file's module: its path without the extension (a header and its source).
std::string module(const std::string& f) { return f.substr(0, f.rfind('.')); }

TEST(Layers, IncludesPointDownAndNeverRound) {
  const fs::path root(AGV_SOURCE_DIR);
  std::map<std::string, std::set<std::string>> uses;  // module -> modules it includes
  int files = 0;
  for (const std::string top : {"include", "src", "batch", "python", "web"}) {
    for (const auto& e : fs::recursive_directory_iterator(root / top)) {
      if (!e.is_regular_file() || (e.path().extension() != ".h" && e.path().extension() != ".cpp"))
        continue;
      const std::string f = fs::relative(e.path(), root).string();
      ++files;
      const int lf = layer(f);
      ASSERT_GE(lf, 0) << f << " is in no layer";
      std::ifstream in(e.path());
      std::string line;
      const std::string inc = "#include \"";
      while (std::getline(in, line)) {
        if (line.rfind(inc, 0) != 0) continue;
        const std::string to = target(line.substr(inc.size(), line.find('"', inc.size()) - inc.size()));
        ASSERT_TRUE(fs::exists(root / to)) << f << " includes " << to;
        const int lt = layer(to);
        if (lf == kPublic) {
          EXPECT_EQ(lt, kPublic) << f << ": a public header includes " << to;
        } else if (lt != kPublic) {
          EXPECT_LE(lt, lf) << f << " includes " << to << ", a layer above it";
          if (lf > kCoreTop) {
            EXPECT_GT(lt, kCoreTop) << f << " includes " << to << ", inside the core";
          }
        }
        if (module(to) != module(f)) uses[module(f)].insert(module(to));
      }
    }
  }
  EXPECT_GT(files, 50);
  // No cycle among the modules: a depth-first walk meets no module on its own path.
  std::map<std::string, int> state;  // 1 on the path, 2 done
  std::vector<std::string> path;
  std::function<void(const std::string&)> walk = [&](const std::string& m) {
    state[m] = 1;
    path.push_back(m);
    for (const std::string& n : uses[m]) {
      if (state[n] == 1) {
        std::string round;
        for (const std::string& p : path) round += p + " -> ";
        ADD_FAILURE() << "include cycle: " << round << n;
      } else if (state[n] == 0) {
        walk(n);
      }
    }
    path.pop_back();
    state[m] = 2;
  };
  for (const auto& [m, to] : uses)
    if (state[m] == 0) walk(m);
}

}  // namespace
