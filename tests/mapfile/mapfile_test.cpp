// Map files: the YAML keys and their faults, one image in every encoding read to the same cells,
// bad images, and bad files (missing, folders, FIFOs, devices, loops) refused in one line.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "mapfile/mapfile.h"
#include "support/files.h"

using namespace agv;
using namespace agv::mapfile;
using namespace std::string_literals;

namespace {

// The numbers of a YAML file read without from_chars (the web page's C++ library has none for
// doubles) are from_chars's: the same texts refused, the same doubles to the bit, for tricky
// texts and for random ones of the characters numbers are made of.
TEST(MapYaml, NumbersScannedAsFromCharsReadsThem) {
  std::vector<std::string> texts = {
      "0", "-0", "1", "1.", ".5", "-.5", ".", "-", "", "1e", "1e+", "1e-5", "1E5", "00.1e+03",
      "0x10", "1_0", " 1", "1 ", "--1", "1e400", "-1e400", "1e-400", "4e-320", "2.4e-324",
      "2.5e-324", "2.4703282292062328e-324", "2.4703282292062327e-324",
      "1.7976931348623158e308", "1.7976931348623159e308", "2.2250738585072011e-308",
      "0.000000000000000000000000000000000000000000001e-300", "inf", "INF", "-Infinity", "infinit",
      "infinityy", "nan", "NaN", "-nan", "nan()", "nan(abc_1)", "nan(-)", "nan(", "nanx", "e5",
      "1.2.3", "12345678901234567890123456789", "0.1000000000000000055511151231257827"};
  std::mt19937 rng(11);
  const std::string alphabet = "0123456789.eE+-nNaAiIfFtTyY()_x ";
  for (int i = 0; i < 200000; ++i) {
    std::string t(rng() % 10, ' ');
    for (char& c : t) c = alphabet[rng() % alphabet.size()];
    texts.push_back(t);
  }
  for (const std::string& t : texts) {
    double a = -7.0, b = -7.0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), a);
    const bool want = !t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size();
    ASSERT_EQ(scannumber(t, b), want) << "'" << t << "'";
    if (want) {
      ASSERT_EQ(std::signbit(a), std::signbit(b)) << t;
      ASSERT_TRUE(std::isnan(a) ? std::isnan(b) : std::memcmp(&a, &b, sizeof a) == 0) << t;
    }
  }
}

TEST(MapYaml, KeysAndTheirFaults) {
  struct Case {
    std::string text;
    const char* says;  // "" where it is read
  };
  const std::string good = "image: m.pgm\nresolution: 0.05\norigin: [-2, +5.5, 0.1]\n";
  const Case cases[] = {
      {good, ""},
      {good + "negate: true\noccupied_thresh: 0.9\nfree_thresh: 0.1\nmode: raw\n", ""},
      {"", "m.yaml: no YAML in it"},
      {"- image\n- m.pgm\n", "m.yaml:1: not a YAML mapping of the map's keys (image, resolution, origin, ...)"},
      {"m.pgm\n", "m.yaml:1: not a YAML mapping of the map's keys (image, resolution, origin, ...)"},
      {good + "---\n" + good, "m.yaml: holds more than one YAML document"},
      {"image: [m.pgm\n", "m.yaml:2: not YAML: end of sequence flow not found"},
      {std::string(5000, '['), "m.yaml:1: not YAML that can be read: nested too deeply"},
      {"image: m.pgm\nresolution: 0.05\0\norigin: [0, 0, 0]\n"s, "m.yaml:2: a NUL byte: not a YAML text"},
      {"image: \"m\\0.pgm\"\nresolution: 0.05\norigin: [0, 0, 0]\n", "m.yaml:1: image must name the image file"},
      {good + "image: n.pgm\n", "m.yaml:4: image given twice (first on line 1)"},
      {good + "negtae: 1\n", "m.yaml:4: unknown key negtae (the keys: image, resolution, origin, "
                             "negate, occupied_thresh, free_thresh, mode)"},
      {good + "? [1]\n: 2\n", "m.yaml:4: a key that is not a name"},
      {"image: m.pgm\norigin: [0, 0, 0]\n", "m.yaml: no resolution given"},
      {"resolution: -0.05\n", "m.yaml:1: resolution must be a positive finite number [m/cell], not -0.05"},
      {"resolution: .nan\n", "m.yaml:1: resolution must be a positive finite number [m/cell], not .nan"},
      {"resolution: 1e999\n", "m.yaml:1: resolution must be a positive finite number [m/cell], not 1e999"},
      {"resolution: 0.05m\n", "m.yaml:1: resolution must be a positive finite number [m/cell], not 0.05m"},
      {"resolution: 1e-7\n", "m.yaml:1: resolution must be from 1e-06 to 1e+06 m/cell, not 1e-07"},
      {"origin: [0, 0]\n", "m.yaml:1: origin must be [x, y, yaw], three finite numbers (m, m, rad)"},
      {"origin: [0, 0, inf]\n", "m.yaml:1: origin must be [x, y, yaw], three finite numbers (m, m, rad)"},
      {"negate: 2\n", "m.yaml:1: negate must be 0 or 1"},
      {"mode: binary\n", "m.yaml:1: mode must be trinary, scale or raw"},
      {"free_thresh: -0.1\n", "m.yaml:1: free_thresh must be a number from 0 to 1, not -0.1"},
      {"occupied_thresh: 1.5\n", "m.yaml:1: occupied_thresh must be a number from 0 to 1, not 1.5"},
      {good + "free_thresh: 0.7\noccupied_thresh: 0.6\n",
       "m.yaml: free_thresh 0.7 is above occupied_thresh 0.6"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 80));
    MapYaml y;
    std::string err;
    EXPECT_EQ(parseyaml(c.text, "m.yaml", y, err), *c.says == '\0');
    EXPECT_EQ(err, c.says);
  }
  MapYaml y;
  std::string err;
  ASSERT_TRUE(parseyaml(good + "negate: 1\nmode: scale\n", "m.yaml", y, err));
  EXPECT_EQ(y.image, "m.pgm");
  EXPECT_EQ(y.resolution, 0.05);
  EXPECT_EQ(y.origin[1], 5.5);
  EXPECT_EQ(y.origin[2], 0.1);
  EXPECT_EQ(y.negate, 1);
  EXPECT_EQ(y.mode, Mode::Scale);
  EXPECT_EQ(y.freeThresh, 0.196);
}

