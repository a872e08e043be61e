// The operations the HTML canvas gathers for the page's script: for frames of every kind, each
// has a known code and its numbers (as web/paint.js reads them), every save is restored, texts
// lie within the bytes given, and every number is finite; painted by Cairo as the script paints
// them, they are Cairo's own picture of the frame, pixel for pixel.
#include "web/htmlcanvas.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "render/cairocanvas.h"
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

constexpr int kSide = 400;

// The pixels of a Cairo surface of kSide x kSide drawn by draw(cr) after a Cairo canvas has set
// its context up.
template <class Draw>
std::string pixels(Draw draw) {
  cairo_surface_t* sf = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSide, kSide);
  cairo_t* cr = cairo_create(sf);
  agv::CairoCanvas cv(cr, kSide, kSide);
  draw(cr, cv);
  cairo_surface_flush(sf);
  const std::string px(reinterpret_cast<const char*>(cairo_image_surface_get_data(sf)),
                       static_cast<size_t>(cairo_image_surface_get_stride(sf)) * kSide);
  cairo_destroy(cr);
  cairo_surface_destroy(sf);
  return px;
}

// The operations painted on cr as web/paint.js paints them on the canvas's 2-D context.
void paint(cairo_t* cr, const std::vector<double>& o, const std::string& texts) {
  const auto rgb = [&](size_t i) { cairo_set_source_rgb(cr, o[i], o[i + 1], o[i + 2]); };
  for (size_t i = 0; i < o.size(); i += 1 + kArity.at(static_cast<Op>(o[i]))) {
    const size_t a = i + 1;
    switch (static_cast<Op>(o[i])) {
      case Op::Clear:
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        break;
      case Op::Move:
        cairo_move_to(cr, o[a], o[a + 1]);
        break;
      case Op::Line:
        cairo_line_to(cr, o[a], o[a + 1]);
        break;
      case Op::Arc:
        (o[a + 5] != 0.0 ? cairo_arc_negative : cairo_arc)(cr, o[a], o[a + 1], o[a + 2], o[a + 3],
                                                           o[a + 4]);
        break;
      case Op::Close:
        cairo_close_path(cr);
        break;
      case Op::Fill:
        rgb(a);
        cairo_fill(cr);
        break;
      case Op::Stroke:
        rgb(a + 1);
        cairo_save(cr);
        cairo_identity_matrix(cr);
        cairo_set_line_width(cr, o[a]);
        cairo_stroke(cr);
        cairo_restore(cr);
        break;
      case Op::Save:
        cairo_save(cr);
        break;
      case Op::Restore:
        cairo_restore(cr);
        break;
      case Op::Translate:
        cairo_translate(cr, o[a], o[a + 1]);
        break;
      case Op::Rotate:
        cairo_rotate(cr, o[a]);
        break;
      case Op::Rect:
        cairo_rectangle(cr, o[a], o[a + 1], o[a + 2], o[a + 3]);
        break;
      case Op::Text:
        cairo_move_to(cr, o[a], o[a + 1]);
        cairo_save(cr);
        cairo_identity_matrix(cr);
        cairo_set_font_size(cr, o[a + 2]);
        cairo_set_source_rgb(cr, agv::textGrey, agv::textGrey, agv::textGrey);
        cairo_show_text(
            cr, texts.substr(static_cast<size_t>(o[a + 3]), static_cast<size_t>(o[a + 4])).c_str());
        cairo_restore(cr);
        cairo_new_path(cr);
        break;
    }
  }
}

// Both canvases draw the same paths: the page's frame is the picture's.
TEST(HtmlCanvas, ItsOperationsPaintedByCairoAreCairosPicture) {
  for (const char* path : {"ptp", "cp", "route"}) {
    agvweb::Page page;
    page.set("path", path);
    page.set("controller", "rearwheel");
    ASSERT_TRUE(page.run());
    for (const char* keys : {"", "2bsss", "3ssssssWWWXy", "wwwww"}) {
      SCOPED_TRACE(std::string(path) + " " + keys);
      for (const char* c = keys; *c != '\0'; ++c) page.key(static_cast<unsigned char>(*c));
      const agv::Scene scene = page.scene();
      const std::string cairo = pixels([&](cairo_t*, agv::CairoCanvas& cv) { display(cv, scene); });
      const std::string html = pixels([&](cairo_t* cr, agv::CairoCanvas&) {
        agvweb::HtmlCanvas cv(kSide, kSide);
        display(cv, scene);
        paint(cr, cv.ops(), cv.texts());
      });
      EXPECT_TRUE(cairo == html);
    }
  }
}

}  // namespace
