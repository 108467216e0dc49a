// The configuration file "kelmo.ini" (section "Options") of the current
// folder: its commented template and the values the main window takes from
// it at start. Key names are matched without regard to case, values exactly.
#pragma once

#include <QByteArray>
#include <QString>

#include "domain/domain_codes.h"
#include "ini_file.h"

namespace kelmo {

inline constexpr char kOptionsSection[] = "Options";

// The 32-line template, code page 1251, every line ended by CRLF.
QByteArray KelmoIniTemplate();

// Writes the template at `path` when no file is there. Returns false when
// the file is missing and cannot be written.
bool WriteKelmoIniTemplateIfMissing(const QString& path);

// What the creation of the main window reads from kelmo.ini.
struct StartConfig {
  QString IBDBase;  // as written; empty or missing: see the main window
  bool IBDBaseGiven = false;
  QString KvillonPath;
  QString CSbase;
  bool CSbaseGiven = false;
  QString WHO = QStringLiteral("lpu");
  kelmo::WhoDetail WhoDetail;
  kelmo::PayKind PayKind = PayKind::Oms;
  QString AKTConStr;
  bool AktEnabled = false;
  bool DebugMessages = false;
  // Exactly "lpu": the reception button is shown and the combined report hidden.
  bool IsLpuRole() const { return WHO == QLatin1String("lpu"); }
  // The insurer's own exchange code, else 0.
  int OwnSmoCode() const { return WhoDetail.OwnSmoCode(); }
};

// The rules: Who_Detail not a whole number → 1; Oplat not a whole number or
// outside 1..7 → 1; OwnSmoCode 45001 for 2778, 45002 for 2779, else 0;
// AktEnabled when AKTConStr is not empty and WhoDetail is at least 2;
// DebugMessages when MyComp is exactly "true".
StartConfig ReadStartConfig(const IniFile& ini);

// Who_Detail as the reception reads it again during a run.
WhoDetail ReadWhoDetail(const IniFile& ini);

// The root of the registry folders (REPPATH) at this moment, trimmed
// (TrimText); `builtInRoot` when the key is missing.
QString ReadRepPath(const IniFile& ini, const QString& builtInRoot);

// The folders of the upload of all marked institutions: the work folder
// where each formation runs (key UploadTempPath) and the root below which
// every institution's upload folder lies (key UploadPath). A key that is
// missing or blank gives "SpATemp" or "VipNet" in the folder of kelmo.ini,
// the program's data folder, where a relative value lies too; "\" in a
// value is the path separator. Neither ends with a separator.
struct UploadFolders {
  QString WorkFolder;
  QString UploadRoot;
};
UploadFolders ReadUploadFolders(const IniFile& ini);

// ExcelPath from "Kelmo.ini" in the executable's folder (only read); empty
// when there is none.
QString ReadExcelPath(const QString& executableFolder);

}  // namespace kelmo
