#include "skin/png_decoder.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "skin/zlib_stream.h"

namespace kelmo::skin {
namespace {

constexpr std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr const char* kBadFormat = "Cannot load image. Invalid or unexpected PNG image format.";
constexpr const char* kBadCompression =
    "Cannot load image. The compression scheme is not supported for PNG files.";
constexpr const char* kBadPalette = "Cannot load image. Palette in PNG file is invalid.";
constexpr const char* kBadCrc = "Cannot load image. CRC error found in PNG file.";
constexpr const char* kExtraData = "Cannot load image. Extra compressed data found in PNG file.";
constexpr const char* kZlibError = "Cannot load image. Compression error found in PNG file.";
constexpr const char* kBadColor = "Invalid color format in PNG file.";
constexpr const char* kCritical = "Cannot load PNG image. Unexpected but critical chunk detected.";
constexpr const char* kLz77 = "LZ77 decompression error.";
// Sound behaviour where the format gives none: sizes the stream cannot hold,
// and image data that stops before the last row.
constexpr const char* kTooLarge = "Cannot load image. Image size in PNG file is invalid.";
constexpr const char* kTruncated = "Cannot load image. Image data in PNG file is truncated.";

// Chunk types compared without regard to letter case.
constexpr std::uint32_t Tag(const char (&s)[5]) {
  return (std::uint32_t(std::uint8_t(s[0])) << 24 | std::uint32_t(std::uint8_t(s[1])) << 16 |
          std::uint32_t(std::uint8_t(s[2])) << 8 | std::uint32_t(std::uint8_t(s[3]))) &
         0xDFDFDFDFu;
}
constexpr std::uint32_t kIHDR = Tag("IHDR"), kIDAT = Tag("IDAT"), kIEND = Tag("IEND"),
                        kPLTE = Tag("PLTE"), kgAMA = Tag("gAMA"), kbKGD = Tag("bKGD"),
                        ktRNS = Tag("tRNS");

std::uint32_t Big32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
unsigned Big16(const std::uint8_t* p) {
  return unsigned(p[0]) << 8 | p[1];
}

// A grey level of bKGD or tRNS as a colour value: at depth 2 the level
// times 5, at 16 scaled to 8 bits, otherwise its low byte.
std::uint32_t GreyLevel(const std::uint8_t* p, int depth) {
  const unsigned v = Big16(p);
  if (depth == 2) return v * 5;
  if (depth == 16) return v * 255 / 65535;
  return v & 0xFF;
}

// Red, green and blue of bKGD or tRNS as a colour value (red low).
std::uint32_t RgbColor(const std::uint8_t* p, int depth) {
  auto channel = [&](int k) -> std::uint32_t {
    const unsigned v = Big16(p + 2 * k);
    return depth == 16 ? v * 255 / 65535 : (v & 0xFF);
  };
  return channel(0) | channel(1) << 8 | channel(2) << 16;
}

TColorScheme SchemeOf(std::uint8_t colorType) {
  switch (colorType) {
    case 0:
      return TColorScheme::csG;
    case 2:
      return TColorScheme::csRGB;
    case 3:
      return TColorScheme::csIndexed;
    case 4:
      return TColorScheme::csGA;
    case 6:
      return TColorScheme::csRGBA;
    default:
      return TColorScheme::csUnknown;
  }
}

void FillInfo(PngInfo& info, const std::uint8_t* d) {
  info.Flags |= 1;
  info.Width = Big32(d);
  info.Height = Big32(d + 4);
  info.BitDepth = d[8];
  info.ColorType = d[9];
  info.Scheme = SchemeOf(d[9]);
  info.SampleCount = d[9] == 2 ? 3 : d[9] == 4 ? 2 : d[9] == 6 ? 4 : 1;
  info.PixelBits = std::uint8_t(info.SampleCount * info.BitDepth);
  info.Packing = d[10] == 0 ? 2 : 0;
  info.FilterMethod = d[11];
  info.IsInterlaced = d[12] != 0;
  info.HasAlphaChannel = info.Scheme == TColorScheme::csGA || info.Scheme == TColorScheme::csRGBA;
}

struct Pass {
  int firstRow, firstColumn, rowStep, columnStep;
  std::uint8_t mask;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8, 0x80}, {0, 4, 8, 8, 0x08}, {4, 0, 8, 4, 0x88},
                            {0, 2, 4, 4, 0x22}, {2, 0, 4, 2, 0xAA}, {0, 1, 2, 2, 0x55},
                            {1, 0, 2, 1, 0xFF}};

class Decoder {
 public:
  Decoder(zip::TStream& s, PngRowStore& store, TColorManager& cm, const PngProgress& progress)
      : s_(s), store_(store), cm_(cm), progress_(progress) {}
  ~Decoder() {
    if (inflating_) inflateEnd(&z_);
  }

