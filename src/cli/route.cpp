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

// The most bytes a route file may have: kRouteMax lines of three long numbers, and room.
constexpr size_t kRouteBytes = 256u * kRouteMax;

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

}  // namespace

bool parseroute(std::string_view text, const std::string& name, std::vector<Waypoint>& w,
                std::string& err) {
  w.clear();
  bool header = false;
  int line = 0;
  const auto fail = [&](const std::string& why) {
    err = name + ":" + std::to_string(line) + ": " + why;
    return false;
  };
  while (!text.empty()) {
    ++line;
    const size_t nl = text.find('\n');
    std::string_view l = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    l = trim(l.substr(0, l.find('#')));
    if (l.empty()) continue;
    std::string_view f[3];
    int n = 0;
    for (size_t at = 0;; ++n) {
      const size_t comma = l.find(',', at);
      if (n < 3) f[n] = l.substr(at, comma == std::string_view::npos ? l.npos : comma - at);
      if (comma == std::string_view::npos) break;
      at = comma + 1;
    }
    ++n;
    if (!header) {
      if (n != 3 || trim(f[0]) != "x" || trim(f[1]) != "y" || trim(f[2]) != "th")
        return fail("the first line of a route is the header x,y,th (x [m], y [m], th [deg])");
      header = true;
      continue;
    }
    if (n != 3) return fail("a waypoint has 3 fields, x,y,th, not " + std::to_string(n));
    Waypoint p;
    double* dst[3] = {&p.x, &p.y, &p.thDeg};
    for (int i = 0; i < 3; ++i)
      if (!number(f[i], *dst[i]))
        return fail("field " + std::to_string(i + 1) + " is not a finite number: " +
                    shown(trim(f[i])));
    if (w.size() >= static_cast<size_t>(kRouteMax))
      return fail("more than " + std::to_string(kRouteMax) + " waypoints");
    w.push_back(p);
  }
  if (w.size() < 2) {
    err = name + ": a route has at least 2 waypoints, not " + std::to_string(w.size()) +
          (header ? "" : " (and no header x,y,th)");
    return false;
  }
  return true;
}

bool readroute(const std::string& path, std::vector<Waypoint>& w, std::string& err) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    err = path + ": " + std::strerror(errno);
    return false;
  }
  std::string text;
  char buf[1 << 16];
  while (in.read(buf, sizeof buf) || in.gcount() > 0) {
    text.append(buf, static_cast<size_t>(in.gcount()));
    if (text.size() > kRouteBytes) {
      err = path + ": larger than a route file can be (" + std::to_string(kRouteBytes) + " bytes)";
      return false;
    }
  }
  if (in.bad()) {
    err = path + ": cannot be read";
    return false;
  }
  return parseroute(text, path, w, err);
}

}  // namespace agv::cli
