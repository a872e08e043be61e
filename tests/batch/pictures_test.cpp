// agvbatch's pictures and videos: the files and sizes asked for, videos whose frames cover the
// motion and no more, bad input refused with status 2 and nothing written, outputs that are not
// plain files, and signals during a video.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "picture/picture.h"
#include "support/files.h"
#include "support/proc.h"

namespace fs = std::filesystem;

namespace {

using agvtest::listing;
using agvtest::scratch;
using agvtest::slurp;

const std::string kExe = AGVBATCH_EXE;

agvtest::RunResult sh(const std::string& cmd, const std::vector<std::string>& env = {}) {
  return agvtest::runprog({"/bin/sh", "-c", cmd}, "", env, 300.0);
}

// An executable script.
void script(const std::string& file, const std::string& text) {
  std::ofstream(file) << "#!/bin/sh\n" << text;
  fs::permissions(file, fs::perms::owner_all);
}

// What ffprobe says of a video: frames, width, height, duration [s].
struct Probe {
  long frames = -1;
  int w = 0, h = 0;
  double duration = 0.0;
};
Probe probe(const std::string& file) {
  const agvtest::RunResult r = agvtest::runprog(
      {"/usr/bin/ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
       "-show_entries", "stream=nb_read_frames,width,height:format=duration", "-of",
       "default=noprint_wrappers=1", file},
      "", {}, 120.0);
  Probe p;
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);) {
    const std::string key = line.substr(0, line.find('=')), v = line.substr(line.find('=') + 1);
    if (key == "nb_read_frames") p.frames = std::stol(v);
    if (key == "width") p.w = std::stoi(v);
    if (key == "height") p.h = std::stoi(v);
    if (key == "duration") p.duration = std::stod(v);
  }
  return p;
}

