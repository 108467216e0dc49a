// The field checks of the out-of-region check (see out_of_region_rules.h).
// The messages are written as the fund's staff know them, quotation marks
// and trailing spaces included.
#include "out_of_region_rules.h"

#include <cmath>
#include <cstdint>

#include "domain/common.h"
#include "identity_document_check.h"

namespace kelmo::tariff {

CheckRecord::CheckRecord(std::initializer_list<std::pair<QString, QVariant>> values) {
  for (const auto& [field, value] : values) Set(field, value);
}

void CheckRecord::Set(const QString& field, const QVariant& value) {
  values_.insert(field.toUpper(), value);
}

QVariant CheckRecord::Value(const QString& field) const {
  return values_.value(field.toUpper());
}

QString CheckRecord::RawText(const QString& field) const {
  const QVariant v = Value(field);
  if (!v.isValid() || v.isNull()) return {};
  if (v.typeId() == QMetaType::Double) {
    const double d = v.toDouble();
    if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 1e15)
      return QString::number(static_cast<qint64>(d));
  }
  return v.toString();
}

QString CheckRecord::Text(const QString& field) const {
  return TrimText(RawText(field));
}

std::optional<qint64> CheckRecord::Whole(const QString& field) const {
  const QVariant v = Value(field);
  if (!v.isValid() || v.isNull()) return 0;
  switch (v.typeId()) {
    case QMetaType::Double: {
      const double d = v.toDouble();
      if (!std::isfinite(d) || std::fabs(d) > 9e15) return std::nullopt;
      return std::llround(d);
    }
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
      return v.toLongLong();
    default:
      break;
  }
  const QString text = TrimText(v.toString());
  if (text.isEmpty()) return 0;
  bool ok = false;
  const qint64 n = text.toLongLong(&ok);
  if (!ok) return std::nullopt;
  return n;
}

QDate CheckRecord::Date(const QString& field) const {
  const QVariant v = Value(field);
  if (v.typeId() == QMetaType::QDate) return v.toDate();
  if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().date();
  return QDate::fromString(TrimText(v.toString()).left(10), Qt::ISODate);
}

namespace {

bool Between(const CheckRecord& r, const QString& field, qint64 low, qint64 high) {
  const std::optional<qint64> n = r.Whole(field);
  return n && *n >= low && *n <= high;
}

bool Is(const CheckRecord& r, const QString& field, qint64 value) {
  const std::optional<qint64> n = r.Whole(field);
  return n && *n == value;
}

bool IsOneOf(const CheckRecord& r, const QString& field, std::initializer_list<qint64> values) {
  const std::optional<qint64> n = r.Whole(field);
  if (!n) return false;
  for (const qint64 v : values)
    if (*n == v) return true;
  return false;
}

bool Empty(const CheckRecord& r, const QString& field) {
  return r.Text(field).isEmpty();
}

QString FirstLetter(const QString& text) {
  return text.left(1);
}

// The standard-of-care code's range for each in-patient type; 6000000 is a
// code of round-the-clock care as well as of care at home. Other types are
// not tested.
bool MesCodeFitsStacType(std::optional<qint64> code, std::optional<qint64> stacType) {
  if (!stacType || *stacType < 1 || *stacType > 4) return true;
  if (!code) return false;
  const qint64 c = *code;
  switch (*stacType) {
    case 1:
      return c > 2999999 && c <= 6000000;
    case 2:
      return c >= 7000000 && c < 8000000;
    case 3:
      return c >= 6000000 && c < 7000000;
    default:
      return c >= 8000000 && c < 9000000;
  }
}

// The message of a field whose value cannot be, named by its caption on the
// case-entry form.
QString ImpossibleValue(const char* caption) {
  return QStringLiteral(": невозможное зн. поля \"") + QString::fromUtf8(caption) +
         QStringLiteral("\" ");
}

}  // namespace

QString CaseLabel(const CheckRecord& stac) {
  const QString initials = stac.Text(QStringLiteral("FAMILY")) + QLatin1Char(' ') +
                           FirstLetter(stac.Text(QStringLiteral("NAME"))) + QLatin1Char('.') +
                           FirstLetter(stac.Text(QStringLiteral("FATHER")));
  return initials.toUpper() + QStringLiteral(". (№ ист.бол. ") +
         stac.RawText(QStringLiteral("NOMIB")) + QLatin1Char(')');
}

