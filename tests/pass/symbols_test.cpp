// The core library holds no writable data: every symbol nm finds is code or constant.  A
// constant table of pointers (names, functions) lies in .data.rel.ro: the loader fills in its
// addresses once, and the pages are read-only from then on.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/proc.h"

namespace {

TEST(Symbols, TheCoreLibraryHasNoWritableData) {
  const agvtest::RunResult r = agvtest::runprog(
      {"/usr/bin/nm", "-C", "--defined-only", "--format=sysv", AGV_CORE_LIB}, "", {}, 60.0);
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.out);
  std::string line;
  int symbols = 0;
  std::string writable;
  while (std::getline(lines, line)) {
    // "NAME|VALUE|CLASS|TYPE|SIZE|LINE|SECTION"; the object file headers have no fields.
    std::istringstream fields(line);
    std::string f[7];
    int n = 0;
    while (n < 7 && std::getline(fields, f[n], '|')) ++n;
    if (n < 7) continue;
    ++symbols;
    const char type = f[2].find_first_not_of(' ') != std::string::npos
                          ? f[2][f[2].find_first_not_of(' ')]
                          : ' ';
    const bool relro = f[6].rfind(".data.rel.ro", 0) == 0;
    if ((type == 'B' || type == 'b' || type == 'D' || type == 'd') && !relro) writable += line + "\n";
  }
  EXPECT_GT(symbols, 100);
  EXPECT_EQ(writable, "");
}

}  // namespace