// The width and height a PNG file's header gives.
std::pair<int, int> pngsize(const std::string& bytes) {
  const auto be = [&](size_t at) {
    return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
           (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
  };
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
  return {be(16), be(20)};
}

TEST(Pictures, EachFormatIsWrittenAtTheSizeAskedForAndTheCsvFilesOnlyWithOut) {
  const std::string dir = scratch("formats");
  agvtest::RunResult r = sh("cd " + dir + " && exec " + kExe +
                            " ptp 2 3 0 --picture p.png --size 400x300 --mechanism 2");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(pngsize(slurp(dir + "/p.png")), std::make_pair(400, 300));
  std::ofstream(dir + "_route.csv") << "x,y,th\n0,0,0\n4,2,90\n0,6,180\n";
  r = sh("cd " + dir + " && " + kExe + " cp 16 0.2 3 --picture p.svg --out csv && exec " + kExe +
         " route " + dir + "_route.csv --picture p.pdf --size 640 --step 3");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(slurp(dir + "/p.svg").rfind("<?xml", 0), 0u);
  EXPECT_NE(slurp(dir + "/p.svg").find("width=\"800px\""), std::string::npos);
  EXPECT_EQ(slurp(dir + "/p.pdf").rfind("%PDF", 0), 0u);
  EXPECT_NE(slurp(dir + "/p.pdf").find("/MediaBox [ 0 0 640 640 ]"), std::string::npos);
  EXPECT_EQ(listing(dir).size(), 4u);  // the pictures and the folder of --out
  EXPECT_EQ(listing(dir + "/csv").size(), 5u);
  fs::remove_all(dir);
  fs::remove(dir + "_route.csv");
}

// The last frame of a video shows the motion's last step, the frame before it an earlier one:
// the frames cover the motion at 25 a second and no more, and ffprobe reads them all.
TEST(Pictures, AVideoHasTheFramesSizeAndDurationAskedFor) {
  const std::string dir = scratch("videos");
  auto ptp = std::make_unique<agv::PtpResult>();
  ASSERT_EQ(agv::passPTP(agv::Params{}, 2, 3, 0, *ptp), agv::Status::Done);
  auto cp = std::make_unique<agv::CpResult>();
  ASSERT_EQ(agv::passCP(agv::Params{}, agv::Curve{16, 0.2, 3}, *cp), agv::Status::Done);
  const struct {
    std::string args, file;
    bool cp;
    agv::Shot shot;
    double speed;
    int w, h;
  } cases[] = {
      {"ptp 2 3 0 --video v.mp4", "v.mp4", false, {1, 'a', -1}, 1.0, 800, 800},
      {"ptp 2 3 0 --video v.gif --speed 2.5 --size 320x240 --mechanism 3 --drawing clothoid",
       "v.gif", false, {3, 'b', -1}, 2.5, 320, 240},
      {"cp 16 0.2 3 --video v.mp4 --speed 4 --size 200x100 --mechanism 2", "v.mp4", true,
       {2, 'a', -1}, 4.0, 200, 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const std::unique_ptr<agv::Scene> s = c.cp ? agv::cpshow(*cp) : agv::ptpshow(*ptp);
    std::string err;
    ASSERT_TRUE(agv::choose(*s, c.shot, err)) << err;
    const agvtest::RunResult r = sh("cd " + dir + " && exec " + kExe + " " + c.args);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string file = dir + "/" + c.file;
    const Probe p = probe(file);
    EXPECT_EQ(p.w, c.w);
    EXPECT_EQ(p.h, c.h);
    const double end = agv::laststep(*s) * agv::steptime(*s), dt = agv::steptime(*s);
    ASSERT_GT(p.frames, 1);
    // Frame i shows the step nearest to the motion's time i * speed / 25.
    EXPECT_GE((p.frames - 1) * c.speed / agv::videoFps, end - dt / 2.0 - 1e-9);
    EXPECT_LT((p.frames - 2) * c.speed / agv::videoFps, end - dt / 2.0);
    EXPECT_NEAR(p.duration, static_cast<double>(p.frames) / agv::videoFps, 1e-3);
    fs::remove(file);
  }
  fs::remove_all(dir);
}

// Each bad input: status 2, a message that says what is wrong, and nothing written.
TEST(Pictures, BadInputIsRefusedWithStatus2AndWritesNothing) {
  const std::string dir = scratch("bad");
  const std::string bin = dir + "_bin";
  fs::create_directories(bin);
  // An ffmpeg that takes some frames, then fails.
  script(bin + "/ffmpeg", "head -c 5000000 >/dev/null\necho 'fake: the encoder broke' >&2\nexit 1\n");
  fs::create_directories(dir + "/folder.png");
  const std::string ptp = "cd " + dir + " && exec " + kExe + " ptp 2 3 0 ";
  const struct {
    std::string cmd;
    std::string says;
    std::vector<std::string> env = {};
  } cases[] = {
      {ptp + "--picture p.bmp", "the formats of a picture are .png, .svg or .pdf"},
      {ptp + "--picture p", "the formats of a picture are .png, .svg or .pdf"},
      {ptp + "--video v.png", "the formats of a video are .mp4 or .gif"},
      {ptp + "--picture ''", "--picture needs a name"},
      {ptp + "--picture folder.png", "folder.png is a folder"},
      {ptp + "--picture none/p.png", "cannot write none/p.png: No such file or directory"},
      {ptp + "--picture /proc/p.png", "cannot write /proc/p.png"},
      {ptp + "--picture p.png --step 207", "step 207 is beyond the motion: its last step is 206"},
      {ptp + "--picture p.png --step 2147483648",
       "agvbatch: step 2147483648 is beyond the motion: its last step is 206 (agvbatch --help "
       "tells the usage)\n"},
      {ptp + "--picture p.png --step 99999999999999999999",
       "agvbatch: --step: step 99999999999999999999 is beyond any motion (a motion has at most "
       "2147483647 steps) (agvbatch --help tells the usage)\n"},
      {"cd " + dir + " && exec " + kExe + " cp 13 1 --picture p.png --step 99999 --mechanism 3",
       "beyond the motion"},
      {ptp + "--picture p.png --step -1", "--step: a step is a whole number from 0, not -1 "},
      {ptp + "--picture p.png --step 1.5", "--step: a step is a whole number from 0, not 1.5 "},
      {ptp + "--picture p.png --size 10x10", "--size: the size 10x10 is not WxH or N"},
      {ptp + "--picture p.png --size 800x", "--size: the size 800x is not WxH or N"},
      {ptp + "--video v.mp4 --size 401x300", "an MP4 video needs a width and a height that are even"},
      {ptp + "--video v.mp4 --speed 0", "--speed"},
      {ptp + "--video v.mp4 --speed nan",
       "agvbatch: --speed: a speed is a number from 0.01 to 1000, not nan (agvbatch --help "
       "tells the usage)\n"},
      {ptp + "--video v.mp4 --speed -inf",
       "agvbatch: --speed: a speed is a number from 0.01 to 1000, not -inf (agvbatch --help "
       "tells the usage)\n"},
      {ptp + "--picture p.png --speed 2", "--speed is for --video"},
      {ptp + "--video v.mp4 --step 2", "--step is for --picture"},
      {ptp + "--mechanism 2", "--mechanism is for --picture or --video"},
      {ptp + "--picture p.png --pan 1 nan", "--pan needs two finite numbers"},
      {ptp + "--picture p.png --mechanism 4", "--mechanism"},
      {ptp + "--picture p.png --drawing spline", "--drawing"},
      {ptp + "--video v.mp4", "ffmpeg is not on PATH", {"PATH=" + dir + "/none"}},
      {ptp + "--video v.mp4", "ffmpeg failed: fake: the encoder broke", {"PATH=" + bin}},
      // The CSV files of --out are renamed last, after the pictures.
      {ptp + "--out run --picture none/p.png",
       "cannot write none/p.png: No such file or directory; nothing written"},
      {ptp + "--out run --picture p.png --video v.mp4",
       "cannot write v.mp4: ffmpeg is not on PATH: videos need the program ffmpeg (Debian's "
       "package ffmpeg); nothing written",
       {"PATH=" + dir + "/none"}},
  };
  for (const auto& c : cases) {
    const agvtest::RunResult r = sh(c.cmd, c.env);
    EXPECT_EQ(r.status, 2) << c.cmd << "\n" << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.cmd << "\n" << r.err;
    EXPECT_EQ(listing(dir), std::vector<std::string>{"folder.png"}) << c.cmd;
  }
  fs::remove_all(dir);
  fs::remove_all(bin);
}

// The library refuses a size or a speed out of its bounds itself (NaN is never converted to a
// number of frames), whoever calls it.
TEST(Pictures, ASizeOrSpeedOutOfBoundsIsRefusedByTheLibrary) {
  auto ptp = std::make_unique<agv::PtpResult>();
  ASSERT_EQ(agv::passPTP(agv::Params{}, 2, 3, 0, *ptp), agv::Status::Done);
  const std::unique_ptr<agv::Scene> s = agv::ptpshow(*ptp);
  std::string err;
  ASSERT_TRUE(agv::choose(*s, agv::Shot{}, err)) << err;
  const double nan = std::nan("");
  const struct {
    agv::Size size;
    double speed;
    std::string says;
  } cases[] = {
      {{800, 800}, nan, "the speed nan is not a number from 0.01 to 1000"},
      {{800, 800}, -nan, "the speed -nan is not a number from 0.01 to 1000"},
      {{800, 800}, 1e-300, "the speed 1e-300 is not a number from 0.01 to 1000"},
      {{800, 800}, HUGE_VAL, "the speed inf is not a number from 0.01 to 1000"},
      {{800, 0}, 1.0, "the size 800x0 is not within 16 ... 8192 pixels a side"},
      {{-16, 16}, 1.0, "the size -16x16 is not within 16 ... 8192 pixels a side"},
      {{8194, 800}, 1.0, "the size 8194x800 is not within 16 ... 8192 pixels a side"},
  };
  const agv::Sink none = [](const unsigned char*, size_t) { return true; };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    err.clear();
    EXPECT_FALSE(agv::writevideo(*s, agv::Format::Mp4, c.size, c.speed, -1, false, {}, err));
    EXPECT_EQ(err, c.says);
    if (c.speed == 1.0) {
      err.clear();
      EXPECT_FALSE(agv::writepicture(*s, agv::Format::Png, c.size, none, err));
      EXPECT_EQ(err, c.says);
    } else {
      EXPECT_EQ(agv::videoframes(*s, c.speed), 0);
    }
  }
}

TEST(Pictures, NoMemoryWritesNothing) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
  const std::string dir = scratch("nomemory");
  for (const char* out : {"--picture p.png", "--video v.mp4"}) {
    const agvtest::RunResult r = sh("ulimit -v 200000; cd " + dir + " && exec " + kExe +
                                    " ptp 2 3 0 --size 8192x8192 " + out);
    EXPECT_EQ(r.status, 2) << out;
    EXPECT_NE(r.err.find("out of memory; nothing written"), std::string::npos) << r.err;
    EXPECT_TRUE(listing(dir).empty());
  }
  fs::remove_all(dir);
}

