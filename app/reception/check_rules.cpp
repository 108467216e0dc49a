// The rules of groups A, B and C and the oncology outputs.
#include "check_rules.h"

#include <array>

#include "domain/case_data.h"
#include "domain/common.h"

namespace kelmo {
namespace {

QString Quoted(const QString& text) {
  return QLatin1Char('"') + text + QLatin1Char('"');
}

bool Blank(const QString& text) {
  return text.trimmed().isEmpty();
}

// A number the rules require; anything else raises ConversionError.
int RequiredNumber(const QString& text, const char* what) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  if (!ok)
    throw ConversionError(
        QStringLiteral("'%1' не является числом (%2)").arg(text, QString::fromUtf8(what)));
  return value;
}

// The year of a date as its text gives it: characters 7-10.
QString YearOf(const QDate& date) {
  return DayText(date).mid(6, 4);
}

bool IsOutOfRegion(const RuleContext& rc) {
  return rc.Pass == Population::OutOfRegion;
}

void CheckTalon(const CheckRow& row, const RuleContext& rc, RowFindings& found) {
  const QDate dateEnd = row.DetailValue(QStringLiteral("DATE_END")).toDate();
  if (!dateEnd.isValid() || dateEnd < QDate(2018, 7, 1) || rc.PayKind != PayKind::Vmp ||
      row.Int(QStringLiteral("OPLAT")) != 6)
    return;
  if (row.DetailValue(QStringLiteral("TAL_D")).isNull())
    found.Sanction(52, QStringLiteral("Не указана дата выдачи талона на ВМП."));
  if (Blank(row.DetailValue(QStringLiteral("TAL_NUM")).toString()))
    found.Sanction(52, QStringLiteral("Не указан номер талона на ВМП."));
  if (row.DetailValue(QStringLiteral("TAL_P")).isNull())
    found.Sanction(52, QStringLiteral("Не указана дата план.госп. по ВМП."));
}

void CheckSheetCodes(const CheckRow& row, bool refuse, RowFindings& found) {
  if (Blank(row.Text(QStringLiteral("KOD_MES")))) return;
  static const std::array<std::pair<const char*, const char*>, 6> kFields{{
      {"OSH2", "STAN_OBSL"},
      {"OSH3", "STAN_LECEN"},
      {"OSH4", "KASH_MES"},
      {"OSH7", "KURACIA"},
      {"OSH8", "EXTREN"},
      {"OSH10", "INTERRUPT"},
  }};
  for (const auto& [flag, field] : kFields) {
    if (!row.IsSet(QString::fromLatin1(flag))) continue;
    const QString message =
        QStringLiteral("Невозм.зн.поля ") + QString::fromLatin1(field) + QLatin1Char('.');
    if (refuse)
      found.Refusal(message);
    else
      found.Sanction(52, message);
  }
}

void CheckSpecialityAndBed(const CheckRow& row, const RuleContext& rc, RowFindings& found) {
  if (!rc.XmlPackageMode) return;
  if (IsOutOfRegion(rc) && rc.Identify &&
      row.Int(QStringLiteral("NOMMTL")) == row.Int(QStringLiteral("MTLCNT")))
    rc.Identify(found);
  const QString prvs = row.Text(QStringLiteral("PRVS"));
  const int prvsErr = row.Int(QStringLiteral("PRVS_ERR"));
  if (prvsErr == 1)
    found.Sanction(
        69, QStringLiteral("спец.(код: ") + prvs + QStringLiteral(") недопустима в системе ОМС"));
  if (prvsErr == -1)
    found.Refusal(QStringLiteral("спец.(код: ") + prvs +
                  QStringLiteral(") не найдена в справочнике V004"));
  const int profErr = row.Int(QStringLiteral("PROF_ERR"));
  if (profErr == 1)
    found.Refusal(QStringLiteral("Проф.койки не указан или не оплачивается по ОМС"));
  if (profErr == 2)
    found.Sanction(53, QStringLiteral("Проф.койки(код: ") + row.Text(QStringLiteral("P_BED")) +
                           QStringLiteral(") не соотв.профилю мед.пом.(код: ") +
                           row.Text(QStringLiteral("PR_FED")) + QLatin1Char(')'));
  const QDate dateRep = row.Date(QStringLiteral("DATE_REP"));
  if (!Blank(row.Text(QStringLiteral("LEKAR_ERR"))) && dateRep.isValid() &&
      dateRep >= QDate(2017, 2, 1))
    found.Sanction(53, row.Text(QStringLiteral("LEKAR_ERR")));
}

void CheckOutOfRegionDocuments(const CheckRow& row, const RuleContext& rc, RowFindings& found) {
  if (!rc.XmlPackageMode) return;
  const int vpolis = row.Int(QStringLiteral("H_VPOLIS"));
  const bool serBlank = Blank(row.Text(QStringLiteral("H_DOCSER")));
  const bool numBlank = Blank(row.Text(QStringLiteral("H_DOCNUM")));
  const int fdocs = row.Int(QStringLiteral("H_FDOCS"));
  if (vpolis != 3 && serBlank && numBlank)
    found.Sanction(53, QStringLiteral("Не записан паспорт у иногороднего больного"));
  if (vpolis != 3 && (!serBlank || !numBlank) && fdocs == 0)
    found.Sanction(53, QStringLiteral("У иногороднего больного не указан тип паспорта"));
  const QDate dr = row.Date(QStringLiteral("DR"));
  const QDate in = row.Date(QStringLiteral("DIN_STAC"));
  if ((fdocs == 1 || fdocs == 14) && dr.isValid() && in.isValid()) {
    const qint64 days = dr.daysTo(in);
    if (days > 31 && static_cast<int>(days / 365.25) < 14)
      found.Sanction(53,
                     QStringLiteral("У иногороднего больного до 14 лет не может быть паспорта."));
  }
}

void CheckOnkoFile(const CheckRow& row, RowFindings& found) {
  const QVariant need = row.DetailValue(QStringLiteral("ISNEEDONCOFILE"));
  const QVariant sluch = row.DetailValue(QStringLiteral("ONCO_SLUCH"));
  if (need.toInt() == 0 && !sluch.isNull() && sluch.toInt() == 1)
    found.Sanction(
        53, QStringLiteral("Случай, не относящийся к онкологии, указан в файле с онко-случаями"));
  if (need.toInt() == 1 && sluch.isNull())
    found.Sanction(53, QStringLiteral("Случай с данными по онкологии указан в файле с HM..."));
}

struct FlagRule {
  const char* Flag;
  const char* Message;
  int Basis;  // 0: a refusal
};

void ApplyFlags(const CheckRow& row, std::initializer_list<FlagRule> rules, RowFindings& found) {
  for (const FlagRule& rule : rules) {
    if (!row.IsSet(QString::fromLatin1(rule.Flag))) continue;
    if (rule.Basis == 0)
      found.Refusal(QString::fromUtf8(rule.Message));
    else
      found.Sanction(rule.Basis, QString::fromUtf8(rule.Message));
  }
}

void CheckSheetFields(const CheckRow& row, RowFindings& found) {
  ApplyFlags(row,
             {{"OSH5", "Невозм.зн.поля \"Результат лечения\".", 53},
              {"OSH6",
               "Невозм.зн.поля \"Исход лечения\".(Исход лечения \"продолжает лечение в "
               "отделении\" может заполняться только на на койках фтизиатрического, "
               "психиатрического и наркологического профиля)",
               53},
              {"OSH11", "Отс.проф.в МТЛ.", 53},
              {"OSH12", "Отс.диаг.в МТЛ.", 53},
              {"OSH14", "Отс.зак.сл.в МТЛ.", 0},
              {"OSH15", "Отс.рез.леч.в МТЛ.", 53},
              {"OSH16", "Отс.исх.леч.в МТЛ.", 53},
              {"OSH17", "Невозм.зн.поля DOKUMENT.", 0},
              {"OSH18", "Невозм.зн.поля POL.", 53},
              {"OSH19", "Отс.дата рожд.", 53},
              {"OSH27", "Не зап.ни один док.", 57},
              {"OSH20", "Несоот.стр.комп. и обл.стр.комп.", 53}},
             found);
}

// The classifier's findings of the main diagnosis and the three accompanying
// ones: the unpaid, sex and age findings need the code to exist.
void CheckDiagnoses(const CheckRow& row, RowFindings& found) {
  struct Diagnosis {
    const char* Prefix;
    const char* Suffix;
    std::array<int, 4> Bases;  // 0: a refusal
  };
  static const std::array<Diagnosis, 4> kDiagnoses{{
      {"OSH21_", "осн.заб.", {53, 61, 53, 53}},
      {"OSH22_", "соп.заб.№1.", {53, 61, 0, 0}},
      {"OSH23_", "соп.заб.№2.", {0, 61, 0, 0}},
      {"OSH24_", "соп.заб.№3.", {0, 61, 0, 0}},
  }};
  static const std::array<const char*, 4> kMessages{
      "Несущ.шифр МКБ по ", "Не оплач.диаг.по ОМС по ", "Несоот.нозол. и пола по ",
      "Несоот.нозол. и возр.по "};
  for (const Diagnosis& d : kDiagnoses) {
    const QString prefix = QString::fromLatin1(d.Prefix);
    for (int i = 0; i < 4; ++i) {
      if (!row.IsSet(prefix + QString::number(i + 1))) continue;
      if (i > 0 && row.Text(prefix + QStringLiteral("1")) != QLatin1String("0")) continue;
      const QString message = QString::fromUtf8(kMessages[i]) + QString::fromUtf8(d.Suffix);
      if (d.Bases[i] == 0)
        found.Refusal(message);
      else
        found.Sanction(d.Bases[i], message);
    }
  }
}

void CheckMainStandard(const CheckRow& row, const RuleContext& rc, RowFindings& found) {
  const QString kodMes = row.Text(QStringLiteral("KOD_MES"));
  const QString code = kodMes.trimmed();
  const int oplat = row.Int(QStringLiteral("OPLAT"));
  if (code.isEmpty() || (oplat != 1 && oplat != 7)) return;
  const QString nozolog = row.Text(QStringLiteral("NOZOLOG")).trimmed();
  const QString diag = row.Text(QStringLiteral("STAC_DIAG")).trimmed();
  if (!IsOutOfRegion(rc)) {
    if (!nozolog.isEmpty() && !MkbInList(diag, nozolog))
      found.Refusal(QStringLiteral("Несоот.диаг.МЭСу по осн.заб.(") + code + QStringLiteral(", ") +
                    diag + QStringLiteral(")."));
    return;
  }
  if (nozolog.isEmpty())
    found.Refusal(QStringLiteral("Несущ.МЭС.по осн.заб.(") + code + QStringLiteral(")."));
  // The level marks of the standard against the level of the bed.
  struct Level {
    QChar First;
    QChar Twelfth;
    const char* Mark;
  };
  static const std::array<Level, 3> kLevels{{{QLatin1Char('3'), QLatin1Char('1'), "UR_R"},
                                             {QLatin1Char('4'), QLatin1Char('2'), "UR_G"},
                                             {QLatin1Char('5'), QLatin1Char('3'), "UR_K"}}};
  for (const Level& level : kLevels) {
    const bool ofLevel = (!kodMes.isEmpty() && kodMes.at(0) == level.First) ||
                         (code.size() >= 12 && code.at(11) == level.Twelfth);
    if (!rc.ProfilesLicensedTwice && ofLevel &&
        row.Text(QString::fromLatin1(level.Mark)) == QLatin1String("-") &&
        row.Text(QStringLiteral("OSH32")) == QLatin1String("0") && !nozolog.isEmpty())
      found.Notice(QStringLiteral("Несоот.ур.проф.койки МЭСу по осн.заб.(") + code +
                   QStringLiteral(")."));
  }
  if (!nozolog.isEmpty() && !MkbInList(diag, nozolog))
    found.Refusal(QStringLiteral("Несоот.диаг.МЭСу по осн.заб.(") + kodMes + QStringLiteral(", ") +
                  diag + QStringLiteral(")."));
}

// The standards of care of the accompanying diseases: "_1=MES;_2=MES;" with
// the nosology lists and diagnoses in the same form.
void CheckAccompanyingStandards(const CheckRow& row, RowFindings& found) {
  const QString mesAcc = row.Text(QStringLiteral("MES_ACC")).trimmed();
  const QString accomp = row.Text(QStringLiteral("ACCOMP"));
  if (mesAcc.isEmpty() || accomp.trimmed().isEmpty()) return;
  const QString accNoz = row.Text(QStringLiteral("ACC_NOZ")).trimmed();
  bool ok = false;
  const int count = TextBetween(QStringLiteral("_"), QStringLiteral("="), mesAcc, true).toInt(&ok);
  if (!ok) return;
  for (int i = 1; i <= count; ++i) {
    const QString marker = QLatin1Char('_') + QString::number(i) + QLatin1Char('=');
    const QString mes = TextBetween(marker, QStringLiteral(";"), mesAcc, false);
    const QString list = TextBetween(marker, QStringLiteral(";"), accNoz, false);
    const QString diagnosis = TextBetween(marker, QStringLiteral(";"), accomp, false);
    if (list.isEmpty() || mes.isEmpty())
      found.Sanction(52, QStringLiteral("Несущ.МЭС.по соп.заб.№") + QString::number(i) +
                             QLatin1Char('(') + mes + QStringLiteral(")."));
    if (!list.isEmpty() && !MkbInList(diagnosis, list))
      found.Refusal(QStringLiteral("Несоот.диаг.МЭСу по соп.заб.№") + QString::number(i) +
                    QLatin1Char('(') + mes + QStringLiteral(", ") + diagnosis +
                    QStringLiteral(")."));
  }
}

void CheckBirthAndYears(const CheckRow& row, RowFindings& found) {
  const QString dr = DayText(row.Date(QStringLiteral("DR"))).trimmed();
  const QString century = dr.mid(6, 2);
  if (dr.isEmpty() || century == QLatin1String("18"))
    found.Refusal(QStringLiteral("Не введена или не корректная дата рождения."));
  if (century != QLatin1String("19") && century != QLatin1String("20"))
    found.Refusal(QStringLiteral("Год рожд.долж.нач.на 19 или 20."));
  // The current year and the one before, from the discharge's text.
  const QString out = DayText(row.Date(QStringLiteral("DOUT_STAC")));
  const QString yyText = out.mid(8, 2);
  const int yy = RequiredNumber(yyText, "год выписки");
  const QString current = QStringLiteral("20") + yyText;
  const QString previous = out.mid(6, 2) + (yy <= 10 ? QStringLiteral("0") + QString::number(yy - 1)
                                                     : QString::number(yy - 1));
  const QString inYear = YearOf(row.Date(QStringLiteral("DIN_STAC")));
  if (inYear != current && inYear != previous)
    found.Refusal(QStringLiteral("Год даты пост.в стац.дол.быть текущ.или предыд."));
  const QString outYear = YearOf(row.Date(QStringLiteral("DOUT_STAC")));
  if (outYear != current && outYear != previous)
    found.Refusal(QStringLiteral("Год даты вып.из стац.дол.быть текущ.или предыд."));
}

void CheckOutOfRegionRefusals(const CheckRow& row, const RuleContext& rc, RowFindings& found) {
  const QString company = row.Text(QStringLiteral("COMP_NAME"));
  if (company.contains(QStringLiteral("ДРУГИЕ ГОСУДАРСТВА")))
    found.Refusal(
        QStringLiteral("Население из \"Других государств\" не принимается к оплате по ОМС."));
  if (rc.XmlPackageMode && row.Int(QStringLiteral("PR_FED")) == 0)
    found.Refusal(QStringLiteral("Отсутствие профиля в МТЛ"));
  if (Blank(row.Text(QStringLiteral("STAC_DIAG"))))
    found.Refusal(QStringLiteral("Отсутствие диагноза по основному заболеванию"));
  const int pol = row.Int(QStringLiteral("POL"));
  if (pol != 1 && pol != 2) found.Refusal(QStringLiteral("Невозможное значение \"пол пациента\""));
  const QString number = row.Text(QStringLiteral("NUMBER")).trimmed();
  if (rc.AgeMonths > 2 && !company.contains(QStringLiteral("Не застрахованное население")) &&
      (number.isEmpty() || number == QLatin1String("0")))
    found.Refusal(QStringLiteral("Не запол.полис у застр.бол."));
}

void CheckNames(const CheckRow& row, RowFindings& found) {
  struct Name {
    const char* Column;
    const char* Forbidden;
    const char* Single;
  };
  static const std::array<Name, 3> kNames{{
      {"FAMILY", "В фамилии бол.есть недоп.символы(",
       "Фамилия не может состоять из одного символа("},
      {"NAME", "В имени бол.есть недоп.символы(", "Имя не может состоять из одного символа("},
      {"FATHER", "В отчестве бол.есть недоп.символы(",
       "Отчество не может состоять из одного символа("},
  }};
  for (const Name& name : kNames) {
    const QString chars = ForbiddenNameChars(row.Text(QString::fromLatin1(name.Column)).trimmed());
    if (!chars.isEmpty())
      found.Notice(QString::fromUtf8(name.Forbidden) + chars + QStringLiteral(")."));
  }
  for (const Name& name : kNames) {
    const QString text = row.Text(QString::fromLatin1(name.Column)).trimmed();
    if (text.size() == 1)
      found.Notice(QString::fromUtf8(name.Single) + text + QStringLiteral(")."));
  }
}

}  // namespace