  PngResult Run();

 private:
  void ReadHeader() {
    std::uint8_t h[8];
    s_.ReadBuffer(h, 8);
    length_ = Big32(h);
    type_ = Big32(h + 4) & 0xDFDFDFDFu;
    firstTypeByte_ = h[4];
    crc_ = PngCrc(0, h + 4, 4);
  }
  void ReadData() {
    // A chunk cannot be longer than what the stream has left.
    if (std::int64_t(length_) + 4 > s_.Size() - s_.Position())
      throw zip::EStreamError("Stream read error");
    data_.resize(length_);
    if (length_) s_.ReadBuffer(data_.data(), length_);
    std::uint8_t c[4];
    s_.ReadBuffer(c, 4);
    if (PngCrc(crc_, data_.data(), data_.size()) != Big32(c)) throw EInvalidGraphic(kBadCrc);
  }
  void SkipData() { s_.Seek(std::int64_t(length_) + 4, zip::soCurrent); }
  void Progress(PngProgressStage stage, int percent, const std::string& text) {
    if (progress_) progress_(stage, percent, text);
  }
  int ColourSetup();
  void CheckSize();
  void DecodeImage();
  void ReadRow(std::uint8_t* row, std::size_t size);
  void Unfilter(std::uint8_t* row, const std::uint8_t* prev, std::size_t size);
  void Convert(std::uint8_t* row, int y, std::uint8_t mask);
  void FillBack();

