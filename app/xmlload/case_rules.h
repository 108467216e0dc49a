// The rules that turn the elements of a case and of its sub-cases into
// column values and decisions: pure functions over the elements read.
#pragma once

#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

#include "domain/domain_codes.h"
#include "xml_tags.h"
#include "xml_tree.h"

namespace kelmo {

// The payment kind of a care form (VIDPOM) and its name; PayKind::None and
// an empty name for a form the table does not hold.
PayKind PayKindOfCareForm(int vidpom, QString* name = nullptr);
// The in-patient type of the conditions of care (USL_OK): 1 for 1, 11, 12;
// otherwise USL_OK - 20 on one byte.
int InPatientTypeOfConditions(int uslOk);
// The package number from the main file's name: the characters from the
// fifth after the first "_" to the end; 0 when there are four or fewer.
int PackageNumberOfName(const QString& mainFileName);
// NAPR_DIAG of the case from DS0 (null when absent).
QVariant AdmissionDiagnosis(const XmlNode* ds0);
// The sheet's diagnosis: upper case, "J18." gives "J18".
QString SheetDiagnosis(const QString& ds1);
// The care level of a standard code (URMES): its first character's digit,
// or the 12th for codes of 16 characters or more. Raises XmlValueError.
int CareLevelOfCode(const QString& kodMes);

// The SL elements of a case in the order of their SL_ID, each with its
// number. SL_ID values must be distinct whole numbers from 1 to 255: a case
// breaking that gets no sheet and `problem` says why.
std::vector<std::pair<int, const XmlNode*>> OrderedSheets(const XmlNode& zap, QString& problem);

// The criteria of a KSG_KPG group: every CRIT joined by ";", else DKK1 and
// DKK2 joined by ";"; null without a group or criteria.
QVariant SheetCriteria(const XmlNode* ksg);

// The sub-case's payment kind: 6 with a VID_HMP text, else 7 with REAB "1",
// else 1; a FUNDING other than 0 and 8 makes it 2 (12, 13, 19) or 5.
int SubCasePayKind(const XmlNode& sl, const TagReader& tags);

}  // namespace kelmo
