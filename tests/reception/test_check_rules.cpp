// The rules of groups A, B and C and the oncology outputs, one fixture row
// per rule: a clean row with the one column that breaks the rule, and
// exactly the finding, its kind and basis that the rule gives.
#include <gtest/gtest.h>

#include <QDate>
#include <functional>
#include <vector>

#include "domain/common.h"
#include "reception/check_rules.h"

using namespace kelmo;

namespace {

// A row that breaks no rule: an adult home-region patient, one sheet.
CheckRow CleanRow() {
  CheckRow row;
  const std::pair<const char*, QVariant> proc[] = {
      {"FAMILY", QStringLiteral("ИВАНОВ")},
      {"NAME", QStringLiteral("ИВАН")},
      {"FATHER", QStringLiteral("ИВАНОВИЧ")},
      {"ID_ILL", 7},
      {"NOMMTL", 1},
      {"MTLCNT", 1},
      {"OPLAT", 1},
      {"DR", QDate(1960, 5, 20)},
      {"DIN_STAC", QDate(2026, 3, 1)},
      {"DOUT_STAC", QDate(2026, 3, 10)},
      {"STARTD", QDate(2026, 3, 1)},
      {"FINISH", QDate(2026, 3, 10)},
      {"DATE_REP", QDate(2026, 3, 1)},
      {"NOVOR", QStringLiteral("0")},
      {"OSH32", QStringLiteral("0")},
      {"PLAN_ERR", QStringLiteral("0")},
      {"MCOD", QStringLiteral("450001")},
      {"STAC_DIAG", QStringLiteral("I10")},
      {"COMP_NAME", QStringLiteral("СК Первая")},
      {"NUMBER", QStringLiteral("1234567890")},
      {"POL", 1},
      {"PR_FED", 97},
      {"SUM_MEK", QVariant()},
  };
  for (const auto& [name, value] : proc) row.Proc.insert(QString::fromLatin1(name), value);
  row.Detail.insert(QStringLiteral("XMLREP"), 0);
  row.Detail.insert(QStringLiteral("DATE_END"), QDate(2026, 3, 31));
  row.Detail.insert(QStringLiteral("C_ZAB"), 1);
  row.Detail.insert(QStringLiteral("MTL_ONCO_STATUS"), 0);
  row.Detail.insert(QStringLiteral("ISNEEDONCOFILE"), 0);
  row.Detail.insert(QStringLiteral("ONCO_SLUCH"), QVariant());
  return row;
}

RuleContext Context() {
  RuleContext rc;
  rc.Year = 2026;
  rc.MonthIndex = 2;
  rc.WhoDetail = WhoDetail(2);
  rc.LpuId = 1;
  return rc;
}

QList<Finding> Check(const CheckRow& row, const RuleContext& rc) {
  RowFindings found;
  found.CaseId = row.Int(QStringLiteral("ID_ILL"));
  CheckGroupA(row, rc, found);
  CheckGroupB(row, rc, found);
  CheckGroupC(row, rc, found);
  return found.Items;
}

Finding S(int basis, const char* text) {
  return {FindingKind::Sanction, basis, QString::fromUtf8(text)};
}
Finding R(const char* text) {
  return {FindingKind::Refusal, 0, QString::fromUtf8(text)};
}
Finding N(const char* text) {
  return {FindingKind::Notice, 0, QString::fromUtf8(text)};
}

struct RuleCase {
  const char* name;
  std::function<void(CheckRow&, RuleContext&)> setUp;
  QList<Finding> expected;
};

void Set(CheckRow& row, const char* column, const QVariant& value = QStringLiteral("1")) {
  row.Proc.insert(QString::fromLatin1(column), value);
}
void SetDetail(CheckRow& row, const char* column, const QVariant& value) {
  row.Detail.insert(QString::fromLatin1(column), value);
}

std::ostream& operator<<(std::ostream& os, const Finding& f) {
  return os << static_cast<int>(f.Kind) << "/" << f.Basis << " " << f.Text.toStdString();
}

const std::vector<RuleCase>& Cases() {
  static const std::vector<RuleCase> cases = {
      {"clean", [](CheckRow&, RuleContext&) {}, {}},
      // Group A.
      {"A1 high-tech coupon",
       [](CheckRow& r, RuleContext& rc) {
         rc.PayKind = PayKind::Vmp;
         Set(r, "OPLAT", 6);
         SetDetail(r, "TAL_D", QVariant());
       },
       {S(52, "Не указана дата выдачи талона на ВМП."), S(52, "Не указан номер талона на ВМП."),
        S(52, "Не указана дата план.госп. по ВМП.")}},
      {"A1 before July 2018",
       [](CheckRow& r, RuleContext& rc) {
         rc.PayKind = PayKind::Vmp;
         Set(r, "OPLAT", 6);
         SetDetail(r, "DATE_END", QDate(2018, 6, 30));
       },
       {}},
      {"A2 transfer sign missing",
       [](CheckRow&, RuleContext& rc) {
         rc.RegistrySource = RegistrySourceKind::XmlPackage;
         rc.XmlPackageMode = true;
       },
       {S(52, "Не указан признак перевода.")}},
      {"A2 transfer sign wrong",
       [](CheckRow& r, RuleContext& rc) {
         rc.RegistrySource = RegistrySourceKind::XmlPackage;
         rc.XmlPackageMode = true;
         SetDetail(r, "P_PER", QStringLiteral("7"));
       },
       {S(53, "Недопустимое значение(7) признака перевода.")}},
      {"A3 identity document",
       [](CheckRow&, RuleContext& rc) { rc.BadDocumentCases = {QStringLiteral("7")}; },
       {R("Нарушение заполнения док.уд.лич.")}},
      // Group B.
      {"B1 paid earlier",
       [](CheckRow& r, RuleContext& rc) {
         Set(r, "SUM_MEK", -1);
         rc.PaidEarlier = [](RowFindings& f) { f.Sanction(70, QStringLiteral("оплачена ранее;")); };
       },
       {S(70, "оплачена ранее;")}},
      {"B2 impossible sheet codes",
       [](CheckRow& r, RuleContext&) {
         Set(r, "KOD_MES", QStringLiteral("1234567"));
         for (const char* f : {"OSH2", "OSH3", "OSH4", "OSH7", "OSH8", "OSH10"}) Set(r, f);
       },
       {S(52, "Невозм.зн.поля STAN_OBSL."), S(52, "Невозм.зн.поля STAN_LECEN."),
        S(52, "Невозм.зн.поля KASH_MES."), S(52, "Невозм.зн.поля KURACIA."),
        S(52, "Невозм.зн.поля EXTREN."), S(52, "Невозм.зн.поля INTERRUPT.")}},
      {"B2 without a standard", [](CheckRow& r, RuleContext&) { Set(r, "OSH2"); }, {}},
      {"B3 speciality and bed",
       [](CheckRow& r, RuleContext& rc) {
         rc.XmlPackageMode = true;
         Set(r, "PRVS", 76);
         Set(r, "PRVS_ERR", 1);
         Set(r, "PROF_ERR", 2);
         Set(r, "P_BED", 3);
         Set(r, "LEKAR_ERR", QStringLiteral("Врач не найден"));
       },
       {S(69, "спец.(код: 76) недопустима в системе ОМС"),
        S(53, "Проф.койки(код: 3) не соотв.профилю мед.пом.(код: 97)"), S(53, "Врач не найден")}},
      {"B3 unknown speciality and unpaid bed",
       [](CheckRow& r, RuleContext& rc) {
         rc.XmlPackageMode = true;
         Set(r, "PRVS", 999);
         Set(r, "PRVS_ERR", -1);
         Set(r, "PROF_ERR", 1);
       },
       {R("спец.(код: 999) не найдена в справочнике V004"),
        R("Проф.койки не указан или не оплачивается по ОМС")}},
      {"B4 attachment",
       [](CheckRow& r, RuleContext&) { Set(r, "MCOD", QStringLiteral(" ")); },
       {S(57, "Отсутствует код прикрепления")}},
      {"B5 oncology file",
       [](CheckRow& r, RuleContext&) { SetDetail(r, "ONCO_SLUCH", 1); },
       {S(53, "Случай, не относящийся к онкологии, указан в файле с онко-случаями")}},
      {"B5 missing from oncology file",
       [](CheckRow& r, RuleContext&) { SetDetail(r, "ISNEEDONCOFILE", 1); },
       {S(53, "Случай с данными по онкологии указан в файле с HM...")}},
      {"B6 subheading",
       [](CheckRow& r, RuleContext&) { Set(r, "DIAGGRP_ERR", 1); },
       {S(53, "Отсутствует подрубрика для диагноза")}},
      {"B7 coupon late",
       [](CheckRow& r, RuleContext&) { Set(r, "TALON_ERR"); },
       {S(53, "Талон на ВМП выдан позже госп.более чем на день")}},
      {"B8 standard and main diagnosis",
       [](CheckRow& r, RuleContext&) {
         Set(r, "OSH47");
         Set(r, "OSH48");
       },
       {S(53, "Не указан МЭС по осн.заболеванию"),
        S(53, "В стат.карте не указан МКБ по осн.заболеванию")}},
      {"B9 sheet fields",
       [](CheckRow& r, RuleContext&) {
         for (const char* f : {"OSH5", "OSH11", "OSH12", "OSH14", "OSH15", "OSH16", "OSH17",
                               "OSH18", "OSH19", "OSH27", "OSH20"})
           Set(r, f);
       },
       {S(53, "Невозм.зн.поля \"Результат лечения\"."), S(53, "Отс.проф.в МТЛ."),
        S(53, "Отс.диаг.в МТЛ."), R("Отс.зак.сл.в МТЛ."), S(53, "Отс.рез.леч.в МТЛ."),
        S(53, "Отс.исх.леч.в МТЛ."), R("Невозм.зн.поля DOKUMENT."), S(53, "Невозм.зн.поля POL."),
        S(53, "Отс.дата рожд."), S(57, "Не зап.ни один док."),
        S(53, "Несоот.стр.комп. и обл.стр.комп.")}},
      {"B9 outcome",
       [](CheckRow& r, RuleContext&) { Set(r, "OSH6"); },
       {S(53,
          "Невозм.зн.поля \"Исход лечения\".(Исход лечения \"продолжает лечение в отделении\" "
          "может заполняться только на на койках фтизиатрического, психиатрического и "
          "наркологического профиля)")}},
      {"B10 main diagnosis unknown hides the rest",
       [](CheckRow& r, RuleContext&) {
         for (const char* f : {"OSH21_1", "OSH21_2", "OSH21_3", "OSH21_4"}) Set(r, f);
       },
       {S(53, "Несущ.шифр МКБ по осн.заб.")}},
      {"B10 main diagnosis",
       [](CheckRow& r, RuleContext&) {
         Set(r, "OSH21_1", QStringLiteral("0"));
         for (const char* f : {"OSH21_2", "OSH21_3", "OSH21_4"}) Set(r, f);
       },
       {S(61, "Не оплач.диаг.по ОМС по осн.заб."), S(53, "Несоот.нозол. и пола по осн.заб."),
        S(53, "Несоот.нозол. и возр.по осн.заб.")}},
      {"B10 first accompanying unknown and unpaid",
       [](CheckRow& r, RuleContext&) {
         Set(r, "OSH22_1");
         Set(r, "OSH22_2");
       },
       {S(53, "Несущ.шифр МКБ по соп.заб.№1.")}},
      {"B10 accompanying",
       [](CheckRow& r, RuleContext&) {
         for (const char* f : {"OSH22_1", "OSH23_1", "OSH24_1"}) Set(r, f, QStringLiteral("0"));
         for (const char* f : {"OSH22_2", "OSH22_3", "OSH22_4", "OSH23_2", "OSH23_3", "OSH23_4",
                               "OSH24_2", "OSH24_3", "OSH24_4"})
           Set(r, f);
       },
       {S(61, "Не оплач.диаг.по ОМС по соп.заб.№1."), R("Несоот.нозол. и пола по соп.заб.№1."),
        R("Несоот.нозол. и возр.по соп.заб.№1."), S(61, "Не оплач.диаг.по ОМС по соп.заб.№2."),
        R("Несоот.нозол. и пола по соп.заб.№2."), R("Несоот.нозол. и возр.по соп.заб.№2."),
        S(61, "Не оплач.диаг.по ОМС по соп.заб.№3."), R("Несоот.нозол. и пола по соп.заб.№3."),
        R("Несоот.нозол. и возр.по соп.заб.№3.")}},
      {"B10 unknown second and third",
       [](CheckRow& r, RuleContext&) {
         Set(r, "OSH23_1");
         Set(r, "OSH24_1");
       },
       {R("Несущ.шифр МКБ по соп.заб.№2."), R("Несущ.шифр МКБ по соп.заб.№3.")}},
      {"B11 August 2017",
       [](CheckRow& r, RuleContext& rc) {
         Set(r, "CNT_USL_ERR");
         rc.MonthIndex = 7;
         rc.Year = 2017;
       },
       {S(118, "Отсутствуют услуги \"A16.12.004.009\" по данному методу ВМП")}},
      {"B11 July 2018",
       [](CheckRow& r, RuleContext& rc) {
         Set(r, "CNT_USL_ERR");
         rc.MonthIndex = 6;
         rc.Year = 2018;
       },
       {}},
      {"B12 accompanying adult",
       [](CheckRow& r, RuleContext&) {
         Set(r, "CONVOY_AGE_ERR", QStringLiteral("2"));
         Set(r, "P_VOZRAST", 6);
       },
       {S(53,
          "Совместное нахождение в круглосуточном стационаре возможно только с ребёнком до "
          "4-х лет, при возрасте пациента 6.")}},
      {"B13 standard of another type",
       [](CheckRow& r, RuleContext&) {
         Set(r, "KOD_MES", QStringLiteral("1234567"));
         Set(r, "MES_ERR", QStringLiteral("2_1234567"));
       },
       {S(53, "Несоот.кода МЭС(1234567) типу стац(2).")}},
      {"B14 its own text",
       [](CheckRow& r, RuleContext&) { Set(r, "OSH32", QStringLiteral("Превышен план")); },
       {S(66, "Превышен план")}},
      {"B15 repeated not presented",
       [](CheckRow& r, RuleContext&) { Set(r, "OSH_POVTOR", 1); },
       {S(55, "Повторно предъявленный случай не предъявлялся в прошлом месяце!")}},
      {"B15 not in January",
       [](CheckRow& r, RuleContext& rc) {
         Set(r, "OSH_POVTOR", 1);
         rc.MonthIndex = 0;
       },
       {}},
      {"B16 repeated without sanctions",
       [](CheckRow& r, RuleContext&) { Set(r, "OSH_POVTOR", 2); },
       {S(62, "На повторно предъявленный случай не было санкций!")}},
      {"B17 holiday",
       [](CheckRow& r, RuleContext&) { Set(r, "OSH49", QStringLiteral("1")); },
       {S(53, "Дата поступления (перевода, выписки) в выходные/праздничные дни;")}},
      {"B17 holiday service",
       [](CheckRow& r, RuleContext&) { Set(r, "OSH49", QStringLiteral("2")); },
       {S(53,
          "Одна или несколько услуг введены в праздничный/выходной день при дневном "
          "стационаре;")}},
      {"B18 newborn older than two months",
       [](CheckRow& r, RuleContext&) {
         Set(r, "NOVOR", QStringLiteral("1"));
         Set(r, "DR", QDate(2025, 12, 1));
       },
       {S(53, "У ребёнка старше двух месяцев не может стоять признак новорожденного.")}},
      {"B19 ECO",
       [](CheckRow& r, RuleContext&) { Set(r, "ECO_ERR"); },
       {S(65, "Неверная схема этапов ЭКО.")}},
      {"B20 plans",
       [](CheckRow& r, RuleContext&) {
         Set(r, "PLAN_ERR", QStringLiteral("терапия"));
         Set(r, "PLAN_ERR2");
         Set(r, "KOD_MES", QStringLiteral("2234567"));
         Set(r, "OSH33");
       },
       {S(66, "На профиль \"терапия\" нет плана."), S(66, "На данный уровень (2) нет плана."),
        S(66, "Кол-во соп.заб.прев.допуст.кол-во для город.и район.уровней")}},
      {"B21 unknown insurer",
       [](CheckRow& r, RuleContext&) { Set(r, "H_SMOOK", QStringLiteral("37000")); },
       {S(53, "Неизвестная СМО")}},
      {"B22 diagnosis outside the standard",
       [](CheckRow& r, RuleContext&) {
         Set(r, "KOD_MES", QStringLiteral(" 1234567 "));
         Set(r, "NOZOLOG", QStringLiteral("A00-A09"));
       },
       {R("Несоот.диаг.МЭСу по осн.заб.(1234567, I10).")}},
      {"B23 accompanying standards",
       [](CheckRow& r, RuleContext&) {
         Set(r, "MES_ACC", QStringLiteral("_1=12345;_2=23456;"));
         Set(r, "ACC_NOZ", QStringLiteral("_1=A00-A09;_2=;"));
         Set(r, "ACCOMP", QStringLiteral("_1=B20;_2=C00;"));
       },
       {R("Несоот.диаг.МЭСу по соп.заб.№1(12345, B20)."),
        S(52, "Несущ.МЭС.по соп.заб.№2(23456).")}},
      {"B24 stat card against the last sheet",
       [](CheckRow& r, RuleContext&) {
         Set(r, "OSH34");
         Set(r, "OSH35");
       },
       {R("Несоот.рез.леч.по стац.карте и посл.МТЛ."),
        R("Несоот.исх.леч.по стац.карте и посл.МТЛ.")}},
      {"B24 not with a sheet of kind 1",
       [](CheckRow& r, RuleContext& rc) {
         Set(r, "OSH34");
         rc.HasKindOneSheet = true;
       },
       {}},
      {"B25 reanimation",
       [](CheckRow& r, RuleContext&) { Set(r, "OSH39"); },
       {N("Нет кода МЭС по реанимации")}},
      {"B26 empty birth date",
       [](CheckRow& r, RuleContext&) { Set(r, "DR", QVariant()); },
       {R("Не введена или не корректная дата рождения."), R("Год рожд.долж.нач.на 19 или 20.")}},
      {"B26 nineteenth century",
       [](CheckRow& r, RuleContext&) { Set(r, "DR", QDate(1899, 1, 1)); },
       {R("Не введена или не корректная дата рождения."), R("Год рожд.долж.нач.на 19 или 20.")}},
      {"B27 admission two years back",
       [](CheckRow& r, RuleContext&) {
         Set(r, "DIN_STAC", QDate(2017, 12, 30));
         Set(r, "DOUT_STAC", QDate(2019, 3, 15));
         Set(r, "STARTD", QDate(2017, 12, 30));
         Set(r, "FINISH", QDate(2019, 3, 15));
       },
       {R("Год даты пост.в стац.дол.быть текущ.или предыд.")}},
      {"B27 admission the year before",
       [](CheckRow& r, RuleContext&) {
         Set(r, "DIN_STAC", QDate(2018, 12, 30));
         Set(r, "DOUT_STAC", QDate(2019, 3, 15));
         Set(r, "STARTD", QDate(2018, 12, 30));
         Set(r, "FINISH", QDate(2019, 3, 15));
       },
       {}},
      {"B28 policy of the uninsured",
       [](CheckRow& r, RuleContext&) {
         Set(r, "COMP_NAME", QStringLiteral("Не застрахованное население"));
         Set(r, "SERIA", QStringLiteral("45"));
       },
       {R("Запол.полис у не застр.бол.")}},
      {"B29 B30 names",
       [](CheckRow& r, RuleContext&) {
         Set(r, "FAMILY", QStringLiteral("ИВА,НОВ"));
         Set(r, "NAME", QStringLiteral("И"));
       },
       {N("В фамилии бол.есть недоп.символы(,)."),
        N("Имя не может состоять из одного символа(И).")}},
      {"payment kind 2 skips group B",
       [](CheckRow& r, RuleContext&) {
         Set(r, "OPLAT", 2);
         Set(r, "OSH39");
         Set(r, "OSH41");
       },
       {R("Отсутствует код страховой компании.")}},
      // Group C.
      {"C1 C2 C3",
       [](CheckRow& r, RuleContext&) {
         Set(r, "OSH41");
         Set(r, "OSH42");
         Set(r, "OSH36");
       },
       {R("Отсутствует код страховой компании."), R("Несоотв.возраста профилю койки."),
        R("Несоот.дат по стац.карте и МТЛ.")}},
      {"C4 sheet ends before it starts",
       [](CheckRow& r, RuleContext&) { Set(r, "FINISH", QDate(2026, 2, 28)); },
       {R("Дата окончания лечения по МТЛ меньше даты начала лечения.")}},
      {"C5 sheets not adjoining",
       [](CheckRow& r, RuleContext&) { Set(r, "OSH38"); },
       {S(53, "Послед.день предыдущ.МТЛ не явл.перв.днем следующ.МТЛ.")}},
      {"C6 representative",
       [](CheckRow& r, RuleContext&) {
         for (const char* f : {"OSH_PAR0", "OSH_PAR1", "OSH_PAR2", "OSH_PAR3", "OSH_PAR4",
                               "OSH_PAR5", "OSH_PAR6", "OSH_PAR7"})
           Set(r, f, 1);
       },
       {R("У ребенка в возрасте до 3 месяцев не заполнены данные о родителе."),
        R("В данных представителя не заполнена фамилия."),
        R("В данных представителя не заполнено имя."),
        R("В данных представителя не заполнено отчество."),
        R("В данных представителя не заполнена дата рождения."),
        R("В данных представителя не заполнена серия,номер полиса."),
        R("В данных представителя не указана область проживания"),
        R("Несовпадение области проживания представителя и ребенка")}},
      {"C7 unknown service",
       [](CheckRow&, RuleContext& rc) {
         rc.HasKindOneSheet = true;
         rc.FirstService = ServiceFinding{QStringLiteral("A16.99"), 1};
       },
       {R("Несуществующий код услуги A16.99")}},
      {"C7 service count",
       [](CheckRow&, RuleContext& rc) {
         rc.HasKindOneSheet = true;
         rc.FirstService = ServiceFinding{QStringLiteral("A16.01"), 2};
       },
       {R("Не указано кол-во оказанных услуг A16.01")}},
      {"C8 C9 C10",
       [](CheckRow& r, RuleContext&) {
         Set(r, "OSH43");
         Set(r, "OSH_VOV");
         Set(r, "OSH45");
       },
       {R("Не указано кол-во дней совместного нахождения с ребенком одного из родителей"),
        R("Не найден в реестре ветеранов ВОВ"),
        R("Не указана медицинская организация, к которой прикриплен пациент")}},
      {"C11 bed and speciality",
       [](CheckRow& r, RuleContext& rc) {
         rc.RegistrySource = RegistrySourceKind::XmlFromDbf;
         Set(r, "BED_SPEC_ERR");
         Set(r, "P_BED", 3);
         Set(r, "PRVS", 67);
         SetDetail(r, "BED_NAME", QStringLiteral("кардиологические"));
         SetDetail(r, "SPECNAME", QStringLiteral("Хирургия"));
       },
       {S(53,
          "Несоответствие профиля койки \"кардиологические\"(3) и специальности врача "
          "\"Хирургия\"(67).")}},
      {"C12 character of the disease",
       [](CheckRow& r, RuleContext&) {
         SetDetail(r, "MTL_ONCO_STATUS", 1);
         SetDetail(r, "C_ZAB", 0);
       },
       {R("Характер основного заболевания не указан или указан неверно")}},
      // The out-of-region pass.
      {"out-of-region B2 refuses",
       [](CheckRow& r, RuleContext& rc) {
         rc.Pass = Population::OutOfRegion;
         rc.AgeMonths = 500;
         Set(r, "KOD_MES", QStringLiteral("1234567"));
         Set(r, "NOZOLOG", QStringLiteral("I10"));
         Set(r, "OSH2");
       },
       {R("Невозм.зн.поля STAN_OBSL.")}},
      {"out-of-region documents",
       [](CheckRow& r, RuleContext& rc) {
         rc.Pass = Population::OutOfRegion;
         rc.XmlPackageMode = true;
         rc.AgeMonths = 500;
         Set(r, "PRVS_ERR", 0);
         Set(r, "PROF_ERR", 0);
         Set(r, "H_VPOLIS", 1);
         Set(r, "MCOD", QString());
       },
       {S(53, "Не записан паспорт у иногороднего больного")}},
      {"out-of-region passport of a child",
       [](CheckRow& r, RuleContext& rc) {
         rc.Pass = Population::OutOfRegion;
         rc.XmlPackageMode = true;
         rc.AgeMonths = 60;
         Set(r, "PRVS_ERR", 0);
         Set(r, "PROF_ERR", 0);
         Set(r, "H_VPOLIS", 3);
         Set(r, "H_FDOCS", 14);
         Set(r, "H_DOCNUM", QStringLiteral("123456"));
         Set(r, "DR", QDate(2021, 1, 1));
       },
       {S(53, "У иногороднего больного до 14 лет не может быть паспорта.")}},
      {"out-of-region standard and levels",
       [](CheckRow& r, RuleContext& rc) {
         rc.Pass = Population::OutOfRegion;
         rc.AgeMonths = 500;
         Set(r, "KOD_MES", QStringLiteral("3234567 "));
         Set(r, "NOZOLOG", QStringLiteral("A00"));
         Set(r, "UR_R", QStringLiteral("-"));
       },
       {N("Несоот.ур.проф.койки МЭСу по осн.заб.(3234567)."),
        R("Несоот.диаг.МЭСу по осн.заб.(3234567 , I10).")}},
      {"out-of-region standard unknown",
       [](CheckRow& r, RuleContext& rc) {
         rc.Pass = Population::OutOfRegion;
         rc.AgeMonths = 500;
         Set(r, "KOD_MES", QStringLiteral("1234567"));
       },
       {R("Несущ.МЭС.по осн.заб.(1234567).")}},
      {"out-of-region further refusals",
       [](CheckRow& r, RuleContext& rc) {
         rc.Pass = Population::OutOfRegion;
         rc.XmlPackageMode = true;
         rc.AgeMonths = 500;
         Set(r, "PRVS_ERR", 0);
         Set(r, "PROF_ERR", 0);
         Set(r, "H_VPOLIS", 3);
         Set(r, "COMP_NAME", QStringLiteral("ДРУГИЕ ГОСУДАРСТВА"));
         Set(r, "PR_FED", 0);
         Set(r, "STAC_DIAG", QStringLiteral(" "));
         Set(r, "POL", 0);
         Set(r, "NUMBER", QStringLiteral("0"));
       },
       {R("Население из \"Других государств\" не принимается к оплате по ОМС."),
        R("Отсутствие профиля в МТЛ"), R("Отсутствие диагноза по основному заболеванию"),
        R("Невозможное значение \"пол пациента\""), R("Не запол.полис у застр.бол.")}},
      {"out-of-region representative and no services check",
       [](CheckRow& r, RuleContext& rc) {
         rc.Pass = Population::OutOfRegion;
         rc.AgeMonths = 500;
         rc.HasKindOneSheet = true;
         rc.FirstService = ServiceFinding{QStringLiteral("A16.99"), 1};
         Set(r, "OSH_PAR1", 1);
         Set(r, "OSH_VOV");
         Set(r, "OSH45");
       },
       {R(" В данных представителя не заполнена фамилия.")}},
  };
  return cases;
}

}  // namespace