  zip::TStream& s_;
  PngRowStore& store_;
  TColorManager& cm_;
  const PngProgress& progress_;
  PngResult r_;
  std::uint32_t length_ = 0, type_ = 0, crc_ = 0;
  std::uint8_t firstTypeByte_ = 0;
  std::vector<std::uint8_t> data_;
  std::size_t idatPos_ = 0;
  z_stream z_{};
  bool inflating_ = false;
  bool colourDone_ = false;
  int filterStep_ = 1;
  bool streamEnded_ = false;
};

int Decoder::ColourSetup() {
  const PngInfo& in = r_.Info;
  const int depth = in.BitDepth;
  auto depthIn = [&](std::initializer_list<int> allowed) {
    return std::find(allowed.begin(), allowed.end(), depth) != allowed.end();
  };
  int targetBits = depth, samples = 1, bits = 0, step = 1;
  TColorScheme target;
  switch (in.ColorType) {
    case 0:
      if (!depthIn({1, 2, 4, 8, 16})) throw EInvalidGraphic(kBadColor);
      target = TColorScheme::csG;
      targetBits = depth == 2 ? 4 : depth == 16 ? 8 : depth;
      step = (depth + 7) / 8;
      break;
    case 2:
      if (!depthIn({8, 16})) throw EInvalidGraphic(kBadColor);
      target = TColorScheme::csBGR;
      samples = 3;
      targetBits = 8;
      bits = 24;
      step = depth * 3 / 8;
      break;
    case 3:
      if (!depthIn({1, 2, 4, 8})) throw EInvalidGraphic(kBadColor);
      target = TColorScheme::csIndexed;
      targetBits = depth == 2 ? 4 : depth;
      break;
    case 4:
      if (!depthIn({8, 16})) throw EInvalidGraphic(kBadColor);
      target = TColorScheme::csIndexed;
      targetBits = 8;
      bits = 8;
      step = depth * 2 / 8;
      break;
    case 6:
      if (!depthIn({8, 16})) throw EInvalidGraphic(kBadColor);
      target = TColorScheme::csBGRA;
      samples = 4;
      targetBits = 8;
      bits = 32;
      step = depth * 4 / 8;
      break;
    default:
      throw EInvalidGraphic(kBadColor);
  }
  cm_.SetSourceScheme(in.Scheme);
  cm_.SetTargetScheme(target);
  cm_.SetSourceBits(depth);
  cm_.SetTargetBits(targetBits);
  cm_.SetSourceSamples(samples);
  cm_.SetTargetSamples(samples);
  if (bits == 0) {
    const TPixelFormat f = cm_.PixelFormatFor(true);
    bits = f == TPixelFormat::pf1bit ? 1 : f == TPixelFormat::pf4bit ? 4 : 8;
  }
  r_.Bits = bits;
  if (in.ColorType == 0 || in.ColorType == 4) r_.Palette = cm_.MakeGreyPalette(false);
  colourDone_ = true;
  return std::max(1, step);
}

void Decoder::CheckSize() {
  const PngInfo& in = r_.Info;
  const std::int64_t pixels = std::int64_t(in.Width) * std::int64_t(in.Height);
  const std::int64_t rowBytes = (std::int64_t(in.Width) * in.PixelBits + 7) / 8 + 1;
  // Every row's bytes come out of the compressed data left in the stream.
  const std::int64_t left = s_.Size() - s_.Position();
  if (in.Width > 0x7FFFFFFFu || in.Height > 0x7FFFFFFFu || pixels > kMaxPngPixels ||
      rowBytes * std::int64_t(in.Height) > 1032 * std::max<std::int64_t>(left, 0) + 1032)
    throw EInvalidGraphic(kTooLarge);
}

void Decoder::FillBack() {
  const int w = int(r_.Info.Width), h = int(r_.Info.Height);
  const std::uint32_t c = r_.BackColor;
  const std::uint8_t red = std::uint8_t(c), green = std::uint8_t(c >> 8),
                     blue = std::uint8_t(c >> 16);
  std::vector<std::uint8_t> row;
  if (r_.Bits == 24 || r_.Bits == 32) {
    const int bpp = r_.Bits / 8;
    row.assign(std::size_t(w) * std::size_t(bpp), 0);
    for (int x = 0; x < w; ++x) {
      row[std::size_t(x * bpp)] = blue;
      row[std::size_t(x * bpp + 1)] = green;
      row[std::size_t(x * bpp + 2)] = red;
    }
  } else {
    // The palette entry nearest the colour.
    int best = 0, bestDistance = 1 << 30;
    for (std::size_t i = 0; i < r_.Palette.size(); ++i) {
      const PaletteEntry& e = r_.Palette[i];
      const int d = (e.red - red) * (e.red - red) + (e.green - green) * (e.green - green) +
                    (e.blue - blue) * (e.blue - blue);
      if (d < bestDistance) {
        bestDistance = d;
        best = int(i);
      }
    }
    const int bits = r_.Bits;
    std::uint8_t byte = 0;
    for (int k = 0; k < 8 / bits; ++k)
      byte = std::uint8_t(byte << bits | (best & ((1 << bits) - 1)));
    row.assign(std::size_t((std::int64_t(w) * bits + 7) / 8), byte);
  }
  for (int y = 0; y < h; ++y) std::memcpy(store_.Row(y), row.data(), row.size());
}

void Decoder::ReadRow(std::uint8_t* row, std::size_t size) {
  z_.next_out = row;
  z_.avail_out = static_cast<uInt>(size);
  while (z_.avail_out > 0) {
    if (streamEnded_) throw EInvalidGraphic(kExtraData);
    if (idatPos_ >= data_.size()) {
      // The next IDAT chunk's data; empty ones are passed over.
      do {
        if (type_ != kIDAT) throw EInvalidGraphic(kTruncated);
        ReadData();
        ReadHeader();
      } while (data_.empty());
      idatPos_ = 0;
    }
    z_.next_in = data_.data() + idatPos_;
    z_.avail_in = static_cast<uInt>(data_.size() - idatPos_);
    const int code = inflate(&z_, Z_PARTIAL_FLUSH);
    idatPos_ = data_.size() - z_.avail_in;
    if (code == Z_STREAM_END) {
      streamEnded_ = true;
      if (z_.avail_out > 0 || z_.avail_in > 0) throw EInvalidGraphic(kExtraData);
    } else if (code != Z_OK) {
      throw EInvalidGraphic(kZlibError);
    }
  }
}

void Decoder::Unfilter(std::uint8_t* row, const std::uint8_t* prev, std::size_t size) {
  const std::size_t bpp = std::size_t(filterStep_);
  std::uint8_t* x = row + 1;
  const std::uint8_t* b = prev + 1;
  const std::size_t n = size - 1;
  switch (row[0]) {
    case 1:
      for (std::size_t i = bpp; i < n; ++i) x[i] = std::uint8_t(x[i] + x[i - bpp]);
      break;
    case 2:
      for (std::size_t i = 0; i < n; ++i) x[i] = std::uint8_t(x[i] + b[i]);
      break;
    case 3:
      for (std::size_t i = 0; i < std::min(bpp, n); ++i) x[i] = std::uint8_t(x[i] + (b[i] >> 1));
      for (std::size_t i = bpp; i < n; ++i)
        x[i] = std::uint8_t(x[i] + ((unsigned(x[i - bpp]) + b[i]) >> 1));
      break;
    case 4:
      for (std::size_t i = 0; i < std::min(bpp, n); ++i) x[i] = std::uint8_t(x[i] + b[i]);
      for (std::size_t i = bpp; i < n; ++i) {
        const int a = x[i - bpp], up = b[i], c = b[i - bpp];
        const int p = a + up - c;
        const int pa = std::abs(p - a), pb = std::abs(p - up), pc = std::abs(p - c);
        const int pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? up : c);
        x[i] = std::uint8_t(x[i] + pred);
      }
      break;
    default:
      break;
  }
}