// A PNG image of w x h pixels of the given type and depth, each pixel's channels in `px`.
std::string png(int w, int h, int type, int depth, bool adam7, const std::vector<unsigned>& px) {
  std::string out;
  png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  png_set_write_fn(
      p, &out,
      [](png_structp q, png_bytep d, size_t n) {
        static_cast<std::string*>(png_get_io_ptr(q))->append(reinterpret_cast<char*>(d), n);
      },
      nullptr);
  png_set_IHDR(p, info, w, h, depth, type, adam7 ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> gray(256);
  for (int i = 0; i < 256; ++i) gray[i] = png_color{png_byte(i), png_byte(i), png_byte(i)};
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(p, info, gray.data(), 256);
  png_write_info(p, info);
  const size_t channels = px.size() / (static_cast<size_t>(w) * h);
  std::vector<png_byte> bytes;
  for (unsigned v : px) {
    if (depth == 16) bytes.push_back(png_byte(v >> 8));
    bytes.push_back(png_byte(v & 255));
  }
  std::vector<png_bytep> rows;
  for (int r = 0; r < h; ++r) rows.push_back(&bytes[r * w * channels * (depth / 8)]);
  png_write_image(p, rows.data());
  png_write_end(p, nullptr);
  png_destroy_write_struct(&p, &info);
  return out;
}

Map decoded(const std::string& bytes, const MapYaml& y = {}) {
  Map m;
  std::string err;
  EXPECT_TRUE(readimage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "img", y,
                        kMapMaxSide, m, err))
      << err;
  return m;
}

