// What the registers of a formation share (see register_common.h).
#include "register_common.h"

#include <QDir>

#include "document_header.h"
#include "domain/common.h"
#include "domain/run_state.h"

namespace kelmo {

std::array<int, 4> RegisterReportNumbers(const QList<rRepn>& reports) {
  std::array<int, 4> numbers{};
  for (size_t k = 0; k < numbers.size(); ++k) {
    if (reports.isEmpty()) break;
    const qsizetype index = std::min<qsizetype>(static_cast<qsizetype>(k), reports.size() - 1);
    numbers[k] = reports[index].Repn;
  }
  return numbers;
}

QString RegisterCareKind(const RegisterInputs& in) {
  if (in.XmlPackageMode) {
    if (in.HasRoundTheClock && in.HasDayHospital)
      return QStringLiteral("Круглосуточный и дневные стационары");
    if (in.HasRoundTheClock) return QStringLiteral("Круглосуточный стационар");
    if (in.HasDayHospital) return QStringLiteral("Дневные стационары");
  }
  return RegisterCareKindOf(in.Stac);
}

QString RegisterCareKindOf(StacType type) {
  switch (type) {
    case StacType::RoundTheClock:
      break;
    case StacType::DayAtPolyclinic:
      return QStringLiteral("дневной стационар при поликлинике");
    case StacType::AtHome:
      return QStringLiteral("дневной стационар на дому");
    case StacType::DayAtHospital:
      return QStringLiteral("дневной стационар при стационаре");
  }
  return QStringLiteral("круглосуточный стационар");
}

QString RegisterPeriodTitle(const QString& title, const RegisterInputs& in) {
  return PeriodText(title + QStringLiteral(" с "), in.PeriodStart, in.PeriodEnd);
}

QString RegisterHeading(const RegisterInputs& in, const QString& careKind,
                        RegisterVariant variant) {
  return TrimText(in.LpuName) + QStringLiteral(" (") + careKind +
         (variant == RegisterVariant::OutOfRegion ? QStringLiteral(", иногороднее население)")
                                                  : QStringLiteral(", местное население)"));
}

QString RegisterFileName(const RegisterInputs& in, RegisterVariant variant, const QString& stem,
                         const QString& suffix, const QString& registryName) {
  if (variant == RegisterVariant::Insurer) {
    const QDir folder(in.Insurer.DocumentFolder);
    if (!in.XmlPackageMode) return folder.filePath(registryName);
    return folder.filePath(stem + suffix + QLatin1Char('(') + in.PayFolderWord +
                           QStringLiteral(")_") + in.Insurer.ShortName + QStringLiteral(".xlsx"));
  }
  const QDir registry(in.RegistryFolder);
  if (!in.XmlPackageMode) return registry.filePath(registryName);
  const QString folder = variant == RegisterVariant::OutOfRegion
                             ? QStringLiteral("temp/Иногородние")
                             : QStringLiteral("temp");
  return registry.filePath(folder + QLatin1Char('/') + stem + suffix + QLatin1Char('(') +
                           in.PayFolderWord + QStringLiteral(").xlsx"));
}

QString RegisterTemplate(const RegisterInputs& in, RegisterVariant variant,
                         const QString& templateName) {
  const QString path = TemplatePath(in.TemplateFolder, templateName);
  if (variant == RegisterVariant::OutOfRegion || variant == RegisterVariant::Insurer)
    return TemplatePresent(path) ? path : QString();
  RequireTemplate(path);
  return path;
}

std::unique_ptr<DocumentWorkbook> OpenRegisterTemplate(workbook::ExcelApplication& excel,
                                                       const QString& templ, int lastRow,
                                                       int lastColumn, const QString& what) {
  auto book = std::make_unique<DocumentWorkbook>(excel, templ);
  const workbook::Worksheet& sheet = book->Sheet();
  if (sheet.LastRow() < lastRow || sheet.LastColumn() < lastColumn)
    throw DocumentStop(
        DocumentStopKind::ExcelUnavailable, QStringLiteral("Ошибка!"),
        ExcelUnavailableText(templ + QStringLiteral(": в шаблоне нет строк ") + what));
  return book;
}

RegisterVariant RegisterVariantOf(DocumentSet set) {
  switch (set) {
    case DocumentSet::Local:
      break;
    case DocumentSet::OutOfRegion:
      return RegisterVariant::OutOfRegion;
    case DocumentSet::Closing:
      return RegisterVariant::Closing;
  }
  return RegisterVariant::Local;
}

RegisterInputs RegisterInputsOf(DocumentRun& run, DocumentSet set) {
  RegisterInputs in{run.Db, run.Tr, run.User, run.Application()};
  CopyRunValues(in, run);
  in.ReportFooter = TheRunState().ReportFooter;
  in.Reports =
      run.Reports[set == DocumentSet::OutOfRegion ? Population::OutOfRegion : Population::Local];
  in.PackageFiles = &ThePackageLists().PackageFiles;
  return in;
}

QString RegistryFolderFile(const RegisterInputs& in, const QString& name) {
  return QDir(in.RegistryFolder).filePath(name);
}

}  // namespace kelmo
