// PNG images, by libpng: every colour type and bit depth, interlaced or not.  The samples are
// read as they are written (no gamma), 8 or 16 bits; each pixel's colour samples are summed and
// classified as it arrives, so that no more than one row of the image is held.
//
// libpng reports an error by a long jump to the set-up's setjmp: the function that sets it up
// (rows) holds no objects of its own, only a pointer to the state its caller owns.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "mapfile/image.h"

namespace agv::mapfile {

namespace {

// The most memory an ancillary chunk (text, a colour profile) may take [bytes].
constexpr png_alloc_size_t kChunkMax = 1 << 20;
// Adam7's passes.
constexpr int kPasses = 7;
// The message of libpng's error.
constexpr std::size_t kMessage = 200;

struct State {
  Source* in = nullptr;
  const MapYaml* y = nullptr;
  int maxSide = 0;
  png_structp png = nullptr;
  png_infop info = nullptr;
  char message[kMessage] = "";
  bool bound = false;  // the message is the bound of the sides, not libpng's
  int width = 0;
  int height = 0;
  std::vector<png_byte> row;
  std::vector<Cell> lut;
  std::vector<Cell> cells;
  ~State() {
    if (png != nullptr) png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
  }
};

void error(png_structp png, png_const_charp msg) {
  auto* s = static_cast<State*>(png_get_error_ptr(png));
  std::snprintf(s->message, sizeof s->message, "%s", msg);
  png_longjmp(png, 1);
}

void warning(png_structp, png_const_charp) {}

void input(png_structp png, png_bytep out, std::size_t n) {
  auto* s = static_cast<State*>(png_get_io_ptr(png));
  if (s->in->read(out, n) == n) return;
  if (s->in->error() != 0)
    std::snprintf(s->message, sizeof s->message, "cannot be read: %s",
                  std::generic_category().message(s->in->error()).c_str());
  else
    std::snprintf(s->message, sizeof s->message, "truncated");
  png_longjmp(png, 1);
}

// The header, the transforms and every row into s->cells; false where libpng or the bound of
// the sides refused the image (s->message says why).
bool rows(State* s) {
  if (setjmp(png_jmpbuf(s->png))) return false;
  png_set_read_fn(s->png, s, input);
  png_set_chunk_malloc_max(s->png, kChunkMax);
  png_read_info(s->png, s->info);
  s->width = static_cast<int>(png_get_image_width(s->png, s->info));
  s->height = static_cast<int>(png_get_image_height(s->png, s->info));
  if (s->width > s->maxSide || s->height > s->maxSide) {
    std::snprintf(s->message, sizeof s->message, "%s",
                  sidebound(s->width, s->height, s->maxSide).c_str());
    s->bound = true;
    return false;
  }
  png_set_palette_to_rgb(s->png);
  png_set_expand_gray_1_2_4_to_8(s->png);
  png_set_tRNS_to_alpha(s->png);
  png_read_update_info(s->png, s->info);
  const int type = png_get_color_type(s->png, s->info);
  const int channels = png_get_channels(s->png, s->info);
  const int alpha = (type & PNG_COLOR_MASK_ALPHA) != 0 ? 1 : 0;
  const int colours = channels - alpha;
  const bool wide = png_get_bit_depth(s->png, s->info) == 16;
  const unsigned maxval = wide ? 65535 : 255;
  s->lut = classes(*s->y, colours, maxval);
  s->row.resize(png_get_rowbytes(s->png, s->info));
  s->cells.assign(static_cast<std::size_t>(s->width) * static_cast<std::size_t>(s->height),
                  Cell::Free);
  const bool scale = s->y->mode == Mode::Scale;
  const bool adam7 = png_get_interlace_type(s->png, s->info) == PNG_INTERLACE_ADAM7;
  const png_uint_32 w = static_cast<png_uint_32>(s->width), h = static_cast<png_uint_32>(s->height);
  for (int pass = 0; pass < (adam7 ? kPasses : 1); ++pass) {
    // Without libpng's interlace handling each pass is an image of its own: its pixels placed
    // here in the whole image's grid.
    const png_uint_32 cols = adam7 ? PNG_PASS_COLS(w, pass) : w;
    const png_uint_32 nrows = adam7 ? PNG_PASS_ROWS(h, pass) : h;
    if (cols == 0 || nrows == 0) continue;
    const png_uint_32 x0 = adam7 ? PNG_PASS_START_COL(pass) : 0;
    const png_uint_32 y0 = adam7 ? PNG_PASS_START_ROW(pass) : 0;
    const int dx = adam7 ? PNG_PASS_COL_SHIFT(pass) : 0, dy = adam7 ? PNG_PASS_ROW_SHIFT(pass) : 0;
    for (png_uint_32 i = 0; i < nrows; ++i) {
      png_read_row(s->png, s->row.data(), nullptr);
      Cell* out = &s->cells[static_cast<std::size_t>(y0 + (i << dy)) * w];
      const png_byte* p = s->row.data();
      for (png_uint_32 k = 0; k < cols; ++k) {
        unsigned sum = 0, sample = 0;
        for (int c = 0; c < channels; ++c) {
          sample = wide ? p[0] * 256U + p[1] : p[0];
          p += wide ? 2 : 1;
          if (c < colours) sum += sample;
        }
        out[x0 + (k << dx)] = scale && alpha != 0 && sample != maxval ? Cell::Unknown : s->lut[sum];
      }
    }
  }
  return true;
}

}  // namespace

bool decodepng(Source& in, const MapYaml& y, int maxSide, Map& m, std::string& err) {
  State s;
  s.in = &in;
  s.y = &y;
  s.maxSide = maxSide;
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, error, warning);
  if (s.png != nullptr) s.info = png_create_info_struct(s.png);
  if (s.info == nullptr) throw std::bad_alloc();
  if (!rows(&s)) {
    err = s.bound ? s.message : std::string("not a readable PNG image: ") + s.message;
    return false;
  }
  m.width = s.width;
  m.height = s.height;
  m.cells = std::move(s.cells);
  return true;
}

}  // namespace agv::mapfile
