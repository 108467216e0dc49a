// The field checks of the out-of-region check: what is wrong with one
// treatment sheet, one case and its representative, as the messages that the
// protocol writes after the case's label. Pure functions over the values of
// one row each; no database, no files. A row is read by field name; a blank
// field (NULL) reads as an empty text and, where a number is tested, as 0.
// Cost: a few look-ups per rule.
#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

namespace kelmo::tariff {

// The values of one row of a DBF registry's query, by field name (any case).
class CheckRecord {
 public:
  CheckRecord() = default;
  CheckRecord(std::initializer_list<std::pair<QString, QVariant>> values);

  void Set(const QString& field, const QVariant& value);
  // The value as the engine gave it; invalid for NULL or a missing field.
  QVariant Value(const QString& field) const;
  // The value as text, trimmed with TrimText (empty for NULL).
  QString Text(const QString& field) const;
  // The value as text as the field holds it (the engine trims character
  // fields on the right only); a number without decimals as "14".
  QString RawText(const QString& field) const;
  // The value as a whole number: NULL and an empty text are 0, a real number
  // is rounded; a text that is not a whole number has none.
  std::optional<qint64> Whole(const QString& field) const;
  // A date field (ISO text); invalid for NULL or another text.
  QDate Date(const QString& field) const;

 private:
  QHash<QString, QVariant> values_;
};

// The case's label: the trimmed surname, a space, the first letters of the
// trimmed name and patronymic each followed by "." (upper case), then
// ". (№ ист.бол. " + NOMIB + ")". "Иванов", "Иван", "" and NOMIB 7 give
// "ИВАНОВ И.. (№ ист.бол. 7)".
QString CaseLabel(const CheckRecord& stac);

// The findings of one treatment sheet (VIDMTL 0) of the case `stac`, in the
// order of the rules; `lpuLevel` is the institution's level ("Г", "Р", ...).
QStringList SheetFindings(const CheckRecord& sheet, const CheckRecord& stac,
                          const QString& lpuLevel);

// The findings of the case itself; `sheets` are the case's paid treatment
// sheets in their order (the last one is compared with the case).
QStringList CaseFindings(const CheckRecord& stac, const std::vector<CheckRecord>& sheets);

// The findings of the case's representative (the first row of parents.dbf).
QStringList RepresentativeFindings(const CheckRecord& parent, const CheckRecord& stac);

}  // namespace kelmo::tariff