QStringList SheetFindings(const CheckRecord& sheet, const CheckRecord& stac,
                          const QString& lpuLevel) {
  QStringList found;
  if (!Between(sheet, QStringLiteral("STAN_OBSL"), 1, 4))
    found << ImpossibleValue("Объём обследования");
  if (!Between(sheet, QStringLiteral("STAN_LECEN"), 1, 4))
    found << ImpossibleValue("Объём лечения");
  if (!Between(sheet, QStringLiteral("KACH_MES"), 1, 2))
    found << ImpossibleValue("Критерии качества стандарта медицинской помощи");
  if (!Between(sheet, QStringLiteral("KURACIA"), 1, 3))
    found << ImpossibleValue("Категория сложности курации");
  if (!Between(sheet, QStringLiteral("EXTREN"), 0, 1)) found << ImpossibleValue("Экстренность");
  if (!Between(sheet, QStringLiteral("INTERRUPT"), 0, 1))
    found << ImpossibleValue("Законченность случая");
  if (!Between(sheet, QStringLiteral("RES_LECHEN"), 1, 6))
    found << ImpossibleValue("Результат госпитализации");
  if (!Between(sheet, QStringLiteral("ISHOD_LECE"), 1, 7))
    found << ImpossibleValue("Исход госпитализации");
  if (Is(sheet, QStringLiteral("PROFILE"), 0))
    found << QStringLiteral(": Отсутствие профиля в МТЛ");
  if (Empty(sheet, QStringLiteral("STAC_DIAG")))
    found << QStringLiteral(": Отсутствие диагноза в МТЛ");
  if (!MesCodeFitsStacType(sheet.Whole(QStringLiteral("KOD_MES")),
                           stac.Whole(QStringLiteral("TIP_STAC"))))
    found << QStringLiteral(": Несоответствие кода МЭС типу стационара ");
  const QString level = TrimText(lpuLevel);
  if ((level == QStringLiteral("Г") || level == QStringLiteral("Р")) &&
      !Is(sheet, QStringLiteral("MES_ACC3"), 0) && !Empty(sheet, QStringLiteral("ACCOMP3")) &&
      !Is(sheet, QStringLiteral("ACCOMP_L3"), 0))
    found << QStringLiteral(": Кол-во соп.заб.прев.допуст.кол-во для город.и район.уровней");
  const std::optional<qint64> intensive = sheet.Whole(QStringLiteral("INTENSIV"));
  if (intensive && *intensive > 0 && Is(sheet, QStringLiteral("REANIM"), 0))
    found << QStringLiteral(": Нет кода МЭС по реанимации");
  if (Empty(sheet, QStringLiteral("VR_SPEC")))
    found << QStringLiteral(": У иногороднего больного не указана специальность врача");
  const std::optional<qint64> appKd = sheet.Whole(QStringLiteral("APP_KD"));
  if (Is(sheet, QStringLiteral("APPEND"), 1) && appKd && *appKd <= 0)
    found << QStringLiteral(
        ": Не указано кол-во дней совместного нахождения с ребенком одного из родителей");
  return found;
}

