#include "cli/route.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace agv::cli {

namespace {

// The most bytes of a line of a route or track file: three long numbers, and room.
constexpr size_t kLineBytes = 256;
// The most bytes a route file may have: kRouteMax lines, and a track file: kTrackMax lines.
constexpr size_t kRouteBytes = kLineBytes * kRouteMax;
constexpr size_t kTrackBytes = kLineBytes * kTrackMax;
// The most fields a line of either has.
constexpr int kFields = 3;

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// A field as a message shows it: at most kShownMax bytes of it (never part of a UTF-8 character),
// "..." where it goes on, a byte that does not print escaped (\0, \x09, and \\ for a backslash),
// so that the line says what the file holds.
constexpr size_t kShownMax = 40;
constexpr unsigned char kSpace = 0x20, kDelete = 0x7f;  // the bytes that print lie between
constexpr unsigned char kFollowMask = 0xC0, kFollow = 0x80;  // a UTF-8 byte after the first
std::string shown(std::string_view f) {
  size_t n = std::min(f.size(), kShownMax);
  while (n > 0 && n < f.size() && (static_cast<unsigned char>(f[n]) & kFollowMask) == kFollow) --n;
  std::string s;
  for (const char ch : f.substr(0, n)) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == 0) {
      s += "\\0";
    } else if (c == '\\') {
      s += "\\\\";
    } else if (c < kSpace || c == kDelete) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      s += hex;
    } else {
      s += ch;
    }
  }
  if (n < f.size()) s += "...";
  return s;
}

// A field that is a finite number, the whole of it.
bool number(std::string_view f, double& v) {
  const std::string s(trim(f));
  if (s.empty()) return false;
  char* end = nullptr;
  v = std::strtod(s.c_str(), &end);
  return end == s.c_str() + s.size() && std::isfinite(v);
}

// The lines of a CSV text of numbers: for each line that holds more than a comment ('#' to the
// end of the line) or blanks, row(f, n) with its first kFields fields, trimmed, and their count
// n, `line` its number; false as soon as row is.
template <class F>
bool lines(std::string_view text, int& line, F row) {
  line = 0;
  while (!text.empty()) {
    ++line;
    const size_t nl = text.find('\n');
    std::string_view l = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    l = trim(l.substr(0, l.find('#')));
    if (l.empty()) continue;
    std::string_view f[kFields];
    int n = 0;
    for (size_t at = 0;; ++n) {
      const size_t comma = l.find(',', at);
      if (n < kFields) f[n] = trim(l.substr(at, comma == std::string_view::npos ? l.npos : comma - at));
      if (comma == std::string_view::npos) break;
      at = comma + 1;
    }
    if (!row(f, n + 1)) return false;
  }
  return true;
}

// The first n fields of f as finite numbers into v; false with the reason in why.
bool numbers(const std::string_view* f, int n, double* v, std::string& why) {
  for (int i = 0; i < n; ++i)
    if (!number(f[i], v[i])) {
      why = "field " + std::to_string(i + 1) + " is not a finite number: " +
            shown(f[i]);
      return false;
    }
  return true;
}

// The text of the file at path, of at most `most` bytes (`what` the kind of file, in the
// message); false with the reason in err.
bool readfile(const std::string& path, size_t most, const char* what, std::string& text,
              std::string& err) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    err = path + ": " + std::strerror(errno);
    return false;
  }
  char buf[1 << 16];
  while (in.read(buf, sizeof buf) || in.gcount() > 0) {
    text.append(buf, static_cast<size_t>(in.gcount()));
    if (text.size() > most) {
      err = path + ": larger than a " + what + " file can be (" + std::to_string(most) + " bytes)";
      return false;
    }
  }
  if (in.bad()) {
    err = path + ": cannot be read";
    return false;
  }
  return true;
}

}  // namespace

