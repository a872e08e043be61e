// The drawing routines on OpenGL.
#include "render/glcanvas.h"

// The framebuffer object calls of the trace layer.
#define GL_GLEXT_PROTOTYPES
#include <GL/freeglut.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <limits>
#include <vector>

namespace agv {

namespace {

// The OpenGL state the routines leave behind, tracked so that only changes
// are sent: Mesa copies and compares its whole state on every lighting or
// width change, which costs far more than the vertices of a line.
struct Tracked {
  bool lit = false;           // GL_LIGHTING is enabled (not in a new context)
  float glWidth = -1.0f;      // line width set in GL; negative: unknown
  float width = 1.0f;         // width that outlines and thin lines draw with
  bool lines = false;         // a glBegin(GL_LINES) is open
  Color colour{};             // current colour inside the open lines
  double cover = std::numeric_limits<double>::infinity();  // see coverright
};

// A piece of a line reaches at most this far beyond its half width [px].
constexpr double edgePx = 2.0;

void endlines(Tracked& gl) {
  if (gl.lines) {
    glEnd();
    gl.lines = false;
  }
}

void unlit(Tracked& gl) {
  if (gl.lit) {
    endlines(gl);
    glDisable(GL_LIGHTING);
    gl.lit = false;
  }
}

void setwidth(Tracked& gl, float px) {
  if (gl.glWidth != px) {
    endlines(gl);
    glLineWidth(px);
    gl.glWidth = px;
  }
}

void colour(const Color& c) { glColor4f(c.r, c.g, c.b, c.a); }

bool same(const Color& a, const Color& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// Start of a shape other than a line: lines held open are sent first.
void beginshape(Tracked& gl, const Color& c) {
  endlines(gl);
  unlit(gl);
  colour(c);
}

// True when nothing of the screen box [x0, x1] x [y0, y1], widened by m
// screen units, can show: it lies outside the window, or wholly in the
// part that the graph panel paints over later.
bool hidden(const Tracked& gl, double x0, double y0, double x1, double y1, double m) {
  return x1 < -1.0 - m || x0 > 1.0 + m || y1 < -1.0 - m || y0 > 1.0 + m || x0 > gl.cover + m;
}

// One straight piece of px pixels width; consecutive pieces share one
// glBegin while the width stays the same.
void piece(Tracked& gl, const Point& a, const Point& b, float px, const Color& c) {
  const double m = (px / 2.0 + edgePx) / pxPerUnit;
  if (hidden(gl, std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmax(a.x, b.x), std::fmax(a.y, b.y), m))
    return;
  unlit(gl);
  setwidth(gl, px);
  if (!gl.lines) {
    glBegin(GL_LINES);
    gl.lines = true;
    colour(c);
    gl.colour = c;
  } else if (!same(gl.colour, c)) {
    colour(c);
    gl.colour = c;
  }
  glVertex2d(a.x, a.y);
  glVertex2d(b.x, b.y);
}

// Unit directions of the circle routines: the full turn, and the two half
// turns of the capsule, each from the angle expression it is drawn with.
struct Directions {
  double cs[ndiv], sn[ndiv];          // 2 pi i / ndiv
  double lcs[ndiv], lsn[ndiv];        // pi/2 + i pi / ndiv
  double rcs[ndiv], rsn[ndiv];        // -pi/2 + i pi / ndiv
  Directions() {
    for (int i = 0; i < ndiv; ++i) {
      const double a = 2.0 * PIc * i / ndiv;
      cs[i] = std::cos(a);
      sn[i] = std::sin(a);
      const double l = PIc / 2.0 + i * PIc / ndiv;
      lcs[i] = std::cos(l);
      lsn[i] = std::sin(l);
      const double r = -PIc / 2.0 + i * PIc / ndiv;
      rcs[i] = std::cos(r);
      rsn[i] = std::sin(r);
    }
  }
};
const Directions dir;

// Translation to p and rotation by ang [rad] of the drawing that follows.
void place(const Point& p, double ang) {
  glPushMatrix();
  glTranslated(p.x, p.y, 0.0);
  glRotated(ang / radPerDeg, 0.0, 0.0, 1.0);
}

// Vertices of the capsule outline, in the local frame of the wheel.
void capsule(double len, double wid) {
  double r = wid / 2.0;
  glVertex2d(-len / 2.0, r);
  for (int i = 1; i < ndiv; ++i) glVertex2d(-len / 2.0 + r * dir.lcs[i], r * dir.lsn[i]);
  glVertex2d(-len / 2.0, -r);
  glVertex2d(len / 2.0, -r);
  for (int i = 1; i < ndiv; ++i) glVertex2d(len / 2.0 + r * dir.rcs[i], r * dir.rsn[i]);
  glVertex2d(len / 2.0, r);
}

void rectangle(double w, double h) {
  glVertex2d(0.0, 0.0);
  glVertex2d(w, 0.0);
  glVertex2d(w, h);
  glVertex2d(0.0, h);
}

// Outlines draw with the width in force.
void outlinewidth(Tracked& gl) { setwidth(gl, gl.width); }

// The half circle from angle a0 clockwise, as `mode`.
void halfcircle(Tracked& gl, GLenum mode, const Point& c, double r, double a0, const Color& col) {
  beginshape(gl, col);
  if (mode != GL_POLYGON) outlinewidth(gl);
  glBegin(mode);
  for (int i = 0; i < ndiv; ++i) {
    const double a = a0 - i * PIc / ndiv;
    glVertex2d(c.x + r * std::cos(a), c.y + r * std::sin(a));
  }
  glEnd();
}

// The vertices that emit() gives, as `mode`, translated to p and rotated
// by ang.
template <class Emit>
void placed(Tracked& gl, GLenum mode, const Point& p, double ang, const Color& col, Emit emit) {
  beginshape(gl, col);
  if (mode != GL_POLYGON) outlinewidth(gl);
  place(p, ang);
  glBegin(mode);
  emit();
  glEnd();
  glPopMatrix();
}

// One disc, as drawdisc draws it, unless it is hidden.
void polygondisc(const Tracked& gl, const Point& c, double r) {
  const double m = edgePx / pxPerUnit;
  if (hidden(gl, c.x - r, c.y - r, c.x + r, c.y + r, m)) return;
  glBegin(GL_POLYGON);
  for (int i = 0; i < ndiv; ++i) glVertex2d(c.x + r * dir.cs[i], c.y + r * dir.sn[i]);
  glEnd();
}

// The dots of drawdots, drawn by OpenGL into a texture of the window's
// size and kept there between frames: a frame that shows the same dots, or
// the same dots and a few more, draws only the new ones there and then
// lays the texture over the frame where it holds dots.  The pixels are
// those the discs would give in the frame itself: the same rasteriser
// draws the same polygons into a grid of the same size.
struct Layer {
  GLuint fbo = 0, tex = 0;
  int w = 0, h = 0;         // size [px]; 0 until made
  bool broken = false;      // no framebuffer object to be had: discs drawn directly
  int n = 0;                // dots in it
  std::vector<Point> c;     // their centres
  double r = 0.0;           // their radius
  double cover = 0.0;       // the cover in force when they were drawn
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // pixels that may hold dots: [x0, x1) x [y0, y1)
  Color col{};              // the colour of its last dots
  long used = 0;            // when they were last drawn
};

// The layer for a window of w x h pixels; false when none can be made.
bool makelayer(Layer& layer, int w, int h) {
  if (layer.broken) return false;
  if (layer.w == w && layer.h == h) return true;
  if (layer.fbo == 0) {
    glGenFramebuffers(1, &layer.fbo);
    glGenTextures(1, &layer.tex);
  }
  glBindTexture(GL_TEXTURE_2D, layer.tex);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, layer.fbo);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, layer.tex, 0);
  layer.broken = glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  layer.w = w;
  layer.h = h;
  layer.n = -1;  // to be cleared
  return !layer.broken;
}

// Pixel column or row of a screen coordinate, within 0 ... size.
int pixel(double v, int size) {
  const double p = (v + 1.0) * size / 2.0;
  if (!(p > 0.0)) return 0;
  return p > size ? size : static_cast<int>(p);
}

// Draws dots first ... n - 1 into the layer and widens its pixel box.
void layerdots(const Tracked& gl, Layer& layer, int first, int n, const Point* c, double r) {
  glBindFramebuffer(GL_FRAMEBUFFER, layer.fbo);
  if (first == 0) {
    glPushAttrib(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glPopAttrib();
    layer.x0 = layer.w;
    layer.y0 = layer.h;
    layer.x1 = layer.y1 = 0;
  }
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);  // alpha 1 marks the pixels of a dot
  const double m = (edgePx + 1.0) / pxPerUnit;
  for (int i = first; i < n; ++i) {
    polygondisc(gl, c[i], r);
    layer.x0 = std::min(layer.x0, pixel(c[i].x - r - m, layer.w));
    layer.y0 = std::min(layer.y0, pixel(c[i].y - r - m, layer.h));
    layer.x1 = std::max(layer.x1, pixel(c[i].x + r + m, layer.w) + 1);
    layer.y1 = std::max(layer.y1, pixel(c[i].y + r + m, layer.h) + 1);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  layer.c.resize(static_cast<size_t>(n));
  if (n > first)
    std::memcpy(layer.c.data() + first, c + first, sizeof(Point) * static_cast<size_t>(n - first));
  layer.n = n;
  layer.r = r;
  layer.cover = gl.cover;
}

// The layer's dots into the frame, in the colour col: a rectangle on
// pixel edges whose every pixel takes its own texel, where that holds a dot.
void layershow(const Layer& layer, const Color& col) {
  if (layer.x1 <= layer.x0 || layer.y1 <= layer.y0) return;
  glBindTexture(GL_TEXTURE_2D, layer.tex);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.5f);
  colour({col.r, col.g, col.b, 1.0f});
  const double s0 = static_cast<double>(layer.x0) / layer.w, s1 = static_cast<double>(layer.x1) / layer.w;
  const double t0 = static_cast<double>(layer.y0) / layer.h, t1 = static_cast<double>(layer.y1) / layer.h;
  glBegin(GL_QUADS);
  glTexCoord2d(s0, t0);
  glVertex2d(2.0 * s0 - 1.0, 2.0 * t0 - 1.0);
  glTexCoord2d(s1, t0);
  glVertex2d(2.0 * s1 - 1.0, 2.0 * t0 - 1.0);
  glTexCoord2d(s1, t1);
  glVertex2d(2.0 * s1 - 1.0, 2.0 * t1 - 1.0);
  glTexCoord2d(s0, t1);
  glVertex2d(2.0 * s0 - 1.0, 2.0 * t1 - 1.0);
  glEnd();
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace

// What the canvas keeps between calls: the OpenGL state it left, and a layer for each trace a
// frame shows (the constant-velocity AGV's, the tracked AGV's), each kept for the traces of its
// colour.
struct GlCanvas::State {
  Tracked gl;
  Layer layers[2];
  bool layersOn = true;  // the layers are used where they can be made
  long layerUse = 0;
};

GlCanvas::GlCanvas() : st_(std::make_unique<State>()) {}
GlCanvas::~GlCanvas() = default;

void GlCanvas::framebegin() {
  flush();
  Tracked& gl = st_->gl;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  // Text takes the lit raster colour (near black).  Starting each frame
  // with lighting on gives the title and legends of the first frame the
  // same colour as those of every later one, instead of the initial white.
  glEnable(GL_LIGHTING);
  gl.lit = true;
  gl.glWidth = -1.0f;
  gl.cover = std::numeric_limits<double>::infinity();
}

void GlCanvas::frameend() {
  flush();
  glFlush();
  glutSwapBuffers();
}

void GlCanvas::flush() { endlines(st_->gl); }

void GlCanvas::coverright(double x) { st_->gl.cover = x; }

void GlCanvas::line(const Point& a, const Point& b, double w, const Color& c) {
  Tracked& gl = st_->gl;
  piece(gl, a, b, static_cast<GLfloat>(w * pxPerUnit), c);
  gl.width = thinWidth;
}

void GlCanvas::thin(const Point& a, const Point& b, const Color& c) {
  piece(st_->gl, a, b, st_->gl.width, c);
}

void GlCanvas::disc(const Point& c, double r, const Color& col) {
  Tracked& gl = st_->gl;
  const double m = edgePx / pxPerUnit;
  if (hidden(gl, c.x - r, c.y - r, c.x + r, c.y + r, m)) return;
  beginshape(gl, col);
  polygondisc(gl, c, r);
}

void GlCanvas::dots(int n, const Point* c, double r, const Color& col) {
  Tracked& gl = st_->gl;
  beginshape(gl, col);
  GLint vp[4];
  glGetIntegerv(GL_VIEWPORT, vp);
  // The layer of this colour's trace, or the one used longest ago.
  Layer* pick = &st_->layers[0];
  for (Layer& l : st_->layers)
    if (l.col == col || (pick->col != col && l.used < pick->used)) pick = &l;
  Layer& layer = *pick;
  layer.col = col;
  layer.used = ++st_->layerUse;
  if (!st_->layersOn || !makelayer(layer, vp[2], vp[3])) {
    for (int i = 0; i < n; ++i) polygondisc(gl, c[i], r);
    return;
  }
  // The dots already in the layer are a beginning of these: only the rest
  // is drawn.  Anything else starts the layer again.
  int first = 0;
  if (layer.n >= 0 && layer.n <= n && layer.r == r && layer.cover == gl.cover &&
      (layer.n == 0 ||
       std::memcmp(layer.c.data(), c, sizeof(Point) * static_cast<size_t>(layer.n)) == 0))
    first = layer.n;
  if (first < n || layer.n != n) layerdots(gl, layer, first, n, c, r);
  layershow(layer, col);
}

void GlCanvas::circle(const Point& c, double r, const Color& col) {
  Tracked& gl = st_->gl;
  beginshape(gl, col);
  outlinewidth(gl);
  glBegin(GL_LINE_LOOP);
  Point prev{c.x + r * dir.cs[0], c.y + r * dir.sn[0]};
  glVertex2d(prev.x, prev.y);
  for (int i = 1; i < ndiv; ++i) {
    const Point cur{c.x + r * dir.cs[i], c.y + r * dir.sn[i]};
    glVertex2d(prev.x, prev.y);
    glVertex2d(cur.x, cur.y);
    prev = cur;
  }
  glEnd();
}

void GlCanvas::halfdisc(const Point& c, double r, double a0, const Color& col) {
  halfcircle(st_->gl, GL_POLYGON, c, r, a0, col);
}

void GlCanvas::halfarc(const Point& c, double r, double a0, const Color& col) {
  halfcircle(st_->gl, GL_LINE_STRIP, c, r, a0, col);
}

void GlCanvas::wheel(const Point& c, double len, double wid, double ang, const Color& col) {
  placed(st_->gl, GL_POLYGON, c, ang, col, [&] { capsule(len, wid); });
}

void GlCanvas::wheelline(const Point& c, double len, double wid, double ang, const Color& col) {
  placed(st_->gl, GL_LINE_LOOP, c, ang, col, [&] { capsule(len, wid); });
}

void GlCanvas::rect(const Point& p, double w, double h, double ang, const Color& col) {
  placed(st_->gl, GL_POLYGON, p, ang, col, [&] { rectangle(w, h); });
}

void GlCanvas::rectline(const Point& p, double w, double h, double ang, const Color& col) {
  placed(st_->gl, GL_LINE_LOOP, p, ang, col, [&] { rectangle(w, h); });
}

void GlCanvas::body(const Point& p, double L, double W, double b, double alpha, double ang,
                    const Color& col) {
  placed(st_->gl, GL_POLYGON, p, ang, col, [&] {
    glVertex2d(-b, -W / 2.0);
    glVertex2d(L - b, -W / 2.0);
    glVertex2d(L - b + (W / 2.0) * std::tan(alpha), 0.0);
    glVertex2d(L - b, W / 2.0);
    glVertex2d(-b, W / 2.0);
  });
}

void GlCanvas::grid(const Point& c, double ang, int n, double dx, double dy) {
  Tracked& gl = st_->gl;
  constexpr float axisWidth = 2.0f;  // lines through the centre [px]
  constexpr float gridWidth = 1.0f;  // every other line [px]
  beginshape(gl, black);
  place(c, ang);
  // Where a line of the local frame lies on the screen, to leave out the
  // hidden ones; the lines of one width go in one batch.
  const double ca = std::cos(ang), sa = std::sin(ang);
  const auto gridline = [&](double x0, double y0, double x1, double y1, float px) {
    const Point a{c.x + ca * x0 - sa * y0, c.y + sa * x0 + ca * y0};
    const Point b{c.x + ca * x1 - sa * y1, c.y + sa * x1 + ca * y1};
    const double m = (px / 2.0 + edgePx) / pxPerUnit;
    if (hidden(gl, std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmax(a.x, b.x), std::fmax(a.y, b.y),
               m))
      return;
    if (gl.glWidth != px || !gl.lines) {
      endlines(gl);
      setwidth(gl, px);
      glBegin(GL_LINES);
      gl.lines = true;
    }
    glVertex2d(x0, y0);
    glVertex2d(x1, y1);
  };
  for (int i = -n; i <= n; ++i) gridline(i * dx, -n * dy, i * dx, n * dy, i == 0 ? axisWidth : gridWidth);
  for (int i = -n; i <= n; ++i) gridline(-n * dx, i * dy, n * dx, i * dy, i == 0 ? axisWidth : gridWidth);
  endlines(gl);
  glPopMatrix();
  gl.width = gridWidth;
}

void GlCanvas::text(float x, float y, Typeface font, const char* str) {
  Tracked& gl = st_->gl;
  // Text takes the lit raster colour (near black), as it does after any
  // other routine: each of them leaves lighting on.
  endlines(gl);
  if (!gl.lit) {
    glEnable(GL_LIGHTING);
    gl.lit = true;
  }
  glPushAttrib(GL_CURRENT_BIT);
  glRasterPos2f(x, y);
  void* const bitmap = font == Typeface::Big ? GLUT_BITMAP_HELVETICA_18 : GLUT_BITMAP_HELVETICA_12;
  for (const char* c = str; *c != '\0'; ++c)
    glutBitmapCharacter(bitmap, static_cast<unsigned char>(*c));
  glPopAttrib();
}

void GlCanvas::tracelayer(bool on) {
  st_->layersOn = on;
  for (Layer& l : st_->layers) l.n = -1;  // drawn afresh when it is used again
}

}  // namespace agv