void Decoder::Convert(std::uint8_t* row, int y, std::uint8_t mask) {
  cm_.TranslateRow({row + 1}, mask, int(r_.Info.Width), store_.Row(y));
}

void Decoder::DecodeImage() {
  Progress(PngProgressStage::Starting, 0, "Transfering...");
  if (!colourDone_) filterStep_ = ColourSetup();
  CheckSize();
  const int w = int(r_.Info.Width), h = int(r_.Info.Height);
  store_.Allocate(w, h, r_.Bits);
  FillBack();
  const std::int64_t rowSize =
      (std::int64_t(w) * r_.Info.BitDepth * r_.Info.SampleCount + 7) / 8 + 1;
  std::vector<std::uint8_t> a(std::size_t(rowSize), 0), b(std::size_t(rowSize), 0);
  std::uint8_t* cur = a.data();
  std::uint8_t* prev = b.data();
  // Only the current IDAT chunk's header has been read: its data comes next.
  data_.clear();
  idatPos_ = 0;
  if (!r_.Info.IsInterlaced) {
    for (int y = 0; y < h; ++y) {
      ReadRow(cur, std::size_t(rowSize));
      Unfilter(cur, prev, std::size_t(rowSize));
      Convert(cur, y, 0xFF);
      Progress(PngProgressStage::Running, int(std::int64_t(y) * 100 / h), "");
      std::swap(cur, prev);
    }
  } else {
    for (int p = 0; p < 7; ++p) {
      const Pass& pass = kAdam7[p];
      if (pass.firstColumn >= w) continue;
      const int pixels = (w + pass.columnStep - pass.firstColumn - 1) / pass.columnStep;
      const std::size_t size =
          std::size_t((std::int64_t(pixels) * r_.Info.BitDepth * r_.Info.SampleCount + 7) / 8 + 1);
      std::fill(prev, prev + size, 0);
      for (int y = pass.firstRow; y < h; y += pass.rowStep) {
        ReadRow(cur, size);
        Unfilter(cur, prev, size);
        Convert(cur, y, pass.mask);
        if (p == 6) Progress(PngProgressStage::Running, int(std::int64_t(y) * 100 / h), "");
        std::swap(cur, prev);
      }
    }
  }
  // The rest of the image data.
  while (type_ == kIDAT) {
    ReadData();
    ReadHeader();
  }
}

