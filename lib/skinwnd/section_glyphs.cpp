#include "skinwnd/section_glyphs.h"

#include "skin/mask_painting.h"
#include "skin/paint_primitives.h"

namespace kelmo::skinwnd {

using namespace kelmo::skin;

int GlyphMaskIndex(const TkSkinManager* manager, const QString& section) {
  if (!manager) return -1;
  const int si = manager->GetSkinIndex(section);
  if (!manager->IsValidSkinIndex(si)) return -1;
  return manager->GetMaskIndex(si, section, QStringLiteral("GLYPHMASK"));
}

QSize GlyphSize(const TkSkinManager* manager, int maskIndex) {
  if (!manager || !manager->IsValidImgIndex(maskIndex)) return {};
  return manager->GetMaskSize(maskIndex);
}

void PaintGlyph(QImage& bitmap, const TkSkinManager* manager, int maskIndex, QPoint at, int state) {
  if (!manager || !manager->IsValidImgIndex(maskIndex) || bitmap.isNull()) return;
  const QImage behind = bitmap.copy();
  PaintMaskImage(bitmap, at, state, manager->ma[std::size_t(maskIndex)],
                 BgSourceFromBmp(&behind, 0, 0), 1);
}

int SortGlyphIndex(const TkSkinManager* manager, bool down) {
  return GlyphMaskIndex(manager,
                        down ? QStringLiteral("SCROLLBTNBOTTOM") : QStringLiteral("SCROLLBTNTOP"));
}

}  // namespace kelmo::skinwnd
