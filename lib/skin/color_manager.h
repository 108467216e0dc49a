// TColorManager: converts rows of pixels from one colour scheme and sample
// depth into another, builds the palettes of indexed and grey pictures and
// applies gamma. The PNG decoder owns one per picture.
//
// The converter for a configuration is chosen once, on the first row after
// a setting changed, and then runs per row with table look-ups and integer
// arithmetic (floating point only for L*a*b*).
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace kelmo::skin {

class EColorConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TColorScheme : std::uint8_t {
  csUnknown = 0,
  csIndexed = 1,
  csG = 2,
  csGA = 3,
  csRGB = 4,
  csRGBA = 5,
  csBGR = 6,
  csBGRA = 7,
  csNoConversion = 8,
  csCMYK = 9,
  csCIELab = 10,
  csYCbCr = 11,
  csPhotoYCC = 12
};

// Conversion flags, one set for the source and one for the target.
enum TConvertOption : std::uint8_t {
  coAlpha = 1,
  coApplyGamma = 2,
  coNeedByteSwap = 4,
  coLabByteRange = 8,
  coLabChromaOffset = 16
};

// Bitmap formats a side's samples call for.
enum class TPixelFormat { pf1bit, pf4bit, pf8bit, pf15bit, pf24bit, pf32bit, pfCustom };

struct PaletteEntry {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const PaletteEntry&) const = default;
};

class TColorManager {
 public:
  TColorManager();

  void SetSourceBits(int n);
  void SetTargetBits(int n);
  void SetSourceSamples(int n);
  void SetTargetSamples(int n);
  void SetSourceScheme(TColorScheme s);
  void SetTargetScheme(TColorScheme s);
  void SetSourceOptions(std::uint8_t flags) { Change(sourceFlags_, flags); }
  void SetTargetOptions(std::uint8_t flags) { Change(targetFlags_, flags); }
  std::uint8_t SourceOptions() const { return sourceFlags_; }
  std::uint8_t TargetOptions() const { return targetFlags_; }
  int SourceBits() const { return sourceBits_; }
  int TargetBits() const { return targetBits_; }

  // GammaMap from the image and display gammas (0 or below: 1.0 and 2.2),
  // for the depths in force at the call.
  void BuildGammaTable(float imageGamma, float displayGamma);
  const std::array<std::uint8_t, 256>& GammaMap() const { return gammaMap_; }

  TPixelFormat PixelFormatFor(bool target) const;

  // Converts count target pixels: planes holds one pointer for interleaved
  // samples or one per component; the mask selects pixels from bit 7 down,
  // repeating every eight (a clear bit leaves the target pixel and consumes
  // no source pixel).
  void TranslateRow(const std::vector<const std::uint8_t*>& planes, std::uint8_t mask, int count,
                    std::uint8_t* target);

  // Raw formats: 0 interleaved 8-bit triples, 1 quads, 2/3 three 8-bit
  // planes, 4 interleaved 16-bit triples, 5 quads, 6/7 three 16-bit planes.
  std::vector<PaletteEntry> MakeColorPalette(const std::vector<const std::uint8_t*>& planes,
                                             int rawFormat, bool blueFirst, int count) const;
  std::vector<PaletteEntry> MakeGreyPalette(bool reversed) const;

 private:
  using Converter = void (TColorManager::*)(const std::vector<const std::uint8_t*>&, std::uint8_t,
                                            int, std::uint8_t*);
  template <typename T>
  void Change(T& field, T value) {
    if (field != value) {
      field = value;
      dirty_ = true;
    }
  }
  void ChooseConverter();
  void BuildChromaTables(int o1, int o2);
  std::uint16_t Read16(const std::uint8_t* p) const;
  void Write16(std::uint8_t* p, unsigned v) const;

  void RowIndexed(const std::vector<const std::uint8_t*>&, std::uint8_t, int, std::uint8_t*);
  void RowRescalePack(const std::vector<const std::uint8_t*>&, std::uint8_t, int, std::uint8_t*);
  void RowFirstSample(const std::vector<const std::uint8_t*>&, std::uint8_t, int, std::uint8_t*);
  void RowComponents(const std::vector<const std::uint8_t*>&, std::uint8_t, int, std::uint8_t*);
  void RowCMYK(const std::vector<const std::uint8_t*>&, std::uint8_t, int, std::uint8_t*);
  void RowLab(const std::vector<const std::uint8_t*>&, std::uint8_t, int, std::uint8_t*);
  void RowYCC(const std::vector<const std::uint8_t*>&, std::uint8_t, int, std::uint8_t*);
  int TargetStep() const;
  // Writes an 8-bit colour triple (red, green, blue) per the target scheme.
  void PutColor(std::uint8_t* t, int r, int g, int b) const;

  bool dirty_ = true;
  int sourceBits_ = 8, targetBits_ = 8;
  int sourceSamples_ = 3, targetSamples_ = 3;
  float imageGamma_ = 1.0f, screenGamma_ = 2.2f;
  std::array<std::uint8_t, 256> gammaMap_{};
  std::array<float, 3> lumaWeights_{0.299f, 0.587f, 0.114f};
  std::vector<int> redFromCr_, blueFromCb_, greenFromCr_, greenFromCb_;
  TColorScheme sourceScheme_ = TColorScheme::csRGB, targetScheme_ = TColorScheme::csBGR;
  Converter converter_ = nullptr;
  std::uint8_t sourceFlags_ = 0, targetFlags_ = 0;
  bool reverseOrder_ = false;
};

}  // namespace kelmo::skin
