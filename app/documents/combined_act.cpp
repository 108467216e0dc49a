// The combined act (see combined_act.h).
#include "combined_act.h"

#include <QDateTime>
#include <memory>

#include "document_workbook.h"
#include "firebird/fb_query.h"
#include "workbook/workbook_error.h"

namespace kelmo {

std::optional<QString> NewestActPath(FbDatabase& db, const CombinedActRequest& request,
                                     StacType type) {
  FbQuery fileOsh(db);
  fileOsh.setSql(
      QStringList{QStringLiteral("select first 1 r.file_osh from reports r"),
                  QStringLiteral("  where r.lpu=:lpu and r.date_beg=:db and r.oplat=:oplat and "
                                 "r.tip_stac=:ts and r.inogor='0'"),
                  QStringLiteral("order by r.date_pr desc")});
  fileOsh.setParam(QStringLiteral("lpu"), request.LpuId);
  fileOsh.setParam(QStringLiteral("db"), QDateTime(request.MonthStart, QTime(0, 0)));
  fileOsh.setParam(QStringLiteral("oplat"), Code(request.PayKind));
  fileOsh.setParam(QStringLiteral("ts"), Number(type));
  fileOsh.Open();
  if (fileOsh.Eof()) return std::nullopt;
  return fileOsh.FieldByName(QStringLiteral("FILE_OSH")).toString().trimmed();
}

std::optional<QString> BuildCombinedAct(const CombinedActRequest& request,
                                        const QString& outputPath) {
  if (!request.Database) throw std::logic_error("BuildCombinedAct: no registry database");
  TDoubleRec flags;
  std::unique_ptr<workbook::ExcelApplication> app;
  int row = kCombinedActFirstRow;
  for (const StacType type : {StacType::RoundTheClock, StacType::DayAtPolyclinic, StacType::AtHome,
                              StacType::DayAtHospital}) {
    const std::optional<QString> path = NewestActPath(*request.Database, request, type);
    if (!path) continue;
    // A stored act that is gone stops the building before anything is shown.
    const QStringList lines = ReadActFile(*path);
    if (!app) {
      // A template that is missing or cannot be read stops the building
      // without a word, as a spreadsheet program that cannot start does.
      const QString templatePath =
          TemplatePath(request.TemplateFolder, QString::fromUtf8(kCombinedActTemplate));
      if (!TemplatePresent(templatePath)) return std::nullopt;
      app = std::make_unique<workbook::ExcelApplication>();
      try {
        app->Open(templatePath.toStdString());
      } catch (const workbook::WorkbookError&) {
        return std::nullopt;
      }
      row = kCombinedActFirstRow;
    }
    AppendProtocolToAct(*app, lines, flags, row);
    ++row;  // an empty row between acts
  }
  if (!app) return std::nullopt;
  app->ActiveSheet().SetText(row, 1, "Подпись экономиста:");
  app->SetVisible(true);
  SaveDocumentFile(app->ActiveWorkbook(), outputPath);
  return outputPath;
}

}  // namespace kelmo
