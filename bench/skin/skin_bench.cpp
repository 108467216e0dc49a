// Skin library figures, each beside its peer measured in the same run:
//   decoding a 2000 x 2000 RGBA PNG: our reader against libpng;
//   painting a 1000 x 1000 nine-part mask with a gradient background: our
//   painters against QPainter's plain drawImage of the same area.
// Prints the minimum and median of several runs and the ratios.
#include <png.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "skin/item_painting.h"
#include "skin/paint_primitives.h"
#include "skin/png_graphic.h"

namespace {

struct Figures {
  double min = 0, median = 0;
};

Figures Measure(int runs, const std::function<void()>& work) {
  std::vector<double> ms;
  work();  // warm-up
  for (int i = 0; i < runs; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    work();
    ms.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  return {ms.front(), ms[ms.size() / 2]};
}

void Print(const char* what, Figures ours, Figures peer, const char* peerName) {
  std::printf(
      "%-34s ours min %8.2f ms median %8.2f ms | %s min %8.2f ms median %8.2f ms | ratio min %.2f "
      "median %.2f\n",
      what, ours.min, ours.median, peerName, peer.min, peer.median, ours.min / peer.min,
      ours.median / peer.median);
}

// A 2000 x 2000 RGBA picture with smooth areas and noise, written by libpng
// with its default filters and compression.
std::vector<std::uint8_t> MakePng(int w, int h) {
  std::vector<std::uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* v = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
        v->insert(v->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<std::uint8_t> row(std::size_t(w) * 4);
  std::uint32_t seed = 12345;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int noise = int((seed >> 16) & 15);
      row[std::size_t(4 * x)] = std::uint8_t((x * 255 / w + noise) & 0xFF);
      row[std::size_t(4 * x + 1)] = std::uint8_t((y * 255 / h) & 0xFF);
      row[std::size_t(4 * x + 2)] = std::uint8_t(((x ^ y) >> 3) & 0xFF);
      row[std::size_t(4 * x + 3)] = std::uint8_t(255 - ((x + y) >> 4));
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

struct Reader {
  const std::vector<std::uint8_t>* data;
  std::size_t pos;
};

void LibpngDecode(const std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& pixels) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Reader r{&data, 0};
  png_set_read_fn(png, &r, [](png_structp p, png_bytep out, png_size_t n) {
    auto* rd = static_cast<Reader*>(png_get_io_ptr(p));
    std::memcpy(out, rd->data->data() + rd->pos, n);
    rd->pos += n;
  });
  png_read_info(png, info);
  const auto w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  pixels.resize(std::size_t(w) * h * 4);
  std::vector<png_bytep> rows(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = pixels.data() + std::size_t(y) * w * 4;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
}

// A skin of one section: a vertical gradient background and a nine-part
// border mask of MaskType 1 (three states of 60 x 60 with their masks
// below, margins 20) in a 24-bit master bitmap.
struct NinePartScene {
  kelmo::skin::TkSkinManager manager;
  QImage target;
};

void MakeNinePartScene(NinePartScene& scene, int w, int h) {
  using namespace kelmo::skin;
  scene.manager.MasterBitmap = std::make_shared<QImage>(CreateBmp24(180, 120));
  QImage& m = *scene.manager.MasterBitmap;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 180; ++x) {
      px::PutColor(px::At(m, x, y), TColor((x * 7) & 0xFF | ((y * 5) & 0xFF) << 8 | 0x40 << 16));
      const int edge = std::min({x % 60, 59 - x % 60, y, 59 - y});
      const int v = edge >= 20 ? 255 : edge * 12;
      px::PutColor(px::At(m, x, y + 60), TColor(v | v << 8 | v << 16));
    }
  TkMaskData mask;
  mask.ClassName = QStringLiteral("PANEL");
  mask.PropertyName = QStringLiteral("BORDERSMASK");
  mask.R = {0, 0, 180, 120};
  mask.ImageCount = 3;
  mask.MaskType = 1;
  mask.WL = mask.WT = mask.WR = mask.WB = 20;
  mask.DrawMode = 4;  // the centre too
  mask.Manager = &scene.manager;
  scene.manager.ma.push_back(mask);
  TkGeneralData section;
  section.ClassName = QStringLiteral("PANEL");
  section.GradientPercent = 100;
  ParseGradientData(QStringLiteral("16711680;255;100;0;0"), section.GradientArray);
  scene.manager.gd.push_back(section);
  scene.manager.UpdateSectionImages();
  scene.target = CreateBmp24(w, h);
}

void PaintNinePartScene(NinePartScene& scene) {
  using namespace kelmo::skin;
  PaintItem(0, QStringLiteral("PANEL"), kEmptyBgSource, -1, -1, &scene.manager, scene.target,
            {0, 0}, {0, 0, scene.target.width(), scene.target.height()}, 0, true);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const int runs = 9;
  const std::vector<std::uint8_t> file = MakePng(2000, 2000);
  std::printf("PNG 2000 x 2000 RGBA: %zu bytes\n", file.size());
  std::vector<std::uint8_t> theirs;
  const Figures peer = Measure(runs, [&] { LibpngDecode(file, theirs); });
  kelmo::skin::TPNGGraphic picture;
  const Figures ours = Measure(runs, [&] {
    kelmo::zip::TMemoryStream s(file);
    picture.LoadFromStream(s);
  });
  Print("decode 2000x2000 RGBA PNG", ours, peer, "libpng");
  std::printf("  aim: within 1.5x of libpng\n");

  // Nine-part mask over a gradient, against a plain drawImage of the area.
  NinePartScene scene;
  MakeNinePartScene(scene, 1000, 1000);
  const Figures paint = Measure(runs, [&] { PaintNinePartScene(scene); });
  QImage target(1000, 1000, QImage::Format_ARGB32_Premultiplied);
  const QImage source = scene.target.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const Figures plain = Measure(runs, [&] {
    QPainter p(&target);
    p.drawImage(0, 0, source);
  });
  Print("paint 1000x1000 nine-part+gradient", paint, plain, "QPainter drawImage");
  return 0;
}
