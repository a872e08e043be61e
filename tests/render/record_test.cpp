// The scene and the graphs as drawing calls: what is drawn where, in which colour and order.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "glsupport.h"
#include "recorder.h"
#include "render/graphs.h"
#include "render/scene.h"
#include "support/session.h"

using namespace agv;
using namespace rendertest;

namespace {

bool at(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }

// The call that paints the graph panel (white, 2 x 10 screen units); the graphs follow it.
size_t panel(const Recorder& r) {
  for (size_t i = 0; i < r.calls.size(); ++i)
    if (r.calls[i].kind == Kind::Rect && at(r.calls[i].pts[1], {2.0, 10.0})) return i;
  return r.calls.size();
}
Point scr(const Record& rec) { return toscreen(S.view, rec.x, rec.y); }

// The view defaults, the zoom kept.
void initview() {
  const double zoom = S.view.scale;
  S.view = View{};
  S.view.scale = zoom;
}

// The state a pass leaves, then type, drawing and steps.
void view(int type, char draw, int c, int v, int cp) {
  initview();
  S.view.scale = scale0;
  S.agvType = type;
  S.sgnDraw = draw;
  S.view.kanimC = c;
  S.view.kanimV = v;
  S.view.kanimCP = cp;
}

// The lines of colour col and width w in the scene (before the panel) are the polyline
// through the screen points of rec[0 ... n], in order.
template <class R>
void expectPolyline(const Recorder& r, const Color& col, double w, int n, const R* rec) {
  std::vector<Call> lines;
  const size_t end = panel(r);
  for (size_t i = 0; i < end; ++i) {
    const Call& l = r.calls[i];
    if (l.kind == Kind::Line && same(l.c, col) && l.w == w) lines.push_back(l);
  }
  ASSERT_EQ(lines.size(), static_cast<size_t>(n));
  for (int i = 1; i <= n; ++i) {
    EXPECT_TRUE(at(lines[i - 1].pts[0], scr(rec[i - 1]))) << i;
    EXPECT_TRUE(at(lines[i - 1].pts[1], scr(rec[i]))) << i;
  }
}

// The figure of a run record: its body at the record's point and heading.
bool figure(const Recorder& r, const Record& rec, const Color& col) {
  for (const Call& b : r.of(Kind::Body, col))
    if (at(b.pts[0], scr(rec)) && b.pts[3].x == rec.th) return true;
  return false;
}

// Graph origins (x(t), y(t), curvature), their half height and width.
constexpr Point kOrigins[3] = {{0.4, 0.68}, {0.4, 0.1}, {0.4, -0.55}};

// A curve of field f of rec[0 ... n], dx = S.view.wg / n apart, ys per unit, from origin o: the
// pieces between two records that both lie in the band of +-hg, in order, and no other piece
// of the curve.  Lines of the same colour and width that are no piece of it belong to
// other curves.
template <class R>
void expectCurve(const Recorder& r, const Point& o, const Color& col, double w, int n, double ys,
                 const R* rec, double Record::*f) {
  struct Piece {
    Point p, q;
    bool in;
  };
  std::vector<Piece> all;
  int want = 0;
  for (int i = 1; i <= n; ++i) {
    const Point p{o.x + (i - 1) * (S.view.wg / n), o.y + ys * (rec[i - 1].*f)};
    const Point q{o.x + i * (S.view.wg / n), o.y + ys * (rec[i].*f)};
    const bool in = std::fabs(p.y - o.y) < hg && std::fabs(q.y - o.y) < hg;
    all.push_back({p, q, in});
    want += in;
  }
  int got = 0;
  size_t j = 0;
  for (const Call& l : r.of(Kind::Line, col, panel(r))) {
    if (l.w != w) continue;
    size_t m = j;
    while (m < all.size() && !(at(all[m].p, l.pts[0]) && at(all[m].q, l.pts[1]))) ++m;
    if (m == all.size()) continue;
    EXPECT_TRUE(all[m].in) << "piece " << m + 1 << " leaves the band";
    ++got;
    j = m + 1;
  }
  EXPECT_EQ(got, want);
}

// A step marker of radius 0.006 at step c of a curve.
template <class R>
bool marker(const Recorder& r, const Point& o, int n, double ys, const R* rec, double Record::*f,
            int c, const Color& col) {
  const Point p{o.x + c * (S.view.wg / n), o.y + ys * (rec[c].*f)};
  for (const Call& d : r.of(Kind::Disc, col, panel(r)))
    if (d.w == 0.006 && at(d.pts[0], p)) return true;
  return false;
}

class Recorded : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_FALSE(agvtest::firstPass(S, "pnk").eof); }
  void TearDown() override { initview(); }
};

