// Loading a skin's options text into the skin state and the section table:
// the GLOBALINFO values, one section record per section of the text with
// its missing values taken up the PARENTCLASS chain, where the skin
// directory lies, and which skins it offers.
//
// "?" (texts) and -1 (integers) mean "missing" and are looked up in the
// parent section, then its parent, and so on, then the key's default. A
// chain that comes back to a section it has passed ends there (that
// section counts as missing), so a cycle cannot run without end.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

#include "skin/skin_data.h"
#include "skin/skin_options.h"
#include "skin/stored_skins.h"

namespace kelmo::skin {

QString ReadInheritedString(const SkinOptionsIni& ini, const QString& section, const QString& key,
                            const QString& def);
int ReadInheritedInt(const SkinOptionsIni& ini, const QString& section, const QString& key,
                     int def);

// The GLOBALINFO values into the skin state (raises EConvertError for a
// strictly converted value that is not a whole number), the version
// notices, then the section table rebuilt from the text's sections in their
// order, and the sections' image indexes. A notice goes to `notify` (a
// plain message box in the program); `designing` is the component's
// design-time state.
void LoadAllGeneralData(const SkinOptionsIni& ini, TkSkinManager& manager, TkSkinData& skinData,
                        const std::function<void(const QString&)>& notify = {},
                        bool designing = false);

// The GLOBALINFO values into `skinData` and the section table of the text
// (the version notices go to `notify`); EConvertError for a strictly
// converted value that is not a whole number.
TkGeneralDataArray ReadGeneralData(const SkinOptionsIni& ini, TkSkinData& skinData,
                                   const std::function<void(const QString&)>& notify,
                                   bool designing);
// The same from a stored skin's collections: its descriptive and shadow
// values, then one section per item.
TkGeneralDataArray ReadStoredGeneralData(const TkStoredSkin& skin, TkSkinData& skinData,
                                         const std::function<void(const QString&)>& notify,
                                         bool designing);
// Appends the sections of the program's common text that the skin lacks;
// a missing value comes from the PARENTCLASS section already in the table
// (GLOW and GLOWMARGIN excepted), else the key's default.
void MergeCommonSections(TkGeneralDataArray& table, const QStringList& commonSections);

// The skin directory made absolute against the executable's folder
// (`exeFolder` ends with a path delimiter); no delimiter is appended.
QString GetFullSkinDirectory(const QString& skinDirectory, const QString& exeFolder);

// Loads the sections of the skin named `skinName` from the skin directory
// (made absolute with GetFullSkinDirectory, the same for every use): the
// packed file "<name>.skz" when it exists, else the folder "<name>" with its
// "Options.dat". Returns false, changing nothing, when neither exists. The
// load is built into fresh tables and swapped in only when it succeeds: a
// damaged package (ESkinPackError), an unreadable or oversized file
// (ESkinOptionsError) or a bad strict number (EConvertError) raises with the
// manager and the state as they were.
bool LoadSkinSections(TkSkinManager& manager, TkSkinData& skinData,
                      const QString& fullSkinDirectory, const QString& skinName,
                      const std::function<void(const QString&)>& notify = {});

// Kind 0: skin folders (holding "Options.dat"); 1: packed files (".skz",
// the extension compared with case); 2: both. Internal skin names come
// first; `first` is the first name found; the list comes back sorted.
QStringList GetSkinNames(const QString& fullSkinDirectory, int kind,
                         const QStringList& internalSkins, QString* first = nullptr);

}  // namespace kelmo::skin
