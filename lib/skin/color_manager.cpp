#include "skin/color_manager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kelmo::skin {
namespace {

constexpr const char* kBadBits =
    "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
constexpr const char* kBadSamples =
    "Sample count per pixel does not correspond to the given color scheme.";
constexpr const char* kNoMethod = "Color conversion failed. Could not find a proper method.";
constexpr const char* kIndexedMix =
    "Conversion between indexed and non-indexed pixel formats is not supported.";

bool HasAlpha(TColorScheme s) {
  return s == TColorScheme::csGA || s == TColorScheme::csRGBA || s == TColorScheme::csBGRA;
}
bool IsRgbFamily(TColorScheme s) {
  return s == TColorScheme::csRGB || s == TColorScheme::csRGBA || s == TColorScheme::csBGR ||
         s == TColorScheme::csBGRA;
}
bool IsBlueFirst(TColorScheme s) {
  return s == TColorScheme::csBGR || s == TColorScheme::csBGRA;
}
int RoundEven(double v) {
  return int(std::nearbyint(v));
}
int Clamp255(int v) {
  return std::clamp(v, 0, 255);
}

// Sample k of a row of packed samples of the given depth (1..8), high bits first.
unsigned PackedSample(const std::uint8_t* row, int k, int bits) {
  const int bit = k * bits;
  const int shift = 8 - bits - (bit & 7);
  return (row[bit >> 3] >> shift) & ((1u << bits) - 1);
}
void PutPacked(std::uint8_t* row, int k, int bits, unsigned v) {
  const int bit = k * bits;
  const int shift = 8 - bits - (bit & 7);
  const unsigned m = ((1u << bits) - 1) << shift;
  row[bit >> 3] = std::uint8_t((row[bit >> 3] & ~m) | ((v << shift) & m));
}
bool Selected(std::uint8_t mask, int i) {
  return (mask >> (7 - (i & 7))) & 1;
}

// Walks the selected pixels of a row of 8-bit samples (planar: one plane per
// component; interleaved: n samples a pixel), handing each pixel's samples
// and its target position to the function.
template <typename F>
void ForEachPixel(const std::vector<const std::uint8_t*>& planes, std::uint8_t mask, int count,
                  int n, int targetStep, std::uint8_t* target, F&& f) {
  const bool planar = planes.size() > 1;
  std::size_t k = 0;
  for (int i = 0; i < count; ++i) {
    if (!Selected(mask, i)) continue;
    int v[4] = {};
    for (int c = 0; c < n; ++c)
      v[c] = planar ? planes[std::size_t(c)][k] : planes[0][std::size_t(n) * k + std::size_t(c)];
    f(v, target + std::size_t(i) * std::size_t(targetStep));
    ++k;
  }
}

}  // namespace

TColorManager::TColorManager() {
  BuildGammaTable(1.0f, 2.2f);
}

void TColorManager::SetSourceBits(int n) {
  if (n <= 0 || n > 16) throw EColorConversionError(kBadBits);
  Change(sourceBits_, n);
}
void TColorManager::SetTargetBits(int n) {
  if (n <= 0 || n > 16) throw EColorConversionError(kBadBits);
  Change(targetBits_, n);
}
void TColorManager::SetSourceSamples(int n) {
  if (n <= 0 || n > 4) throw EColorConversionError(kBadSamples);
  Change(sourceSamples_, n);
}
void TColorManager::SetTargetSamples(int n) {
  if (n <= 0 || n > 4) throw EColorConversionError(kBadSamples);
  Change(targetSamples_, n);
}
void TColorManager::SetSourceScheme(TColorScheme s) {
  Change(sourceScheme_, s);
}
void TColorManager::SetTargetScheme(TColorScheme s) {
  Change(targetScheme_, s);
}

void TColorManager::BuildGammaTable(float imageGamma, float displayGamma) {
  imageGamma_ = imageGamma > 0 ? imageGamma : 1.0f;
  screenGamma_ = displayGamma > 0 ? displayGamma : 2.2f;
  const int c = sourceBits_ < 8 ? (1 << targetBits_) - 1 : 255;
  const int m = targetBits_ < 8 ? (1 << targetBits_) - 1 : 255;
  const double exponent = 1.0 / (double(imageGamma_) * double(screenGamma_));
  for (int i = 0; i <= std::min(c, 255); ++i)
    gammaMap_[std::size_t(i)] =
        std::uint8_t(Clamp255(RoundEven(std::pow(double(i) / c, exponent) * m)));
}

