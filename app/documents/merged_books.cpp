// The two open workbooks of a merge and the cells as the merges read them.
#include "merged_books.h"

#include <QFileInfo>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "document_workbook.h"
#include "domain/common.h"
#include "domain/run_user.h"
#include "workbook/cell_address.h"
#include "workbook/workbook_error.h"

namespace kelmo {

namespace {

// Larger amounts do not fit the money type's ten-thousandths; an integer past
// this is no longer exact in a double.
constexpr double kLargestMoney = 9.0e14;
constexpr double kLargestInteger = 9.0e15;

// A merge reads and writes workbooks of other programs: only a regular file
// is opened, never a link or a device.
std::string RegularFile(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists() && !info.isSymLink())
    throw CombinedBookError(QStringLiteral("Файл не найден: ") + path);
  if (info.isSymLink() || !info.isFile())
    throw CombinedBookError(path + QStringLiteral(": не является обычным файлом"));
  return path.toStdString();
}

}  // namespace

CombinedBookError::CombinedBookError(const QString& text)
    : std::runtime_error(text.toStdString()) {}

MergedBooks::MergedBooks(CombinedBooksSession& session, const QString& basePath,
                         const QString& otherPath)
    : session_(session), basePath_(basePath), otherPath_(otherPath) {
  // Whatever an earlier merge left open is not part of this one.
  Close();
  try {
    base_ = &session_.BaseExcel.Open(RegularFile(basePath)).ActiveSheet();
    if (!otherPath.isEmpty())
      other_ = &session_.OtherExcel.Open(RegularFile(otherPath)).ActiveSheet();
  } catch (...) {
    Close();
    throw;
  }
}

MergedBooks::~MergedBooks() {
  // Closing without saving only drops workbooks from memory; a destructor
  // must not raise all the same.
  try {
    Close();
  } catch (const std::exception&) {
  }
}

workbook::Worksheet& MergedBooks::Other() {
  if (!other_) throw CombinedBookError(QStringLiteral("Файл не найден: ") + otherPath_);
  return *other_;
}

void MergedBooks::Close() {
  for (workbook::ExcelApplication* app : {&session_.BaseExcel, &session_.OtherExcel}) {
    app->SetDisplayAlerts(false);
    app->CloseAll();
  }
  base_ = nullptr;
  other_ = nullptr;
}

void MergedBooks::SaveBase() {
  session_.OtherExcel.SetDisplayAlerts(false);
  session_.OtherExcel.CloseAll();
  other_ = nullptr;
  session_.BaseExcel.SetDisplayAlerts(false);
  SaveDocumentFile(session_.BaseExcel.ActiveWorkbook(), basePath_);
  Close();
}

void ShowRefusal(RunUser& user, const QString& text) {
  user.Message(QStringLiteral("Ошибка"), text, RunMessageIcon::Error);
}

QString RefusalDetail(const QString& text, const QString& path, const QString& what) {
  return text + QLatin1Char('\n') + path + QStringLiteral(": ") + what;
}

QString CellText(const workbook::Worksheet& sheet, int row, int column) {
  return QString::fromStdString(sheet.Text(row, column));
}

bool CellHoldsUpper(const workbook::Worksheet& sheet, int row, int column, const QString& word) {
  return TrimText(CellText(sheet, row, column)).toUpper().contains(word);
}

bool CellHoldsLower(const workbook::Worksheet& sheet, int row, int column, const QString& word) {
  return TrimText(CellText(sheet, row, column)).toLower().contains(word);
}

std::optional<int> FindRowDown(const workbook::Worksheet& sheet, int firstRow,
                               const std::function<bool(int row)>& holds) {
  for (int row = firstRow, last = sheet.LastRow(); row <= last; ++row)
    if (holds(row)) return row;
  return std::nullopt;
}

void ThrowNotANumber(const workbook::Worksheet& sheet, int row, int column, const QString& path) {
  throw CombinedBookError(path + QStringLiteral(": в ячейке ") +
                          QString::fromStdString(workbook::FormatCell(row, column)) +
                          QStringLiteral(" не число: '") + CellText(sheet, row, column) +
                          QLatin1Char('\''));
}

double CellNumber(const workbook::Worksheet& sheet, int row, int column, const QString& path) {
  try {
    return sheet.Value(row, column).Number();
  } catch (const workbook::WorkbookError&) {
    ThrowNotANumber(sheet, row, column, path);
  }
}

qint64 CellInteger(const workbook::Worksheet& sheet, int row, int column, const QString& path) {
  const double value = CellNumber(sheet, row, column, path);
  if (value != std::trunc(value) || std::fabs(value) > kLargestInteger)
    ThrowNotANumber(sheet, row, column, path);
  return static_cast<qint64>(value);
}

Money CellMoney(const workbook::Worksheet& sheet, int row, int column, const QString& path) {
  const double value = CellNumber(sheet, row, column, path);
  if (std::fabs(value) > kLargestMoney) ThrowNotANumber(sheet, row, column, path);
  return Money::FromDouble(value);
}

double GeneralNumber(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", value);
  return std::strtod(text, nullptr);
}

}  // namespace kelmo
