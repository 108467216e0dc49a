// The documents' run values and the invoices' common head (see document_run.h).
#include "document_run.h"

#include <QDir>
#include <QFileInfo>

#include "document_workbook.h"
#include "domain/common.h"
#include "domain/report_parameters.h"
#include "domain/report_period.h"
#include "firebird/fb_query.h"

namespace kelmo {

workbook::ExcelApplication& DocumentRun::NewApplication() {
  Excel.reset();
  Excel = NewDocumentApplication();
  return *Excel;
}

workbook::ExcelApplication& DocumentRun::Application() {
  if (!Excel || Excel->HasQuit()) return NewApplication();
  return *Excel;
}

void DocumentRun::QuitApplication() {
  if (Excel && !Excel->HasQuit()) Excel->Quit();
  Excel.reset();
}

QDate DocumentRun::PeriodMonthEnd() const {
  return PeriodMonthEndOf(PeriodEnd);
}

QString DocumentRun::RegistryFile(const QString& name) const {
  return QDir(RegistryFolder).filePath(name);
}

QString DocumentRun::TempFile(const QString& name) const {
  return QDir(QDir(RegistryFolder).filePath(QStringLiteral("temp"))).filePath(name);
}

QString DocumentRun::Template(const QString& name) const {
  return TemplatePath(TemplateFolder, name);
}

QList<int> DocumentRun::ReportNumbers(Population population) const {
  QList<int> numbers;
  for (const rRepn& report : Reports[population]) numbers << report.Repn;
  return numbers;
}

void DocumentRun::BeginInvoices(int count) const {
  User.BeginPhase(QStringLiteral("Формирование счет-фактуры..."), count);
}

QString CareKindCaption(const DocumentRun& run, int stacType, bool byPackage) {
  QString caption = CareKindOfStacType(stacType);
  if (byPackage && run.XmlPackageMode) {
    if (run.HasRoundTheClock && run.HasDayHospital)
      caption = QStringLiteral("Круглосуточный и дневные стационары");
    else if (run.HasRoundTheClock)
      caption = QStringLiteral("стационарная медицинская помощь");
    else if (run.HasDayHospital)
      caption = QStringLiteral("Дневные стационары");
  }
  return caption;
}

QString InsurerListStatement(const QList<int>& reports, const QString& caseFilter) {
  return QStringLiteral(
             "select distinct s.polis, coalesce(c.comp_name, smo.name) comp_name "
             "from stacion s left join company c on c.comp_code = trim(s.polis) "
             "left join smo on cast(smo.o_cod as varchar(20)) = trim(s.polis) "
             "left join mtl m on m.id_ill = s.id_ill "
             "where s.repn in %1 and (m.oplat = :oplat) "
             "and (cast(:dopfond as integer) < 0 or coalesce(s.dopfond, 0) = :dopfond)%2 "
             "order by s.polis")
      .arg(ReportParameterList(reports), caseFilter);
}

InsurerGroups::InsurerGroups(const FbQuery& grouped) {
  const int column = grouped.FieldIndex(QStringLiteral("POLIS"));
  for (int row = 0; row < grouped.RecordCount(); ++row) {
    const QVariant polis = grouped.Value(row, column);
    if (polis.isNull())
      missing_ = row;
    else
      rows_.insert(Key(polis), row);
  }
}

void InsurerGroups::Select(FbQuery& grouped, const QVariant& polis) const {
  const int row = polis.isNull() ? missing_ : rows_.value(Key(polis), -1);
  grouped.setRecNo(row < 0 ? grouped.RecordCount() : row);
}

QString InsurerGroups::Key(const QVariant& polis) {
  QString code = polis.toString();
  qsizetype end = code.size();
  while (end > 0 && code.at(end - 1) == QLatin1Char(' ')) --end;
  code.truncate(end);
  return code;
}

QString InsurerLineText(const DocumentRun& run, const FbQuery& insurer) {
  QString name = TrimText(insurer.FieldByName(QStringLiteral("COMP_NAME")).toString());
  if (name.isEmpty()) name = QStringLiteral("Иногородние");
  return PeriodText(name + QStringLiteral(" с "), run.PeriodStart, run.PeriodEnd);
}

QString DayUnitOf(int stacType) {
  return DayUnitTextOf(StacTypeOfNumber(stacType));
}

QString FundTitle() {
  return QStringLiteral("ТФ ОМС Толвенской области");
}

QString OutOfRegionTitle(const DocumentRun& run) {
  return QStringLiteral("СЧЕТ № _____ от \"") + ShortDateText(run.PeriodMonthEnd()) +
         QStringLiteral(" \"");
}

void WriteInvoiceHead(const DocumentRun& run, workbook::Worksheet& sheet, const QString& careKind,
                      bool withTitle, bool withPeriodLine) {
  if (withTitle) sheet.SetText(1, 1, OutOfRegionTitle(run).toStdString());
  HeaderTexts texts;
  texts.CareKind = careKind;
  texts.FundTitle = FundTitle();
  WriteRequisitesHeader(sheet, run.Lpu, run.Fund, texts);
  if (withPeriodLine)
    sheet.SetText(16, 1,
                  PeriodText(QStringLiteral("Оказанная медицинская помощь с "), run.PeriodStart,
                             run.PeriodEnd)
                      .toStdString());
}

bool SaveDocument(const DocumentRun& run, DocumentWorkbook& document, const QString& path,
                  bool goOnWhenFailing) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  try {
    document.Save(path);
    return true;
  } catch (const DocumentSaveError& error) {
    if (!goOnWhenFailing) throw;
    run.User.Message(QStringLiteral("Ошибка"), QString::fromUtf8(error.what()),
                     RunMessageIcon::Error);
    return false;
  }
}

}  // namespace kelmo
