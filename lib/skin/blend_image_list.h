// TkBlendImageList: an image list whose images keep a per-pixel alpha
// channel. It holds the picture files of its images (PNG or icon files) as
// items stored with the form ("ImgData") and builds its list of icons from
// them; images added by the ordinary add operation get an opaque alpha
// channel where they have none. Drawing goes through the icon, so alpha is
// honoured.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "winshim/dc.h"
#include "winshim/icon.h"

namespace kelmo::skin {

enum class TkImageFormat { ifPNG = 0, ifICO = 1 };

struct TkImgListItem {
  TkImageFormat ImageFormat = TkImageFormat::ifPNG;
  int PixelFormat = 32;               // stored, not used when building
  std::vector<std::uint8_t> ImgData;  // the whole PNG or icon file
};

class TkBlendImageList {
 public:
  TkBlendImageList(int width = 16, int height = 16);

  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int width, int height);

  std::vector<TkImgListItem> Items;

  // After construction outside a form load: makes the list and builds it.
  void AfterConstruction(bool loadingFromForm);
  // After a form load: makes and builds the list when not yet built.
  void Loaded();
  void MakeSystemList();
  // Rebuilds the images from the items; item data that is not a picture
  // raises the reader's error (the list then holds the items before it).
  void BuildSystemList();
  bool HasSystemList() const { return system_.has_value(); }
  bool Generated() const { return generated_; }
  bool KeepItems = true;
  bool Loading = false;
  bool Designing = false;

  int Count() const { return system_ ? int(system_->size()) : 0; }
  const winshim::Icon& Image(int index) const { return (*system_)[std::size_t(index)]; }
  // The framework's add: an image with an optional mask; returns its index.
  int Add(const QImage& image, const QImage& mask = {});
  void Clear();
  // The framework's change notification (see the file comment).
  void Change();
  // Draws the image's icon at (x, y) in the list's size; enabled or not alike.
  void Draw(winshim::Dc& dc, int x, int y, int index, bool enabled) const;
  void Assign(const TkBlendImageList* source);

 private:
  int width_, height_;
  std::optional<std::vector<winshim::Icon>> system_;
  bool generated_ = false;
  bool changing_ = false;
};

}  // namespace kelmo::skin