TEST(CheckRules, EachRuleGivesExactlyItsFinding) {
  for (const RuleCase& c : Cases()) {
    CheckRow row = CleanRow();
    RuleContext rc = Context();
    c.setUp(row, rc);
    const QList<Finding> got = Check(row, rc);
    EXPECT_EQ(std::vector<Finding>(got.begin(), got.end()),
              std::vector<Finding>(c.expected.begin(), c.expected.end()))
        << c.name;
  }
}

TEST(CheckRules, TextJoinsTheMessagesAndSanctionsCarryTheCase) {
  CheckRow row = CleanRow();
  row.Proc.insert(QStringLiteral("OSH11"), QStringLiteral("1"));
  row.Proc.insert(QStringLiteral("OSH14"), QStringLiteral("1"));
  row.Proc.insert(QStringLiteral("OSH39"), QStringLiteral("1"));
  RowFindings found;
  found.CaseId = 7;
  CheckGroupB(row, Context(), found);
  EXPECT_EQ(found.Text, "Отс.проф.в МТЛ.Отс.зак.сл.в МТЛ.Нет кода МЭС по реанимации");
  EXPECT_TRUE(found.Refused);
  ASSERT_EQ(found.Sanctions.size(), 1);
  EXPECT_EQ(found.Sanctions[0].CaseId, 7);
  EXPECT_EQ(found.Sanctions[0].BasisCode, 53);
  EXPECT_EQ(found.Sanctions[0].Kind, 1);
  EXPECT_EQ(found.Sanctions[0].Text, "Отс.проф.в МТЛ.");
}

