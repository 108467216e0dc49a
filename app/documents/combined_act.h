// The combined act: one workbook built from the acts of the latest
// receptions of an institution's registry for the report month, one act per
// in-patient type in the order round-the-clock, day hospital at a
// polyclinic, at home, day hospital at a hospital (a type without a
// reception is passed over). The acts' lines are copied
// (combined_act_copy.h) into the template "act.xlsx" of the template folder
// from its third row on, an empty row between two acts, and the signature
// line "Подпись экономиста:" ends it. The protocol viewer's button
// "Объединенный акт" builds it into a temporary file and shows it; it is
// never saved anywhere else.
//
// The acts' paths are the FILE_OSH of the REPORTS rows: for each type the
// reception of local patients (INOGOR "0") of the payment kind with the
// latest DATE_PR.
//
// Errors: CombinedActError for a stored act that is missing or unreadable
// (the viewer shows it; nothing is built). The registry database's
// DatabaseError and the workbook layer's errors pass through.
#pragma once

#include <QDate>
#include <QString>
#include <optional>

#include "combined_act_copy.h"
#include "domain/domain_codes.h"

namespace kelmo {

class FbDatabase;

// What a combined act is built for: the registry database, the institution
// (ibqLPU's ID), the report month's first day (PeriodMonthStart), the
// payment kind of the receptions taken (the OMS ones) and the template
// folder (ExcelPath).
struct CombinedActRequest {
  FbDatabase* Database = nullptr;
  int LpuId = 0;
  QDate MonthStart;
  kelmo::PayKind PayKind = PayKind::Oms;
  QString TemplateFolder;
};

// The template's name in the template folder.
inline constexpr const char* kCombinedActTemplate = "act.xlsx";
// The first row the acts' lines go to.
inline constexpr int kCombinedActFirstRow = 3;

// The query `file_osh`: the trimmed FILE_OSH of the newest reception of
// local patients of the in-patient type; nothing when there is none.
std::optional<QString> NewestActPath(FbDatabase& db, const CombinedActRequest& request,
                                     StacType type);

// Builds the combined act and saves it as `outputPath` (an .xlsx workbook).
// Returns the path, or nothing when no act of the month was found or the
// template is missing or unreadable (then nothing is written). Raises
// CombinedActError for a stored act that is missing or unreadable; nothing
// is written then either.
std::optional<QString> BuildCombinedAct(const CombinedActRequest& request,
                                        const QString& outputPath);

}  // namespace kelmo
