// How the combined act takes its acts: an act's text file read as untrusted
// input, and its lines copied onto the combined act's sheet. The acts are
// the text files the reception run writes (code page 1251, CR LF).
//
// Copying an act: from its first line holding "ЛПУ:" on, each line goes to
// column A of the next row, except
// - the head lines "ЛПУ:" (bold), "Вид оплаты:", "Отчет за период" and "База
//   данных", written only while the shared TDoubleRec says they are not yet;
// - the type's title "Тип стационара:", bold after an empty row;
// - the act's own signature line ("экономиста"), dropped;
// - the tables after "Обнаружены ошибки" and "Исполнение МЗ и сметы" and the
//   table whose head holds "|    Наименование СМО": a header row of
//   captions, a sheet row per table row with the cells between the "|" in
//   their columns, thin lines around and inside; the rules drawn inside a
//   table are not rows;
// - the out-of-region summary from "По иногородним:", written into column F
//   beside the local one (the rows from the last "По местным:"), up to its
//   line "Разница в койко-днях:", the empty line that closes it, or 11
//   lines; without a local summary it is dropped.
//
// Errors: CombinedActError naming the file; the workbook layer's
// WorkbookError for rows beyond the sheet.
#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

#include "workbook/excel_application.h"

namespace kelmo {

// Which head lines of the acts are already in the combined act; one per
// combined act, shared by its acts, so each of these lines appears once.
struct TDoubleRec {
  bool LpuLineDone = false;       // "ЛПУ:"
  bool PayKindLineDone = false;   // "Вид оплаты:"
  bool PeriodLineDone = false;    // "Отчет за период"
  bool DatabaseLineDone = false;  // "База данных"
};

// A failure the viewer shows in a message box with the error icon.
class CombinedActError : public std::runtime_error {
 public:
  CombinedActError(const QString& caption, const QString& text);
  const QString& Caption() const { return caption_; }
  const QString& Text() const { return text_; }

 private:
  QString caption_;
  QString text_;
};

// The largest act read.
inline constexpr qint64 kMaxActBytes = 32 * 1024 * 1024;

// The act's lines as stored (code page 1251, line ends dropped).
// CombinedActError (caption "Ошибка") naming the file: "Файл не найден
// <path>" when it is missing, "Не удалось прочитать файл <path>: <why>" when
// it is not a regular file, larger than kMaxActBytes or unreadable.
QStringList ReadActFile(const QString& path);

// Copies one act's lines onto the active sheet of the application from
// `row` on, which it leaves at the row after the act's last one. An act
// without a line holding "ЛПУ:" contributes nothing.
void AppendProtocolToAct(workbook::ExcelApplication& app, const QStringList& lines,
                         TDoubleRec& flags, int& row);

}  // namespace kelmo