// A FIFO takes a fragmented MP4 as it comes and a device the picture, in place; a symbolic link
// is followed; closed standard files take nothing.
TEST(Pictures, OutputsThatAreNotPlainFilesFollowTheRulesOfTheCsvFiles) {
  const std::string dir = scratch("special");
  ASSERT_EQ(mkfifo((dir + "/fifo.mp4").c_str(), 0600), 0);
  std::string piped;
  std::thread reader([&] { piped = slurp(dir + "/fifo.mp4"); });
  agvtest::RunResult r = sh("exec " + kExe + " ptp 2 3 0 --video " + dir + "/fifo.mp4 --speed 4");
  reader.join();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(piped.substr(4, 4), "ftyp");
  std::ofstream(dir + "_copy.mp4", std::ios::binary) << piped;
  EXPECT_GT(probe(dir + "_copy.mp4").frames, 20);
  fs::remove(dir + "_copy.mp4");
  EXPECT_TRUE(fs::is_fifo(dir + "/fifo.mp4"));
  // A reader that goes after a little (of more than a pipe holds): ffmpeg fails to write the
  // rest, and ends with status 0.
  std::thread quitter([&] {
    const int fd = open((dir + "/fifo.mp4").c_str(), O_RDONLY);
    char some[1000];
    for (size_t got = 0; got < sizeof some;) {
      const ssize_t n = read(fd, some, sizeof some - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    close(fd);
  });
  r = sh("exec " + kExe + " ptp 2 3 0 --video " + dir + "/fifo.mp4");
  quitter.join();
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("ffmpeg failed: Error"), std::string::npos) << r.err;
  std::ofstream(dir + "/real.png") << "old";
  fs::create_symlink(dir + "/real.png", dir + "/link.png");
  fs::create_symlink(dir + "/none/x.png", dir + "/dangling.png");
  r = sh("exec " + kExe + " ptp 2 3 0 --picture " + dir + "/link.png <&- >&- 2>&-");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(fs::is_symlink(dir + "/link.png"));
  EXPECT_EQ(pngsize(slurp(dir + "/real.png")), std::make_pair(800, 800));
  r = sh("exec " + kExe + " ptp 2 3 0 --picture " + dir + "/dangling.png");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("a symbolic link to nothing that can be written"), std::string::npos);
  // A device of its own, as /dev/null is (1, 3): never the machine's, should the test fail.
  if (mknod((dir + "/null.png").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    r = sh("exec " + kExe + " ptp 2 3 0 --picture " + dir + "/null.png");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_character_file(dir + "/null.png"));
    // What a device was given is not taken back, and a failure says so.
    r = sh("exec " + kExe + " ptp 2 3 0 --picture " + dir + "/null.png --video " + dir +
           "/none/v.mp4");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "agvbatch: cannot write " + dir + "/none/v.mp4: No such file or directory; "
                     "nothing written; " + dir + "/null.png keeps what it was given\n");
  }
  EXPECT_EQ(listing(dir).size(), fs::exists(dir + "/null.png") ? 5u : 4u);
  fs::remove_all(dir);
}

