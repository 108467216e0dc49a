// The first two steps of a skin load: the mask table with the master
// bitmap (every image value of the options text, or the images of a
// stored skin) and the pattern table (the JPEG textures), plus the images
// and textures of the program's common sections.
//
// Files are read from the package when the skin comes from one, else from
// the skin folder: a name holding ":" is taken as written, any other lies
// in the folder, and a name that climbs out of it ("..") or a file that is
// not a regular file is not read. A file that is missing or gives no
// picture adds nothing.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <optional>

#include "skin/skin_data.h"
#include "skin/skin_options.h"
#include "skin/skin_pack.h"
#include "skin/stored_skins.h"

namespace kelmo::skin {

// Files of one skin file larger than this are refused.
inline constexpr std::int64_t kMaxSkinImageFileSize = 64 << 20;

// Where a load reads from.
struct TkSkinSource {
  const SkinOptionsIni* Ini = nullptr;       // nullptr: a stored skin's collections
  const TkaSkinConvertor* Packed = nullptr;  // set: the files come from the package
  QString SkinFolder;                        // otherwise from here (ends with "/")
  const TkStoredSkin* Internal = nullptr;    // the stored skin of the collections case
};

// The bytes of a skin file, or nothing when there is no such file.
std::optional<QByteArray> ReadSkinSourceFile(const TkSkinSource& source, const QString& name);

// Builds the mask table and the master bitmap into `tables` (records owned
// by `manager`). A number field that is not a number raises EConvertError.
void LoadAllMasks(TkSkinTables& tables, TkSkinManager* manager, const TkSkinSource& source,
                  const QStringList& commonSections);
// Builds the pattern table (small JPEG pictures become texture masks).
void LoadAllPatterns(TkSkinTables& tables, TkSkinManager* manager, const TkSkinSource& source,
                     const QStringList& commonSections);

}  // namespace kelmo::skin
