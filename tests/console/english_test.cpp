// The English console: whole transcripts, every session of the fuzz corpus free of Japanese,
// and the program's --lang and AGVSIM_LANG.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "console/console.h"
#include "support/harness.h"
#include "support/proc.h"
#include "support/session.h"

namespace {

class English : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(agv::con::language(agv::con::Lang::En, AGV_BINARY_DIR "/locale"));
  }
  void TearDown() override { agv::con::language(agv::con::Lang::Ja, ""); }
};

const std::string kReport =
    "\n\n/*************** conditions of the AGV path generation *************/"
    "\n(1-1) 1:2DW1C type"
    "\n(1-2) speed    Vmax= 1.00[m/s] constant"
    "\n(1-4) minimum turning radius  Ra= 1.00[m]"
    "\nPTP motion: a path generated from a start and an end pose"
    "\n(2-1) PTP start (x0,y0)=( 0.0000  0.0000)[m], th0= 0.00[deg]";
const std::string kTail =
    "\n/***********************************************************************/\n";
const std::string kKeys =
    "\n- keys change the path and its end pose"
    "\n(1) keys in the window"
    "\n(1-1) '1' '2' '3' : the AGV's mechanism"
    "\n(1-2) 'p' 'c'     : PTP or CP"
    "\n(2) drawing"
    "\n(2-1) 'a' 'b': the AGVs on the arc-line or the clothoid-line path"
    "\n(2-2) 's'   : motion on"
    "\n(2-3) '0'   : back to the start of the motion"
    "\n(2-4) 'x' 'X' 'y' 'Y': move the picture left, right, down, up"
    "\n(2-5) 'w' 'W': zoom the picture out, in"
    "\n(3)   ESC   : end"
    "\n\nany key opens the window       ";

TEST_F(English, APtpPassWithATypedEndPoseAndARefusedAnswer) {
  auto s = std::make_unique<agv::Session>();
  const auto t = agvtest::firstPass(*s, "pyy4 -3 x\n4 -3 -45\nx");
  ASSERT_FALSE(t.eof);
  const std::string pose = "\n         end   (xf,yf)=( 2.0000  3.0000)[m], thf= 0.00[deg]";
  const std::string typed = "\n         end   (xf,yf)=( 4.0000 -3.0000)[m], thf=-45.00[deg]";
  const std::string draw = "\n(3) draws the constant- and variable-velocity motions on the arc-line path";
  EXPECT_EQ(t.out,
            "\nsimulation of path generation and path following of mobile robots (AGVs)"
            "\n  (1) the path kind, PTP or CP, and the path"
            "\n  (2) choice of the AGV mechanism"
            "\n\n p:PTP   c:CP  path kind sgnPATH=p" +
                kReport + pose + draw + kTail + "\n   change the path?  yes : y   no : n " +
                "\n\n(3) start (x0,y0)=(0,0)[m], th0=0deg" +
                ", old end (xf,yf)=( 2.000  3.000)[m], thf= 0.00deg" +
                "\n    change the end pose of the PTP path?  change: y,  keep: n  " +
                "\n    type xf[m] yf[m] thf[deg]=" +
                "\nnot a finite number; type a number again" +
                "\n    type xf[m] yf[m] thf[deg]=" +
                kReport + typed + draw + kTail + "\n" +
                "\nadopted path i=3 curvature directions=(-1 0 -1)"
                "\n       3 segments s[]=( 0.6881  4.2628  0.0973)[m] path length sf= 5.0482[m]"
                "\n      start  P0[]=( 0.0000  0.0000    0.00deg)"
                "\n      joints P1[]=( 0.6351 -0.2275  -39.42deg) P2[]=( 3.9279 -2.9346 -39.42deg)"
                "\n      end    Pf[]=( 4.0000 -3.0000  -45.00deg)" +
                "\n\n      computing ...\n" +
                "\n\n(1) theoretical paths (two: arc-line (red), clothoid-line (green))"
                "\n(2) two AGV motions: constant velocity (strays from the path it cannot follow) "
                "and variable velocity" +
                kKeys + " x");
}

// Every session of the fuzz corpus speaks English only: no byte of a Japanese text is left.
TEST_F(English, EverySessionOfTheCorpusIsInEnglish) {
  int files = 0;
  for (const auto& e :
       std::filesystem::directory_iterator(std::string(AGV_SOURCE_DIR) + "/fuzz/corpus")) {
    SCOPED_TRACE(e.path().filename().string());
    std::ifstream in(e.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string out;
    agvtest::runsession(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &out);
    // The input's own bytes come back as typed (the keys are echoed): what a session adds is
    // English.
    std::string typed(bytes.size(), ' ');
    for (size_t i = 0; i < out.size(); ++i)
      if (static_cast<unsigned char>(out[i]) >= 0x80 && bytes.find(out[i]) == std::string::npos)
        FAIL() << "not English at " << i << ": " << out.substr(i > 40 ? i - 40 : 0, 80);
    ++files;
  }
  EXPECT_GE(files, 20);
}

// The program: --lang en or AGVSIM_LANG=en speak English from the first line, --lang ja (or
// no option) Japanese, any other language is refused before anything else happens.
TEST(EnglishProgram, LangAndAgvsimLangChooseTheLanguage) {
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> env;
    int status;
    const char* says;  // on stdout, or stderr for a refused option
  } cases[] = {
      {{"--lang", "en"}, {"DISPLAY"}, 1, "\ncannot open the window: DISPLAY is not set\n"},
      {{}, {"DISPLAY", "AGVSIM_LANG=en"}, 1, "\ncannot open the window: DISPLAY is not set\n"},
      {{"--lang", "ja"}, {"DISPLAY", "AGVSIM_LANG=en"}, 1, "描画画面を開けません"},
      {{}, {"DISPLAY", "AGVSIM_LANG"}, 1, "描画画面を開けません"},
      {{"--lang", "fr"}, {"DISPLAY"}, 2,
       "agvsim: the language of the console is ja or en, not fr (--lang or AGVSIM_LANG)\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = {agvtest::agvsimPath()};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const agvtest::RunResult r = agvtest::runprog(argv, "", c.env, 60);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE((c.status == 2 ? r.err : r.out).find(c.says), std::string::npos) << r.out << r.err;
  }
}

}  // namespace
