#include "skin/blend_image_list.h"

#include <QByteArray>

#include "skin/png_decoder.h"
#include "skin/png_graphic.h"
#include "winshim/dib.h"

namespace kelmo::skin {
namespace {

// Sets alpha 255 on every pixel but the key colour when no pixel has any.
void GiveAlpha(winshim::Icon& icon) {
  QImage& c = icon.color;
  if (winshim::DibBits(c) != 32) c = winshim::ConvertDib(c, 32);
  for (int y = 0; y < c.height(); ++y) {
    const std::uint8_t* row = c.constScanLine(y);
    for (int x = 0; x < c.width(); ++x)
      if (row[4 * x + 3] != 0) return;
  }
  for (int y = 0; y < c.height(); ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(c.scanLine(y));
    for (int x = 0; x < c.width(); ++x)
      if ((row[x] & 0xFFFFFFu) != 0xFF00FFu) row[x] |= 0xFF000000u;
  }
}

}  // namespace

TkBlendImageList::TkBlendImageList(int width, int height) : width_(width), height_(height) {}

void TkBlendImageList::SetSize(int width, int height) {
  width_ = width;
  height_ = height;
}

void TkBlendImageList::AfterConstruction(bool loadingFromForm) {
  if (loadingFromForm) return;
  if (!system_) MakeSystemList();
  if (!generated_) BuildSystemList();
}

void TkBlendImageList::Loaded() {
  if (!system_) MakeSystemList();
  if (!generated_) {
    BuildSystemList();
    generated_ = true;
  }
}

void TkBlendImageList::MakeSystemList() {
  system_.emplace();
}

void TkBlendImageList::BuildSystemList() {
  if (!system_) return;
  struct Changing {
    bool& flag;
    ~Changing() { flag = false; }
  } guard{changing_};
  changing_ = true;
  system_->clear();
  for (const TkImgListItem& item : Items) {
    if (item.ImageFormat == TkImageFormat::ifPNG) {
      zip::TMemoryStream data(item.ImgData);
      TPNGGraphic picture;
      picture.LoadFromStream(data);
      winshim::Icon icon = picture.MakeIcon(false);
      if (!icon.IsNull()) system_->push_back(std::move(icon));
    } else {
      const QImage ico =
          QImage::fromData(QByteArray(reinterpret_cast<const char*>(item.ImgData.data()),
                                      qsizetype(item.ImgData.size())),
                           "ICO");
      if (ico.isNull())
        throw EInvalidGraphic("Cannot load image. Invalid or unexpected ICO image format.");
      winshim::Icon icon;
      icon.color = winshim::ConvertDib(ico, 32);
      icon.mask = QImage(ico.size(), QImage::Format_Mono);
      icon.mask.fill(0);
      system_->push_back(std::move(icon));
    }
  }
  if (!Items.empty()) {
    generated_ = true;
    if (!KeepItems && !Designing) Items.clear();
  }
}

int TkBlendImageList::Add(const QImage& image, const QImage& mask) {
  if (!system_) return -1;
  winshim::Icon icon;
  icon.color = winshim::ConvertDib(image, 32);
  if (!image.hasAlphaChannel()) {
    // A bitmap without alpha lands in the list with alpha 0, as in a DIB.
    for (int y = 0; y < icon.color.height(); ++y) {
      std::uint8_t* row = icon.color.scanLine(y);
      for (int x = 0; x < icon.color.width(); ++x) row[4 * x + 3] = 0;
    }
  }
  icon.mask = mask.isNull() ? QImage(image.size(), QImage::Format_Mono) : mask;
  if (mask.isNull()) icon.mask.fill(0);
  system_->push_back(std::move(icon));
  Change();
  return int(system_->size()) - 1;
}

void TkBlendImageList::Clear() {
  if (system_) system_->clear();
  Change();
}

void TkBlendImageList::Change() {
  if (changing_ || !system_ || Loading || !generated_ || Designing) return;
  if (KeepItems && system_->size() <= Items.size()) {
    if (system_->size() < Items.size()) BuildSystemList();
    return;
  }
  for (winshim::Icon& icon : *system_) GiveAlpha(icon);
}

void TkBlendImageList::Draw(winshim::Dc& dc, int x, int y, int index, bool) const {
  if (!system_ || index < 0 || index >= int(system_->size())) return;
  dc.DrawIconEx(x, y, (*system_)[std::size_t(index)].ToArgb(), width_, height_);
}

void TkBlendImageList::Assign(const TkBlendImageList* source) {
  if (!source) {
    system_.reset();
    Change();
    return;
  }
  changing_ = true;
  width_ = source->width_;
  height_ = source->height_;
  MakeSystemList();
  if (KeepItems) {
    Items = source->Items;
    changing_ = false;
    BuildSystemList();
  } else if (source->system_) {
    *system_ = *source->system_;
  }
  changing_ = false;
}

}  // namespace kelmo::skin