TEST(MapImage, OneImageInEveryEncodingGivesTheSameCells) {
  // Gray values and their cells by the default thresholds: p = (255 - v) / 255.
  const unsigned values[] = {0, 30, 100, 160, 205, 230, 254, 255};
  const Cell want[] = {Cell::Occupied, Cell::Occupied, Cell::Unknown, Cell::Unknown,
                       Cell::Unknown,  Cell::Free,     Cell::Free,    Cell::Free};
  const int w = 13, h = 9;  // Adam7's passes of every size
  std::vector<unsigned> g, g16, rgb, ga;
  std::string p2 = "P2\n# a comment\n13 9\n255\n", p5 = "P5 13 9 255\n", p5w = "P5 13 9 65535\n";
  std::string p5raw = "P5 13 9 65535\n";  // 16 bits, not scaled: read raw, the same percentages
  for (int i = 0; i < w * h; ++i) {
    const unsigned v = values[(i * 7 + i / w) % 8];
    g.push_back(v);
    g16.push_back(v * 257);
    rgb.insert(rgb.end(), {v, v, v});
    ga.insert(ga.end(), {v, 255});
    p2 += std::to_string(v) + (i % w == w - 1 ? "\n" : " ");
    p5 += static_cast<char>(v);
    p5w += std::string{static_cast<char>(v * 257 >> 8), static_cast<char>(v * 257 & 255)};
    p5raw += std::string{'\0', static_cast<char>(v)};
  }
  const Map m = decoded(p5);
  ASSERT_EQ(m.width, w);
  ASSERT_EQ(m.height, h);
  for (int i = 0; i < w * h; ++i) EXPECT_EQ(m.cells[i], want[(i * 7 + i / w) % 8]) << i;
  for (const std::string& other :
       {p2, p5w, png(w, h, PNG_COLOR_TYPE_GRAY, 8, false, g), png(w, h, PNG_COLOR_TYPE_GRAY, 16, true, g16),
        png(w, h, PNG_COLOR_TYPE_RGB, 8, true, rgb), png(w, h, PNG_COLOR_TYPE_PALETTE, 8, false, g),
        png(w, h, PNG_COLOR_TYPE_GRAY_ALPHA, 8, true, ga)})
    EXPECT_EQ(decoded(other).cells, m.cells) << other.substr(0, 20);
  // negate turns the gray scale round; raw reads percentages; scale makes see-through unknown.
  MapYaml y;
  y.negate = 1;
  const std::vector<Cell> negated = decoded(p5, y).cells;
  y.negate = 0;
  y.mode = Mode::Raw;
  const std::vector<Cell> raw = decoded(p5, y).cells;
  EXPECT_EQ(decoded(p5raw, y).cells, raw);
  EXPECT_EQ(decoded(png(w, h, PNG_COLOR_TYPE_GRAY, 16, false, g), y).cells, raw);
  EXPECT_EQ(decoded(png(w, h, PNG_COLOR_TYPE_RGB, 8, false, rgb), y).cells, raw);
  y.mode = Mode::Scale;
  ga[1] = 254;
  const std::vector<Cell> scaled = decoded(png(w, h, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, ga), y).cells;
  const Cell negatedWant[] = {Cell::Free, Cell::Free, Cell::Unknown, Cell::Unknown,
                              Cell::Occupied, Cell::Occupied, Cell::Occupied, Cell::Occupied};
  const Cell rawWant[] = {Cell::Free, Cell::Unknown, Cell::Occupied, Cell::Unknown,
                          Cell::Unknown, Cell::Unknown, Cell::Unknown, Cell::Unknown};
  for (int i = 0; i < w * h; ++i) {
    EXPECT_EQ(negated[i], negatedWant[(i * 7 + i / w) % 8]) << i;
    EXPECT_EQ(raw[i], rawWant[(i * 7 + i / w) % 8]) << i;
    EXPECT_EQ(scaled[i], i == 0 ? Cell::Unknown : m.cells[i]) << i;
  }
}

TEST(MapImage, BadImagesAreRefusedInOneLine) {
  const std::string sig = png(1, 1, PNG_COLOR_TYPE_GRAY, 8, false, {0});
  std::string crc = sig;
  crc[29] ^= 1;  // a bit of IHDR's CRC
  const struct {
    std::string bytes;
    const char* says;
  } cases[] = {
      {"", "img: empty, not a PGM or PNG image"},
      {"GIF89a", "img: not a PGM (P2, P5) or PNG image"},
      {std::string("P6 1 1 255\n\0\0\0", 14), "img: not a PGM (P2, P5) or PNG image"},
      {"P5 0 0 255\n", "img: an image of no pixels (0 x 0)"},
      {"P5 99999999999999999999 2 255\n",
       "img: an image of over 999999999 x 2 pixels, larger than the bound of 16384 x 16384"},
      {"P5 16385 1 255\n", "img: an image of 16385 x 1 pixels, larger than the bound of 16384 x 16384"},
      {"P5 4", "img: not a PGM image: its header has no height"},
      {"P5 1 1 255", "img: not a PGM image: its header has no white space after its maxval"},
      {"P5 1 1 0\n", "img: the image's maxval must be from 1 to 65535, not 0"},
      {"P5 1 1 65536\n", "img: the image's maxval must be from 1 to 65535, not 65536"},
      {"P5 4 4 255\n0123456789", "img: truncated: the pixel bytes end after 10 of 16"},
      {"P5 2 1 1000\n\x03\xe8\x03", "img: truncated: the pixel bytes end after 3 of 4"},
      {"P5 2 1 100\n\x01\x65", "img: pixel (1, 0) is 101, above the image's maxval 100"},
      {"P2 2 2 255\n1 2 3", "img: truncated: the pixels end after 3 of 4"},
      {"P2 2 1 255\n1 x", "img: pixel (1, 0) is not a number"},
      {"P2 2 1 255\n1 2x", "img: pixel (1, 0) is not a number"},
      {sig.substr(0, 8), "img: not a readable PNG image: truncated"},
      {sig.substr(0, sig.size() - 20), "img: not a readable PNG image: truncated"},
      {crc, "img: not a readable PNG image: IHDR: CRC error"},
      {png(16385, 1, PNG_COLOR_TYPE_GRAY, 8, false, std::vector<unsigned>(16385)),
       "img: an image of 16385 x 1 pixels, larger than the bound of 16384 x 16384"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 20));
    Map m;
    std::string err;
    EXPECT_FALSE(readimage(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(),
                           "img", MapYaml{}, kMapMaxSide, m, err));
    EXPECT_EQ(err, c.says);
    EXPECT_EQ(m.width, 0);
  }
}