// SIGINT to the program's group (Ctrl-C) or SIGTERM to it alone during a video: ffmpeg (in a
// group of its own) is ended, the video's file and the folder of the CSV files removed, the
// status 128 + the signal.
TEST(Pictures, ASignalDuringAVideoEndsFfmpegAndLeavesNothing) {
  const std::string dir = scratch("vsignal");
  const std::string bin = dir + "_bin";
  fs::create_directories(bin);
  script(bin + "/ffmpeg", "echo $$ > " + bin + "/pid\nexec /usr/bin/ffmpeg \"$@\"\n");
  for (const auto& [sig, group] : {std::pair{SIGINT, true}, std::pair{SIGTERM, false}}) {
    SCOPED_TRACE(sig);
    fs::remove(bin + "/pid");
    // A video of 400 s: minutes of work.
    const int pid = agvtest::spawn({"/bin/sh", "-c",
                                    "PATH=" + bin + ":$PATH; exec " + kExe +
                                        " ptp 2 3 0 --speed 0.01 --video " + dir +
                                        "/v.mp4 --out " + dir + "/run"},
                                   bin + "/err");
    ASSERT_GT(pid, 0);
    for (int i = 0; i < 5000 && (listing(dir).empty() || !fs::exists(bin + "/pid")); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int ffmpeg = std::stoi(slurp(bin + "/pid"));
    ASSERT_EQ(kill(ffmpeg, 0), 0);
    ASSERT_EQ(kill(group ? -pid : pid, sig), 0);
    const int status = agvtest::ends(pid, 10.0);
    if (status < 0) kill(-pid, SIGKILL), agvtest::ends(pid, 10.0);
    EXPECT_EQ(status, 128 + sig);
    EXPECT_EQ(kill(ffmpeg, 0), -1);
    EXPECT_TRUE(listing(dir).empty());
    EXPECT_NE(slurp(bin + "/err").find("; nothing written"), std::string::npos);
  }
  fs::remove_all(dir);
  fs::remove_all(bin);
}

// The folder of the CSV files is renamed last; when that fails (a folder of that name made
// meanwhile, here by the encoder), the pictures renamed before it are taken back: a file they
// replaced is back as it was, a new one gone.
TEST(Pictures, AFailedRenameTakesBackThePicturesRenamedBeforeIt) {
  const std::string dir = scratch("takeback");
  const std::string bin = dir + "_bin";
  fs::create_directories(bin);
  script(bin + "/ffmpeg",
         "mkdir -p " + dir + "/run && touch " + dir + "/run/x\nexec /usr/bin/ffmpeg \"$@\"\n");
  std::ofstream(dir + "/p.png") << "old";
  const agvtest::RunResult r =
      sh("cd " + dir + " && exec " + kExe +
             " ptp 2 3 0 --out run --picture p.png --video v.mp4 --speed 8",
         {"PATH=" + bin + ":/usr/bin:/bin"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "agvbatch: cannot write the files in run and the pictures: Directory not empty; "
                   "nothing written\n");
  EXPECT_EQ(listing(dir), (std::vector<std::string>{"p.png", "run"}));
  EXPECT_EQ(slurp(dir + "/p.png"), "old");
  EXPECT_EQ(listing(dir + "/run"), std::vector<std::string>{"x"});
  fs::remove_all(dir);
  fs::remove_all(bin);
}

}  // namespace
