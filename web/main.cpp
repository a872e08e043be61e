// The page's simulator for its script: the functions web/page.js calls (their texts UTF-8,
// valid until the next call), and the painting of each frame on the page's canvas.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <string>

#include "render/scene.h"
#include "web/htmlcanvas.h"
#include "web/page.h"

namespace {

constexpr int kSide = 800;      // the canvas: the window's 800 x 800 pixels
constexpr int kLastCurve = 16;  // the highest number of the curve catalogue

// The page's one simulator, its canvas, and the text of the last answer.
agvweb::Page page;
agvweb::HtmlCanvas canvas(kSide, kSide);
std::string answer;

const char* give(std::string s) {
  answer = std::move(s);
  return answer.c_str();
}

// A number as the page shows it.
std::string shown(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

}  // namespace

// The operations of a frame handed to the script, which paints them on the canvas.
EM_JS(void, paintframe, (const double* ops, int n, const char* texts, int nt), {
  Module.paint(HEAPF64.subarray(ops >> 3, (ops >> 3) + n), HEAPU8.subarray(texts, texts + nt));
});

extern "C" {

EMSCRIPTEN_KEEPALIVE void web_reset() { page.reset(); }

EMSCRIPTEN_KEEPALIVE void web_set(const char* name, const char* value) { page.set(name, value); }

EMSCRIPTEN_KEEPALIVE int web_run() { return page.run() ? 1 : 0; }

// The bytes of a map's YAML file, named name: agvbatch's message for it, or empty when it is
// read (then web_mapimage names the image file it wants).
EMSCRIPTEN_KEEPALIVE const char* web_mapyaml(const char* name, const char* data, int size) {
  std::string err;
  return give(
      page.mapyaml(name, std::string_view(data, static_cast<std::size_t>(size)), err) ? "" : err);
}

EMSCRIPTEN_KEEPALIVE const char* web_mapimage() { return give(page.mapimage()); }

// The bytes of that image: agvbatch's message for it, or empty when the map is read.
EMSCRIPTEN_KEEPALIVE const char* web_mapbytes(const unsigned char* data, int size) {
  std::string err;
  return give(page.mapbytes(data, static_cast<std::size_t>(size), err) ? "" : err);
}

// What the last run refused: a line "NAME<tab>MESSAGE" each.
EMSCRIPTEN_KEEPALIVE const char* web_errors() {
  std::string s;
  for (const auto& [name, why] : page.errors()) s += name + "\t" + why + "\n";
  return give(s);
}

EMSCRIPTEN_KEEPALIVE int web_key(int k) { return page.key(static_cast<unsigned char>(k)) ? 1 : 0; }

EMSCRIPTEN_KEEPALIVE const char* web_view() { return give(page.viewquery()); }

EMSCRIPTEN_KEEPALIVE const char* web_summary() { return give(page.summary()); }

// The names of the files, a line each.
EMSCRIPTEN_KEEPALIVE const char* web_files() {
  std::string s;
  for (const std::string& f : page.files()) s += f + "\n";
  return give(s);
}

EMSCRIPTEN_KEEPALIVE const char* web_file(const char* name) { return give(page.file(name)); }

// The frame of the pass as the window shows it now (a white canvas without a pass).
EMSCRIPTEN_KEEPALIVE void web_draw() {
  if (page.done()) {
    agv::display(canvas, page.scene());
  } else {
    canvas.framebegin();
    canvas.frameend();
  }
  paintframe(canvas.ops().data(), static_cast<int>(canvas.ops().size()), canvas.texts().data(),
             static_cast<int>(canvas.texts().size()));
}

// The parameter table, a line each: name, unit, lowest, highest, whole (0 or 1), what it is,
// the names of its values, its default.
EMSCRIPTEN_KEEPALIVE const char* web_params() {
  std::string s;
  const agv::Params dflt;
  for (int i = 0; i < agv::nParams; ++i) {
    const agv::ParamInfo p = agv::paraminfo(i);
    const double v = agv::getparam(dflt, p.name);
    const std::string named = agv::paramname(p.name, v);
    s += std::string(p.name) + "\t" + p.unit + "\t" + shown(p.lo) + "\t" + shown(p.hi) + "\t" +
         (p.whole ? "1" : "0") + "\t" + p.about + "\t" + p.names + "\t" +
         (named.empty() ? shown(v) : named) + "\n";
  }
  return give(s);
}

// The curves, a line each: the number, then NAME=DEFAULT of each constant its prompt asks for.
EMSCRIPTEN_KEEPALIVE const char* web_curves() {
  std::string s;
  agv::Session fresh;
  for (int I = 1; I <= kLastCurve; ++I) {
    double* v[2] = {nullptr, nullptr};
    const int n = agv::curveconsts(fresh, I, v);
    if (n == 0) continue;
    s += std::to_string(I);
    for (int i = 0; i < n; ++i)
      s += std::string("\t") + agvweb::constname(I, i) + "=" + shown(*v[i]);
    s += "\n";
  }
  return give(s);
}

}  // extern "C"