TEST(MapFiles, AMapAndItsFaultyFiles) {
  const std::string dir = agvtest::scratch("mapfiles");
  auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(dir + "/" + name, std::ios::binary) << text;
  };
  write("m.pgm", "P5 3 2 255\n\x00\xff\xcd\xff\xff\x00"s);
  write("m.yaml", "image: m.pgm\nresolution: 0.5\norigin: [1, 2, 0.25]\n");
  Map m;
  std::string err;
  ASSERT_TRUE(loadmap(dir + "/m.yaml", m, err)) << err;
  EXPECT_EQ(m.width, 3);
  EXPECT_EQ(m.at(0, 0), Cell::Occupied);
  EXPECT_EQ(m.at(2, 0), Cell::Unknown);
  EXPECT_EQ(m.at(2, 1), Cell::Occupied);
  EXPECT_EQ(std::vector<double>({m.resolution, m.x, m.y, m.yaw}), std::vector<double>({0.5, 1, 2, 0.25}));
  EXPECT_EQ(m.widthMetres(), 1.5);
  EXPECT_EQ(checkmap(m), "");

  ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
  std::filesystem::create_directory(dir + "/folder");
  std::filesystem::create_symlink("loop", dir + "/loop");
  write("big.yaml", std::string(kYamlMax + 1, ' '));
  write("truncated.pgm", "P5 3 2 255\n\x00"s);
  const std::string names[] = {"missing.pgm", "folder", "fifo", "loop", "/dev/zero", "truncated.pgm"};
  const std::string says[] = {"No such file or directory", "a folder, not a file",
                              "not a regular file (a device, a FIFO or a socket)",
                              "Too many levels of symbolic links",
                              "not a regular file (a device, a FIFO or a socket)",
                              "truncated: the pixel bytes end after 1 of 6"};
  for (size_t i = 0; i < std::size(names); ++i) {
    SCOPED_TRACE(names[i]);
    const std::string file = names[i][0] == '/' ? names[i] : dir + "/" + names[i];
    // As the YAML file, then as its image.
    if (i + 1 < std::size(names)) {
      EXPECT_FALSE(loadmap(file, m, err));
      EXPECT_EQ(err, file + ": " + says[i]);
    }
    write("bad.yaml", "image: " + names[i] + "\nresolution: 0.5\norigin: [0, 0, 0]\n");
    EXPECT_FALSE(loadmap(dir + "/bad.yaml", m, err));
    EXPECT_EQ(err, file + ": " + says[i]);
  }
  EXPECT_FALSE(loadmap(dir + "/big.yaml", m, err));
  EXPECT_EQ(err, dir + "/big.yaml: larger than 64 KiB: not a map's YAML file");
  EXPECT_FALSE(loadmap(dir + "/new\nline", m, err));
  EXPECT_EQ(err, dir + "/new\\x0aline: No such file or directory");
  EXPECT_FALSE(loadmap("", m, err));
  EXPECT_EQ(err, "\"\": an empty file name");
  EXPECT_EQ(m.width, 3);  // left as it was
  std::filesystem::remove_all(dir);
}

}  // namespace