TPixelFormat TColorManager::PixelFormatFor(bool target) const {
  const int samples = target ? targetSamples_ : sourceSamples_;
  const int bits = target ? targetBits_ : sourceBits_;
  if (samples == 1) {
    if (bits == 1) return TPixelFormat::pf1bit;
    if (bits >= 2 && bits <= 4) return TPixelFormat::pf4bit;
    if (bits >= 8) return TPixelFormat::pf8bit;
    return TPixelFormat::pfCustom;
  }
  if (samples == 3) return bits <= 5 ? TPixelFormat::pf15bit : TPixelFormat::pf24bit;
  if (samples == 4 && bits >= 8) return TPixelFormat::pf32bit;
  return TPixelFormat::pfCustom;
}

void TColorManager::BuildChromaTables(int o1, int o2) {
  const double kr = lumaWeights_[0], kg = lumaWeights_[1], kb = lumaWeights_[2];
  redFromCr_.resize(256);
  blueFromCb_.resize(256);
  greenFromCr_.resize(256);
  greenFromCb_.resize(256);
  for (int i = 0; i < 256; ++i) {
    redFromCr_[std::size_t(i)] = RoundEven((2 - 2 * kr) * (i - o1));
    blueFromCb_[std::size_t(i)] = RoundEven((2 - 2 * kb) * (i - o2));
    greenFromCr_[std::size_t(i)] = -RoundEven(kr * (2 - 2 * kr) / kg * (i - o1));
    greenFromCb_[std::size_t(i)] = -RoundEven(kb * (2 - 2 * kb) / kg * (i - o2));
  }
}

void TColorManager::ChooseConverter() {
  converter_ = nullptr;
  const bool sourceIndexedLike = sourceScheme_ == TColorScheme::csIndexed ||
                                 sourceScheme_ == TColorScheme::csG ||
                                 sourceScheme_ == TColorScheme::csGA;
  const bool targetIndexedLike =
      targetScheme_ == TColorScheme::csIndexed || targetScheme_ == TColorScheme::csG;
  if (sourceIndexedLike != targetIndexedLike) throw EColorConversionError(kIndexedMix);
  sourceFlags_ = HasAlpha(sourceScheme_) ? (sourceFlags_ | coAlpha) : (sourceFlags_ & ~coAlpha);
  targetFlags_ = HasAlpha(targetScheme_) ? (targetFlags_ | coAlpha) : (targetFlags_ & ~coAlpha);
  const bool s16 = sourceBits_ == 16, t16 = targetBits_ == 16;
  const bool s8or16 = sourceBits_ == 8 || s16, t8or16 = targetBits_ == 8 || t16;
  switch (sourceScheme_) {
    case TColorScheme::csIndexed:
      converter_ = &TColorManager::RowIndexed;
      break;
    case TColorScheme::csG:
      if (s16 || t16)
        converter_ = (s8or16 && t8or16) ? &TColorManager::RowFirstSample : nullptr;
      else
        converter_ = &TColorManager::RowRescalePack;
      break;
    case TColorScheme::csGA:
      converter_ = (s8or16 && t8or16) ? &TColorManager::RowFirstSample : nullptr;
      break;
    case TColorScheme::csRGB:
    case TColorScheme::csRGBA:
    case TColorScheme::csBGR:
    case TColorScheme::csBGRA:
      if (IsRgbFamily(targetScheme_)) {
        converter_ = &TColorManager::RowComponents;
        reverseOrder_ = IsBlueFirst(sourceScheme_) != IsBlueFirst(targetScheme_);
      }
      break;
    case TColorScheme::csCMYK:
      if (IsRgbFamily(targetScheme_)) converter_ = &TColorManager::RowCMYK;
      break;
    case TColorScheme::csCIELab:
      if (IsRgbFamily(targetScheme_)) converter_ = &TColorManager::RowLab;
      break;
    case TColorScheme::csYCbCr:
    case TColorScheme::csPhotoYCC:
      if (IsRgbFamily(targetScheme_)) {
        if (sourceScheme_ == TColorScheme::csYCbCr)
          BuildChromaTables(128, 128);
        else
          BuildChromaTables(137, 156);
        converter_ = &TColorManager::RowYCC;
      }
      break;
    default:
      break;
  }
  dirty_ = false;
}

