// The YAML file of a map, read by yaml-cpp.
#include <yaml-cpp/depthguard.h>
#include <yaml-cpp/eventhandler.h>
#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "mapfile/mapfile.h"
#include "mapfile/source.h"

namespace agv::mapfile {

namespace {

// The keys of a map's YAML file, in the order a mapping tool writes them.
constexpr const char* kKeys[] = {"image",  "resolution",      "origin",     "negate",
                                 "occupied_thresh", "free_thresh", "mode"};
constexpr int kNumKeys = sizeof kKeys / sizeof kKeys[0];
// The origin's numbers: x, y, yaw.
constexpr std::size_t kOriginSize = 3;

// A fault of the file, at a line (0: none).
struct Fault {
  int line = 0;
  std::string what;
};

int lineof(const YAML::Node& n) { return n.Mark().line + 1; }

// The number a scalar writes (a leading '+' allowed), or false.
bool number(const YAML::Node& n, double& v) {
  if (!n.IsScalar()) return false;
  std::string_view s = n.Scalar();
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
#if defined(__cpp_lib_to_chars)
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
#else
  return scannumber(s, v);
#endif
}

// A value as a message quotes it: its first characters.
std::string echo(const YAML::Node& n) {
  constexpr std::size_t kShown = 40;
  if (!n.IsScalar()) return "";
  const std::string& s = n.Scalar();
  return ", not " + (s.size() > kShown ? s.substr(0, kShown) + "..." : s);
}

std::string numtext(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

// The value of key `key` into y; a Fault where it is not one.
bool value(const std::string& key, const YAML::Node& n, MapYaml& y, Fault& f) {
  f.line = lineof(n);
  double v = 0;
  if (key == "image") {
    if (!n.IsScalar() || n.Scalar().empty() || n.Scalar().find('\0') != std::string::npos) {
      f.what = "image must name the image file";
      return false;
    }
    y.image = n.Scalar();
  } else if (key == "resolution") {
    if (!number(n, v) || !(v > 0) || !std::isfinite(v)) {
      f.what = "resolution must be a positive finite number [m/cell]" + echo(n);
      return false;
    }
    if (!(v >= kMapMinResolution && v <= kMapMaxResolution)) {
      char buf[120];
      std::snprintf(buf, sizeof buf, "resolution must be from %g to %g m/cell, not %s",
                    kMapMinResolution, kMapMaxResolution, numtext(v).c_str());
      f.what = buf;
      return false;
    }
    y.resolution = v;
  } else if (key == "origin") {
    bool ok = n.IsSequence() && n.size() == kOriginSize;
    for (std::size_t i = 0; ok && i < kOriginSize; ++i)
      ok = number(n[i], y.origin[i]) && std::isfinite(y.origin[i]);
    if (!ok) {
      f.what = "origin must be [x, y, yaw], three finite numbers (m, m, rad)";
      return false;
    }
  } else if (key == "negate") {
    const std::string s = n.IsScalar() ? n.Scalar() : "";
    if (s == "0" || s == "false" || s == "False" || s == "FALSE") {
      y.negate = 0;
    } else if (s == "1" || s == "true" || s == "True" || s == "TRUE") {
      y.negate = 1;
    } else {
      f.what = "negate must be 0 or 1";
      return false;
    }
  } else if (key == "mode") {
    const std::string s = n.IsScalar() ? n.Scalar() : "";
    if (s == "trinary") {
      y.mode = Mode::Trinary;
    } else if (s == "scale") {
      y.mode = Mode::Scale;
    } else if (s == "raw") {
      y.mode = Mode::Raw;
    } else {
      f.what = "mode must be trinary, scale or raw";
      return false;
    }
  } else {  // the thresholds
    if (!number(n, v) || !(v >= 0 && v <= 1)) {
      f.what = key + " must be a number from 0 to 1" + echo(n);
      return false;
    }
    (key == "free_thresh" ? y.freeThresh : y.occupiedThresh) = v;
  }
  return true;
}

// The keys of the mapping into y.
bool keys(const YAML::Node& root, MapYaml& y, Fault& f) {
  int seen[kNumKeys] = {};  // the line of each key given, 0 where none
  for (const auto& pair : root) {
    const YAML::Node& k = pair.first;
    f.line = lineof(k);
    if (!k.IsScalar()) {
      f.what = "a key that is not a name";
      return false;
    }
    const std::string& name = k.Scalar();
    int i = 0;
    while (i < kNumKeys && name != kKeys[i]) ++i;
    if (i == kNumKeys) {
      std::string all;
      for (const char* key : kKeys) all += std::string(all.empty() ? "" : ", ") + key;
      f.what = "unknown key " + name + " (the keys: " + all + ")";
      return false;
    }
    if (seen[i] != 0) {
      f.what = name + " given twice (first on line " + std::to_string(seen[i]) + ")";
      return false;
    }
    seen[i] = f.line;
    if (!value(name, pair.second, y, f)) return false;
  }
  f.line = 0;
  for (const char* need : {"image", "resolution", "origin"}) {
    int i = 0;
    while (std::string_view(kKeys[i]) != need) ++i;
    if (seen[i] == 0) {
      f.what = std::string("no ") + need + " given";
      return false;
    }
  }
  if (y.freeThresh > y.occupiedThresh) {
    f.what = "free_thresh " + numtext(y.freeThresh) + " is above occupied_thresh " +
             numtext(y.occupiedThresh);
    return false;
  }
  return true;
}

// The documents of a YAML text, counted up to two.  yaml-cpp's LoadAll finds no end to some
// texts (a run of empty documents without end, until the memory is gone): the count stops at
// the second, and Load reads the first alone.
int documents(const std::string& text) {
  struct Null : YAML::EventHandler {
    void OnDocumentStart(const YAML::Mark&) override {}
    void OnDocumentEnd() override {}
    void OnNull(const YAML::Mark&, YAML::anchor_t) override {}
    void OnAlias(const YAML::Mark&, YAML::anchor_t) override {}
    void OnScalar(const YAML::Mark&, const std::string&, YAML::anchor_t, const std::string&) override {}
    void OnSequenceStart(const YAML::Mark&, const std::string&, YAML::anchor_t,
                         YAML::EmitterStyle::value) override {}
    void OnSequenceEnd() override {}
    void OnMapStart(const YAML::Mark&, const std::string&, YAML::anchor_t,
                    YAML::EmitterStyle::value) override {}
    void OnMapEnd() override {}
  } none;
  std::istringstream in(text);
  YAML::Parser parser(in);
  int n = 0;
  while (n < 2 && parser.HandleNextDocument(none)) ++n;
  return n;
}

}  // namespace

bool scannumber(std::string_view s, double& v) {
  const auto lower = [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  };
  const auto is = [&](std::string_view t, std::string_view word) {
    return t.size() == word.size() && std::equal(t.begin(), t.end(), word.begin(),
                                                 [&](char a, char b) { return lower(a) == b; });
  };
  std::string_view t = s;
  if (!t.empty() && t[0] == '-') t.remove_prefix(1);
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  bool named = is(t, "inf") || is(t, "infinity") || is(t, "nan");
  if (!named && t.size() > 4 && is(t.substr(0, 4), "nan(") && t.back() == ')')
    named = std::all_of(t.begin() + 4, t.end() - 1, [&](char c) {
      return digit(c) || std::isalpha(static_cast<unsigned char>(c)) || c == '_';
    });
  bool nonzero = false;
  if (!named) {
    // Digits with at most one point among them, at least one digit; then an exponent.
    std::size_t i = 0, digits = 0;
    bool point = false;
    for (; i < t.size() && (digit(t[i]) || (t[i] == '.' && !point)); ++i) {
      if (t[i] == '.') {
        point = true;
      } else {
        ++digits;
        nonzero = nonzero || t[i] != '0';
      }
    }
    if (digits == 0) return false;
    if (i < t.size() && lower(t[i]) == 'e') {
      std::size_t j = i + 1;
      if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
      const std::size_t first = j;
      while (j < t.size() && digit(t[j])) ++j;
      if (j == first) return false;
      i = j;
    }
    if (i != t.size()) return false;
  }
  const std::string text(s);
  const double got = std::strtod(text.c_str(), nullptr);
  // Out of a double's range: beyond the largest, or below half the smallest (as from_chars).
  if (!named && (std::isinf(got) || (got == 0.0 && nonzero))) return false;
  v = got;
  return true;
}

bool parseyaml(std::string_view text, const std::string& name, MapYaml& y, std::string& err) {
  Fault f;
  MapYaml got;
  const std::size_t nul = text.find('\0');
  if (text.size() > kYamlMax) {
    f.what = "larger than " + std::to_string(kYamlMax / 1024) + " KiB: not a map's YAML file";
  } else if (nul != std::string_view::npos) {
    f.line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + nul, '\n'));
    f.what = "a NUL byte: not a YAML text";
  } else {
    try {
      const std::string all(text);
      const int n = documents(all);
      const YAML::Node doc = n == 1 ? YAML::Load(all) : YAML::Node();
      if (n != 1) {
        f.what = n == 0 ? "no YAML in it" : "holds more than one YAML document";
      } else if (!doc.IsMap()) {
        f.line = doc.IsNull() ? 0 : lineof(doc);
        f.what = "not a YAML mapping of the map's keys (image, resolution, origin, ...)";
      } else if (keys(doc, got, f)) {
        y = got;
        return true;
      }
    } catch (const YAML::DeepRecursion& e) {  // its message says "bad file"
      f.line = e.mark.line + 1;
      f.what = "not YAML that can be read: nested too deeply";
    } catch (const YAML::Exception& e) {
      f.line = e.mark.line >= 0 ? e.mark.line + 1 : 0;
      f.what = "not YAML: " + e.msg;
    }
  }
  err = shown(name);
  if (f.line > 0) err.append(":").append(std::to_string(f.line));
  err.append(": ").append(shown(f.what));
  return false;
}

}  // namespace agv::mapfile
