// The real program with input that ends at each kind of question: it must
// say so and end with a non-zero status instead of asking forever.
#include <gtest/gtest.h>

#include <string>

#include "support/proc.h"

namespace {

const std::string kEnd = "\n\n入力が終わりました．プログラムを終了します\n";

class EndOfInput : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { x_ = new agvtest::Xvfb; }
  static void TearDownTestSuite() {
    delete x_;
    x_ = nullptr;
  }
  static agvtest::Xvfb* x_;

  void expectEnds(const std::string& input) {
    ASSERT_TRUE(x_->ok());
    auto r = agvtest::runprog({agvtest::agvsimPath()}, input, {"DISPLAY=" + x_->display()}, 60.0);
    EXPECT_FALSE(r.timedOut) << input;
    EXPECT_EQ(r.status, 2) << input;
    ASSERT_GE(r.out.size(), kEnd.size()) << input;
    EXPECT_EQ(r.out.substr(r.out.size() - kEnd.size()), kEnd) << input;
  }
};

agvtest::Xvfb* EndOfInput::x_ = nullptr;

TEST_F(EndOfInput, AtThePathKindQuestion) {
  expectEnds("");
  expectEnds("xyz");  // refused keys, then the input ends
}

TEST_F(EndOfInput, AtTheChangeQuestion) { expectEnds("p"); }

TEST_F(EndOfInput, AtTheEndPoseQuestions) {
  expectEnds("py");
  expectEnds("pyy");
  expectEnds("pyy1 2");
  expectEnds("pyyabc\n");
}

TEST_F(EndOfInput, AtTheDrawingQuestion) { expectEnds("pyn"); }

TEST_F(EndOfInput, AtTheFinalKey) { expectEnds("pn"); }

TEST_F(EndOfInput, AtTheCurveSetUp) {
  expectEnds("c");
  expectEnds("c1\n");
  expectEnds("c1\n2\n");
  expectEnds("c1\n2 5\n");
}

TEST_F(EndOfInput, AtTheKindQuestionAfterARefusedCurve) { expectEnds("c1\n20 25\nn"); }

}  // namespace