TEST_F(Recorded, PtpSceneInPaintingOrder) {
  for (int type = 1; type <= 3; ++type)
    for (char draw : {'a', 'b'}) {
      SCOPED_TRACE(testing::Message() << "type " << type << " drawing " << draw);
      const int k = type - 1;
      view(type, draw, 0, 0, 0);
      const PtpRuns runs = ptpruns(sceneof(S), k);
      S.view.kanimC = runs.n / 3;
      S.view.kanimV = runs.nv / 2;
      S.view.xshift = 0.1;
      Recorder r;
      display(r, sceneof(S));
      ASSERT_GE(r.calls.size(), 4u);
      EXPECT_EQ(r.calls.front().kind, Kind::Begin);
      EXPECT_EQ(r.calls.back().kind, Kind::End);
      // Everything right of the panel's edge is covered until the panel is drawn.
      ASSERT_EQ(r.calls[1].kind, Kind::Cover);
      EXPECT_DOUBLE_EQ(r.calls[1].w, S.view.xg2 - 0.05);
      const size_t p = panel(r);
      ASSERT_LT(p, r.calls.size());
      EXPECT_TRUE(same(r.calls[p].c, white));
      EXPECT_EQ(r.calls[p - 1].kind, Kind::Cover);
      EXPECT_TRUE(std::isinf(r.calls[p - 1].w));
      EXPECT_TRUE(at(r.calls[p].pts[0], {S.view.xg2 - 0.05, S.view.yg2 - 5.0}));
      // The grid every metre around the world origin, panned.
      const std::vector<Call> grid = r.of(Kind::Grid);
      ASSERT_EQ(grid.size(), 1u);
      EXPECT_TRUE(at(grid[0].pts[0], {S.view.scale * S.view.xorg + S.view.xshift, S.view.scale * S.view.yorg + S.view.yshift}));
      EXPECT_TRUE(at(grid[0].pts[1], {S.view.scale, S.view.scale}));
      EXPECT_EQ(grid[0].pts[2].y, 40);
      // Both paths, 3.2 px wide, before any figure.
      expectPolyline(r, red, 0.008, S.ptp.steps.nSeg[k].total, S.ptp.arc[k].ref.data());
      expectPolyline(r, green, 0.008, S.ptp.steps.nc[k].total, S.ptp.cl[k].ref.data());
      // The trace up to the step, for the steered mechanisms only, and the figures.
      const std::vector<Call> dots = r.of(Kind::Dots, blue);
      ASSERT_EQ(dots.size(), type == 1 ? 0u : 1u);
      if (type != 1) {
        ASSERT_EQ(dots[0].pts.size(), static_cast<size_t>(S.view.kanimC + 1));
        EXPECT_EQ(dots[0].w, 0.008);
        for (int i = 0; i <= S.view.kanimC; ++i) EXPECT_TRUE(at(dots[0].pts[i], scr(runs.cv[i]))) << i;
      }
      EXPECT_EQ(figure(r, runs.cv[S.view.kanimC], blue), type != 1);
      EXPECT_TRUE(figure(r, runs.vv[S.view.kanimV], draw == 'a' ? red : green));
      // Start and end markers, black, of the trace's size.
      for (const Point& m : {toscreen(S.view, S.x0, S.y0), toscreen(S.view, S.xf, S.yf)}) {
        bool found = false;
        for (const Call& d : r.of(Kind::Disc, black, 0))
          found = found || (at(d.pts[0], m) && d.w == 0.008);
        EXPECT_TRUE(found) << m.x << " " << m.y;
      }
    }
}

