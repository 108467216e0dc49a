// Copying the acts' lines into the combined act (see combined_act_copy.h).
#include "combined_act_copy.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <vector>

#include "excel_range.h"
#include "workbook/cell_address.h"
#include "workbook/workbook_error.h"

namespace kelmo {

namespace {

using workbook::MakeRange;
using workbook::Worksheet;

QString ErrorCaption() {
  return QStringLiteral("Ошибка");
}

// How one kind of an act's tables is copied: the captions of its header row,
// the lines between the line that starts it and its first row, and what
// follows its rows.
struct TableLayout {
  std::vector<const char*> captions;
  // The name cell spans A:B, so cell 2 goes to C; otherwise cell k to column k.
  bool nameSpansAB;
  // The last cell spans to column H (the error text).
  bool lastSpansToH;
  // The header's captions wrap and are centred both ways.
  bool centredHeader;
  int linesBeforeRows;
  int linesAfterRows;
  int rowsAfter;
};

// The error sections: case history, surname, amount and the error text.
const TableLayout kErrorTable{
    {"Ист.бол.", "Фамилия", "Сумма", "Ошибка:"}, false, true, false, 4, 2, 1};
// The plan-execution table; its columns are the act's: the indicator, the
// plan (МЗ), the base-tariff cost presented, its local and out-of-region
// parts and the plan's execution.
const TableLayout kPlanTable{
    {"Показатели", "МЗ", "Предъявлено", "в т.ч. местные", "в т.ч. иногорд.", "%исп. МЗ"},
    true,
    false,
    false,
    4,
    2,
    1};
// The sums by insurer; its columns are the act's: the insurer, the
// territorial programme's sum and its base and additional tariff parts.
const TableLayout kInsurerTable{
    {"Наименование СМО", "За счет терр. прогр.", "Базовый тариф", "Доп. тариф"},
    true,
    false,
    true,
    3,
    1,
    2};

// The column of a table row's cell (1-based).
int CellColumn(const TableLayout& layout, int cell) {
  return layout.nameSpansAB && cell > 1 ? cell + 1 : cell;
}

int LastColumn(const TableLayout& layout) {
  if (layout.lastSpansToH) return 8;
  return CellColumn(layout, static_cast<int>(layout.captions.size()));
}

// The cells of a table row: the line trimmed, its first character dropped,
// then each cell the trimmed text before the next "|". A last cell without
// its closing "|" is the trimmed rest.
QStringList RowCells(const QString& line, int count) {
  QString rest = line.trimmed().mid(1);
  QStringList cells;
  for (int i = 0; i < count; ++i) {
    const qsizetype bar = rest.indexOf(QLatin1Char('|'));
    if (bar < 0) {
      cells << rest.trimmed();
      rest.clear();
    } else {
      cells << rest.left(bar).trimmed();
      rest = rest.mid(bar + 1);
    }
  }
  return cells;
}

bool IsTableRow(const QString& line) {
  return line.startsWith(QLatin1Char('|'));
}

// A rule drawn inside a table ("|-----|----|"): no figures of its own.
bool IsRuleRow(const QString& line) {
  bool dash = false;
  for (const QChar c : line) {
    if (c == QLatin1Char('-') || c == QLatin1Char('='))
      dash = true;
    else if (c != QLatin1Char('|') && c != QLatin1Char('+') && !c.isSpace())
      return false;
  }
  return dash;
}

// The copy of one act: its lines, the line now read, and the sheet's rows.
class ActCopy {
 public:
  ActCopy(workbook::ExcelApplication& app, const QStringList& lines, TDoubleRec& flags, int& row)
      : app_(app), sheet_(app.ActiveSheet()), lines_(lines), flags_(flags), row_(row) {}

  void Run() {
    firstRow_ = row_;
    const qsizetype count = lines_.size();
    i_ = 0;
    while (i_ < count && !lines_[i_].trimmed().contains(QStringLiteral("ЛПУ:"))) ++i_;
    for (; i_ < count; ++i_) {
      const QString& line = lines_[i_];
      // The act's own signature line; the combined act has one at its end.
      if (line.contains(QStringLiteral("экономиста"))) continue;
      if (line.contains(QStringLiteral("По местным:"))) localRow_ = row_;
      Handle(line);
    }
  }

 private:
  void Handle(const QString& line) {
    const auto has = [&line](const char* text) { return line.contains(QString::fromUtf8(text)); };
    if (has("ЛПУ:")) {
      if (Once(flags_.LpuLineDone)) {
        Bold(row_);
        WriteNext(line);
      }
    } else if (has("Вид оплаты:")) {
      if (Once(flags_.PayKindLineDone)) WriteNext(line);
    } else if (has("Отчет за период")) {
      if (Once(flags_.PeriodLineDone)) WriteNext(line);
    } else if (has("Тип стационара:")) {
      // The type's title, after an empty row.
      ++row_;
      Bold(row_);
      WriteNext(line);
    } else if (has("База данных")) {
      if (Once(flags_.DatabaseLineDone)) WriteNext(line);
    } else if (has("Обнаружены ошибки")) {
      WriteNext(line);
      CopyTable(kErrorTable);
    } else if (has("По иногородним:")) {
      // The out-of-region figures stand beside the local ones; without
      // local ones they are dropped.
      if (localRow_ != -1) {
        CopyOutOfRegionSummary();
        StepBack();
      }
    } else if (has("|    Наименование СМО")) {
      // The rule above the head was written as a line; the header takes its row.
      StepBack();
      CopyTable(kInsurerTable);
    } else if (has("Исполнение МЗ и сметы")) {
      WriteNext(line);
      CopyTable(kPlanTable);
    } else {
      WriteNext(line);
    }
  }

