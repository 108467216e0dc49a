// The PNG reader against libpng on a suite written by python3-png (every
// colour type and depth, plain and interlaced, all five filters, tRNS, bKGD
// and gAMA), and its errors on damaged copies that pngcheck rejects.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "skin/png_decoder.h"

namespace fs = std::filesystem;
using namespace kelmo::skin;

namespace {

// The suite is written once per test program into a folder removed at exit.
struct SuiteDir {
  fs::path path;
  ~SuiteDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

fs::path SuiteFolder() {
  static const SuiteDir folder{[] {
    fs::path dir = fs::temp_directory_path() / ("kelmo_png_suite_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string cmd = std::string("/usr/bin/python3 ") + KELMO_SOURCE_DIR +
                            "/tests/skin/make_png_suite.py " + dir.string() + " > /dev/null";
    if (std::system(cmd.c_str()) != 0) ADD_FAILURE() << "the suite was not written";
    return dir;
  }()};
  return folder.path;
}

std::vector<std::uint8_t> ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), {}};
}

// libpng's samples: one value per sample (sub-byte depths unpacked, 16-bit
// values whole), palette indexes as they are.
struct Reference {
  int width = 0, height = 0, colorType = 0, depth = 0, channels = 0;
  std::vector<std::vector<unsigned>> rows;
  std::vector<png_color> palette;
  bool hasGamma = false;
  double gamma = 0;
};

Reference LibpngDecode(const fs::path& file, bool withGamma = false) {
  Reference ref;
  FILE* fp = std::fopen(file.c_str(), "rb");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(fp);
    ADD_FAILURE() << "libpng failed on " << file;
    return ref;
  }
  png_init_io(png, fp);
  png_read_info(png, info);
  ref.width = int(png_get_image_width(png, info));
  ref.height = int(png_get_image_height(png, info));
  ref.colorType = png_get_color_type(png, info);
  ref.depth = png_get_bit_depth(png, info);
  ref.hasGamma = png_get_gAMA(png, info, &ref.gamma) != 0;
  if (ref.colorType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp pal = nullptr;
    int n = 0;
    png_get_PLTE(png, info, &pal, &n);
    ref.palette.assign(pal, pal + n);
  }
  if (ref.depth < 8) png_set_packing(png);
  if (withGamma) {
    png_set_strip_16(png);
    png_set_gamma(png, 2.2, ref.gamma);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  ref.channels = png_get_channels(png, info);
  const int outDepth = png_get_bit_depth(png, info);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  std::vector<std::vector<png_byte>> raw(std::size_t(ref.height), std::vector<png_byte>(rowBytes));
  std::vector<png_bytep> ptrs;
  for (auto& r : raw) ptrs.push_back(r.data());
  png_read_image(png, ptrs.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(fp);
  for (auto& r : raw) {
    std::vector<unsigned> row;
    for (std::size_t i = 0; i < std::size_t(ref.width * ref.channels); ++i)
      row.push_back(outDepth == 16 ? (unsigned(r[2 * i]) << 8 | r[2 * i + 1]) : r[i]);
    ref.rows.push_back(std::move(row));
  }
  return ref;
}

struct Ours {
  PixelBuffer pixels;
  PngResult result;
};

Ours OurDecode(const fs::path& file) {
  kelmo::zip::TMemoryStream s(ReadFile(file));
  TColorManager cm;
  Ours out;
  out.result = DecodePng(s, out.pixels, cm);
  return out;
}

unsigned Packed(const PixelBuffer& b, int x, int y) {
  const std::uint8_t* row = b.Row(y);
  if (b.bits == 8) return row[x];
  const int bit = x * b.bits;
  return (row[bit / 8] >> (8 - b.bits - bit % 8)) & ((1u << b.bits) - 1);
}

// The text's reductions: 16-bit samples to 8, and the gamma table.
unsigned To8(unsigned v, int depth) {
  return depth == 16 ? v * 255 / 65535 : v;
}
unsigned Gamma(unsigned v, double g) {
  return unsigned(std::nearbyint(std::pow(v / 255.0, 1.0 / (g * 2.2)) * 255));
}

void CompareWithLibpng(const fs::path& file) {
  SCOPED_TRACE(file.filename().string());
  const Reference ref = LibpngDecode(file);
  const Ours ours = OurDecode(file);
  const PixelBuffer& px = ours.pixels;
  ASSERT_EQ(px.width, ref.width);
  ASSERT_EQ(px.height, ref.height);
  const bool gamma = ref.hasGamma;
  for (int y = 0; y < ref.height; ++y) {
    for (int x = 0; x < ref.width; ++x) {
      const unsigned* s = &ref.rows[std::size_t(y)][std::size_t(x * ref.channels)];
      switch (ref.colorType) {
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_GRAY_ALPHA: {
          unsigned want = ref.depth == 2 ? s[0] * 5 : To8(s[0], ref.depth);
          ASSERT_EQ(Packed(px, x, y), want) << x << "," << y;
          break;
        }
        case PNG_COLOR_TYPE_PALETTE: {
          const unsigned index = Packed(px, x, y);
          ASSERT_EQ(index, ref.depth == 2 ? s[0] * 5 : s[0]) << x << "," << y;
          const PaletteEntry& e = ours.result.Palette.at(index);
          const png_color& c = ref.palette.at(s[0]);
          auto g = [&](unsigned v) { return gamma ? Gamma(v, ref.gamma) : v; };
          ASSERT_EQ(e, (PaletteEntry{std::uint8_t(g(c.red)), std::uint8_t(g(c.green)),
                                     std::uint8_t(g(c.blue))}));
          break;
        }
        default: {
          const int bpp = px.bits / 8;
          const std::uint8_t* p = px.Row(y) + x * bpp;
          auto g = [&](unsigned v) { return gamma ? Gamma(v, ref.gamma) : v; };
          ASSERT_EQ(p[2], g(To8(s[0], ref.depth))) << x << "," << y;
          ASSERT_EQ(p[1], g(To8(s[1], ref.depth))) << x << "," << y;
          ASSERT_EQ(p[0], g(To8(s[2], ref.depth))) << x << "," << y;
          if (ref.channels == 4) ASSERT_EQ(p[3], To8(s[3], ref.depth)) << x << "," << y;
        }
      }
    }
  }
}

}  // namespace