TEST_F(Recorded, PtpGraphsPlotEveryValueInItsBandAtItsStep) {
  for (int type = 1; type <= 3; ++type)
    for (char draw : {'a', 'b'}) {
      SCOPED_TRACE(testing::Message() << "type " << type << " drawing " << draw);
      const int k = type - 1;
      view(type, draw, 0, 0, 0);
      const PtpRuns runs = ptpruns(sceneof(S), k);
      S.view.kanimC = runs.n / 2;
      S.view.kanimV = runs.nv / 3;
      Recorder r;
      display(r, sceneof(S));
      const Color& theory = draw == 'a' ? red : green;
      const double ys = hg / S.ptp.bndPTP[k].mag;
      for (int g = 0; g < 2; ++g) {
        double Record::*const f = g == 0 ? &Record::x : &Record::y;
        expectCurve(r, kOrigins[g], theory, 0.005, runs.n, ys, runs.ref, f);
        expectCurve(r, kOrigins[g], blue, 0.008, runs.n, ys, runs.cv, f);
        expectCurve(r, kOrigins[g], red, 0.003, runs.n, 5 * ys, runs.err, f);
        expectCurve(r, kOrigins[g], theory, 0.008, runs.nv, ys, runs.vv, f);
        EXPECT_TRUE(marker(r, kOrigins[g], runs.n, ys, runs.ref, f, S.view.kanimC, draw == 'a' ? red : black));
        EXPECT_TRUE(marker(r, kOrigins[g], runs.n, ys, runs.cv, f, S.view.kanimC, draw == 'a' ? blue : black));
        EXPECT_TRUE(marker(r, kOrigins[g], runs.nv, ys, runs.vv, f, S.view.kanimV, draw == 'a' ? red : black));
      }
      const double yk = hg / (2.0 / S.params.Ra);
      expectCurve(r, kOrigins[2], theory, draw == 'a' ? 0.002 : 0.003, runs.n, yk, runs.ref, &Record::kap);
      expectCurve(r, kOrigins[2], blue, 0.008, runs.n, yk, runs.cv, &Record::kap);
      expectCurve(r, kOrigins[2], theory, 0.008, type == 1 ? 0 : runs.nv, yk, runs.vv, &Record::kap);
      EXPECT_TRUE(marker(r, kOrigins[2], runs.n, yk, runs.cv, &Record::kap, S.view.kanimC, black));
      EXPECT_EQ(marker(r, kOrigins[2], runs.nv, yk, runs.vv, &Record::kap, S.view.kanimV, black), type != 1);
      // Nothing drawn on the panel leaves the graphs' column.
      for (const Call& l : r.of(Kind::Line, panel(r)))
        for (const Point& p : l.pts) {
          EXPECT_GE(p.x, 0.4);
          EXPECT_LE(p.x, 0.9 + 1e-12);
        }
      EXPECT_TRUE(r.hastext(draw == 'a' ? "red  :Var.Velocity" : "green:Var.Velocity"));
    }
}

TEST(RecordedCp, SceneAndGraphsOfTheCardioid) {
  ASSERT_FALSE(agvtest::firstPass(S, "c13\n1\nnk").eof);
  for (int type = 1; type <= 3; ++type) {
    SCOPED_TRACE(type);
    const int k = type - 1;
    const int* NN = S.cp.NN;
    const CurveRecord* refCP = S.cp.run[k].ref.data();
    const Record* cvCP = S.cp.run[k].cv.data();
    const Record* errCP = S.cp.run[k].err.data();
    view(type, 'a', 0, 0, NN[k] / 2);
    Recorder r;
    display(r, sceneof(S));
    // Trace, figure, then the path on top of it.
    const size_t dots = r.first(Kind::Dots, blue);
    const size_t body = r.first(Kind::Body, blue);
    const size_t path = r.first(Kind::Line, red);
    EXPECT_LT(dots, body);
    EXPECT_LT(body, path);
    expectPolyline(r, red, 0.008, NN[k], refCP);
    EXPECT_TRUE(figure(r, cvCP[S.view.kanimCP], blue));
    EXPECT_EQ(r.of(Kind::Dots, blue)[0].pts.size(), static_cast<size_t>(S.view.kanimCP + 1));
    EXPECT_TRUE(r.hastext("I=13"));
    EXPECT_TRUE(r.hastext("CP motion"));
    // The graphs of the CP run: x and y scaled by their extent, curvature by its extent at
    // most 2.
    const double ys = hg / S.cp.bndCP[k].mag;
    for (int g = 0; g < 2; ++g) {
      double Record::*const f = g == 0 ? &Record::x : &Record::y;
      expectCurve(r, kOrigins[g], red, 0.005, NN[k], ys, refCP, f);
      expectCurve(r, kOrigins[g], blue, 0.008, NN[k], ys, cvCP, f);
      expectCurve(r, kOrigins[g], red, 0.003, NN[k], 5 * ys, errCP, f);
      EXPECT_TRUE(marker(r, kOrigins[g], NN[k], ys, refCP, f, S.view.kanimCP, red));
      EXPECT_TRUE(marker(r, kOrigins[g], NN[k], ys, cvCP, f, S.view.kanimCP, blue));
    }
    const double yk = hg / std::fmin(S.cp.bndCPk[k].mag, 2.0);
    expectCurve(r, kOrigins[2], red, 0.005, NN[k], yk, refCP, &Record::kap);
    expectCurve(r, kOrigins[2], blue, 0.008, NN[k], yk, cvCP, &Record::kap);
    EXPECT_TRUE(marker(r, kOrigins[2], NN[k], yk, cvCP, &Record::kap, S.view.kanimCP, black));
    view(type, 'a', 0, 0, NN[k] + 100);  // a step past the run: its last record, graphs too
    Recorder past;
    display(past, sceneof(S));
    EXPECT_TRUE(marker(past, kOrigins[2], NN[k], yk, cvCP, &Record::kap, NN[k], black));
  }
}

