// The institution's workbooks of a pass: presence, the cells read, totals.
#include "institution_workbooks.h"

#include <cmath>
#include <optional>

#include "domain/common.h"
#include "filenames/file_lookup.h"
#include "reception_checks.h"
#include "workbook/excel_application.h"
#include "workbook/workbook_error.h"
#include "workbook/worksheet.h"

namespace kelmo {

namespace {

using workbook::CellValue;
using workbook::Worksheet;

const QString kTotal = QStringLiteral("ВСЕГО");

QString CellText(const Worksheet& sheet, int row, int column) {
  return QString::fromStdString(sheet.Text(row, column));
}

// A cell holds the total's caption when its text, in upper case, has
// "ВСЕГО" anywhere in it (trimming changes nothing about that).
bool HasTotalCaption(const Worksheet& sheet, int row, int column = 1) {
  return TrimText(CellText(sheet, row, column)).toUpper().contains(kTotal);
}

bool IsBlank(const Worksheet& sheet, int row, int column) {
  return TrimText(CellText(sheet, row, column)).isEmpty();
}

// A cell's numeric value; an empty cell is 0. A text that is not a number
// gives nothing: the workbook then counts as having the wrong layout rather
// than ending the run with a conversion error.
std::optional<double> NumberOf(const Worksheet& sheet, int row, int column) {
  const CellValue value = sheet.Value(row, column);
  try {
    return value.Number();
  } catch (const workbook::WorkbookError&) {
    return std::nullopt;
  }
}

std::optional<Money> SumOf(const Worksheet& sheet, int row, int column) {
  const auto number = NumberOf(sheet, row, column);
  if (!number) return std::nullopt;
  return Money::FromDouble(*number);
}

std::optional<int> BedDaysOf(const Worksheet& sheet, int row, int column) {
  const auto number = NumberOf(sheet, row, column);
  if (!number || std::fabs(*number) > 2.0e9) return std::nullopt;
  // As a variant becomes an integer: to the nearest, a half to the even one.
  return static_cast<int>(std::nearbyint(*number));
}

// Opens a workbook in the application and closes every open workbook when
// the reading is over, whatever way it ends.
class OpenWorkbook {
 public:
  OpenWorkbook(workbook::ExcelApplication& excel, const QString& path) : excel_(excel) {
    sheet_ = &excel_.Open(path.toStdString()).ActiveSheet();
  }
  ~OpenWorkbook() {
    // Closing cannot fail after a successful open; a destructor must not
    // raise all the same.
    try {
      excel_.CloseAll();
    } catch (const workbook::WorkbookError&) {
    }
  }
  OpenWorkbook(const OpenWorkbook&) = delete;
  OpenWorkbook& operator=(const OpenWorkbook&) = delete;
  const Worksheet& Sheet() const { return *sheet_; }

