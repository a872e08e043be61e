// agvbatch's outputs: names that are not plain files are never replaced, a pass's folder appears
// whole or not at all, closed standard files take no file, a signal after the files are written
// says so, failures that are not a pose's own write nothing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "batch/batch.h"
#include "batch/files.h"
#include "support/files.h"
#include "support/proc.h"

namespace fs = std::filesystem;

namespace {

using agvtest::scratch;
using agvtest::slurp;

const std::string kSweep = std::string(AGVBATCH_EXE) +
                           " sweep --x 0:1:1 --y 0:0:1 --th 0:0:1 --quiet --out ";

agvtest::RunResult sh(const std::string& cmd) {
  return agvtest::runprog({"/bin/sh", "-c", cmd}, "", {}, 120.0);
}

// The type of what a name stands for, without following a link.
fs::file_type kind(const std::string& path) { return fs::symlink_status(path).type(); }

TEST(Outputs, NamesThatAreNotPlainFilesAreNeverReplaced) {
  const std::string dir = scratch("names");
  const std::string fifo = dir + "/fifo", link = dir + "/link.csv", real = dir + "/real.csv";
  const std::string dangling = dir + "/dangling.csv", sock = dir + "/sock";
  // A device of its own, as /dev/null is (1, 3): never the machine's, should the test fail.
  const std::string dev = dir + "/null";
  if (mknod(dev.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "mknod needs root";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::ofstream(real) << "old";
  fs::create_symlink(real, link);
  fs::create_symlink(dir + "/none/x.csv", dangling);
  const int s = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, sock.c_str(), sizeof addr.sun_path - 1);
  ASSERT_EQ(bind(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
  // What a FIFO is given, read as it comes.
  std::string piped;
  std::thread reader([&] { piped = slurp(fifo); });
  const struct {
    std::string name;
    int status;
    fs::file_type stays;
    const char* says;
  } cases[] = {
      {dev, 0, fs::file_type::character, ""},   // written in place
      {fifo, 0, fs::file_type::fifo, ""},              // written in place
      {link, 0, fs::file_type::symlink, ""},           // followed
      {dangling, 2, fs::file_type::symlink, "a symbolic link to nothing"},
      {sock, 2, fs::file_type::socket, "cannot write"},
      {dir, 2, fs::file_type::directory, "is a folder"},
  };
  for (const auto& c : cases) {
    const agvtest::RunResult r = sh(kSweep + c.name);
    EXPECT_EQ(r.status, c.status) << c.name << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.name << r.err;
    EXPECT_EQ(kind(c.name), c.stays) << c.name;
  }
  // A reader still waiting (when nothing opened the FIFO) is let go.
  const int w = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
  if (w >= 0) close(w);
  reader.join();
  close(s);
  const std::string rows = slurp(real);
  EXPECT_EQ(rows.rfind("index,x[m],y[m],th[deg],status,row,", 0), 0u);
  EXPECT_EQ(piped, rows);
  // Only the files made for the cases: no temporary file left beside any.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 6);
  fs::remove_all(dir);
}

// A name that ends on a descriptor the program was given (/dev/stdout, /dev/fd/N, a link to
// one) is written through it, never replaced: a file opened with >> keeps its lines, a pipe
// takes the rows.  A descriptor the program opened itself is no such name.
TEST(Outputs, ADescriptorItWasGivenIsWrittenThroughNeverReplaced) {
  const std::string dir = scratch("given");
  const std::string log = dir + "/log.txt", link = dir + "/link.csv";
  ASSERT_EQ(sh(kSweep + dir + "/rows.csv").status, 0);
  const std::string rows = slurp(dir + "/rows.csv");
  std::ofstream(log) << "old\n";
  fs::create_symlink("/dev/stdout", link);
  struct stat before {};
  ASSERT_EQ(stat(log.c_str(), &before), 0);
  std::string want = "old\n";
  for (const std::string& to : {"/dev/stdout >> " + log, "/dev/fd/3 3>> " + log,
                                "/proc/self/fd/1 >> " + log, link + " >> " + log,
                                "/dev/stdout | cat >> " + log}) {
    const agvtest::RunResult r = agvtest::runprog(
        {"/bin/bash", "-c", "set -o pipefail; " + kSweep + to}, "", {}, 120.0);
    EXPECT_EQ(r.status, 0) << to << r.err;
    want += rows;
    EXPECT_EQ(slurp(log), want) << to;
  }
  struct stat after {};
  ASSERT_EQ(stat(log.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(kind(link), fs::file_type::symlink);
  const agvtest::RunResult r = sh(kSweep + "/dev/stdin < " + log);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "agvbatch: cannot write /dev/stdin: open for reading only; nothing written\n");
  // In this process: a descriptor it did not take across exec (FD_CLOEXEC) names no output.
  const int own = open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  ASSERT_GE(own, 0);
  agvbatch::Output out("/dev/fd/" + std::to_string(own), agvbatch::pending());
  std::string err;
  EXPECT_FALSE(out.open(err));
  EXPECT_EQ(err, "names no file agvbatch was given open");
  close(own);
  EXPECT_EQ(slurp(log), want);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);
  fs::remove_all(dir);
}

// An empty name (an unset shell variable) is refused, and the default file is not written.
TEST(Outputs, AnEmptyNameIsRefused) {
  const std::string dir = scratch("empty");
  for (const char* cmd : {" sweep --x 0:1:1 --y 0:0:1 --th 0:0:1 --out ''", " ptp 2 3 0 --out ''",
                          " cp 16 0.2 3 --out ''"}) {
    const agvtest::RunResult r = sh("cd " + dir + " && exec " + AGVBATCH_EXE + cmd);
    EXPECT_EQ(r.status, 2) << cmd;
    EXPECT_NE(r.err.find("--out needs a name"), std::string::npos) << r.err;
  }
  EXPECT_TRUE(fs::is_empty(dir));
  fs::remove_all(dir);
}

// The folder of a pass is built beside its name and renamed to it: a refusal, a file-size limit
// or a signal leaves nothing, not even an empty folder; a folder that exists gets its files.
TEST(Outputs, APassFolderAppearsWholeOrNotAtAll) {
  const std::string dir = scratch("folder");
  const std::string exe = AGVBATCH_EXE;
  const struct {
    std::string cmd;
    int status;
    size_t files;  // in dir/run afterwards (none: no folder)
  } cases[] = {
      {exe + " ptp 100 0 0 --out " + dir + "/run", 1, 0},
      {"ulimit -f 64; exec " + exe + " ptp 4 -3 -45 --out " + dir + "/run", 2, 0},
      {"ulimit -f 8; exec " + exe + " cp 16 0.2 3 --out " + dir + "/run", 2, 0},
      {exe + " ptp 4 -3 -45 --out " + dir + "/run/", 0, 14},  // a slash at its end too
      {"rm -r " + dir + "/run && exec " + exe + " ptp 4 -3 -45 --out " + dir + "/run", 0, 14},
      {exe + " cp 16 0.2 3 --out " + dir + "/run", 0, 17},  // into the folder that exists
  };
  for (const auto& c : cases) {
    const agvtest::RunResult r = sh(c.cmd);
    EXPECT_EQ(r.status, c.status) << c.cmd << r.err;
    EXPECT_EQ(fs::exists(dir + "/run") ? std::distance(fs::directory_iterator(dir + "/run"),
                                                       fs::directory_iterator())
                                       : 0,
              static_cast<long>(c.files))
        << c.cmd;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()),
              c.files > 0 ? 1 : 0)
        << c.cmd;  // nothing beside it
  }
  fs::remove_all(dir);
}

// A rename into a folder that exists that cannot be done (the file it would replace is
// immutable, chattr +i) fails before any other: the folder keeps every file it held.
TEST(Outputs, ARenameThatFailsIntoAFolderLeavesItAsItWas) {
  const std::string dir = scratch("immutable");
  const std::string run = dir + "/run";
  ASSERT_EQ(sh(std::string(AGVBATCH_EXE) + " ptp 2 3 0 --out " + run).status, 0);
  if (sh("chattr +i " + run + "/summary.csv 2>/dev/null").status != 0) {
    fs::remove_all(dir);
    GTEST_SKIP() << "chattr +i needs root and a file system that has it";
  }
  std::map<std::string, std::string> before;
  for (const auto& f : fs::directory_iterator(run)) before[f.path().string()] = slurp(f.path());
  const agvtest::RunResult r = sh(std::string(AGVBATCH_EXE) + " ptp 4 -3 -45 --out " + run);
  sh("chattr -i " + run + "/summary.csv");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "agvbatch: cannot write the files in " + run +
                       ": Operation not permitted; nothing written\n");
  std::map<std::string, std::string> after;
  for (const auto& f : fs::directory_iterator(run)) after[f.path().string()] = slurp(f.path());
  EXPECT_TRUE(after == before);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  fs::remove_all(dir);
}

// Closed standard files are opened on /dev/null: the progress line goes nowhere, never into
// the file that would have taken descriptor 2.
TEST(Outputs, ClosedStandardFilesTakeNoFile) {
  const std::string dir = scratch("closed");
  const agvtest::RunResult r =
      sh(std::string(AGVBATCH_EXE) + " sweep --x 0:4:1 --y 0:4:1 --th -180:170:20 --progress --out " +
         dir + "/s.csv <&- >&- 2>&-");
  EXPECT_EQ(r.status, 0);
  const std::string text = slurp(dir + "/s.csv");
  EXPECT_EQ(text.find("agvbatch"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 451);
  fs::remove_all(dir);
}

// A signal taken after the files are committed does not claim that nothing was written.
TEST(Outputs, ASignalAfterTheCommitSaysTheFilesWereWritten) {
  const std::string dir = scratch("late");
  int err[2];
  ASSERT_EQ(pipe(err), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(err[1], 2);
    agvbatch::Output out(dir + "/f.csv", agvbatch::pending());
    std::string e;
    if (out.open(e) && out.put("x\n", e) && out.commit(e)) agvbatch::interrupted(SIGTERM);
    _exit(1);
  }
  close(err[1]);
  std::string said;
  char buf[256];
  for (ssize_t n; (n = read(err[0], buf, sizeof buf)) > 0;) said.append(buf, static_cast<size_t>(n));
  close(err[0]);
  int st = 0;
  waitpid(pid, &st, 0);
  EXPECT_EQ(WEXITSTATUS(st), 128 + SIGTERM);
  EXPECT_EQ(said, "agvbatch: interrupted (SIGTERM); the files were written\n");
  EXPECT_EQ(slurp(dir + "/f.csv"), "x\n");
  fs::remove_all(dir);
}

// Out of memory (an address-space limit) while the threads of a sweep compute its rows: the
// sweep stops with status 2 and writes nothing, whatever --jobs, so that no row says
// "bad_alloc" where another run has the pass's numbers.
TEST(Outputs, NoMemoryStopsASweepAndWritesNothing) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
  const std::string dir = scratch("memory");
  for (const char* jobs : {"4", "8"}) {
    const agvtest::RunResult r =
        sh(std::string("ulimit -v 90000; exec ") + AGVBATCH_EXE +
           " sweep --x 30:40:0.05 --y 0:0:1 --th 0:0:1 --param maxSteps=1000000 --param dt=0.001"
           " --quiet --jobs " + jobs + " --out " + dir + "/s.csv");
    EXPECT_EQ(r.status, 2) << jobs << r.err;
    EXPECT_NE(r.err.find("; nothing written"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_empty(dir)) << jobs;
  }
  fs::remove_all(dir);
}

}  // namespace
