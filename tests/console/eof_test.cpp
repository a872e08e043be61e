// Input ending at each kind of question ends the program with a message and status 2.
#include <gtest/gtest.h>

#include "support/proc.h"

namespace {

TEST(EndOfInput, EndsTheProgramAtEveryKindOfQuestion) {
  const std::string end = "\n\n入力が終わりました．プログラムを終了します\n";
  agvtest::Xvfb x;
  ASSERT_TRUE(x.ok());
  for (const char* input : {
           "", "xyz",                            // path kind, also after refused keys
           "p",                                  // change question
           "py", "pyy", "pyy1 2", "pyyabc\n",    // end-pose key and numbers
           "pyn",                                // drawing
           "pn",                                 // final key
           "c", "c1\n", "c1\n2\n", "c1\n2 5\n",  // curve set-up, then change question
           "c1\n20 25\nn",                       // kind question after a refused curve
       }) {
    auto r = agvtest::runprog({agvtest::agvsimPath()}, input, {"DISPLAY=" + x.display()}, 60.0);
    EXPECT_FALSE(r.timedOut) << input;
    EXPECT_EQ(r.status, 2) << input;
    ASSERT_GE(r.out.size(), end.size()) << input;
    EXPECT_EQ(r.out.substr(r.out.size() - end.size()), end) << input;
  }
}

}  // namespace
