// PGM images, plain (P2) and raw (P5), of 8 or 16 bits, and the cells of gray values.
//
// A reader of our own: Debian's libnetpbm ends the process on a bad file unless one process-wide
// jump buffer (pm_setjmpbuf) catches its errors, which two maps read in two threads would share.
#include <algorithm>
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

#include "mapfile/image.h"

namespace agv::mapfile {

namespace {

// The largest maxval of a PGM image, and of one byte a sample.
constexpr unsigned long kMaxval = 65535;
constexpr unsigned long kMaxval8 = 255;
// Raw mode: gray values above this are unknown.
constexpr double kRawMax = 100.0;

bool space(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool digit(int c) { return c >= '0' && c <= '9'; }

// Skips white space and comments (from '#' to the end of the line).
void skip(Source& in) {
  for (int c = in.peek(); c == '#' || space(c); c = in.peek()) {
    if (c != '#') {
      in.get();
      continue;
    }
    do c = in.get();
    while (c != -1 && c != '\n' && c != '\r');
  }
}

// A decimal number (held up to kHugeSide); false where no digit follows.
bool decimal(Source& in, unsigned long& v) {
  v = 0;
  int n = 0;
  for (; digit(in.peek()); ++n) v = std::min(kHugeSide, v * 10 + static_cast<unsigned long>(in.get() - '0'));
  return n > 0;
}

std::string where(const char* what, long col, long row, unsigned long v, unsigned long maxval) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%s (%ld, %ld) is %lu, above the image's maxval %lu", what, col,
                row, v, maxval);
  return buf;
}

std::string ended(const Source& in, const char* what, long got, long all) {
  if (in.error() != 0) return "cannot be read: " + std::generic_category().message(in.error());
  char buf[160];
  std::snprintf(buf, sizeof buf, "truncated: the %s end after %ld of %ld", what, got, all);
  return buf;
}

}  // namespace

std::vector<Cell> classes(const MapYaml& y, int n, unsigned maxval) {
  const double whole = static_cast<double>(n) * maxval;
  std::vector<Cell> c(static_cast<std::size_t>(whole) + 1);
  for (std::size_t sum = 0; sum < c.size(); ++sum) {
    const double v = static_cast<double>(sum);
    double p = y.negate != 0 ? v / whole : (whole - v) / whole;
    if (y.mode == Mode::Raw) p = v / n / kRawMax;
    c[sum] = y.mode == Mode::Raw && v / n > kRawMax ? Cell::Unknown
             : p > y.occupiedThresh                 ? Cell::Occupied
             : p < y.freeThresh                     ? Cell::Free
                                                    : Cell::Unknown;
  }
  return c;
}

std::string sidebound(unsigned long width, unsigned long height, int maxSide) {
  const auto side = [](unsigned long v) {
    return v >= kHugeSide ? "over " + std::to_string(kHugeSide - 1) : std::to_string(v);
  };
  if (width < 1 || height < 1)
    return "an image of no pixels (" + side(width) + " x " + side(height) + ")";
  return "an image of " + side(width) + " x " + side(height) + " pixels, larger than the bound of " +
         std::to_string(maxSide) + " x " + std::to_string(maxSide);
}

bool decodepgm(Source& in, const MapYaml& y, int maxSide, Map& m, std::string& err) {
  in.get();
  const int kind = in.get();
  if (kind != '2' && kind != '5') {
    err = "not a PGM (P2, P5) or PNG image";
    return false;
  }
  const bool plain = kind == '2';
  unsigned long w = 0, h = 0, maxval = 0;
  const char* missing = nullptr;
  skip(in);
  if (!decimal(in, w)) missing = "width";
  if (!missing) skip(in);
  if (!missing && !decimal(in, h)) missing = "height";
  if (!missing) skip(in);
  if (!missing && !decimal(in, maxval)) missing = "maxval";
  if (!missing && !space(in.get())) missing = "white space after its maxval";
  if (missing) {
    err = std::string("not a PGM image: its header has no ") + missing;
    return false;
  }
  if (w < 1 || h < 1 || w > static_cast<unsigned long>(maxSide) ||
      h > static_cast<unsigned long>(maxSide)) {
    err = sidebound(w, h, maxSide);
    return false;
  }
  if (maxval < 1 || maxval > kMaxval) {
    err = "the image's maxval must be from 1 to 65535, not " + std::to_string(maxval);
    return false;
  }
  const std::vector<Cell> lut = classes(y, 1, static_cast<unsigned>(maxval));
  std::vector<Cell> cells(w * h);
  if (plain) {
    for (unsigned long i = 0; i < w * h; ++i) {
      unsigned long v = 0;
      skip(in);
      if (in.peek() == -1) {
        err = ended(in, "pixels", static_cast<long>(i), static_cast<long>(w * h));
        return false;
      }
      const long col = static_cast<long>(i % w), row = static_cast<long>(i / w);
      if (!decimal(in, v) || !(space(in.peek()) || in.peek() == -1 || in.peek() == '#')) {
        char buf[120];
        std::snprintf(buf, sizeof buf, "pixel (%ld, %ld) is not a number", col, row);
        err = buf;
        return false;
      }
      if (v > maxval) {
        err = where("pixel", col, row, v, maxval);
        return false;
      }
      cells[i] = lut[v];
    }
  } else {
    const unsigned long bytes = maxval > kMaxval8 ? 2 : 1;
    std::vector<std::uint8_t> row(w * bytes);
    for (unsigned long r = 0; r < h; ++r) {
      const std::size_t got = in.read(row.data(), row.size());
      if (got < row.size()) {
        err = ended(in, "pixel bytes", static_cast<long>(r * row.size() + got),
                    static_cast<long>(h * row.size()));
        return false;
      }
      for (unsigned long c = 0; c < w; ++c) {
        const unsigned long v = bytes == 2 ? row[2 * c] * 256UL + row[2 * c + 1] : row[c];
        if (v > maxval) {
          err = where("pixel", static_cast<long>(c), static_cast<long>(r), v, maxval);
          return false;
        }
        cells[r * w + c] = lut[v];
      }
    }
  }
  m.width = static_cast<int>(w);
  m.height = static_cast<int>(h);
  m.cells = std::move(cells);
  return true;
}

}  // namespace agv::mapfile