TEST(PngReader, EverySuitePictureMatchesLibpng) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(SuiteFolder())) {
    const std::string name = e.path().filename().string();
    if (name.rfind("damaged", 0) == 0) continue;
    CompareWithLibpng(e.path());
    ++n;
  }
  EXPECT_GT(n, 40);
}

TEST(PngReader, GammaAgreesWithLibpngsOwnCorrection) {
  for (const char* name : {"ct2_d8_gama.png", "ct6_d8_gama.png"}) {
    SCOPED_TRACE(name);
    const fs::path file = SuiteFolder() / name;
    const Reference ref = LibpngDecode(file, true);
    const Ours ours = OurDecode(file);
    for (int y = 0; y < ref.height; ++y)
      for (int x = 0; x < ref.width; ++x)
        for (int c = 0; c < 3; ++c) {
          const int theirs = int(ref.rows[std::size_t(y)][std::size_t(x * ref.channels + c)]);
          const int mine = ours.pixels.Row(y)[x * (ours.pixels.bits / 8) + 2 - c];
          ASSERT_LE(std::abs(theirs - mine), 1) << x << "," << y << "," << c;
        }
  }
}

TEST(PngReader, AncillaryChunksSetKeyAndBackColoursAndAlphaTable) {
  EXPECT_EQ(OurDecode(SuiteFolder() / "ct0_d8_trns.png").result.KeyColor, 17u * 0x010101u);
  EXPECT_EQ(OurDecode(SuiteFolder() / "ct2_d8_trns.png").result.KeyColor, 0x030201u);
  const Ours indexed = OurDecode(SuiteFolder() / "ct3_d4_trns.png");
  ASSERT_EQ(indexed.result.AlphaTable.size(), 256u);
  EXPECT_EQ(indexed.result.AlphaTable[1], 37);
  EXPECT_EQ(indexed.result.AlphaTable[10], 255);
  EXPECT_EQ(indexed.result.KeyColor, kNoKeyColor);
  EXPECT_EQ(OurDecode(SuiteFolder() / "ct0_d16_bkgd.png").result.BackColor, 40000u * 255 / 65535);
  EXPECT_EQ(OurDecode(SuiteFolder() / "ct2_d8_bkgd.png").result.BackColor, 0x1E140Au);
  const Ours g = OurDecode(SuiteFolder() / "ct2_d8_gama.png");
  EXPECT_TRUE(g.result.Info.Flags & 2);
  EXPECT_NEAR(g.result.Info.Gamma, 0.45455, 1e-6);
}