TEST(RecordedGraph, FrameTicksEverySecondAndUnitAndLabelsTheDuration) {
  initview();
  const Point o{0.4, 0.1};
  for (const auto& [T, ticks, label] :
       {std::tuple{9.98, 9, "9s"}, std::tuple{12.5, 12, "12s"}, std::tuple{0.7, 0, "0s"}}) {
    Recorder r;
    drawframe(r, o, S.view.wg, 1.0, T, 3.0);  // an extent of 3: 0.1 per unit
    int time = 0, value = 0;
    for (const Call& t : r.of(Kind::Thin, black)) {
      if (t.pts[0].y == o.y && t.pts[1].y == o.y + 0.02) ++time;
      if (t.pts[0].x == o.x && t.pts[1].x == o.x + 0.02) ++value;
    }
    EXPECT_EQ(time, ticks) << T;
    EXPECT_EQ(value, 7) << T;  // -3 ... 3
    const std::vector<Call> texts = r.of(Kind::Text);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, label);
    EXPECT_FLOAT_EQ(texts[0].pts[0].x, ticks > 0 ? o.x + ticks * (S.view.wg / T) : o.x + S.view.wg);
    EXPECT_FLOAT_EQ(texts[0].pts[0].y, o.y - 0.03);
    EXPECT_EQ(texts[1].text, "1");
    EXPECT_FLOAT_EQ(texts[1].pts[0].y, o.y + 0.1 - 0.015);
    EXPECT_EQ(texts[2].text, "-1");
    EXPECT_FLOAT_EQ(texts[2].pts[0].y, o.y - 0.1 - 0.015);
    // Axes 0.006 wide through the origin, the right border thin.
    EXPECT_EQ(r.of(Kind::Line, black).size(), 2u);
  }
}

TEST(RecordedGraph, PiecesLeavingTheBandAreSkippedNotClipped) {
  Record rec[6] = {};
  const double v[6] = {0.0, 1.0, 5.0, 1.0, 0.0, 2.0};
  for (int i = 0; i < 6; ++i) rec[i].x = v[i];
  Recorder r;
  plotcol(r, 5, {-0.5, 0.0}, 0.2, 0.1, 0.008, red, rec, &Record::x);  // 5 lies out
  plotcol(r, 5, {-0.5, 0.0}, 0.2, 0.15, 0.005, blue, rec, &Record::x);
  const std::vector<Call> in = r.of(Kind::Line, red);
  ASSERT_EQ(in.size(), 3u);
  const auto pt = [](int i) { return Point{-0.5 + i * 0.2, 0.0 + 0.1 * (i == 5 ? 2.0 : i % 2)}; };
  EXPECT_TRUE(at(in[0].pts[0], pt(0)) && at(in[0].pts[1], pt(1)));
  EXPECT_TRUE(at(in[1].pts[0], pt(3)) && at(in[1].pts[1], pt(4)));
  EXPECT_TRUE(at(in[2].pts[0], pt(4)) && at(in[2].pts[1], pt(5)));
  EXPECT_EQ(r.of(Kind::Line, blue).size(), 2u);  // at exactly hg a piece is left out too
}

TEST(RecordedZero, NothingNonFiniteIsDrawnForAPassWithoutSteps) {
  // End pose equal to the start pose: no steps, no extent.
  ASSERT_FALSE(agvtest::firstPass(S, "pyy0 0 0\nk").eof);
  ASSERT_EQ(S.ptp.steps.nSeg[0].total, 0);
  ASSERT_EQ(S.ptp.bndPTP[0].mag, 0.0);
  const auto finite = [](const Recorder& r) {
    for (const Call& c : r.calls)
      for (const Point& p : c.pts)
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
    return true;
  };
  for (int type = 1; type <= 3; ++type)
    for (char draw : {'a', 'b'}) {
      view(type, draw, 0, 0, 0);
      Recorder r;
      display(r, sceneof(S));
      EXPECT_TRUE(finite(r)) << type << draw;
      EXPECT_TRUE(r.hastext("0s"));  // the time axes are there
    }
  S.sgnPATH = 'c';
  S.cp = CpResult{};  // no CP pass yet
  Recorder r;
  display(r, sceneof(S));
  EXPECT_TRUE(finite(r));
  initview();
}

}  // namespace