TEST(CheckRules, ValuesThatMustBeNumbersRaise) {
  CheckRow row = CleanRow();
  row.Proc.insert(QStringLiteral("NOVOR"), QStringLiteral("x"));
  RowFindings found;
  EXPECT_THROW(CheckGroupB(row, Context(), found), ConversionError);
  row = CleanRow();
  row.Proc.insert(QStringLiteral("DOUT_STAC"), QVariant());
  EXPECT_THROW(CheckGroupB(row, Context(), found), ConversionError);
}

TEST(CheckRules, OncologyOutputsUpToAndFromDecember2018) {
  QVariantHash all;
  for (const char* name :
       {"STAGE",     "TUMOR",      "NODUS",        "METAS",           "DIST_METAS",
        "DOSE",      "DECLINE",    "DATE_DECLINE", "DIAGNOSTIC_TYPE", "G_SIGN",
        "G_TEST",    "MARKER",     "M_RES",        "DIRECT_DATE",     "DIRECT_TYPE",
        "METHOD",    "USLUG_TO",   "FRACTIONS",    "ONCO_USLUG",      "ID_CAUSE",
        "ID_ONCO",   "DIAG_DATE",  "CONSILIUM",    "PR_CONS",         "DT_CONS",
        "U_TYPE",    "ID_T_LINE",  "ID_T_CYCLE",   "R_TYPE",          "ONCO_MEDICALS",
        "CODE_DRUG", "CODE_SCHEM", "DATE_INJ"})
    all.insert(QStringLiteral("OUT_ERR_") + QString::fromLatin1(name), 1);
  CheckRow row = CleanRow();
  row.Proc.insert(QStringLiteral("DOUT_STAC"), QDate(2018, 11, 30));
  RowFindings early;
  CheckOncologyOutputs(row, all, early);
  EXPECT_EQ(early.Sanctions.size(), 17);
  EXPECT_EQ(early.Sanctions.last().Text, "Не заполнен код услуги в направлении. ");
  row.Proc.insert(QStringLiteral("DOUT_STAC"), QDate(2018, 12, 1));
  RowFindings late;
  CheckOncologyOutputs(row, all, late);
  EXPECT_EQ(late.Sanctions.size(), 33);
  for (const rMEK& s : late.Sanctions) EXPECT_EQ(s.BasisCode, 53);
  EXPECT_EQ(late.Sanctions[6].Text, "Не заполнен код противопоказания/отказа.");
  // Values 2 and 3; a null output is no finding.
  QVariantHash some{{QStringLiteral("OUT_ERR_STAGE"), 2},
                    {QStringLiteral("OUT_ERR_CODE_SCHEM"), 3},
                    {QStringLiteral("OUT_ERR_TUMOR"), QVariant()}};
  RowFindings two;
  CheckOncologyOutputs(row, some, two);
  ASSERT_EQ(two.Sanctions.size(), 2);
  EXPECT_EQ(two.Sanctions[0].Text, "Стадия онкологии заполнена неверно. ");
  EXPECT_TRUE(two.Sanctions[1].Text.startsWith("Недопустимый код схемы \"Нет\""));
}

