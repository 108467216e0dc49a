// The rules that turn elements of a case into column values.
#include "case_rules.h"

#include <algorithm>

namespace kelmo {

PayKind PayKindOfCareForm(int vidpom, QString* name) {
  struct Form {
    int vidpom;
    PayKind kind;
    const char* name;
  };
  static const Form kForms[] = {
      {1, PayKind::Oms, "Первичная медико-санитарная помощь"},
      {11, PayKind::Oms, "Первичная доврачебная медико-санитарная помощь"},
      {12, PayKind::Oms, "Первичная врачебная медико-санитарная помощь"},
      {13, PayKind::Oms, "Первичная специализированная медико-санитарная помощь"},
      {31, PayKind::Oms, "Специализированная медицинская помощь"},
      {32, PayKind::Vmp, "Высокотехнологичная специализированная медицинская помощь"},
      {5, PayKind::Rehabilitation, "Реабилитационная медицинская помощь"},
  };
  for (const Form& f : kForms) {
    if (f.vidpom != vidpom) continue;
    if (name != nullptr) *name = QString::fromUtf8(f.name);
    return f.kind;
  }
  if (name != nullptr) name->clear();
  return PayKind::None;
}

int InPatientTypeOfConditions(int uslOk) {
  if (uslOk == 1 || uslOk == 11 || uslOk == 12) return 1;
  return static_cast<std::uint8_t>(uslOk - 20);
}

int PackageNumberOfName(const QString& mainFileName) {
  const qsizetype n = mainFileName.size();
  const qsizetype p = mainFileName.indexOf(QLatin1Char('_')) + 1;
  if (n - p <= 4) return 0;
  return XmlInteger(mainFileName.mid(p + 4));
}

QVariant AdmissionDiagnosis(const XmlNode* ds0) {
  if (ds0 == nullptr) return {};
  const QString text = ds0->FullText();
  if (text.size() == 4 && text[3] == QLatin1Char('.')) return text.left(3).toUpper();
  return text.toUpper();
}

QString SheetDiagnosis(const QString& ds1) {
  const QString upper = ds1.toUpper();
  if (upper.size() == 4 && upper[3] == QLatin1Char('.')) return upper.left(3);
  return upper;
}

int CareLevelOfCode(const QString& kodMes) {
  const QString code = TrimmedXml(kodMes);
  if (code.isEmpty()) throw XmlValueError("Не указан код МЭС");
  const QChar c = code.size() < 16 ? code[0] : code[11];
  if (c < QLatin1Char('0') || c > QLatin1Char('9'))
    throw XmlValueError(("'" + QString(c) + "' is not a valid integer value").toStdString());
  return c.digitValue();
}

std::vector<std::pair<int, const XmlNode*>> OrderedSheets(const XmlNode& zap, QString& problem) {
  std::vector<std::pair<int, const XmlNode*>> sheets;
  for (const XmlNode* sl : zap.All(xml_tag::SL)) {
    const XmlNode* id = sl->First("SL_ID");
    bool ok = false;
    const int number = id == nullptr ? 0 : TrimmedXml(id->FullText()).toInt(&ok);
    if (!ok || number < 1 || number > 255) {
      problem = QStringLiteral("Неверный номер листа SL_ID: \"") +
                (id == nullptr ? QString() : TrimmedXml(id->FullText())) + QStringLiteral("\";");
      return {};
    }
    sheets.emplace_back(number, sl);
  }
  std::stable_sort(sheets.begin(), sheets.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 1; i < sheets.size(); ++i) {
    if (sheets[i].first == sheets[i - 1].first) {
      problem = QStringLiteral("Повторяется номер листа SL_ID: %1;").arg(sheets[i].first);
      return {};
    }
  }
  return sheets;
}

QVariant SheetCriteria(const XmlNode* ksg) {
  if (ksg == nullptr) return {};
  const std::vector<const XmlNode*> crit = ksg->All("CRIT");
  if (!crit.empty()) {
    QStringList texts;
    for (const XmlNode* c : crit) texts << c->FullText();
    return texts.join(QLatin1Char(';'));
  }
  const XmlNode* dkk1 = ksg->First("DKK1");
  if (dkk1 == nullptr) return {};
  const XmlNode* dkk2 = ksg->First("DKK2");
  return dkk2 == nullptr ? dkk1->FullText()
                         : dkk1->FullText() + QLatin1Char(';') + dkk2->FullText();
}

int SubCasePayKind(const XmlNode& sl, const TagReader& tags) {
  int kind = 1;
  if (!tags.Text(sl, "VID_HMP").isEmpty())
    kind = 6;
  else if (tags.Text(sl, "REAB") == QLatin1String("1"))
    kind = 7;
  const int funding = tags.Int(sl, "FUNDING");
  if (funding != 0 && funding != 8)
    kind = (funding == 12 || funding == 13 || funding == 19) ? 2 : 5;
  return kind;
}

}  // namespace kelmo
