// Shared by the picture tests: pictures read back, and how alike two of them are.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pictest {

// RGB pixels, rows from the top.
struct Image {
  int w = 0, h = 0;
  std::vector<uint8_t> rgb;
  bool ink(int x, int y) const {  // anything but the white background
    const uint8_t* p = &rgb[3 * (static_cast<size_t>(y) * w + x)];
    return p[0] != 255 || p[1] != 255 || p[2] != 255;
  }
};

// A PNG file's bytes, or a PNG file, as RGB (alpha laid on white); false when it is no PNG.
inline bool decode(png_image& img, Image& out, bool ok) {
  if (!ok) return false;
  img.format = PNG_FORMAT_RGB;
  out.w = static_cast<int>(img.width);
  out.h = static_cast<int>(img.height);
  out.rgb.assign(PNG_IMAGE_SIZE(img), 0);
  const png_color white{255, 255, 255};
  return png_image_finish_read(&img, &white, out.rgb.data(), 0, nullptr) != 0;
}
inline bool pngbytes(const std::string& bytes, Image& out) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  return decode(img, out, png_image_begin_read_from_memory(&img, bytes.data(), bytes.size()) != 0);
}
inline bool pngfile(const std::string& file, Image& out) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  return decode(img, out, png_image_begin_read_from_file(&img, file.c_str()) != 0);
}

constexpr int kReach = 2;  // a pixel of ink counts where the other picture has ink this near [px]

// The share of the ink of a that has ink of b within kReach pixels; 1 for no ink.
inline double likeness(const Image& a, const Image& b) {
  long ink = 0, met = 0;
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x) {
      if (!a.ink(x, y)) continue;
      ++ink;
      bool near = false;
      for (int dy = -kReach; dy <= kReach && !near; ++dy)
        for (int dx = -kReach; dx <= kReach && !near; ++dx)
          near = dx * dx + dy * dy <= kReach * kReach && x + dx >= 0 && x + dx < b.w &&
                 y + dy >= 0 && y + dy < b.h && b.ink(x + dx, y + dy);
      met += near;
    }
  return ink == 0 ? 1.0 : static_cast<double>(met) / static_cast<double>(ink);
}

}  // namespace pictest