void TColorManager::TranslateRow(const std::vector<const std::uint8_t*>& planes, std::uint8_t mask,
                                 int count, std::uint8_t* target) {
  if (dirty_) ChooseConverter();
  if (!converter_) throw EColorConversionError(kNoMethod);
  if (planes.empty() || count <= 0) return;
  (this->*converter_)(planes, mask, count, target);
}

std::uint16_t TColorManager::Read16(const std::uint8_t* p) const {
  // Samples are stored as they came; the swap flag says they are high byte first.
  return (sourceFlags_ & coNeedByteSwap) ? std::uint16_t((p[0] << 8) | p[1])
                                         : std::uint16_t(p[0] | (p[1] << 8));
}

// A 16-bit target sample in machine order (low byte first).
static void Put16(std::uint8_t* p, unsigned v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
}

// A widened 16-bit sample, byte-swapped when the source's swap flag is set.
void TColorManager::Write16(std::uint8_t* p, unsigned v) const {
  if (sourceFlags_ & coNeedByteSwap) {
    p[0] = std::uint8_t(v >> 8);
    p[1] = std::uint8_t(v);
  } else {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
  }
}

void TColorManager::RowRescalePack(const std::vector<const std::uint8_t*>& planes,
                                   std::uint8_t mask, int count, std::uint8_t* target) {
  const std::uint8_t* src = planes[0];
  if (sourceBits_ == targetBits_ && mask == 0xFF) {
    std::memcpy(target, src, std::size_t((count * sourceBits_ + 7) / 8));
    return;
  }
  const unsigned sMax = (1u << sourceBits_) - 1, tMax = (1u << targetBits_) - 1;
  int k = 0;
  for (int i = 0; i < count; ++i) {
    if (!Selected(mask, i)) continue;
    const unsigned v = PackedSample(src, k++, sourceBits_);
    PutPacked(target, i, targetBits_, std::uint16_t(v * tMax) / sMax);
  }
}

void TColorManager::RowIndexed(const std::vector<const std::uint8_t*>& planes, std::uint8_t mask,
                               int count, std::uint8_t* target) {
  const bool s16 = sourceBits_ == 16, t16 = targetBits_ == 16;
  if (!s16 && !t16) {
    RowRescalePack(planes, mask, count, target);
    return;
  }
  const std::uint8_t* src = planes[0];
  const unsigned sMax = (1u << sourceBits_) - 1, tMax = (1u << targetBits_) - 1;
  int k = 0;
  for (int i = 0; i < count; ++i) {
    if (!Selected(mask, i)) continue;
    if (s16 && t16) {
      Put16(target + 2 * i, Read16(src + 2 * k));
    } else if (s16) {
      PutPacked(target, i, targetBits_, Read16(src + 2 * k) * tMax / 65535);
    } else {
      Write16(target + 2 * i, PackedSample(src, k, sourceBits_) * 65535 / sMax);
    }
    ++k;
  }
}

void TColorManager::RowFirstSample(const std::vector<const std::uint8_t*>& planes,
                                   std::uint8_t mask, int count, std::uint8_t* target) {
  const std::uint8_t* src = planes[0];
  const int sBytes = sourceBits_ == 16 ? 2 : 1;
  const int step = ((sourceFlags_ & coAlpha) ? 2 : 1) * sBytes;
  const bool t16 = targetBits_ == 16;
  for (int i = 0; i < count; ++i) {
    if (!Selected(mask, i)) continue;
    if (sBytes == 1) {
      const unsigned v = *src;
      if (t16)
        Put16(target + 2 * i, v * 65535 / 255);
      else
        target[i] = std::uint8_t(v);
    } else {
      const unsigned v = Read16(src);
      if (t16)
        Put16(target + 2 * i, v);
      else
        target[i] = std::uint8_t(v * 255 / 65535);
    }
    src += step;
  }
}

