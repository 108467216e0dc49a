// The list of errors found in the case being checked (each becomes a
// sanction), the in-memory log that the user can save, and the block of
// program and database versions written into a protocol file.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace kelmo {

// One error of the current case.
struct rMEK {
  std::int32_t CaseId = 0;
  std::int16_t BasisCode = 0;  // the basis of the sanction, e.g. 52
  QString Text;
  std::uint8_t Kind = 1;  // 1 MEK, 2 MEE, 3 EKMP
};

// Appends the error (its text without the prefix) and sets result to
// prefix + text; callers pass the row's error text as both prefix and result.
void AddCaseError(QList<rMEK>& errors, const QString& prefix, const QString& text, int basisCode,
                  int caseId, QString& result, int kind);

// The in-memory log: created by its first line, discarded when saved.
class RunLog {
 public:
  // Adds a line; with clearFirst the log is emptied before.
  void AddLine(const QString& text, bool clearFirst);
  bool Active() const { return lines_.has_value(); }
  QStringList Lines() const { return lines_.value_or(QStringList()); }
  // Writes the log to folder + "/log_file_<dd.mm.yyyy hh_mm_ss>.txt" (an
  // empty folder: exeFolder) and discards it. Nothing is written when no line
  // was added since the last save; when the file cannot be created nothing is
  // written and the log is discarded all the same. Returns the file written,
  // or an empty text.
  QString Save(const QString& folder, const QString& exeFolder, const QDateTime& now);

 private:
  std::optional<QStringList> lines_;
};

// "log_file_15.03.2013 14_05_07.txt".
QString LogFileName(const QDateTime& now);

// The version block: five lines, or nine when receiving (the received
// package's versions first). A version text is program + "/" + database.
QStringList VersionBannerLines(const QString& currentExprVer, const QString& packageExprVer,
                               bool receiving);

// Inserts the version block at the line index (from 0) of a text file and
// saves it under the same path, keeping its encoding (UTF-8, or code page
// 1251 for a file that is not UTF-8) and its line ends. Raises
// std::runtime_error "Не удалось прочитать файл <path>" / "Не удалось записать
// файл <path>".
void WriteVersionBanner(const QString& path, int lineIndex, const QString& currentExprVer,
                        const QString& packageExprVer, bool receiving);

}  // namespace kelmo