QString DayText(const QDate& date) {
  return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

void RowFindings::Sanction(int basis, const QString& message) {
  AddCaseError(Sanctions, Text, message, basis, CaseId, Text, 1);
  Items.append({FindingKind::Sanction, basis, message});
}

void RowFindings::Refusal(const QString& message) {
  Text += message;
  Refused = true;
  Items.append({FindingKind::Refusal, 0, message});
}

void RowFindings::Notice(const QString& message) {
  Text += message;
  Items.append({FindingKind::Notice, 0, message});
}

void CheckGroupA(const CheckRow& row, const RuleContext& rc, RowFindings& found) {
  CheckTalon(row, rc, found);
  if (rc.RegistrySource == RegistrySourceKind::XmlPackage && rc.XmlPackageMode) {
    const QVariant pPer = row.DetailValue(QStringLiteral("P_PER"));
    const QString per = pPer.toString().trimmed();
    if (pPer.isNull() || per.isEmpty())
      found.Sanction(52, QStringLiteral("Не указан признак перевода."));
    else if (per != QLatin1String("1") && per != QLatin1String("2") && per != QLatin1String("3") &&
             per != QLatin1String("4"))
      found.Sanction(53, QStringLiteral("Недопустимое значение(") + pPer.toString() +
                             QStringLiteral(") признака перевода."));
  }
  const QString id = row.Text(QStringLiteral("ID_ILL"));
  for (const QString& bad : rc.BadDocumentCases)
    if (bad == id) found.Refusal(QStringLiteral("Нарушение заполнения док.уд.лич."));
}

void CheckGroupB(const CheckRow& row, const RuleContext& rc, RowFindings& found) {
  if (row.Int(QStringLiteral("OPLAT")) == 2) return;
  const bool out = IsOutOfRegion(rc);
  // B1: the stay meets another; the paid-earlier check adds its sanctions.
  if (row.Value(QStringLiteral("SUM_MEK")).toDouble() == -1 && rc.PaidEarlier)
    rc.PaidEarlier(found);
  CheckSheetCodes(row, out, found);
  CheckSpecialityAndBed(row, rc, found);
  if (!out) {
    if (Blank(row.Text(QStringLiteral("MCOD"))))
      found.Sanction(57, QStringLiteral("Отсутствует код прикрепления"));
  } else {
    CheckOutOfRegionDocuments(row, rc, found);
  }
  CheckOnkoFile(row, found);
  const int oplat = row.Int(QStringLiteral("OPLAT"));
  if ((oplat == 1 || oplat == 6 || oplat == 7) && row.Int(QStringLiteral("DIAGGRP_ERR")) == 1)
    found.Sanction(53, QStringLiteral("Отсутствует подрубрика для диагноза"));
  ApplyFlags(row,
             {{"TALON_ERR", "Талон на ВМП выдан позже госп.более чем на день", 53},
              {"OSH47", "Не указан МЭС по осн.заболеванию", 53},
              {"OSH48", "В стат.карте не указан МКБ по осн.заболеванию", 53}},
             found);
  CheckSheetFields(row, found);
  CheckDiagnoses(row, found);
  const bool hasMes = !Blank(row.Text(QStringLiteral("KOD_MES")));
  // B11: the services of the high-tech method.
  if (row.IsSet(QStringLiteral("CNT_USL_ERR")) && rc.MonthIndex >= 7 && rc.Year >= 2017 &&
      (!out || hasMes))
    found.Sanction(118,
                   QStringLiteral("Отсутствуют услуги \"A16.12.004.009\" по данному методу ВМП"));
  if (row.Text(QStringLiteral("CONVOY_AGE_ERR")) == QLatin1String("2") && rc.Year >= 2017)
    found.Sanction(53, QStringLiteral("Совместное нахождение в круглосуточном стационаре возможно "
                                      "только с ребёнком до 4-х лет, при возрасте пациента ") +
                           row.Text(QStringLiteral("P_VOZRAST")) + QLatin1Char('.'));
  const QString mesErr = row.Text(QStringLiteral("MES_ERR"));
  if ((hasMes || out) && !mesErr.isEmpty())
    found.Sanction(53, QStringLiteral("Несоот.кода МЭС(") + mesErr.mid(2) +
                           QStringLiteral(") типу стац(") + mesErr.left(1) + QStringLiteral(")."));
  const QString osh32 = row.Text(QStringLiteral("OSH32"));
  if (!osh32.trimmed().isEmpty() && osh32 != QLatin1String("0")) found.Sanction(66, osh32);
  const int povtor = row.Int(QStringLiteral("OSH_POVTOR"));
  if (rc.WhoDetail.IsFund() && rc.MonthIndex != 0 && povtor == 1)
    found.Sanction(
        55, QStringLiteral("Повторно предъявленный случай не предъявлялся в прошлом месяце!"));
  if (povtor == 2)
    found.Sanction(62, QStringLiteral("На повторно предъявленный случай не было санкций!"));
  const QString osh49 = row.Text(QStringLiteral("OSH49"));
  if (osh49 == QLatin1String("1"))
    found.Sanction(
        53, QStringLiteral("Дата поступления (перевода, выписки) в выходные/праздничные дни;"));
  if (osh49 == QLatin1String("2"))
    found.Sanction(53, QStringLiteral("Одна или несколько услуг введены в праздничный/выходной "
                                      "день при дневном стационаре;"));
  const QDate dr = row.Date(QStringLiteral("DR"));
  const QDate in = row.Date(QStringLiteral("DIN_STAC"));
  if (RequiredNumber(row.Text(QStringLiteral("NOVOR")), "признак новорождённого") > 0 &&
      dr.isValid() && in.isValid() && dr.daysTo(in) > 60)
    found.Sanction(
        53,
        QStringLiteral("У ребёнка старше двух месяцев не может стоять признак новорожденного."));
  if (row.IsSet(QStringLiteral("ECO_ERR")))
    found.Sanction(65, QStringLiteral("Неверная схема этапов ЭКО."));
  const QString planErr = row.Text(QStringLiteral("PLAN_ERR"));
  if (!planErr.trimmed().isEmpty() && planErr != QLatin1String("0"))
    found.Sanction(66,
                   QStringLiteral("На профиль ") + Quoted(planErr) + QStringLiteral(" нет плана."));
  if (row.IsSet(QStringLiteral("PLAN_ERR2")))
    found.Sanction(66, QStringLiteral("На данный уровень (") +
                           QString::number(CodeKind(row.Text(QStringLiteral("KOD_MES")))) +
                           QStringLiteral(") нет плана."));
  if (row.IsSet(QStringLiteral("OSH33")))
    found.Sanction(66,
                   QStringLiteral("Кол-во соп.заб.прев.допуст.кол-во для город.и район.уровней"));
  if (row.Text(QStringLiteral("H_SMOOK")) == QLatin1String("37000") &&
      Blank(row.Text(QStringLiteral("H_SMOCOD"))))
    found.Sanction(53, QStringLiteral("Неизвестная СМО"));
  CheckMainStandard(row, rc, found);
  CheckAccompanyingStandards(row, found);
  if (!rc.HasKindOneSheet)
    ApplyFlags(row,
               {{"OSH34", "Несоот.рез.леч.по стац.карте и посл.МТЛ.", 0},
                {"OSH35", "Несоот.исх.леч.по стац.карте и посл.МТЛ.", 0}},
               found);
  if (row.IsSet(QStringLiteral("OSH39")))
    found.Notice(QStringLiteral("Нет кода МЭС по реанимации"));
  CheckBirthAndYears(row, found);
  if (row.Text(QStringLiteral("COMP_NAME"))
          .contains(QStringLiteral("Не застрахованное население")) &&
      !Blank(row.Text(QStringLiteral("SERIA"))) && !Blank(row.Text(QStringLiteral("NUMBER"))))
    found.Refusal(QStringLiteral("Запол.полис у не застр.бол."));
  if (out) CheckOutOfRegionRefusals(row, rc, found);
  CheckNames(row, found);
}

void CheckGroupC(const CheckRow& row, const RuleContext& rc, RowFindings& found) {
  const bool out = IsOutOfRegion(rc);
  ApplyFlags(row,
             {{"OSH41", "Отсутствует код страховой компании.", 0},
              {"OSH42", "Несоотв.возраста профилю койки.", 0},
              {"OSH36", "Несоот.дат по стац.карте и МТЛ.", 0}},
             found);
  const QDate start = row.Date(QStringLiteral("STARTD"));
  const QDate finish = row.Date(QStringLiteral("FINISH"));
  if (start.isValid() && finish.isValid() && start > finish)
    found.Refusal(QStringLiteral("Дата окончания лечения по МТЛ меньше даты начала лечения."));
  if (row.IsSet(QStringLiteral("OSH38")) && !rc.HasKindOneSheet)
    found.Sanction(53, QStringLiteral("Послед.день предыдущ.МТЛ не явл.перв.днем следующ.МТЛ."));
  static const std::array<std::pair<const char*, const char*>, 8> kParents{{
      {"OSH_PAR0", "У ребенка в возрасте до 3 месяцев не заполнены данные о родителе."},
      {"OSH_PAR1", "В данных представителя не заполнена фамилия."},
      {"OSH_PAR2", "В данных представителя не заполнено имя."},
      {"OSH_PAR3", "В данных представителя не заполнено отчество."},
      {"OSH_PAR4", "В данных представителя не заполнена дата рождения."},
      {"OSH_PAR5", "В данных представителя не заполнена серия,номер полиса."},
      {"OSH_PAR6", "В данных представителя не указана область проживания"},
      {"OSH_PAR7", "Несовпадение области проживания представителя и ребенка"},
  }};
  for (const auto& [column, message] : kParents)
    if (row.Int(QString::fromLatin1(column)) == 1)
      found.Refusal((out ? QStringLiteral(" ") : QString()) + QString::fromUtf8(message));
  if (!out && rc.HasKindOneSheet && rc.FirstService) {
    if (rc.FirstService->Err == 1)
      found.Refusal(QStringLiteral("Несуществующий код услуги ") + rc.FirstService->Uslug);
    if (rc.FirstService->Err == 2)
      found.Refusal(QStringLiteral("Не указано кол-во оказанных услуг ") + rc.FirstService->Uslug);
  }
  ApplyFlags(row,
             {{"OSH43",
               "Не указано кол-во дней совместного нахождения с ребенком одного из родителей", 0}},
             found);
  if (!out)
    ApplyFlags(row,
               {{"OSH_VOV", "Не найден в реестре ветеранов ВОВ", 0},
                {"OSH45", "Не указана медицинская организация, к которой прикриплен пациент", 0}},
               found);
  if (rc.RegistrySource == RegistrySourceKind::XmlFromDbf &&
      row.IsSet(QStringLiteral("BED_SPEC_ERR")))
    found.Sanction(
        53, QStringLiteral("Несоответствие профиля койки ") +
                Quoted(row.DetailValue(QStringLiteral("BED_NAME")).toString()) + QLatin1Char('(') +
                row.Text(QStringLiteral("P_BED")) + QStringLiteral(") и специальности врача ") +
                Quoted(row.DetailValue(QStringLiteral("SPECNAME")).toString()) + QLatin1Char('(') +
                row.Text(QStringLiteral("PRVS")) + QStringLiteral(")."));
  const QDate dateEnd = row.DetailValue(QStringLiteral("DATE_END")).toDate();
  const int cZab = row.DetailValue(QStringLiteral("C_ZAB")).toInt();
  if (dateEnd.isValid() && dateEnd >= QDate(2019, 2, 1) && cZab != 1 && cZab != 2 && cZab != 3 &&
      row.DetailValue(QStringLiteral("MTL_ONCO_STATUS")).toInt() == 1)
    found.Refusal(QStringLiteral("Характер основного заболевания не указан или указан неверно"));
}

bool OncologyChecksApply(const CheckRow& row, const RuleContext& rc) {
  if (rc.MonthIndex == 0 && rc.LpuId == 48 && rc.WhoDetail.Code() < 2) return false;
  const QDate out = row.Date(QStringLiteral("DOUT_STAC"));
  return row.Int(QStringLiteral("MTL_ONCO_STATUS")) > 0 && out.isValid() &&
         out >= QDate(2018, 9, 1);
}

void CheckOncologyOutputs(const CheckRow& row, const QVariantHash& outputs, RowFindings& found) {
  struct Output {
    const char* Name;
    int Value;
    const char* Message;
  };
  // Up to OUT_ERR_USLUG_TO every discharge from September 2018; the rest
  // from December 2018.
  static const Output kOutputs[] = {
      {"STAGE", 1, "Стадия онкологии не заполнена. "},
      {"STAGE", 2, "Стадия онкологии заполнена неверно. "},
      {"TUMOR", 1, "Признак Tumor не заполнен. "},
      {"TUMOR", 2, "Признак Tumor заполнен неверно. "},
      {"NODUS", 1, "Признак Nodus не заполнен. "},
      {"NODUS", 2, "Признак Nodus заполнен неверно. "},
      {"METAS", 1, "Признак Metastasis не заполнен. "},
      {"METAS", 2, "Признак Metastasis заполнен неверно. "},
      {"DIST_METAS", 1,
       "Признак наличия отдалённых метастазов может быть указан только при рецидиве или "
       "прогрессировании заболевания. "},
      {"DOSE", 1, "Не заполнена суммарная очаговая доза. "},
      {"DECLINE", 1, "Не заполнен код противопоказания/отказа."},
      {"DATE_DECLINE", 1, "Не заполнена дата противопоказания/отказа."},
      {"DIAGNOSTIC_TYPE", 1, "Не заполнен тип диагностики. "},
      {"G_SIGN", 1, "Не заполнен гистологический признак. "},
      {"G_SIGN", 2, "Гистологический признак заполнен неверно. "},
      {"G_TEST", 1, "Не заполнен результат диагностики по гистологическому признаку. "},
      {"G_TEST", 2, "Результат диагностики по гистологическому признаку заполнен неверно. "},
      {"MARKER", 1, "Не заполнен тип маркёра. "},
      {"MARKER", 2, "Тип маркёра заполнен неверно. "},
      {"M_RES", 1, "Не заполнен результат диагностики с применением маркёра. "},
      {"M_RES", 2, "Результат диагностики с применением маркёра заполнен неверно. "},
      {"DIRECT_DATE", 1, "Не заполнена дата направления. "},
      {"DIRECT_TYPE", 1, "Не заполнен вид направления. "},
      {"METHOD", 1, "Неверно заполнен метод диагностического исследования в направлении. "},
      {"USLUG_TO", 1, "Не заполнен код услуги в направлении. "},
      {"FRACTIONS", 1,
       "Количество фракций проведения лучевой терапии обязательно к заполнению при проведении "
       "лучевой или химиолучевой терапии. "},
      {"ONCO_USLUG", 1,
       "Сведения об услуге при лечении онкологического заболевания должны быть заполнены при "
       "проведении противоопухолевого лечения. "},
      {"ID_CAUSE", 1, "Повод обращения не заполнен. "},
      {"ID_ONCO", 1,
       "Сведения о случае лечения онкологического заболевания должны быть заполнены при "
       "отнесении случая к онкологии. "},
      {"DIAG_DATE", 1, "Дата проведения диагностики не заполнена. "},
      {"CONSILIUM", 1,
       "Данные о проведённом консилиуме должны быть заполнены при подозрении или отнесении "
       "случая к онкологии. "},
      {"PR_CONS", 1, "Цель проведения консилиума не заполнена. "},
      {"DT_CONS", 1,
       "Дата проведения консилиума должна быть заполнена, если консилиум проводился. "},
      {"U_TYPE", 1, "Тип услуги при лечении онкологического заболевания не заполнен. "},
      {"ID_T_LINE", 1,
       "Линия лекарственной терапии должна быть заполнена при проведении лекарственной "
       "противоопухолевой терапии. "},
      {"ID_T_CYCLE", 1,
       "Цикл лекарственной терапии должен быть заполнен при проведении лекарственной "
       "противоопухолевой терапии. "},
      {"R_TYPE", 1,
       "Тип лучевой терапии должен быть заполнен при проведении лучевой или химиолучевой "
       "терапии. "},
      {"ONCO_MEDICALS", 1,
       "Сведения о введенном противоопухолевом лекарственном препарате должны быть заполнены при "
       "проведении лекарств. противоопухолевой или химиолучевой терапии. "},
      {"CODE_DRUG", 1, "Не заполнен код лекарственного препарата. "},
      {"CODE_SCHEM", 1, "Не заполнен код схемы лекарственной терапии. "},
      {"CODE_SCHEM", 2,
       "Схемы лекарственной терапии не могут применяться в данном случае (менее 18 лет или при "
       "злокачественных новообразованиях лимфоидной и кроветворной тканей С81-С96). "},
      {"CODE_SCHEM", 3,
       "Недопустимый код схемы \"Нет\" (может быть только при возрасте менее 18 лет или при "
       "злокачественных новообразованиях лимфоидной и кроветворной тканей С81-С96). "},
      {"DATE_INJ", 1, "Не заполнены даты введения лекарственных препаратов. "},
  };
  const bool late = row.Date(QStringLiteral("DOUT_STAC")) >= QDate(2018, 12, 1);
  for (const Output& output : kOutputs) {
    const QString name = QStringLiteral("OUT_ERR_") + QString::fromLatin1(output.Name);
    if (name == QLatin1String("OUT_ERR_FRACTIONS") && !late) break;
    if (outputs.value(name).toInt() == output.Value)
      found.Sanction(53, QString::fromUtf8(output.Message));
  }
}

void IdentifyInsurance(const CheckRow& row, const QList<RegisterPerson>& persons,
                       RowFindings& found) {
  const QString smook = row.Text(QStringLiteral("H_SMOOK")).trimmed();
  const QString ser = row.Text(QStringLiteral("SERIA")).trimmed();
  const QString num = row.Text(QStringLiteral("NUMBER")).trimmed();
  const QString dser = row.Text(QStringLiteral("H_DOCSER")).trimmed();
  const QString dnum = row.Text(QStringLiteral("H_DOCNUM")).trimmed();
  const QDate in = row.Date(QStringLiteral("DIN_STAC"));
  bool found_ = false;
  bool matched = false;
  QString message;
  for (int i = static_cast<int>(persons.size()) - 1; i >= 0 && (!found_ || !message.isEmpty());
       --i) {
    const RegisterPerson& p = persons[i];
    const QString spolis = p.Spolis.trimmed(), npolis = p.Npolis.trimmed();
    const QString docser = p.DocSer.trimmed(), docnum = p.DocNum.trimmed();
    QString mismatch;
    if (p.TerrOms.trimmed() == smook && smook == QLatin1String("37000")) {
      matched = true;
    } else if (spolis == ser && npolis == num && (!ser.isEmpty() || !num.isEmpty())) {
      matched = true;
    } else if (docser == dser && docnum == dnum && (!dser.isEmpty() || !dnum.isEmpty())) {
      matched = true;
    } else if (message.isEmpty()) {
      if (spolis + npolis == ser + num && !ser.isEmpty() && !num.isEmpty())
        mismatch += QStringLiteral("Ошибка идентификации: серия и №полиса указаны слитно;");
      if (docser + docnum == dser + dnum && !dser.isEmpty() && !dnum.isEmpty())
        mismatch += QStringLiteral("Ошибка идентификации: серия и №док.УДЛ указаны слитно;");
      if (npolis != num)
        mismatch += QStringLiteral("Ош.идентификации: указан полис № ") + num +
                    QStringLiteral(" вместо ") + npolis + QLatin1Char(';');
      if (spolis != ser)
        mismatch += QStringLiteral("Ош.идент.:  указан полис серия ") + ser +
                    QStringLiteral(" вместо ") + spolis + QLatin1Char(';');
      if (docser != dser)
        mismatch += QStringLiteral("Ош.идент.:  указан док.серия ") + dser +
                    QStringLiteral(" вместо ") + docser + QLatin1Char(';');
      if (docnum != dnum)
        mismatch += QStringLiteral("Ош.идент.:  указан док.№ ") + dnum +
                    QStringLiteral(" вместо ") + docnum + QLatin1Char(';');
    }
    if (!matched && mismatch.isEmpty()) continue;
    const QString answer = p.Answer.trimmed();
    const bool newest = i == persons.size() - 1;
    bool covers = p.Date1.isValid() && p.Date2.isValid() && p.Date1 <= in && in <= p.Date2;
    if (!covers && answer == QLatin1String("2") && newest) covers = true;
    if (!covers && answer == QLatin1String("3") && p.DateEdit.isValid() && in <= p.DateEdit)
      covers = true;
    if (!covers) continue;
    if (!matched) {
      message = mismatch;
    } else if (((answer == QLatin1String("1") || answer == QLatin1String("2")) &&
                p.TerrOms.trimmed() == smook) ||
               answer == QLatin1String("3")) {
      found_ = true;
      message.clear();
      if (answer == QLatin1String("1") && !(ser + num).isEmpty() && spolis + npolis != ser + num)
        message = QStringLiteral("Ош.идентификации: указан полис ") + Quoted(ser) +
                  QLatin1Char(' ') + Quoted(num) + QStringLiteral(" вместо ") + Quoted(spolis) +
                  QLatin1Char(' ') + Quoted(npolis) + QLatin1Char(';');
    } else {
      message = QStringLiteral("Ош.идент.: терр.страхования ") + smook +
                QStringLiteral(" вместо ") + p.TerrOms.trimmed();
    }
  }
  if (!message.isEmpty())
    found.Sanction(57, message);
  else if (!found_)
    found.Sanction(57, QStringLiteral("Запись не проходила страховую идентификацию в ТФ ОМС"));
}

}  // namespace kelmo
