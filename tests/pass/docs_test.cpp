// The reference pages hold the tables of the code: every parameter with its unit, default and
// range (docs/parameters.md), every column of every summary (docs/files.md).  The tables are
// made from the code's own; AGV_DOCS_WRITE=1 writes them into the pages.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "agv/agv.h"

namespace {

using namespace agv;

constexpr char kBegin[] = "<!-- generated: AGV_DOCS_WRITE=1 build-test/tests/test_pass --gtest_filter=Docs.* -->\n";
constexpr char kEnd[] = "<!-- end of the generated table -->\n";

std::string number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  std::string s = buf;
  if (s[0] == '-') s = "\u2212" + s.substr(1);  // a minus sign
  return s;
}

// The table of the parameters, as Markdown.
std::string parametertable() {
  std::string t = "| Name | Meaning | Unit | Default | Allowed |\n|---|---|---|---|---|\n";
  const Params defaults;
  for (int i = 0; i < nParams; ++i) {
    const ParamInfo p = paraminfo(i);
    const double d = getparam(defaults, p.name);
    std::string allowed = number(p.lo) + " \u2026 " + number(p.hi);
    std::string def = number(d);
    if (*p.names != '\0') {
      std::string names = p.names;
      for (size_t at = names.find(','); at != std::string::npos; at = names.find(',', at + 2))
        names.replace(at, 1, ", ");
      allowed = names + " (or " + number(p.lo) + "\u2013" + number(p.hi) + ")";
      def = paramname(p.name, d);
    } else if (p.whole && p.lo == 0 && p.hi == 1) {
      allowed = "0 or 1";
    } else if (p.whole) {
      allowed += ", whole";
    }
    t += std::string("| `") + p.name + "` | " + p.about + " | " + p.unit + " | " + def + " | " +
         allowed + " |\n";
  }
  return t;
}

// Whether a column is a run's: arcK_..., clothoidK_... or cpK_..., K = 1, 2, 3.
bool runcolumn(const std::string& title) {
  for (const std::string run : {"arc", "clothoid", "cp"})
    for (const char k : {'1', '2', '3'})
      if (title.rfind(run + k + "_", 0) == 0) return true;
  return false;
}

// The columns of every summary, with every feature: a table's own columns, then the columns of
// each run (their names after the run's: arc1_ ... clothoid3_, or cp1_ ... cp3_).
std::string columntable() {
  const struct {
    Table t;
    const char* file;
  } tables[] = {{Table::Ptp, "`summary.csv` of `ptp`, a row of `sweep`"},
                {Table::Leg, "`legs.csv` of `route`"},
                {Table::Route, "`summary.csv` of `route`"},
                {Table::Cp, "`summary.csv` of `cp`"},
                {Table::Track, "`summary.csv` of `track`"}};
  const Features all{true, true, true};
  std::string out;
  for (const auto& [t, file] : tables) {
    out += "- " + std::string(file) + ": ";
    const bool curve = t == Table::Cp || t == Table::Track;
    const char* first = curve ? "cp1_" : "arc1_";
    std::string own, runs;
    for (const Column& c : columns(t, all)) {
      const std::string title = c.title();
      if (title.rfind(first, 0) == 0) {
        runs += (runs.empty() ? "" : ", ") + ("`" + title.substr(std::string(first).size()) + "`");
      } else if (!runcolumn(title)) {
        own += (own.empty() ? "" : ", ") + ("`" + title + "`");
      }
    }
    out += own + "; then for each run " +
           (curve ? std::string("(`cpK_`, K = 1, 2, 3)") : std::string("(`arcK_`, then `clothoidK_`, K = 1, 2, 3)")) +
           ": " + runs + "\n";
  }
  return out;
}

// The page's generated part is `table`; AGV_DOCS_WRITE=1 writes it there.
void expectgenerated(const std::string& page, const std::string& table) {
  const std::string path = std::string(AGV_SOURCE_DIR) + "/docs/" + page;
  std::ifstream in(path);
  ASSERT_TRUE(in) << path;
  std::stringstream buf;
  buf << in.rdbuf();
  std::string text = buf.str();
  const size_t a = text.find(kBegin), b = text.find(kEnd);
  ASSERT_NE(a, std::string::npos) << page << " has no generated table";
  ASSERT_NE(b, std::string::npos) << page << " has no end of its generated table";
  const std::string generated = text.substr(a + sizeof kBegin - 1, b - a - (sizeof kBegin - 1));
  if (std::getenv("AGV_DOCS_WRITE") != nullptr) {
    text.replace(a + sizeof kBegin - 1, b - a - (sizeof kBegin - 1), table);
    std::ofstream(path) << text;
    return;
  }
  EXPECT_EQ(generated, table) << page << " is not the table of the code: AGV_DOCS_WRITE=1";
}

TEST(Docs, TheReferenceHoldsEveryParameterAndEveryColumn) {
  expectgenerated("parameters.md", parametertable());
  expectgenerated("files.md", columntable());
  // Every parameter is named in the page, whatever else changes.
  std::ifstream in(std::string(AGV_SOURCE_DIR) + "/docs/parameters.md");
  std::stringstream page;
  page << in.rdbuf();
  for (int i = 0; i < nParams; ++i)
    EXPECT_NE(page.str().find(std::string("`") + paraminfo(i).name + "`"), std::string::npos)
        << paraminfo(i).name;
}

// Every link of the README and of the reference's pages to a file of the tree reaches one, and
// the README's first 40 lines hold the two set-up commands and a first result.
TEST(Docs, LinksReachTheirFilesAndTheFirstScreenTakesANewUserToAResult) {
  namespace fs = std::filesystem;
  const fs::path root(AGV_SOURCE_DIR);
  std::vector<fs::path> pages = {root / "README.md"};
  for (const auto& e : fs::directory_iterator(root / "docs"))
    if (e.path().extension() == ".md") pages.push_back(e.path());
  for (const fs::path& page : pages) {
    std::ifstream in(page);
    std::stringstream text;
    text << in.rdbuf();
    const std::string t = text.str();
    // Each link [text](target): a target of the tree, not an address or an anchor alone.
    for (size_t at = t.find("]("); at != std::string::npos; at = t.find("](", at + 2)) {
      const size_t end = t.find(')', at + 2);
      if (end == std::string::npos) break;
      std::string target = t.substr(at + 2, end - at - 2);
      target = target.substr(0, target.find('#'));
      if (target.empty() || target.find(':') != std::string::npos) continue;
      EXPECT_TRUE(fs::exists(page.parent_path() / target)) << page << ": " << target;
    }
  }
  std::ifstream in(root / "README.md");
  std::string line, first;
  for (int i = 0; i < 40 && std::getline(in, line); ++i) first += line + "\n";
  for (const char* must : {"scripts/run.sh", "scripts/test.sh", "agvbatch ptp", "--picture",
                           "import agvsim"})
    EXPECT_NE(first.find(must), std::string::npos) << must;
}

}  // namespace