QStringList CaseFindings(const CheckRecord& stac, const std::vector<CheckRecord>& sheets) {
  QStringList found;
  if (!Between(stac, QStringLiteral("DOKUMENT"), 0, 14)) found << ImpossibleValue("Тип документа");
  if (!IsOneOf(stac, QStringLiteral("POL"), {1, 2}))
    found << ImpossibleValue("Биологический пол пациента");
  if (Empty(stac, QStringLiteral("DR"))) found << QStringLiteral(": Отсутствие даты рождения\" ");
  const bool noNumber = Empty(stac, QStringLiteral("NUMBER"));
  const bool noDocSeries = Empty(stac, QStringLiteral("D_SERIA"));
  const bool noDocNumber = Empty(stac, QStringLiteral("D_NOMBER"));
  if (noNumber && noDocNumber) found << QStringLiteral(": Не записан ни один документ\" ");
  const QString polis = stac.Text(QStringLiteral("POLIS"));
  if (polis.isEmpty() || polis == QStringLiteral("0"))
    found << QStringLiteral(": Отсутствует код страховой компании");
  if (Is(stac, QStringLiteral("F_STATUS"), 0))
    found << QStringLiteral(": У иногороднего больного не указан социальный статус");
  if (Empty(stac, QStringLiteral("F_OKSM")) &&
      IsOneOf(stac, QStringLiteral("F_DOCS"), {1, 2, 8, 14, 15}))
    found << QStringLiteral(": У иногороднего больного не указано гражданство");
  const bool temporaryCertificate = Is(stac, QStringLiteral("VPOLIS"), 3);
  if (!temporaryCertificate && noDocSeries && noDocNumber)
    found << QStringLiteral(": Не записан паспорт у иногороднего больного ");
  if (!temporaryCertificate && IsOneOf(stac, QStringLiteral("DOKUMENT"), {1, 3}) &&
      Is(stac, QStringLiteral("F_DOCS"), 0))
    found << QStringLiteral(": У иногороднего больного не указан тип паспорта");
  if (IsOneOf(stac, QStringLiteral("F_DOCS"), {1, 14})) {
    const QDate born = stac.Date(QStringLiteral("DR"));
    const QDate admitted = stac.Date(QStringLiteral("IN_STAC"));
    if (born.isValid() && admitted.isValid()) {
      const qint64 days = born.daysTo(admitted);
      const auto years = static_cast<qint64>(static_cast<double>(days) / 365.25);
      if (days > 31 && years < 14)
        found << QStringLiteral(": У иногороднего больного до 14 лет не может быть паспорта.");
    }
  }
  if (IsOneOf(stac, QStringLiteral("F_STATUS"), {4, 5}) && Empty(stac, QStringLiteral("F_PLACEW")))
    found << QStringLiteral(": У иногороднего больного не указано место работы/учёбы ");
  const QString number = stac.Text(QStringLiteral("NUMBER"));
  if (!number.isEmpty() && number.size() != 16) {
    const QString series = stac.Text(QStringLiteral("D_SERIA"));
    const QString docNumber = stac.Text(QStringLiteral("D_NOMBER"));
    // A type beyond a byte is no document type at all.
    const std::optional<qint64> type = stac.Whole(QStringLiteral("F_DOCS"));
    const auto typeByte = static_cast<std::uint8_t>(type && *type >= 0 && *type <= 255 ? *type : 0);
    if (!CheckDocumentSeriesNumber(typeByte, series, docNumber))
      found << QStringLiteral(": Ошибка в заполнении документа(№") +
                   stac.Text(QStringLiteral("F_DOCS")) + QStringLiteral("): ") + series +
                   QLatin1Char(' ') + docNumber;
  }
  if (!sheets.empty() && Is(sheets.back(), QStringLiteral("VIDMTL"), 0)) {
    const CheckRecord& last = sheets.back();
    if (stac.Whole(QStringLiteral("RES_LECEN")) != last.Whole(QStringLiteral("RES_LECHEN")))
      found << QStringLiteral(": Несоот.рез.леч.по стац.карте и посл.МТЛ. ");
    if (stac.Whole(QStringLiteral("ISHOD_LECE")) != last.Whole(QStringLiteral("ISHOD_LECE")))
      found << QStringLiteral(": Несоот.исход.леч.по стац.карте и посл.МТЛ. ");
  }
  return found;
}

QStringList RepresentativeFindings(const CheckRecord& parent, const CheckRecord& stac) {
  QStringList found;
  if (Empty(parent, QStringLiteral("FAMILY")))
    found << QStringLiteral(": В данных представителя не заполнена фамилия");
  if (Empty(parent, QStringLiteral("NAME")))
    found << QStringLiteral(": В данных представителя не заполнено имя ");
  if (Empty(parent, QStringLiteral("FATHER")))
    found << QStringLiteral(": В данных представителя не заполнено отчество");
  if (Empty(parent, QStringLiteral("DR")))
    found << QStringLiteral(": В данных представителя не заполнена дата рождения");
  if (Empty(parent, QStringLiteral("NUMBER")))
    found << QStringLiteral(": В данных представителя не заполнена серия, номер полиса");
  if (Empty(parent, QStringLiteral("OBL")))
    found << QStringLiteral(": В данных представителя не указана область проживания");
  // Compared as texts: "037" and 37 are different regions here.
  if (parent.RawText(QStringLiteral("OBL")) != stac.RawText(QStringLiteral("OBL")))
    found << QStringLiteral(": Несовпадение области проживания представителя и ребенка");
  return found;
}

}  // namespace kelmo::tariff