TEST(PngReader, TwoBitPicturesBecomeFourBitLevels) {
  const Ours grey = OurDecode(SuiteFolder() / "ct0_d2_p.png");
  EXPECT_EQ(grey.pixels.bits, 4);
  for (int x = 0; x < grey.pixels.width; ++x) EXPECT_EQ(Packed(grey.pixels, x, 0) % 5, 0u);
  const Ours ga = OurDecode(SuiteFolder() / "ct4_d8_p.png");
  EXPECT_EQ(ga.pixels.bits, 8);
  EXPECT_EQ(ga.result.Palette.size(), 256u);
}

TEST(PngReader, DamagedCopiesAreRejectedByPngcheckAndGiveTheReadersErrors) {
  struct Case {
    const char* file;
    const char* message;
  };
  const Case cases[] = {
      {"damaged_crc.png", "Cannot load image. CRC error found in PNG file."},
      {"damaged_truncated.png", "Cannot load image. Image data in PNG file is truncated."},
      {"damaged_critical.png", "Cannot load PNG image. Unexpected but critical chunk detected."},
      {"damaged_cut.png", "Stream read error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const fs::path file = SuiteFolder() / c.file;
    // pngcheck either fails or, for data cut short, finds fewer rows than
    // the header declares.
    const std::string cmd = "pngcheck -vv " + file.string() + " 2>&1";
    FILE* p = ::popen(cmd.c_str(), "r");
    std::string out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    const int status = ::pclose(p);
    const bool missingRows = out.find("(3 out of 11)") != std::string::npos;
    EXPECT_TRUE(status != 0 || missingRows) << out;
    try {
      OurDecode(file);
      ADD_FAILURE() << "accepted";
    } catch (const std::exception& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(PngReader, HeadersTheStreamCannotHoldAreRefusedBeforeAllocating) {
  // A valid picture whose header is rewritten to 60000 x 60000 (CRC fixed).
  std::vector<std::uint8_t> data = ReadFile(SuiteFolder() / "ct6_d8_p.png");
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) data[at + std::size_t(i)] = std::uint8_t(v >> (24 - 8 * i));
  };
  for (std::uint32_t side : {60000u, 0x80000000u, 5000u}) {
    put32(16, side);
    put32(20, side);
    put32(29, PngCrc(0, data.data() + 12, 17));
    kelmo::zip::TMemoryStream s(data);
    TColorManager cm;
    PixelBuffer px;
    try {
      DecodePng(s, px, cm);
      ADD_FAILURE() << side;
    } catch (const EInvalidGraphic& e) {
      EXPECT_STREQ(e.what(), "Cannot load image. Image size in PNG file is invalid.");
    }
    EXPECT_TRUE(px.pixels.empty());
  }
}

TEST(PngReader, HeaderScanFailures) {
  const std::vector<std::uint8_t> good = ReadFile(SuiteFolder() / "ct2_d8_p.png");
  auto fails = [&](std::vector<std::uint8_t> d) {
    kelmo::zip::TMemoryStream s(std::move(d));
    TColorManager cm;
    PixelBuffer px;
    try {
      DecodePng(s, px, cm);
    } catch (const std::exception& e) {
      return std::string(e.what());
    }
    return std::string("accepted");
  };
  std::vector<std::uint8_t> sig = good;
  sig[1] = 'Q';
  EXPECT_EQ(fails(sig), "Cannot load image. Invalid or unexpected PNG image format.");
  std::vector<std::uint8_t> zero = good;
  zero[16] = zero[17] = zero[18] = zero[19] = 0;
  EXPECT_EQ(fails(zero), "Cannot load image. Invalid or unexpected PNG image format.");
  // No IEND and no gAMA: the scan runs off the end.
  std::vector<std::uint8_t> noEnd(good.begin(), good.end() - 12);
  EXPECT_EQ(fails(noEnd), "Stream read error");
  // An unsupported colour type.
  std::vector<std::uint8_t> badType = good;
  badType[25] = 5;
  const std::uint32_t crc = PngCrc(0, badType.data() + 12, 17);
  for (int i = 0; i < 4; ++i) badType[29 + std::size_t(i)] = std::uint8_t(crc >> (24 - 8 * i));
  EXPECT_EQ(fails(badType), "Invalid color format in PNG file.");
}
