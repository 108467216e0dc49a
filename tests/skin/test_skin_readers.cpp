// The decompression stream, the packed skin reader and the colour manager.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "skin/color_manager.h"
#include "skin/skin_pack.h"
#include "skin/zlib_stream.h"
#include "skin_test_pack.h"

using namespace kelmo::skin;
using kelmo::zip::TMemoryStream;
using namespace kelmo::skin::testing_pack;

namespace {

std::string Text(TMemoryStream& s) {
  return std::string(s.Data().begin(), s.Data().end());
}

}  // namespace

TEST(ZStream, ReadsToTheEndAndLeavesTheSourceAfterTheData) {
  std::vector<std::uint8_t> data = Deflate("hello, skin");
  const std::size_t end = data.size();
  data.push_back('X');
  TMemoryStream src(data);
  TZDecompressionStream z(src);
  char buf[64] = {};
  EXPECT_EQ(z.Read(buf, 64), 11);
  EXPECT_STREQ(buf, "hello, skin");
  EXPECT_EQ(src.Position(), std::int64_t(end));
  EXPECT_EQ(z.Read(buf, 64), 0);
  EXPECT_EQ(src.Position(), std::int64_t(end));
  EXPECT_EQ(z.Seek(0, kelmo::zip::soCurrent), 11);
}

TEST(ZStream, TwoStreamsOverOneSourceTakeTurns) {
  std::vector<std::uint8_t> a = Deflate("first"), b = Deflate("second");
  std::vector<std::uint8_t> all = a;
  all.insert(all.end(), b.begin(), b.end());
  TMemoryStream src(all);
  TZDecompressionStream one(src);
  src.SetPosition(std::int64_t(a.size()));
  TZDecompressionStream two(src);
  char x[8] = {}, y[8] = {};
  EXPECT_EQ(two.Read(y, 3), 3);
  EXPECT_EQ(one.Read(x, 5), 5);
  EXPECT_EQ(two.Read(y + 3, 3), 3);
  EXPECT_STREQ(x, "first");
  EXPECT_STREQ(y, "second");
}

TEST(ZStream, SeeksForwardOnlyAndRestartsAtZero) {
  TMemoryStream src(Deflate(std::string(20000, 'a') + "tail"));
  TZDecompressionStream z(src);
  EXPECT_EQ(z.Seek(20000, kelmo::zip::soBeginning), 20000);
  char t[5] = {};
  EXPECT_EQ(z.Read(t, 4), 4);
  EXPECT_STREQ(t, "tail");
  EXPECT_THROW(z.Seek(20004, kelmo::zip::soBeginning), EZDecompressionError);
  EXPECT_THROW(z.Seek(-1, kelmo::zip::soCurrent), EZDecompressionError);
  EXPECT_THROW(z.Seek(5, kelmo::zip::soEnd), EZDecompressionError);
  EXPECT_EQ(z.Seek(0, kelmo::zip::soBeginning), 0);
  EXPECT_EQ(z.Size(), 20004);
  try {
    z.Write("x", 1);
    ADD_FAILURE();
  } catch (const EZDecompressionError& e) {
    EXPECT_STREQ(e.what(), "Invalid ZStream operation!");
    EXPECT_EQ(e.ZResult(), 0);
  }
}

TEST(ZStream, CorruptDataRaisesZlibsMessage) {
  std::vector<std::uint8_t> data = Deflate("some text to spoil");
  data[4] ^= 0xFF;
  TMemoryStream src(data);
  TZDecompressionStream z(src);
  char buf[64];
  try {
    z.Read(buf, 64);
    ADD_FAILURE();
  } catch (const EZDecompressionError& e) {
    EXPECT_STREQ(e.what(), "data error");
    EXPECT_EQ(e.ZResult(), -3);
  }
  // A stream that asks for a preset dictionary stops with zlib's reason.
  TMemoryStream dict(std::vector<std::uint8_t>{0x78, 0xBB, 0, 0, 0, 1, 0x4B, 0x04, 0});
  TZDecompressionStream needs(dict);
  try {
    needs.Read(buf, 64);
    ADD_FAILURE();
  } catch (const EZDecompressionError& e) {
    EXPECT_STREQ(e.what(), "need dictionary");
    EXPECT_EQ(e.ZResult(), 2);
  }
  EXPECT_THROW(CheckInflateResult(-6), EZDecompressionError);
  EXPECT_EQ(CheckInflateResult(1), 1);
  EXPECT_STREQ(EZLibError(-4).what(), "insufficient memory");
}

