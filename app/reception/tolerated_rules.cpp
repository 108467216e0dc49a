// The rules of the tolerated walk and of the entry-error walk.
#include "tolerated_rules.h"

#include <array>

#include "domain/case_data.h"
#include "domain/common.h"

namespace kelmo {
namespace {

const QString kUninsured = QStringLiteral("Не застрахованное население");

bool Local(const ToleratedContext& tc) {
  return tc.Pass == Population::Local;
}

QString Trimmed(const CheckRow& row, const char* column) {
  return TrimText(row.Text(QString::fromLatin1(column)));
}

// A flag rule: the flag set (its text "1") gives the message.
struct FlagMessage {
  const char* Flag;
  const char* Message;
};

void RefuseFlags(const CheckRow& row, std::initializer_list<FlagMessage> rules,
                 ToleratedFindings& found) {
  for (const FlagMessage& rule : rules)
    if (row.IsSet(QString::fromLatin1(rule.Flag))) found.Refuse(QString::fromUtf8(rule.Message));
}

// Fields of the sheet whose value is impossible, tested for a sheet with a
// standard-of-care code only.
void CheckCodedSheetFields(const CheckRow& row, const QString& k, ToleratedFindings& found) {
  if (k.isEmpty()) return;
  static const std::array<std::pair<const char*, const char*>, 6> kFields{{{"OSH2", "STAN_OBSL"},
                                                                           {"OSH3", "STAN_LECEN"},
                                                                           {"OSH4", "KASH_MES"},
                                                                           {"OSH7", "KURACIA"},
                                                                           {"OSH8", "EXTREN"},
                                                                           {"OSH10", "INTERRUPT"}}};
  for (const auto& [flag, field] : kFields)
    if (row.IsSet(QString::fromLatin1(flag)))
      found.Refuse(QStringLiteral("Невозм.зн.поля %1.").arg(QString::fromLatin1(field)));
}

// The classifier's findings of the main diagnosis and of the three
// accompanying ones; all but the first need the code to exist.
void CheckDiagnosisFlags(const CheckRow& row, ToleratedFindings& found) {
  static const std::array<const char*, 4> kMessages{
      "Несущ.шифр МКБ по ", "Не оплач.диаг.по ОМС по ", "Несоот.нозол. и пола по ",
      "Несоот.нозол. и возр.по "};
  for (int disease = 0; disease < 4; ++disease) {
    const QString prefix = QStringLiteral("OSH%1_").arg(21 + disease);
    const QString suffix =
        disease == 0 ? QStringLiteral("осн.заб.") : QStringLiteral("соп.заб.№%1.").arg(disease);
    const bool codeKnown = row.Text(prefix + QLatin1Char('1')) == QLatin1String("0");
    for (int check = 0; check < 4; ++check) {
      if (!row.IsSet(prefix + QString::number(check + 1))) continue;
      if (check > 0 && !codeKnown) continue;
      found.Refuse(QString::fromUtf8(kMessages[check]) + suffix);
    }
  }
}

// The main disease's standard of care (payment kinds 1 and 7).
void CheckMainStandard(const CheckRow& row, const ToleratedContext& tc, const QString& k,
                       ToleratedFindings& found) {
  const int oplat = row.Int(QStringLiteral("OPLAT"));
  if (k.isEmpty() || (oplat != 1 && oplat != 7)) return;
  const QString nozolog = Trimmed(row, "NOZOLOG");
  const QString diag = Trimmed(row, "STAC_DIAG");
  if (nozolog.isEmpty())
    found.Refuse(QStringLiteral("Несущ.МЭС.по осн.заб.(") + k + QStringLiteral(")."));
  const QString raw = row.Text(QStringLiteral("KOD_MES"));
  const bool ageApplies = Local(tc) || !tc.ProfilesLicensedTwice;
  if (ageApplies && !nozolog.isEmpty() &&
      StandardAgeMismatch(k, Local(tc) ? k : raw, Local(tc) ? k : raw,
                          row.Text(QStringLiteral("VOZ"))))
    found.Tolerate(QStringLiteral("Несоот.возр.МЭСу по осн.заб.(") + k + QStringLiteral(", ") +
                   diag + QStringLiteral(")."));
  if (!nozolog.isEmpty() && !MkbInList(diag, nozolog))
    found.Refuse(QStringLiteral("Несоот.диаг.МЭСу по осн.заб.(") + k + QStringLiteral(", ") + diag +
                 QStringLiteral(")."));
}

// The standards of care of the accompanying diseases, entries "_i=...;".
void CheckAccompanyingStandards(const CheckRow& row, ToleratedFindings& found) {
  const QString mesAcc = Trimmed(row, "MES_ACC");
  if (mesAcc.isEmpty() || Trimmed(row, "ACCOMP").isEmpty()) return;
  const QString accNoz = Trimmed(row, "ACC_NOZ");
  const QString accomp = row.Text(QStringLiteral("ACCOMP"));
  bool ok = false;
  const int entries =
      TextBetween(QStringLiteral("_"), QStringLiteral("="), mesAcc, true).toInt(&ok);
  for (int i = 1; ok && i <= entries; ++i) {
    const QString key = QStringLiteral("_%1=").arg(i);
    const QString mes = TextBetween(key, QStringLiteral(";"), mesAcc, false);
    const QString noz = TextBetween(key, QStringLiteral(";"), accNoz, false);
    if (noz.isEmpty() || mes.isEmpty())
      found.CaseError(1, 52, QStringLiteral("Несущ.МЭС.по соп.заб.№%1(%2).").arg(i).arg(mes));
    const QString diagnosis = TextBetween(key, QStringLiteral(";"), accomp, false);
    if (!noz.isEmpty() && !MkbInList(diagnosis, noz))
      found.Refuse(
          QStringLiteral("Несоот.диаг.МЭСу по соп.заб.№%1(%2, %3).").arg(i).arg(mes, diagnosis));
  }
}

// The birth date and the years of admission and discharge, read from the
// dates' "dd.mm.yyyy" texts: a stay belongs to the discharge's year or the
// year before it.
void CheckDateTexts(const CheckRow& row, ToleratedFindings& found) {
  const QString born = DayText(row.Date(QStringLiteral("DR"))).trimmed();
  const QString bornCentury = born.mid(6, 2);
  if (born.isEmpty() || bornCentury == QLatin1String("18"))
    found.Refuse(QStringLiteral("Не введена или не корректная дата рождения."));
  if (bornCentury != QLatin1String("19") && bornCentury != QLatin1String("20"))
    found.Refuse(QStringLiteral("Год рожд.долж.нач.на 19 или 20."));
  const QString out = DayText(row.Date(QStringLiteral("DOUT_STAC")));
  bool ok = false;
  const int yy = out.mid(8, 2).toInt(&ok);
  if (!ok)
    throw ConversionError(QStringLiteral("'%1' не является годом выписки").arg(out.mid(8, 2)));
  const QString year = QStringLiteral("20") + out.mid(8, 2);
  const QString before =
      out.mid(6, 2) + (yy <= 10 ? QStringLiteral("0") : QString()) + QString::number(yy - 1);
  const std::array<std::pair<const char*, const char*>, 2> kDates{
      {{"DIN_STAC", "Год даты пост.в стац.дол.быть текущ.или предыд."},
       {"DOUT_STAC", "Год даты вып.из стац.дол.быть текущ.или предыд."}}};
  for (const auto& [column, message] : kDates) {
    const QString text = DayText(row.Date(QString::fromLatin1(column))).trimmed().mid(6, 4);
    if (text != year && text != before) found.Refuse(QString::fromUtf8(message));
  }
}

// The out-of-region policy rules: an insured patient needs a policy number
// (institutions 29 and 33 ask it only of patients older than two months),
// and patients of other states are not paid.
void CheckOutOfRegionPolicy(const CheckRow& row, const ToleratedContext& tc,
                            ToleratedFindings& found) {
  const QString company = row.Text(QStringLiteral("COMP_NAME"));
  const bool asked = (tc.LpuId != 29 && tc.LpuId != 33) || (tc.AgeMonths && tc.AgeMonths() > 2);
  const QString number = Trimmed(row, "NUMBER");
  if (asked && !company.contains(kUninsured) && (number.isEmpty() || number == QLatin1String("0")))
    found.Refuse(QStringLiteral("Не запол.полис у застр.бол."));
  if (company.contains(QStringLiteral("ДРУГИЕ ГОСУДАРСТВА")))
    found.Refuse(
        QStringLiteral("Население из \"Других государств\" не принимается к оплате по ОМС."));
}

void CheckNames(const CheckRow& row, ToleratedFindings& found) {
  static const std::array<std::array<const char*, 3>, 3> kNames{
      {{"FAMILY", "В фамилии бол.есть недоп.символы(",
        "Фамилия не может состоять из одного символа("},
       {"NAME", "В имени бол.есть недоп.символы(", "Имя не может состоять из одного символа("},
       {"FATHER", "В отчестве бол.есть недоп.символы(",
        "Отчество не может состоять из одного символа("}}};
  for (int part = 0; part < 2; ++part)
    for (const auto& name : kNames) {
      const QString text = Trimmed(row, name[0]);
      const QString shown = part == 0 ? ForbiddenNameChars(text) : text;
      if (part == 0 ? !shown.isEmpty() : text.size() == 1)
        found.Tolerate(QString::fromUtf8(name[part + 1]) + shown + QStringLiteral(")."));
    }
}

// Rules 1 to 38 and the out-of-region ones among them: every payment kind
// but the budget's.
void CheckSheetRules(const CheckRow& row, const ToleratedContext& tc, ToleratedFindings& found) {
  const QString k = Trimmed(row, "KOD_MES");
  if (row.Value(QStringLiteral("SUM_MEK")).toDouble() == -1 && tc.OverlapWithDatabase)
    tc.OverlapWithDatabase(found.Text, found.Refused);
  CheckCodedSheetFields(row, k, found);
  RefuseFlags(row,
              {{"OSH5", "Невозм.зн.поля \"Результат лечения\"."},
               {"OSH6",
                "Невозм.зн.поля \"Исход лечения\".(Исход лечения \"продолжает лечение в "
                "отделении\" может заполняться только на на койках фтизиатрического, "
                "психиатрического и наркологического профиля)"},
               {"OSH11", "Отс.проф.в МТЛ."},
               {"OSH12", "Отс.диаг.в МТЛ."},
               {"OSH14", "Отс.зак.сл.в МТЛ."},
               {"OSH15", "Отс.рез.леч.в МТЛ."},
               {"OSH16", "Отс.исх.леч.в МТЛ."},
               {"OSH17", "Невозм.зн.поля DOKUMENT."},
               {"OSH18", "Невозм.зн.поля POL."},
               {"OSH19", "Отс.дата рожд."},
               {"OSH27", "Не зап.ни один док."},
               {"OSH20", "Несоот.стр.комп. и обл.стр.комп."}},
              found);
  CheckDiagnosisFlags(row, found);
  const QString mesErr = row.Text(QStringLiteral("MES_ERR"));
  if ((!k.isEmpty() || !Local(tc)) && !mesErr.trimmed().isEmpty())
    found.Refuse(QStringLiteral("Несоот.кода МЭС(") + mesErr.mid(2) +
                 QStringLiteral(" типу стац.(") + mesErr.left(1) + QLatin1Char(')'));
  const QString osh32 = row.Text(QStringLiteral("OSH32"));
  if (osh32 != QLatin1String("0")) found.Refuse(osh32);
  RefuseFlags(row, {{"OSH33", "Кол-во соп.заб.прев.допуст.кол-во для город.и район.уровней"}},
              found);
  if (!Local(tc) && row.IsSet(QStringLiteral("OSH25")))
    found.Tolerate(QStringLiteral("Не зап.пасп. у иног.больн."));
  CheckMainStandard(row, tc, k, found);
  CheckAccompanyingStandards(row, found);
  if (!tc.HasKindOneSheet)
    RefuseFlags(row,
                {{"OSH34", "Несоот.рез.леч.по стац.карте и посл.МТЛ."},
                 {"OSH35", "Несоот.исх.леч.по стац.карте и посл.МТЛ."}},
                found);
  if (row.IsSet(QStringLiteral("OSH39")))
    found.Tolerate(QStringLiteral("Нет кода МЭС по реанимации"));
  if (row.IsSet(QStringLiteral("OSH40")))
    found.Tolerate(QStringLiteral("Срок интенсивной терапии > срока по МЭС интенсивной терапии"));
  CheckDateTexts(row, found);
  if (row.Text(QStringLiteral("COMP_NAME")).contains(kUninsured) &&
      !Trimmed(row, "SERIA").isEmpty() && !Trimmed(row, "NUMBER").isEmpty())
    found.Refuse(QStringLiteral("Запол.полис у не застр.бол."));
  if (!Local(tc)) CheckOutOfRegionPolicy(row, tc, found);
  CheckNames(row, found);
}

}  // namespace

void ToleratedFindings::Refuse(const QString& message) {
  Text += message;
  Refused = true;
}

void ToleratedFindings::Tolerate(const QString& message) {
  Text += message;
  Tolerated = true;
}

void ToleratedFindings::CaseError(int kind, int basis, const QString& message) {
  AddCaseError(CaseErrors, Text, message, basis, CaseId, Text, kind);
}

bool StandardAgeMismatch(const QString& k, const QString& lengthCode, const QString& charCode,
                         const QString& voz) {
  if (k.mid(3, 1) != voz && lengthCode.size() == 7) return true;
  if (k.mid(1, 1) != voz && lengthCode.size() == 5) return true;
  const QString tenth = charCode.mid(9, 1);
  return k.size() >= 16 && tenth != voz && tenth != QLatin1String("3");
}

void CheckToleratedRules(const CheckRow& row, const ToleratedContext& tc,
                         ToleratedFindings& found) {
  if (row.Int(QStringLiteral("OPLAT")) != Code(PayKind::Budget)) CheckSheetRules(row, tc, found);
  if (Local(tc) && row.Int(QStringLiteral("OSH_POVTOR")) == 1 && tc.MonthIndex > 0)
    found.Refuse(QStringLiteral("Повторно предъявленный случай не предъявлялся в прошлом месяце!"));
  if ((!Local(tc) || !tc.WhoDetail.IsFund()) && row.IsSet(QStringLiteral("OSH36")))
    found.Refuse(QStringLiteral("Несоот.дат по стац.карте и МТЛ."));
  const QDate start = row.Date(QStringLiteral("STARTD"));
  const QDate finish = row.Date(QStringLiteral("FINISH"));
  if (start.isValid() && finish.isValid() && start > finish)
    found.Refuse(QStringLiteral("Дата окончания лечения по МТЛ меньше даты начала лечения."));
  if ((!Local(tc) || !tc.HasKindOneSheet) && row.IsSet(QStringLiteral("OSH38")))
    found.Refuse(QStringLiteral("Послед.день предыдущ.МТЛ не явл.перв.днем следующ.МТЛ."));
  if (!Local(tc)) {
    static const std::array<std::pair<const char*, const char*>, 4> kMissing{
        {{"MTRERR4", " У иногороднего больного не заполнен статус ребенка."},
         {"MTRERR5", " У иногороднего больного не указан тип паспорта."},
         {"MTRERR7", " У иногороднего больного не указана специальность врача"},
         {"MTRERR10", " У иногороднего больного дата начала действ.полиса превышает дату оконч."}}};
    for (const auto& [flag, message] : kMissing)
      if (row.IsSet(QString::fromLatin1(flag))) found.Tolerate(QString::fromUtf8(message));
  }
  if (row.IsSet(QStringLiteral("CONVOY_AGE_ERR")) && tc.Year >= 2017) {
    found.CaseError(2, 53,
                    QStringLiteral("Совместное нахождение в круглосуточном стационаре возможно "
                                   "только с ребёнком до 4-х лет, при возрасте пациента ") +
                        row.Text(QStringLiteral("P_VOZRAST")) + QLatin1Char('.'));
    found.Tolerated = true;
    found.StoresSanctions = true;
    found.SanctionsToStore = found.CaseErrors;
  }
  if (tc.RegistrySource == RegistrySourceKind::XmlPackage &&
      row.IsSet(QStringLiteral("BED_SPEC_ERR"))) {
    const QString bed = tc.BedName ? tc.BedName() : QString();
    const QString field = tc.DoctorFieldName ? tc.DoctorFieldName() : QString();
    found.CaseError(1, 53,
                    QStringLiteral("Несоответствие профиля койки \"") + bed +
                        QStringLiteral("\"(") + row.Text(QStringLiteral("P_BED")) +
                        QStringLiteral(") и специальности врача \"") + field +
                        QStringLiteral("\"(") + row.Text(QStringLiteral("PRVS")) +
                        QStringLiteral(")."));
    found.Tolerated = true;
  }
}

QString EntryErrorOf(const CheckRow& row) {
  if (row.IsSet(QStringLiteral("OSH1"))) return QStringLiteral("Невозм.ном.МТЛ.");
  if (row.IsSet(QStringLiteral("OSH37"))) return QStringLiteral("Наруш.нумер.МТЛов.");
  return QString();
}

}  // namespace kelmo