TEST(CheckRules, OncologyGuards) {
  CheckRow row = CleanRow();
  RuleContext rc = Context();
  row.Proc.insert(QStringLiteral("MTL_ONCO_STATUS"), 1);
  EXPECT_TRUE(OncologyChecksApply(row, rc));
  row.Proc.insert(QStringLiteral("DOUT_STAC"), QDate(2018, 8, 31));
  EXPECT_FALSE(OncologyChecksApply(row, rc));
  row = CleanRow();
  EXPECT_FALSE(OncologyChecksApply(row, rc));  // status 0
  row.Proc.insert(QStringLiteral("MTL_ONCO_STATUS"), 1);
  rc.MonthIndex = 0;
  rc.LpuId = 48;
  rc.WhoDetail = WhoDetail(1);
  EXPECT_FALSE(OncologyChecksApply(row, rc));
  rc.MonthIndex = 1;
  EXPECT_TRUE(OncologyChecksApply(row, rc));
}

TEST(CheckRules, InsuranceIdentification) {
  CheckRow row = CleanRow();
  row.Proc.insert(QStringLiteral("H_SMOOK"), QStringLiteral("46000"));
  row.Proc.insert(QStringLiteral("SERIA"), QStringLiteral("45"));
  row.Proc.insert(QStringLiteral("NUMBER"), QStringLiteral("123"));
  auto identify = [&](const QList<RegisterPerson>& persons) {
    RowFindings found;
    IdentifyInsurance(row, persons, found);
    return found.Items;
  };
  const RegisterPerson same{QStringLiteral("46000"),
                            QStringLiteral("45"),
                            QStringLiteral("123"),
                            QString(),
                            QString(),
                            QStringLiteral("1"),
                            QDate(2020, 1, 1),
                            QDate(2030, 1, 1),
                            QDate(2026, 1, 1)};
  EXPECT_TRUE(identify({same}).isEmpty());
  EXPECT_EQ(identify({}),
            (QList<Finding>{S(57, "Запись не проходила страховую идентификацию в ТФ ОМС")}));
  RegisterPerson other = same;
  other.TerrOms = QStringLiteral("47000");
  EXPECT_EQ(identify({other}),
            (QList<Finding>{S(57, "Ош.идент.: терр.страхования 46000 вместо 47000")}));
  RegisterPerson joined = same;
  joined.Spolis = QStringLiteral("451");
  joined.Npolis = QStringLiteral("23");
  EXPECT_EQ(identify({joined}),
            (QList<Finding>{S(57,
                              "Ошибка идентификации: серия и №полиса указаны слитно;"
                              "Ош.идентификации: указан полис № 123 вместо 23;"
                              "Ош.идент.:  указан полис серия 45 вместо 451;")}));
  RegisterPerson expired = same;
  expired.Date2 = QDate(2025, 1, 1);
  expired.Answer = QStringLiteral("2");
  EXPECT_TRUE(identify({expired}).isEmpty());
  // Only the newest row counts as covering for an answer 2.
  EXPECT_EQ(identify({expired, other}),
            (QList<Finding>{S(57, "Ош.идент.: терр.страхования 46000 вместо 47000")}));
  // An answer 3 covers admissions up to its date of edit.
  RegisterPerson edited = expired;
  edited.Answer = QStringLiteral("3");
  edited.DateEdit = QDate(2026, 3, 31);
  EXPECT_TRUE(identify({edited}).isEmpty());
  edited.DateEdit = QDate(2026, 2, 1);
  EXPECT_EQ(identify({edited}),
            (QList<Finding>{S(57, "Запись не проходила страховую идентификацию в ТФ ОМС")}));
  // Matched through the identity document: the register's policy is named.
  row.Proc.insert(QStringLiteral("H_DOCSER"), QStringLiteral("4501"));
  row.Proc.insert(QStringLiteral("H_DOCNUM"), QStringLiteral("123456"));
  RegisterPerson byDocument = same;
  byDocument.Npolis = QStringLiteral("999");
  byDocument.DocSer = QStringLiteral("4501");
  byDocument.DocNum = QStringLiteral("123456");
  EXPECT_EQ(identify({byDocument}),
            (QList<Finding>{S(57,
                              "Ош.идентификации: указан полис \"45\" \"123\" вместо \"45\" "
                              "\"999\";")}));
  // The walk goes on while there is a message: an older row of the same
  // policy clears it.
  EXPECT_TRUE(identify({same, byDocument}).isEmpty());
}