TEST(SkinPack, UnpacksOptionsAndImages) {
  std::vector<std::uint8_t> v = {'S', 'K', 'z', 'f'};
  Put32(v, 4);
  PutEntry(v, "Master.BmP", "BMdata");
  PutEntry(v, "options.DAT", "[FORM]\r\nCOLOR=1\r\n");
  PutEntry(v, "glow.png", "png bytes");
  PutEntry(v, "noext", "x");
  TkaSkinConvertor c;
  c.SetOwnedPackedData(std::make_unique<TMemoryStream>(v));
  c.ReadPackedData();
  EXPECT_EQ(c.ImageCount, 3);
  ASSERT_EQ(c.ImageItems.size(), 3u);
  EXPECT_TRUE(c.ImageItems[0].IsBitmap);
  EXPECT_FALSE(c.ImageItems[1].IsBitmap);
  EXPECT_EQ(c.ImageItems[1].FileName, "glow.png");
  EXPECT_EQ(Text(*c.ImageItems[0].Data), "BMdata");
  EXPECT_EQ(c.ImageItems[0].Data->Position(), 6);
  ASSERT_TRUE(c.OptionsData);
  EXPECT_EQ(Text(*c.OptionsData), "[FORM]\r\nCOLOR=1\r\n");
}

TEST(SkinPack, EmptyArchiveAndWrongMagic) {
  std::vector<std::uint8_t> v = {'S', 'K', 'z', 'f'};
  Put32(v, 0);
  TkaSkinConvertor c;
  c.SetOwnedPackedData(std::make_unique<TMemoryStream>(v));
  c.ReadPackedData();
  EXPECT_EQ(c.ImageCount, -1);
  EXPECT_TRUE(c.ImageItems.empty());
  EXPECT_FALSE(c.OptionsData);
  std::vector<std::uint8_t> w = {'s', 'K', 'z', 'f', 0, 0, 0, 0};
  c.SetOwnedPackedData(std::make_unique<TMemoryStream>(w));
  try {
    c.ReadPackedData();
    ADD_FAILURE();
  } catch (const ESkinPackError& e) {
    EXPECT_STREQ(e.what(), "Loaded data is not packed Merovane file");
  }
  EXPECT_EQ(c.PackedData(), nullptr);
}

TEST(SkinPack, DamagedArchivesRaiseBeforeAllocating) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  auto head = [](std::int32_t count) {
    std::vector<std::uint8_t> v = {'S', 'K', 'z', 'f'};
    Put32(v, count);
    return v;
  };
  std::vector<Case> cases;
  cases.push_back({"count", head(0x7FFFFFFF)});
  cases.push_back({"negative count", head(-5)});
  {
    auto v = head(1);
    Put32(v, 0x40000000);  // name length far beyond the archive
    v.resize(v.size() + 16);
    cases.push_back({"name length", v});
  }
  {
    auto v = head(1);
    Put32(v, 1);
    v.push_back('a');
    Put32(v, 0x7FFFFFF0);  // unpacked size past the limit
    const auto z = Deflate("x");
    v.insert(v.end(), z.begin(), z.end());
    v.resize(v.size() + 8);
    cases.push_back({"size", v});
  }
  {
    auto v = head(1);
    Put32(v, 1);
    v.push_back('a');
    Put32(v, 1000);  // claims more than the stream holds
    const auto z = Deflate("short");
    v.insert(v.end(), z.begin(), z.end());
    v.resize(v.size() + 8);
    cases.push_back({"short entry", v});
  }
  for (const Case& c : cases) {
    TkaSkinConvertor conv;
    conv.SetOwnedPackedData(std::make_unique<TMemoryStream>(c.bytes));
    EXPECT_ANY_THROW(conv.ReadPackedData()) << c.what;
  }
}

TEST(SkinPack, LoadingAFileTwiceKeepsOnlyTheSecondLoad) {
  const auto file = std::filesystem::temp_directory_path() / "kelmo_test_skin.skz";
  std::vector<std::uint8_t> v = {'S', 'K', 'z', 'f'};
  Put32(v, 2);
  PutEntry(v, "a.bmp", "1");
  PutEntry(v, "Options.dat", "2");
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(v.data()), std::streamsize(v.size()));
  std::unique_ptr<TkaSkinConvertor> c;
  LoadPackedSkinFile((file.string() + ".missing"), c, true);
  EXPECT_FALSE(c);
  LoadPackedSkinFile(file.string(), c, true);
  LoadPackedSkinFile(file.string(), c, true);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->ImageItems.size(), 1u);
  EXPECT_EQ(c->PackedData(), nullptr);
  LoadPackedSkinFile(std::filesystem::temp_directory_path().string(), c, true);  // a folder
  EXPECT_EQ(c->ImageItems.size(), 1u);
  std::filesystem::remove(file);
}

TEST(ColorManager, SettersCheckTheirRanges) {
  TColorManager cm;
  EXPECT_THROW(cm.SetSourceBits(0), EColorConversionError);
  EXPECT_THROW(cm.SetTargetBits(17), EColorConversionError);
  EXPECT_NO_THROW(cm.SetSourceBits(3));
  EXPECT_THROW(cm.SetSourceSamples(5), EColorConversionError);
  try {
    cm.SetTargetSamples(0);
  } catch (const EColorConversionError& e) {
    EXPECT_STREQ(e.what(), "Sample count per pixel does not correspond to the given color scheme.");
  }
}