  // One row back, onto the line written last (the empty line before the
  // out-of-region summary, the rule above the insurers' head); never above
  // the act's first row, whatever the act holds.
  void StepBack() {
    if (row_ > firstRow_) --row_;
  }

  // True, and the flag set, the first time.
  static bool Once(bool& done) {
    if (done) return false;
    done = true;
    return true;
  }

  void Write(int row, int column, const QString& text) {
    sheet_.SetText(row, column, text.toStdString());
  }
  void WriteNext(const QString& line) {
    Write(row_, 1, line);
    ++row_;
  }
  void Bold(int row) {
    workbook::FontChange bold;
    bold.bold = true;
    sheet_.SetFont(MakeRange(row, 1, row, 1), bold);
  }

  // The table whose starting line is the current one: its header at the
  // current row, a sheet row for each of its rows, a grid around and inside
  // all of it. The line index stays on the last line the table takes, the
  // row goes past the table.
  void CopyTable(const TableLayout& layout) {
    const int header = row_;
    const int last = LastColumn(layout);
    const int count = static_cast<int>(layout.captions.size());
    SpanRow(layout, header);
    for (int c = 0; c < count; ++c)
      Write(header, CellColumn(layout, c + 1), QString::fromUtf8(layout.captions[c]));
    if (layout.centredHeader) {
      workbook::AlignmentChange centred;
      centred.horizontal = workbook::HorizontalAlignment::Center;
      centred.vertical = workbook::VerticalAlignment::Center;
      centred.wrap = true;
      sheet_.SetAlignment(MakeRange(header, 1, header, last), centred);
    }
    const qsizetype lineCount = lines_.size();
    i_ = std::min(i_ + layout.linesBeforeRows, lineCount);
    for (; i_ < lineCount && IsTableRow(lines_[i_]); ++i_) {
      if (IsRuleRow(lines_[i_])) continue;
      ++row_;
      SpanRow(layout, row_);
      const QStringList cells = RowCells(lines_[i_], count);
      for (int c = 0; c < count; ++c) Write(row_, CellColumn(layout, c + 1), cells[c]);
    }
    i_ = std::min(i_ + layout.linesAfterRows, lineCount);
    GridCells(app_, header, 1, row_, last);
    row_ += layout.rowsAfter;
  }

  void SpanRow(const TableLayout& layout, int row) {
    if (layout.nameSpansAB) sheet_.Merge(MakeRange(row, 1, row, 2));
    if (layout.lastSpansToH) {
      const int first = CellColumn(layout, static_cast<int>(layout.captions.size()));
      sheet_.Merge(MakeRange(row, first, row, 8));
    }
  }

  // From the line "По иногородним:" on, into column F from the local
  // summary's row down, up to the line with "Разница в койко-днях:", the
  // empty line that ends the summary, or 11 lines; the line index stays on
  // the last line copied.
  void CopyOutOfRegionSummary() {
    constexpr int kMaxLines = 11;
    qsizetype last = i_;
    for (int n = 0; n < kMaxLines && i_ + n < lines_.size(); ++n) {
      const QString& line = lines_[i_ + n];
      if (n > 0 && line.trimmed().isEmpty()) break;
      last = i_ + n;
      Write(localRow_ + n, 6, line);
      if (line.contains(QStringLiteral("Разница в койко-днях:"))) break;
    }
    i_ = last;
  }

  workbook::ExcelApplication& app_;
  Worksheet& sheet_;
  const QStringList& lines_;
  TDoubleRec& flags_;
  int& row_;
  qsizetype i_ = 0;
  int localRow_ = -1;
  int firstRow_ = 0;
};

QString NotFoundText(const QString& path) {
  return QStringLiteral("Файл не найден %1").arg(path);
}

}  // namespace

CombinedActError::CombinedActError(const QString& caption, const QString& text)
    : std::runtime_error(text.toStdString()), caption_(caption), text_(text) {}

QStringList ReadActFile(const QString& path) {
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists()) throw CombinedActError(ErrorCaption(), NotFoundText(path));
  const auto refuse = [&path](const QString& why) {
    return CombinedActError(ErrorCaption(),
                            QStringLiteral("Не удалось прочитать файл %1: %2").arg(path, why));
  };
  // Only a regular file, looked at again once open, so that nothing put in
  // its place in between (a FIFO, a device) is read.
  if (!info.isFile()) throw refuse(QStringLiteral("это не обычный файл"));
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw refuse(file.errorString());
  struct stat st {};
  if (::fstat(file.handle(), &st) != 0 || !S_ISREG(st.st_mode))
    throw refuse(QStringLiteral("это не обычный файл"));
  const QString tooLarge = QStringLiteral("файл больше %1 байт").arg(kMaxActBytes);
  if (st.st_size > kMaxActBytes) throw refuse(tooLarge);
  // Read in pieces up to the bound (the file may still grow), so that no
  // buffer of the bound's size is made for a small act.
  constexpr qint64 kPiece = 64 * 1024;
  QByteArray bytes;
  bytes.reserve(static_cast<qsizetype>(st.st_size));
  for (;;) {
    const QByteArray piece = file.read(kPiece);
    if (piece.isEmpty()) break;
    bytes += piece;
    if (bytes.size() > kMaxActBytes) throw refuse(tooLarge);
  }
  if (file.error() != QFileDevice::NoError) throw refuse(file.errorString());
  QStringDecoder decode("windows-1251");
  const QString text = decode(bytes);
  QStringList lines = text.split(QLatin1Char('\n'));
  // The line after the last line end is not a line.
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  for (QString& line : lines)
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  return lines;
}

void AppendProtocolToAct(workbook::ExcelApplication& app, const QStringList& lines,
                         TDoubleRec& flags, int& row) {
  ActCopy(app, lines, flags, row).Run();
}

}  // namespace kelmo