 private:
  workbook::ExcelApplication& excel_;
  const Worksheet* sheet_ = nullptr;
};

// The presence check: required workbooks make a file problem, the others
// only their line.
bool CheckPresence(const WorkbookFinder& find, const QStringList& required, const QString& noted,
                   QStringList& lines) {
  bool missing = false;
  for (const QString& name : required) {
    if (!find(name).isEmpty()) continue;
    lines << QStringLiteral("Отсутствует файл ") + name;
    missing = true;
  }
  if (find(noted).isEmpty()) lines << QStringLiteral("Отсутствует файл ") + noted;
  return missing;
}

// An optional invoice: its total row and its sum column.
struct OptionalInvoice {
  QString suffix;
  int row;  // 0: the first row from 1 to 10000 whose first column has the caption
  int column;
};

// Reads one optional invoice; nothing when it has the wrong layout.
std::optional<Money> ReadOptionalInvoice(workbook::ExcelApplication& excel, const QString& path,
                                         const OptionalInvoice& invoice) {
  OpenWorkbook book(excel, path);
  const Worksheet& sheet = book.Sheet();
  int row = invoice.row;
  if (row == 0) {
    for (int r = 1; r <= 10000 && row == 0; ++r)
      if (HasTotalCaption(sheet, r)) row = r;
    if (row == 0) return std::nullopt;
  }
  if (IsBlank(sheet, row, invoice.column) || !HasTotalCaption(sheet, row)) return std::nullopt;
  return SumOf(sheet, row, invoice.column);
}

// Reads each optional invoice "<stem><suffix>.xls" that is present and hands
// its sum to `add`; one with the wrong layout marks the reading and names the
// file instead.
template <size_t N, typename Add>
void ReadOptionalInvoices(workbook::ExcelApplication& excel, const WorkbookFinder& find,
                          const QString& stem, const OptionalInvoice (&invoices)[N],
                          WorkbookReading& result, bool& layoutProblem, Add add) {
  for (const OptionalInvoice& invoice : invoices) {
    const QString name = stem + invoice.suffix + QStringLiteral(".xls");
    const QString path = find(name);
    if (path.isEmpty()) continue;
    const auto sum = ReadOptionalInvoice(excel, path, invoice);
    if (!sum) {
      layoutProblem = true;
      result.FailingName = QStringLiteral("\\") + name;
      continue;
    }
    add(invoice, *sum);
  }
}

}  // namespace

QString FindInstitutionWorkbook(const QString& folder, const QString& xlsName) {
  QString found = FindFileNoCase(folder, xlsName);
  if (found.isEmpty()) found = FindFileNoCase(folder, xlsName + QLatin1Char('x'));
  return found;
}

WorkbookReading ReadLocalWorkbooks(workbook::ExcelApplication& excel, const WorkbookFinder& find,
                                   int stacType, bool attached) {
  WorkbookReading result;
  const QString n = QString::number(stacType);
  const QString invoiceName = QStringLiteral("sfakt") + n + QStringLiteral(".xls");
  const QString registerName = QStringLiteral("sreestr") + n + QStringLiteral(".xls");
  if (CheckPresence(find, {invoiceName, registerName},
                    QStringLiteral("profils") + n + QStringLiteral(".xls"), result.ActLines)) {
    result.Problem = WorkbookProblem::FilesMissing;
    return result;
  }

  bool layoutProblem = false;
  {
    OpenWorkbook book(excel, find(invoiceName));
    const Worksheet& sheet = book.Sheet();
    const auto bedDays = BedDaysOf(sheet, 17, 3);
    const auto sum = SumOf(sheet, 17, 8);
    if (HasTotalCaption(sheet, 17) && bedDays && sum) {
      result.LpuInvoiceBedDays = *bedDays;
      result.LpuInvoiceSum = *sum;
      result.BaseSum = *sum;
    } else {
      layoutProblem = true;
      result.FailingName = QStringLiteral("\\") + invoiceName;
    }
  }

  // An attached day hospital invoices what its register totals, net of the
  // services it is paid for under the attachment.
  const bool attachedDayHospital = stacType > 1 && attached && result.LpuInvoiceBedDays > 0;
  if (attachedDayHospital) {
    OpenWorkbook book(excel, find(registerName));
    const Worksheet& sheet = book.Sheet();
    int totalRow = 0;
    for (int r = 8; r <= 14999 && totalRow == 0; ++r)
      if (TrimText(CellText(sheet, r, 3)).toUpper().contains(QStringLiteral("ИТОГО"))) totalRow = r;
    const int row = totalRow + 1;
    const auto col15 = totalRow > 0 ? NumberOf(sheet, row, 15) : std::nullopt;
    const auto col17 = totalRow > 0 ? NumberOf(sheet, row, 17) : std::nullopt;
    if (totalRow == 0 || IsBlank(sheet, row, 14) || !col15 || !col17) {
      result.Problem = WorkbookProblem::RegisterLayout;
      return result;
    }
    result.LpuInvoiceSum = Money::FromDouble(IsBlank(sheet, row, 17) ? *col15 : *col15 - *col17);
    result.BaseSum = result.LpuInvoiceSum;
  }

  const OptionalInvoice optional[] = {
      {QStringLiteral("_FF"), 18, 9},
      {QStringLiteral("_ON"), 17, 8},
      {QStringLiteral("_TF"), 18, 9},
      {QStringLiteral("_TR"), 17, 9},
  };
  ReadOptionalInvoices(excel, find, QStringLiteral("sfakt") + n, optional, result, layoutProblem,
                       [&](const OptionalInvoice& invoice, Money sum) {
                         if (invoice.suffix == QStringLiteral("_ON")) {
                           if (stacType == 1 || !attached) result.LpuInvoiceSum += sum;
                           result.ExtraSum = sum;
                         } else {
                           result.LpuInvoiceSum += sum;
                         }
                       });

  if (attachedDayHospital) result.BaseSum -= result.ExtraSum;
  if (layoutProblem) result.Problem = WorkbookProblem::InvoiceLayout;
  return result;
}

WorkbookReading ReadOutOfRegionWorkbooks(workbook::ExcelApplication& excel,
                                         const WorkbookFinder& find, int stacType) {
  WorkbookReading result;
  const QString n = QString::number(stacType);
  const QString invoiceName = QStringLiteral("sfakti") + n + QStringLiteral(".xls");
  if (CheckPresence(find, {invoiceName, QStringLiteral("sreestri") + n + QStringLiteral(".xls")},
                    QStringLiteral("profilsi") + n + QStringLiteral(".xls"), result.ActLines)) {
    result.Problem = WorkbookProblem::FilesMissing;
    return result;
  }

  bool layoutProblem = false;
  {
    OpenWorkbook book(excel, find(invoiceName));
    const Worksheet& sheet = book.Sheet();
    // The total row has no fixed place: the first from row 10 down, up to
    // the sheet's last row.
    int totalRow = 0;
    for (int r = 10; r <= sheet.LastRow() && totalRow == 0; ++r)
      if (HasTotalCaption(sheet, r)) totalRow = r;
    const auto bedDays = totalRow > 0 ? BedDaysOf(sheet, totalRow, 3) : std::nullopt;
    const auto sum = totalRow > 0 ? SumOf(sheet, totalRow, 8) : std::nullopt;
    if (totalRow == 0 || IsBlank(sheet, totalRow, 3) || IsBlank(sheet, totalRow, 8) || !bedDays ||
        !sum) {
      layoutProblem = true;
      result.FailingName = QStringLiteral("\\") + invoiceName;
    }
    result.LpuInvoiceBedDays = bedDays.value_or(0);
    result.LpuInvoiceSum = sum.value_or(Money());
    result.BaseSum = result.LpuInvoiceSum;
  }

  const OptionalInvoice optional[] = {
      {QStringLiteral("_FF"), 18, 9},
      {QStringLiteral("_ON"), 0, 8},
      {QStringLiteral("_TF"), 18, 9},
  };
  ReadOptionalInvoices(excel, find, QStringLiteral("sfakti") + n, optional, result, layoutProblem,
                       [&](const OptionalInvoice& invoice, Money sum) {
                         result.LpuInvoiceSum += sum;
                         if (invoice.suffix == QStringLiteral("_ON")) result.ExtraSum = sum;
                       });

  if (layoutProblem) result.Problem = WorkbookProblem::InvoiceLayout;
  return result;
}

QString RegisterLayoutStopLine(int stacType) {
  return QStringLiteral("Неверный формат файла реестра sreestr") + QString::number(stacType) +
         QStringLiteral(".xls! Дальнейший прием невозможен.");
}

QString InvoiceLayoutStopLine(const QString& failingName) {
  return QStringLiteral("Неверный формат файла счет-фактуры ") + failingName +
         QStringLiteral("! Дальнейший прием невозможен.");
}

// --- The run's entry points ---

namespace {

WorkbookCheckResult Outcome(const WorkbookReading& reading) {
  WorkbookCheckResult result;
  switch (reading.Problem) {
    case WorkbookProblem::None:
      result.Outcome = WorkbookOutcome::Passed;
      break;
    case WorkbookProblem::FilesMissing:
      result.Outcome = WorkbookOutcome::FilesMissing;
      break;
    case WorkbookProblem::RegisterLayout:
      result.Outcome = WorkbookOutcome::RegisterLayout;
      break;
    case WorkbookProblem::InvoiceLayout:
      result.Outcome = WorkbookOutcome::InvoiceLayout;
      break;
  }
  result.FailingName = reading.FailingName;
  return result;
}

workbook::ExcelApplication& ExcelOf(const ReceptionContext& ctx) {
  if (ctx.Excel == nullptr) throw workbook::WorkbookError("Не найден Excel!");
  return *ctx.Excel;
}

}  // namespace

WorkbookCheckResult CheckLocalWorkbooks(const ReceptionContext& ctx) {
  const WorkbookReading reading = ReadLocalWorkbooks(
      ExcelOf(ctx), [&ctx](const QString& name) { return ctx.FindInstitutionWorkbook(name); },
      Number(ctx.StacType), ctx.LpuAttach == 1);
  ctx.Act().WriteLines(reading.ActLines);
  ReceptionState& state = ctx.State;
  state.LpuInvoiceSum = reading.LpuInvoiceSum;
  state.LpuInvoiceBedDays = reading.LpuInvoiceBedDays;
  state.Pass[Population::Local].InvoiceBaseSum = reading.BaseSum;
  state.Pass[Population::Local].InvoiceExtraSum = reading.ExtraSum;
  return Outcome(reading);
}

WorkbookCheckResult CheckOutOfRegionWorkbooks(const ReceptionContext& ctx) {
  const WorkbookReading reading = ReadOutOfRegionWorkbooks(
      ExcelOf(ctx), [&ctx](const QString& name) { return ctx.FindInstitutionWorkbook(name); },
      Number(ctx.StacType));
  ctx.Act().WriteLines(reading.ActLines);
  ReceptionState& state = ctx.State;
  state.LpuInvoiceSum = reading.LpuInvoiceSum;
  state.LpuInvoiceBedDays = reading.LpuInvoiceBedDays;
  state.Pass[Population::OutOfRegion].InvoiceBaseSum = reading.BaseSum;
  state.Pass[Population::OutOfRegion].InvoiceExtraSum = reading.ExtraSum;
  return Outcome(reading);
}

}  // namespace kelmo
