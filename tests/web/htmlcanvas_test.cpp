// The operations the HTML canvas gathers for the page's script: for frames of every kind, each
// has a known code and its numbers (as web/paint.js reads them), every save is restored, texts
// lie within the bytes given, and every number is finite.
#include "web/htmlcanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "render/scene.h"
#include "web/page.h"

namespace {

using agvweb::Op;

// The numbers after each operation's code.
const std::map<Op, int> kArity = {
    {Op::Clear, 0},  {Op::Move, 2},   {Op::Line, 2}, {Op::Arc, 6},     {Op::Close, 0},
    {Op::Fill, 3},   {Op::Stroke, 4}, {Op::Save, 0}, {Op::Restore, 0}, {Op::Translate, 2},
    {Op::Rotate, 1}, {Op::Rect, 4},   {Op::Text, 5},
};

TEST(HtmlCanvas, EveryFrameIsOperationsThePageCanPaint) {
  const char* const queries[][2] = {
      {"path", "ptp"}, {"path", "cp"}, {"path", "route"}, {"controller", "stanley"}};
  for (const auto& [k, v] : queries) {
    SCOPED_TRACE(v);
    agvweb::Page page;
    page.set(k, v);
    ASSERT_TRUE(page.run());
    for (const char* keys : {"", "2bsss", "3ssssssWWWXy", "wwwwwwwwwwww"}) {
      for (const char* c = keys; *c != '\0'; ++c) page.key(static_cast<unsigned char>(*c));
      agvweb::HtmlCanvas cv(800, 800);
      agv::display(cv, page.scene());
      const std::vector<double>& ops = cv.ops();
      ASSERT_FALSE(ops.empty());
      EXPECT_EQ(ops[0], static_cast<double>(Op::Clear));
      int depth = 0, texts = 0;
      for (size_t i = 0; i < ops.size();) {
        const Op o = static_cast<Op>(ops[i]);
        ASSERT_EQ(kArity.count(o), 1u) << "code " << ops[i] << " at " << i;
        const int n = kArity.at(o);
        ASSERT_LE(i + 1 + n, ops.size());
        for (int j = 1; j <= n; ++j) EXPECT_TRUE(std::isfinite(ops[i + j]));
        if (o == Op::Save) ++depth;
        if (o == Op::Restore) {
          ASSERT_GE(--depth, 0);
        }
        if (o == Op::Fill || o == Op::Stroke) {
          for (int j = n - 2; j <= n; ++j) EXPECT_TRUE(ops[i + j] >= 0.0 && ops[i + j] <= 1.0);
        }
        if (o == Op::Text) {
          ++texts;
          EXPECT_LE(ops[i + 4] + ops[i + 5], static_cast<double>(cv.texts().size()));
        }
        i += 1 + n;
      }
      EXPECT_EQ(depth, 0);
      EXPECT_GT(texts, 10);  // the title, the legends, the graphs' labels
    }
  }
}

}  // namespace