TEST(ColorManager, GreyRescalingAndSpreadPalettes) {
  TColorManager cm;
  cm.SetSourceScheme(TColorScheme::csG);
  cm.SetTargetScheme(TColorScheme::csG);
  cm.SetSourceBits(2);
  cm.SetTargetBits(4);
  cm.SetSourceSamples(1);
  cm.SetTargetSamples(1);
  const std::uint8_t src[1] = {0b00011011};  // 0, 1, 2, 3
  std::uint8_t dst[2] = {};
  cm.TranslateRow({src}, 0xFF, 4, dst);
  EXPECT_EQ(dst[0], 0x05);
  EXPECT_EQ(dst[1], 0xAF);
  TColorManager pal;
  pal.SetSourceBits(2);
  pal.SetTargetBits(4);
  const std::uint8_t rgb[12] = {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4};
  const auto p = pal.MakeColorPalette({rgb}, 0, false, 4);
  ASSERT_EQ(p.size(), 16u);
  EXPECT_EQ(p[0].red, 1);
  EXPECT_EQ(p[5].red, 2);
  EXPECT_EQ(p[10].red, 3);
  EXPECT_EQ(p[15].red, 4);
}

TEST(ColorManager, MasksSkipPixelsWithoutConsumingSource) {
  TColorManager cm;
  cm.SetSourceScheme(TColorScheme::csRGB);
  cm.SetTargetScheme(TColorScheme::csBGRA);
  const std::uint8_t src[6] = {10, 20, 30, 40, 50, 60};
  std::vector<std::uint8_t> dst(4 * 9, 0xEE);
  cm.TranslateRow({src}, 0x80, 9, dst.data());
  EXPECT_EQ(dst[0], 30);
  EXPECT_EQ(dst[2], 10);
  EXPECT_EQ(dst[3], 0xEE);  // alpha left untouched
  EXPECT_EQ(dst[4], 0xEE);  // pixel 1 skipped
  EXPECT_EQ(dst[32], 60);   // pixel 8 takes the second source pixel
}

TEST(ColorManager, ConversionsThatDoNotExist) {
  TColorManager cm;
  cm.SetSourceScheme(TColorScheme::csNoConversion);
  const std::uint8_t src[4] = {};
  std::uint8_t dst[4] = {};
  try {
    cm.TranslateRow({src}, 0xFF, 1, dst);
    ADD_FAILURE();
  } catch (const EColorConversionError& e) {
    EXPECT_STREQ(e.what(), "Color conversion failed. Could not find a proper method.");
  }
  TColorManager grey;
  grey.SetSourceScheme(TColorScheme::csG);
  grey.SetTargetScheme(TColorScheme::csG);
  grey.SetSourceBits(16);
  grey.SetTargetBits(4);
  EXPECT_THROW(grey.TranslateRow({src}, 0xFF, 1, dst), EColorConversionError);
  TColorManager mixed;
  mixed.SetSourceScheme(TColorScheme::csIndexed);
  EXPECT_THROW(mixed.TranslateRow({src}, 0xFF, 1, dst), EColorConversionError);
}

TEST(ColorManager, CmykAndYCbCrRows) {
  TColorManager cm;
  cm.SetSourceScheme(TColorScheme::csCMYK);
  cm.SetTargetScheme(TColorScheme::csRGB);
  const std::uint8_t cmyk[4] = {255, 0, 0, 0};
  std::uint8_t out[3] = {};
  cm.TranslateRow({cmyk}, 0xFF, 1, out);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 255);
  EXPECT_EQ(out[2], 255);
  TColorManager ycc;
  ycc.SetSourceScheme(TColorScheme::csYCbCr);
  ycc.SetTargetScheme(TColorScheme::csBGR);
  const std::uint8_t grey[3] = {100, 128, 128};
  ycc.TranslateRow({grey}, 0xFF, 1, out);
  EXPECT_EQ(out[0], 100);
  EXPECT_EQ(out[1], 100);
  EXPECT_EQ(out[2], 100);
}

TEST(ColorManager, GammaTableAndGreyPalette) {
  TColorManager cm;
  cm.BuildGammaTable(1.0f / 2.2f, 2.2f);
  EXPECT_EQ(cm.GammaMap()[128], 128);
  cm.BuildGammaTable(0, 0);
  EXPECT_EQ(cm.GammaMap()[255], 255);
  EXPECT_EQ(cm.GammaMap()[0], 0);
  cm.SetTargetBits(1);
  cm.SetTargetSamples(1);
  const auto p = cm.MakeGreyPalette(true);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].red, 255);
  EXPECT_EQ(p[1].red, 0);
}