bool parseroute(std::string_view text, const std::string& name, std::vector<Waypoint>& w,
                std::string& err) {
  w.clear();
  bool header = false;
  int line = 0;
  std::string why;
  const bool read = lines(text, line, [&](const std::string_view* f, int n) {
    if (!header) {
      if (n != 3 || f[0] != "x" || f[1] != "y" || f[2] != "th") {
        why = "the first line of a route is the header x,y,th (x [m], y [m], th [deg])";
        return false;
      }
      header = true;
      return true;
    }
    if (n != 3) {
      why = "a waypoint has 3 fields, x,y,th, not " + std::to_string(n);
      return false;
    }
    double v[3];
    if (!numbers(f, 3, v, why)) return false;
    if (w.size() >= static_cast<size_t>(kRouteMax)) {
      why = "more than " + std::to_string(kRouteMax) + " waypoints";
      return false;
    }
    w.push_back(Waypoint{v[0], v[1], v[2]});
    return true;
  });
  if (!read) {
    err = name + ":" + std::to_string(line) + ": " + why;
    return false;
  }
  if (w.size() < 2) {
    err = name + ": a route has at least 2 waypoints, not " + std::to_string(w.size()) +
          (header ? "" : " (and no header x,y,th)");
    return false;
  }
  return true;
}

bool readroute(const std::string& path, std::vector<Waypoint>& w, std::string& err) {
  std::string text;
  return readfile(path, kRouteBytes, "route", text, err) && parseroute(text, path, w, err);
}

bool parsetrack(std::string_view text, const std::string& name, TrackFile& t, std::string& err) {
  t = TrackFile{};
  std::vector<TrackPoint>& p = t.track.points;
  int header = 0;  // the fields the header names: 2 (x,y) or 3 (x,y,th); 0 before it
  int headingline = 0;  // the line of a heading given after the first point, while it is last
  double chord = 0.0;
  int line = 0;
  std::string why;
  const bool read = lines(text, line, [&](const std::string_view* f, int n) {
    if (header == 0) {
      if (n < 2 || n > 3 || f[0] != "x" || f[1] != "y" || (n == 3 && f[2] != "th")) {
        why = "the first line of a track is the header x,y or x,y,th (x [m], y [m], th [deg])";
        return false;
      }
      header = n;
      return true;
    }
    if (n != header && !(header == 3 && n == 2)) {
      why = "a point has " + std::string(header == 3 ? "2 or 3 fields, x,y[,th]" : "2 fields, x,y") +
            ", not " + std::to_string(n);
      return false;
    }
    if (headingline > 0) {
      line = headingline;
      why = "a heading th is given at the first and the last point only";
      return false;
    }
    double v[3];
    const bool heading = n == 3 && !f[2].empty();
    if (!numbers(f, heading ? 3 : 2, v, why)) return false;
    if (p.size() >= static_cast<size_t>(kTrackMax)) {
      why = "more than " + std::to_string(kTrackMax) + " points";
      return false;
    }
    if (!p.empty()) {
      if (v[0] == p.back().x && v[1] == p.back().y) {
        why = "the point repeats the one before it";
        return false;
      }
      chord += std::hypot(v[0] - p.back().x, v[1] - p.back().y);
      if (!std::isfinite(chord)) {
        why = "the points lie too far apart for the track's length to be a finite number";
        return false;
      }
    }
    if (heading && p.empty()) t.track.th0Deg = v[2];
    if (heading && !p.empty()) {
      t.track.thfDeg = v[2];
      headingline = line;
    }
    p.push_back(TrackPoint{v[0], v[1]});
    t.lines.push_back(line);
    return true;
  });
  if (!read) {
    err = name + ":" + std::to_string(line) + ": " + why;
    return false;
  }
  if (p.size() < static_cast<size_t>(kTrackMin)) {
    err = name + ": a track has at least " + std::to_string(kTrackMin) + " points, not " +
          std::to_string(p.size()) + (header > 0 ? "" : " (and no header x,y or x,y,th)");
    return false;
  }
  return true;
}

bool readtrack(const std::string& path, TrackFile& t, std::string& err) {
  std::string text;
  return readfile(path, kTrackBytes, "track", text, err) && parsetrack(text, path, t, err);
}

std::string trackerror(const std::string& name, const TrackFile& t, const Refusal& r,
                       const std::string& why) {
  if (r.count < 1 || static_cast<size_t>(r.count) > t.lines.size()) return name + ": " + why;
  return name + ":" + std::to_string(t.lines[static_cast<size_t>(r.count) - 1]) + ": " + why;
}

}  // namespace agv::cli