void TColorManager::RowComponents(const std::vector<const std::uint8_t*>& planes, std::uint8_t mask,
                                  int count, std::uint8_t* target) {
  const bool sAlpha = sourceFlags_ & coAlpha, tAlpha = targetFlags_ & coAlpha;
  const bool s16 = sourceBits_ == 16, t16 = targetBits_ == 16;
  const bool gamma = targetFlags_ & coApplyGamma;
  const bool planar = planes.size() > 1;
  const int sBytes = s16 ? 2 : 1, tBytes = t16 ? 2 : 1;
  const int sStep = planar ? sBytes : (sAlpha ? 4 : 3) * sBytes;
  const int tStep = (tAlpha ? 4 : 3) * tBytes;
  const int order[3] = {reverseOrder_ ? 2 : 0, 1, reverseOrder_ ? 0 : 2};
  // The common case: 8-bit interleaved rows, every pixel, no gamma.
  if (!planar && !s16 && !t16 && !gamma && mask == 0xFF) {
    const std::uint8_t* s = planes[0];
    std::uint8_t* t = target;
    if (sAlpha && tAlpha) {
      for (int i = 0; i < count; ++i, s += 4, t += 4) {
        t[0] = s[order[0]];
        t[1] = s[1];
        t[2] = s[order[2]];
        t[3] = s[3];
      }
    } else {
      for (int i = 0; i < count; ++i, s += sStep, t += tStep) {
        t[0] = s[order[0]];
        t[1] = s[1];
        t[2] = s[order[2]];
      }
    }
    return;
  }
  std::size_t k = 0;  // source pixels consumed
  auto sample = [&](int c) -> unsigned {
    const std::uint8_t* p = planar ? planes[std::size_t(c)] + k * std::size_t(sBytes)
                                   : planes[0] + k * std::size_t(sStep) + std::size_t(c * sBytes);
    return s16 ? Read16(p) : *p;
  };
  for (int i = 0; i < count; ++i) {
    if (!Selected(mask, i)) continue;
    std::uint8_t* t = target + std::size_t(i) * std::size_t(tStep);
    const int channels = (sAlpha && tAlpha) ? 4 : 3;
    for (int c = 0; c < channels; ++c) {
      const bool isAlpha = c == 3;
      unsigned v = sample(isAlpha ? 3 : order[c]);
      if (!s16 && !t16) {
        t[c] = std::uint8_t(gamma && !isAlpha ? gammaMap_[v] : v);
      } else if (!s16 && t16) {
        if (gamma && !isAlpha) v = gammaMap_[v];
        Write16(t + 2 * c, v * 65535 / 255);
      } else if (s16 && !t16) {
        v = v * 255 / 65535;
        t[c] = std::uint8_t(gamma && !isAlpha ? gammaMap_[v] : v);
      } else {
        Put16(t + 2 * c, v);
      }
    }
    ++k;
  }
}

void TColorManager::PutColor(std::uint8_t* t, int r, int g, int b) const {
  const int c[3] = {IsBlueFirst(targetScheme_) ? b : r, g, IsBlueFirst(targetScheme_) ? r : b};
  for (int i = 0; i < 3; ++i) {
    if (targetBits_ == 16)
      Put16(t + 2 * i, unsigned(c[i]) * 65535 / 255);
    else
      t[i] = std::uint8_t(c[i]);
  }
}

int TColorManager::TargetStep() const {
  return ((targetFlags_ & coAlpha) ? 4 : 3) * (targetBits_ == 16 ? 2 : 1);
}

void TColorManager::RowCMYK(const std::vector<const std::uint8_t*>& planes, std::uint8_t mask,
                            int count, std::uint8_t* target) {
  ForEachPixel(planes, mask, count, 4, TargetStep(), target, [&](const int* v, std::uint8_t* t) {
    auto channel = [&](int x) { return Clamp255(255 - x - v[3] + x * v[3] / 255); };
    PutColor(t, channel(v[0]), channel(v[1]), channel(v[2]));
  });
}