PngResult Decoder::Run() {
  const std::int64_t start = s_.Position();
  r_.Info = ScanPngHeader(s_);
  s_.SetPosition(start + 8);
  Progress(PngProgressStage::Starting, 0, "Preparing...");
  cm_.SetSourceOptions(coNeedByteSwap);
  cm_.SetTargetOptions(0);
  ReadHeader();
  struct Ending {
    Decoder& d;
    ~Ending() { d.Progress(PngProgressStage::Ending, 100, ""); }
  } ending{*this};
  ReadData();
  if (r_.Info.Packing != 2) throw EInvalidGraphic(kBadCompression);
  if (InitInflateStream(z_) < 0) throw EGraphicCompression(kLz77);
  inflating_ = true;
  ReadHeader();
  for (;;) {
    const std::uint32_t type = type_;
    if (type == kIDAT) {
      Progress(PngProgressStage::Ending, 100, "");
      DecodeImage();
      // The chunk after the image data is skipped below like any other.
    } else if (type == kPLTE) {
      if (length_ % 3 != 0) throw EInvalidGraphic(kBadPalette);
      ReadData();
      if (r_.Info.ColorType == 3) {
        filterStep_ = ColourSetup();
        r_.Palette = cm_.MakeColorPalette({data_.data()}, 0, false, int(length_ / 3));
      }
      ReadHeader();
      continue;
    } else if (type == kgAMA) {
      ReadData();
      if (data_.size() >= 4) {
        const float g = float(Big32(data_.data())) / 100000.0f;
        cm_.BuildGammaTable(g, 2.2f);
        cm_.SetTargetOptions(cm_.TargetOptions() | coApplyGamma);
        r_.Info.Flags |= 2;
        r_.Info.Gamma = g;
      }
      ReadHeader();
      continue;
    } else if (type == kbKGD) {
      ReadData();
      const std::uint8_t ct = r_.Info.ColorType, depth = r_.Info.BitDepth;
      if ((ct == 0 || ct == 4) && data_.size() >= 2)
        r_.BackColor = GreyLevel(data_.data(), depth);
      else if ((ct == 2 || ct == 6) && data_.size() >= 6)
        r_.BackColor = RgbColor(data_.data(), depth);
      else if (!data_.empty())
        r_.BackColor = data_[0];
      ReadHeader();
      continue;
    } else if (type == ktRNS) {
      ReadData();
      const std::uint8_t ct = r_.Info.ColorType, depth = r_.Info.BitDepth;
      if (ct == 0 && data_.size() >= 2) {
        r_.KeyColor = GreyLevel(data_.data(), depth) * 0x010101u;
      } else if (ct == 2 && data_.size() >= 6) {
        r_.KeyColor = RgbColor(data_.data(), depth);
      } else if (ct != 4 && ct != 6) {
        r_.AlphaTable.assign(256, 255);
        std::copy_n(data_.begin(), std::min<std::size_t>(data_.size(), 256), r_.AlphaTable.begin());
      }
      ReadHeader();
      continue;
    }
    // Any other chunk, and the one after the image data.
    const std::uint32_t skipped = type_;
    SkipData();
    if (skipped == kIEND) break;
    if (!(firstTypeByte_ & 0x20)) throw EInvalidGraphic(kCritical);
    ReadHeader();
  }
  if (inflateEnd(&z_) < 0) {
    inflating_ = false;
    throw EGraphicCompression(kLz77);
  }
  inflating_ = false;
  return std::move(r_);
}

}  // namespace

void PixelBuffer::Allocate(int w, int h, int b) {
  width = w;
  height = h;
  bits = b;
  stride = int((std::int64_t(w) * b + 7) / 8);
  pixels.assign(std::size_t(stride) * std::size_t(h), 0);
}

std::uint32_t PngCrc(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
  return std::uint32_t(crc32(crc, data, static_cast<uInt>(size)));
}

PngInfo ScanPngHeader(zip::TStream& s) {
  PngInfo info;
  info.Gamma = 1.0f;
  std::uint8_t sig[8];
  if (s.Read(sig, 8) != 8 || std::memcmp(sig, kSignature, 8) != 0)
    throw EInvalidGraphic(kBadFormat);
  std::uint8_t h[8 + 13];
  if (s.Read(h, sizeof h) != std::int64_t(sizeof h) || (Big32(h + 4) & 0xDFDFDFDFu) != kIHDR)
    throw EInvalidGraphic(kBadFormat);
  FillInfo(info, h + 8);
  if (info.Width == 0 || info.Height == 0) throw EInvalidGraphic(kBadFormat);
  s.Seek(std::int64_t(Big32(h)) - 13 + 4, zip::soCurrent);  // the rest and the CRC
  for (;;) {
    std::uint8_t c[8];
    s.ReadBuffer(c, 8);
    const std::uint32_t len = Big32(c), type = Big32(c + 4) & 0xDFDFDFDFu;
    if (type == kIEND) break;
    if (type == kgAMA && len >= 4) {
      std::uint8_t g[4];
      s.ReadBuffer(g, 4);
      info.Gamma = float(Big32(g)) / 100000.0f;
      break;
    }
    s.Seek(std::int64_t(len) + 4, zip::soCurrent);
  }
  return info;
}

PngResult DecodePng(zip::TStream& stream, PngRowStore& store, TColorManager& converter,
                    const PngProgress& progress) {
  Decoder d(stream, store, converter, progress);
  return d.Run();
}

}  // namespace kelmo::skin
