// Case-blind file look-ups.
#include "file_lookup.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace kelmo {

bool MatchesFileMask(const QString& name, const QString& mask) {
  // Greedy matcher with one back-track point for the last "*".
  qsizetype n = 0, m = 0, starM = -1, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == u'*') {
      starM = m++;
      starN = n;
    } else if (m < mask.size() &&
               (mask[m] == u'?' || mask[m].toCaseFolded() == name[n].toCaseFolded())) {
      ++m;
      ++n;
    } else if (starM >= 0) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == u'*') ++m;
  return m == mask.size();
}

QStringList FindFilesNoCase(const QString& folder, const QString& mask) {
  QDir dir(folder);
  QStringList result;
  if (!dir.exists()) return result;
  const QFileInfoList entries =
      dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
  for (const QFileInfo& info : entries) {
    if (MatchesFileMask(info.fileName(), mask)) result.append(info.fileName());
  }
  std::sort(result.begin(), result.end(), [](const QString& a, const QString& b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
  });
  return result;
}

QString FindFileNoCase(const QString& folder, const QString& name) {
  QDir dir(folder);
  if (name.isEmpty() || !dir.exists()) return {};
  if (QFileInfo::exists(dir.filePath(name))) return dir.filePath(name);
  const QStringList entries = dir.entryList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& entry : entries) {
    if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
  }
  return {};
}

}  // namespace kelmo