void TColorManager::RowLab(const std::vector<const std::uint8_t*>& planes, std::uint8_t mask,
                           int count, std::uint8_t* target) {
  ForEachPixel(planes, mask, count, 3, TargetStep(), target, [&](const int* raw, std::uint8_t* t) {
    double L = raw[0];
    if (sourceFlags_ & coLabByteRange) L /= 2.55;
    const bool offset = sourceFlags_ & coLabChromaOffset;
    const double a = offset ? raw[1] - 128.0 : double(std::int8_t(raw[1]));
    const double bb = offset ? raw[2] - 128.0 : double(std::int8_t(raw[2]));
    double X, Y, Z;
    if (L < 7.9996) {
      Y = L / 903.3;
      X = Y + a / 3893.5;
      Z = Y - bb / 1557.4;
    } else {
      const double f = (L + 16) / 116;
      X = std::pow(f + a / 500, 3);
      Y = f * f * f;
      Z = std::pow(f - bb / 200, 3);
    }
    const int blue = Clamp255(RoundEven(255 * (0.099 * X - 0.198 * Y + 1.099 * Z)));
    const int green = Clamp255(RoundEven(255 * (-0.952 * X + 1.893 * Y + 0.059 * Z)));
    const int red = Clamp255(RoundEven(255 * (2.998 * X - 1.458 * Y - 0.541 * Z)));
    PutColor(t, red, green, blue);
  });
}

void TColorManager::RowYCC(const std::vector<const std::uint8_t*>& planes, std::uint8_t mask,
                           int count, std::uint8_t* target) {
  ForEachPixel(planes, mask, count, 3, TargetStep(), target, [&](const int* v, std::uint8_t* t) {
    const int y = v[0];
    const auto cb = std::size_t(v[1]), cr = std::size_t(v[2]);
    PutColor(t, Clamp255(y + redFromCr_[cr]), Clamp255(y + greenFromCb_[cb] + greenFromCr_[cr]),
             Clamp255(y + blueFromCb_[cb]));
  });
}

std::vector<PaletteEntry> TColorManager::MakeColorPalette(
    const std::vector<const std::uint8_t*>& planes, int rawFormat, bool blueFirst,
    int count) const {
  const int n = std::clamp(count, 0, 256);
  const bool gamma = targetFlags_ & coApplyGamma;
  const bool wide = rawFormat >= 4;
  const bool planar = (rawFormat & 3) >= 2;
  const int step = (rawFormat & 3) == 1 ? 4 : 3;
  std::vector<PaletteEntry> entries(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    unsigned c[3];
    for (int k = 0; k < 3; ++k) {
      const std::uint8_t* p =
          planar
              ? planes[std::size_t(k)] + std::size_t(i) * (wide ? 2 : 1)
              : planes[0] + (std::size_t(i) * std::size_t(step) + std::size_t(k)) * (wide ? 2 : 1);
      unsigned v = wide ? Read16(p) * 255u / 65535u : *p;
      c[k] = gamma ? gammaMap_[v] : v;
    }
    if (blueFirst && !planar) std::swap(c[0], c[2]);
    entries[std::size_t(i)] = {std::uint8_t(c[0]), std::uint8_t(c[1]), std::uint8_t(c[2])};
  }
  const int s = (1 << std::min(sourceBits_, 16)) - 1, t = (1 << std::min(targetBits_, 16)) - 1;
  if (targetBits_ <= 8 && s != t) {
    std::vector<PaletteEntry> spread(std::size_t(t) + 1);
    for (int j = 0; j <= t; ++j) {
      const int from = int(std::int64_t(j) * s / t);
      if (from < n) spread[std::size_t(j)] = entries[std::size_t(from)];
    }
    return spread;
  }
  return entries;
}

std::vector<PaletteEntry> TColorManager::MakeGreyPalette(bool reversed) const {
  const int n = 1 << std::min(targetBits_ * targetSamples_, 8);
  const int step = 255 / std::max(1, n - 1);
  const bool gamma = targetFlags_ & coApplyGamma;
  std::vector<PaletteEntry> entries(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const int level = (reversed ? n - 1 - i : i) * step;
    const std::uint8_t g = gamma ? gammaMap_[std::size_t(level)] : std::uint8_t(level);
    entries[std::size_t(i)] = {g, g, g};
  }
  return entries;
}

}  // namespace kelmo::skin
