// Doubled records and overlapping stays: the checks of stacion.dbf on
// folders built by code, and the checks of a case against a registry
// database made from db/registry.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "bytes/code_pages.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"
#include "domain/package_lists.h"
#include "domain/reception_state.h"
#include "reception/doubles_overlaps.h"
#include "registry_fixture.h"

using namespace kelmo;
using kelmo::test::Day;

namespace {

struct DbfStay {
  const char* nomib;
  const char* family;  // UTF-8
  const char* name;
  const char* father;
  const char* dr;  // yyyymmdd
  int tipStac;
  const char* in;
  const char* out;
  int resLecen = 1;
  const char* dz = "";
};

// A stacion.dbf of the fields the two checks read, code page 866.
void WriteStacion(const QString& folder, const std::vector<DbfStay>& stays) {
  const std::string path = QDir(folder).filePath(QStringLiteral("stacion.dbf")).toStdString();
  {
    dbf::DFO_DBFBuild b(path);
    b.SetLanguageByte(0x65);
    b.AddField("NOMIB", 'C', 15, 0);
    b.AddField("FAMILY", 'C', 40, 0);
    b.AddField("NAME", 'C', 40, 0);
    b.AddField("FATHER", 'C', 40, 0);
    b.AddField("DR", 'D', 8, 0);
    b.AddField("TIP_STAC", 'N', 1, 0);
    b.AddField("IN_STAC", 'D', 8, 0);
    b.AddField("OUT_STAC", 'D', 8, 0);
    b.AddField("DZ", 'D', 8, 0);
    b.AddField("RES_LECEN", 'N', 3, 0);
    b.WriteFiles();
  }
  dbf::DFO_dBHandler t(path, false, true, "");
  for (const DbfStay& s : stays) {
    t.BlankRecord();
    t.PutFieldTextByName("NOMIB", s.nomib);
    t.PutFieldTextByName("FAMILY", bytes::EncodeFromUtf8(s.family, bytes::CodePage::Cp866));
    t.PutFieldTextByName("NAME", bytes::EncodeFromUtf8(s.name, bytes::CodePage::Cp866));
    t.PutFieldTextByName("FATHER", bytes::EncodeFromUtf8(s.father, bytes::CodePage::Cp866));
    t.PutFieldTextByName("DR", s.dr);
    t.PutNumericByName("TIP_STAC", s.tipStac);
    t.PutFieldTextByName("IN_STAC", s.in);
    t.PutFieldTextByName("OUT_STAC", s.out);
    if (s.dz[0]) t.PutFieldTextByName("DZ", s.dz);
    t.PutNumericByName("RES_LECEN", s.resLecen);
    t.Append();
  }
}

const QDate kMarchStart(2026, 3, 1);
const QDate kMarchEnd(2026, 3, 31);

OverlapStay Stay(const char* person, int tipStac, QDate in, QDate out) {
  OverlapStay s;
  s.Nomib = QString::fromUtf8(person) + QString::number(in.day());
  s.Family = QString::fromUtf8(person);
  s.Dr = QStringLiteral("01.01.1970");
  s.TipStac = tipStac;
  s.InStac = in;
  s.OutStac = out;
  return s;
}

QDate M(int day) {
  return QDate(2026, 3, day);
}

QStringList Nomibs(const std::vector<OverlapStay>& stays, bool markedOnly) {
  QStringList out;
  for (const OverlapStay& s : stays)
    if (!markedOnly || s.Marked) out << s.Nomib;
  return out;
}

}  // namespace

TEST(OverlappingStays, ChainsAndGroupsOfOnePerson) {
  struct Case {
    const char* what;
    std::vector<OverlapStay> ordered;
    int tipStac;
    QStringList listed;  // marked stays, in order
  } cases[] = {
      {"two overlapping stays",
       {Stay("A", 1, M(1), M(10)), Stay("A", 1, M(5), M(15))},
       1,
       {"A1", "A5"}},
      {"discharge on the next admission day",
       {Stay("A", 1, M(1), M(10)), Stay("A", 1, M(10), M(20))},
       1,
       {}},
      {"a chain of three, the middle one of the type",
       {Stay("A", 2, M(1), M(10)), Stay("A", 1, M(5), M(15)), Stay("A", 2, M(12), M(20))},
       1,
       {"A1", "A5", "A12"}},
      {"all of another type", {Stay("A", 2, M(1), M(10)), Stay("A", 2, M(5), M(15))}, 1, {}},
      {"two people", {Stay("A", 1, M(1), M(10)), Stay("B", 1, M(5), M(15))}, 1, {}},
      {"a chain, a gap, a pair",
       {Stay("A", 1, M(1), M(5)), Stay("A", 1, M(3), M(8)), Stay("A", 1, M(9), M(10)),
        Stay("A", 1, M(20), M(25)), Stay("A", 1, M(22), M(28))},
       1,
       {"A1", "A3", "A20", "A22"}},
      {"nothing", {}, 1, {}},
  };
  for (auto& c : cases) {
    std::vector<OverlapStay> list = CollectOverlappingStays(c.ordered);
    const bool any = MarkOverlapGroups(list, c.tipStac);
    EXPECT_EQ(Nomibs(list, true), c.listed) << c.what;
    EXPECT_EQ(any, !c.listed.isEmpty()) << c.what;
  }
}

TEST(OverlappingStays, TheListIsNotCapped) {
  std::vector<OverlapStay> ordered;
  for (int i = 0; i < 2500; ++i) {
    ordered.push_back(
        Stay("A", 1, QDate(2026, 1, 1).addDays(2 * i), QDate(2026, 1, 4).addDays(2 * i)));
    ordered.back().Nomib = QString::number(i);
  }
  std::vector<OverlapStay> list = CollectOverlappingStays(ordered);
  ASSERT_EQ(list.size(), 2500u);
  MarkOverlapGroups(list, 1);
  const QStringList lines = OverlapTableLines(list);
  // Head line, rule, header, a rule and a row per stay, the closing rule.
  EXPECT_EQ(lines.size(), 3 + 2 * 2500 + 1);
}

TEST(DoubledRecordsAndOverlaps, ActLinesFromTheRegistryFolder) {
  QTemporaryDir dir;
  WriteStacion(dir.path(),
               {
                   // Counted three times: one line of the doubles table.
                   {"101", "Иванов", "Иван", "Иванович", "19800101", 1, "20260301", "20260310"},
                   {"101", "Иванов", "Иван", "Иванович", "19800101", 1, "20260301", "20260310"},
                   {"101", "Иванов", "Иван", "Иванович", "19800101", 1, "20260301", "20260310"},
                   {"102", "Иванов", "Иван", "Иванович", "19800101", 2, "20260305", "20260315"},
                   // Discharged on the period's last day: a double, not an overlap.
                   {"201", "Петров", "Пётр", "Петрович", "19700202", 1, "20260320", "20260331"},
                   {"202", "Петров", "Пётр", "Петрович", "19700202", 1, "20260320", "20260331"},
                   {"203", "Петров", "Пётр", "Петрович", "19700202", 1, "20260325", "20260330"},
                   // Died in February: neither check takes it.
                   {"301", "Сидоров", "Сидор", "Сидорович", "19600303", 1, "20260201", "20260301",
                    6, "20260228"},
               });
  const QStringList doubles = DoubleRecordLines(dir.path(), kMarchStart, kMarchEnd);
  const QString rule76(76, QLatin1Char('-'));
  const QStringList expectedDoubles = {
      QStringLiteral("Обнаружены двойные записи в базе:"),
      rule76,
      QStringLiteral(
          "|             Фамилия|            Имя|       Отчество|Дата пост.| Дата вып.|"),
      rule76,
      QStringLiteral(
          "|              Иванов|           Иван|       Иванович|01.03.2026|10.03.2026|"),
      QStringLiteral(
          "|              Петров|           Пётр|       Петрович|20.03.2026|31.03.2026|"),
      rule76,
  };
  EXPECT_EQ(doubles, expectedDoubles);

  const QStringList overlaps = OverlappingStaysLines(dir.path(), kMarchStart, kMarchEnd, 2);
  const QString rule102(102, QLatin1Char('-'));
  const QStringList expectedOverlaps = {
      QStringLiteral("В базе обнаружены случаи госпитализации с перекрытием сроков лечения:"),
      rule102,
      QStringLiteral("|  Ист.бол.|             Фамилия|            Имя|       Отчество|Дата рожд.| "
                     "ТС|Дата пост.| Дата вып.|"),
      rule102,
      QStringLiteral(
          "|       101|              Иванов|           Иван|       Иванович|01.01.1980|  "
          "1|01.03.2026|10.03.2026|"),
      rule102,
      QStringLiteral(
          "|       101|              Иванов|           Иван|       Иванович|01.01.1980|  "
          "1|01.03.2026|10.03.2026|"),
      rule102,
      QStringLiteral(
          "|       101|              Иванов|           Иван|       Иванович|01.01.1980|  "
          "1|01.03.2026|10.03.2026|"),
      rule102,
      QStringLiteral(
          "|       102|              Иванов|           Иван|       Иванович|01.01.1980|  "
          "2|05.03.2026|15.03.2026|"),
      rule102,
  };
  EXPECT_EQ(overlaps, expectedOverlaps);
  // Petrov's 20.03-31.03 stays are outside the strict period; his 25.03-30.03
  // stay alone overlaps nothing. Type 4 has no chain at all.
  EXPECT_EQ(OverlappingStaysLines(dir.path(), kMarchStart, kMarchEnd, 4),
            QStringList{QStringLiteral("В базе не обнаружено случаев госпитализации с перекрытием "
                                       "сроков по выбранному типу стационара.")});
}

TEST(DoubledRecordsAndOverlaps, CleanFolder) {
  QTemporaryDir dir;
  WriteStacion(dir.path(),
               {{"1", "Иванов", "Иван", "Иванович", "19800101", 1, "20260301", "20260310"},
                {"2", "Иванов", "Иван", "Иванович", "19800101", 1, "20260310", "20260320"}});
  EXPECT_EQ(DoubleRecordLines(dir.path(), kMarchStart, kMarchEnd),
            QStringList{QStringLiteral("Двойных записей в базе не обнаружено.")});
  EXPECT_EQ(OverlappingStaysLines(dir.path(), kMarchStart, kMarchEnd, 1).size(), 1);
}

TEST(ReportWords, AnUnknownValueKeepsThePreviousWord) {
  ReportWords w;
  w.Update(3, 9);
  EXPECT_EQ(w.Payment(), QString());
  EXPECT_EQ(w.Type(), QString());
  w.Update(7, 4);
  EXPECT_EQ(w.Payment(), QStringLiteral("Реабил."));
  EXPECT_EQ(w.Type(), QStringLiteral("Ст.при Стац."));
  w.Update(5, 0);
  EXPECT_EQ(w.Payment(), QStringLiteral("Реабил."));
  EXPECT_EQ(w.Type(), QStringLiteral("Ст.при Стац."));
  EXPECT_EQ(ReportListText({12}), QStringLiteral("(12)"));
  EXPECT_EQ(ReportListText({12, 13}), QStringLiteral("(12,13)"));
}

TEST(DatabaseChecks, OverlapWithStaysOfOtherReports) {
  test::RegistryFixture f;
  f.Report(1, 1, 1, 1, Day(2026, 3, 1));      // this run's report
  f.Report(2, 25, 2, 7, Day(2026, 3, 1), 1);  // accepted, another institution
  f.Report(3, 30, 1, 1, Day(2026, 3, 1), 0);  // not accepted
  test::RegistryFixture::Stay mine;
  mine.idIll = 1;
  mine.repn = 1;
  mine.in = Day(2026, 3, 10);
  mine.out = Day(2026, 3, 20);
  f.Case(mine);
  auto twin = [&](int id, int repn, QDateTime in, QDateTime out, const char* nomib) {
    test::RegistryFixture::Stay s = mine;
    s.idIll = id;
    s.repn = repn;
    s.in = in;
    s.out = out;
    s.nomib = QString::fromLatin1(nomib);
    f.Case(s);
  };
  // Ends on this admission day: touching, not overlapping.
  twin(2, 2, Day(2026, 3, 1), Day(2026, 3, 10), "T1");
  // Not accepted: does not count.
  twin(3, 3, Day(2026, 3, 12), Day(2026, 3, 14), "N1");
  CheckedStay stay{1, mine.family, mine.name, mine.father, mine.dr, mine.in, mine.out};
  QString text;
  bool refused = false;
  EXPECT_EQ(CheckOverlapWithDatabase(f.Db(), nullptr, {1}, stay, text, refused), 0);
  EXPECT_FALSE(refused);
  EXPECT_TRUE(text.isEmpty());

  twin(4, 2, Day(2026, 3, 15), Day(2026, 3, 25), "T2");
  f.Sheet(4, 2, 2, Day(2026, 3, 20), Day(2026, 3, 25), QStringLiteral("I10"));
  text = QStringLiteral("Прежнее;");
  EXPECT_EQ(CheckOverlapWithDatabase(f.Db(), nullptr, {1}, stay, text, refused), 2);
  EXPECT_TRUE(refused);
  // One line per treatment sheet of the other stay.
  EXPECT_EQ(text, QStringLiteral("Прежнее;Пересечение сроков с №T2 Реабил. (Ст.при Пол.);"
                                 "Пересечение сроков с №T2 Реабил. (Ст.при Пол.);"));

  // A stay of this run's own reports counts whatever its acceptance; one
  // refused by the control (SUM_MEK set) does not.
  twin(5, 1, Day(2026, 3, 11), Day(2026, 3, 12), "R1");
  f.Exec(QStringLiteral("update STACION set SUM_MEK = 0 where ID_ILL = 4"));
  text.clear();
  refused = false;
  EXPECT_EQ(CheckOverlapWithDatabase(f.Db(), nullptr, {1}, stay, text, refused), 1);
  EXPECT_EQ(text, QStringLiteral("Пересечение сроков с №R1 ОМС (КС);"));
}

TEST(DatabaseChecks, PaidEarlierOrDoubledInTheRun) {
  test::RegistryFixture f;
  f.Report(1, 1, 1, 1, Day(2026, 3, 1));
  f.Report(2, 1, 1, 6, Day(2026, 3, 1));
  test::RegistryFixture::Stay mine;
  mine.idIll = 1;
  mine.repn = 1;
  f.Case(mine);
  CheckedStay stay{1, mine.family, mine.name, mine.father, mine.dr, mine.in, mine.out};
  QString text;
  QList<rMEK> errors;
  EXPECT_FALSE(
      CheckPaidEarlier(f.Db(), nullptr, {1, 2}, 1, stay, QStringLiteral("I10 "), text, errors));

  test::RegistryFixture::Stay twin = mine;
  twin.idIll = 2;
  twin.repn = 2;
  twin.oplat = 6;
  f.Case(twin);
  EXPECT_TRUE(
      CheckPaidEarlier(f.Db(), nullptr, {1, 2}, 1, stay, QStringLiteral("I10"), text, errors));
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0].Text, QStringLiteral("Запись дублируется в ВМП (КС)"));
  EXPECT_EQ(errors[0].BasisCode, 71);
  EXPECT_EQ(errors[0].CaseId, 1);
  EXPECT_EQ(errors[0].Kind, 1);
  EXPECT_EQ(text, QStringLiteral("Запись дублируется в ВМП (КС)"));
  EXPECT_EQ(PaidEarlierRule(), QString(74, QLatin1Char('-')));

  // The chronic kidney diagnosis in this sheet or in the stored one.
  errors.clear();
  EXPECT_FALSE(
      CheckPaidEarlier(f.Db(), nullptr, {1, 2}, 1, stay, QStringLiteral("N18.5"), text, errors));
  f.Exec(QStringLiteral("update MTL set STAC_DIAG = 'N18.5' where ID_ILL = 2"));
  EXPECT_FALSE(
      CheckPaidEarlier(f.Db(), nullptr, {1, 2}, 1, stay, QStringLiteral("I10"), text, errors));
  f.Exec(QStringLiteral("update MTL set STAC_DIAG = 'I10' where ID_ILL = 2"));

  // The same stay paid in an accepted report of another institution.
  f.Report(3, 25, 1, 1, Day(2026, 3, 1), 1);
  test::RegistryFixture::Stay paid = mine;
  paid.idIll = 3;
  paid.repn = 3;
  f.Case(paid);
  errors.clear();
  text.clear();
  EXPECT_TRUE(
      CheckPaidEarlier(f.Db(), nullptr, {1, 2}, 1, stay, QStringLiteral("I10"), text, errors));
  ASSERT_EQ(errors.size(), 2);
  // One sanction per report found, in the order the statement groups them.
  QMap<int, QString> byCode;
  for (const rMEK& e : errors) byCode[e.BasisCode] = e.Text;
  EXPECT_EQ(byCode.value(71), QStringLiteral("Запись дублируется в ВМП (КС)"));
  EXPECT_EQ(byCode.value(70), QStringLiteral("Запись оплачена ранее в ОМС (КС)"));
  EXPECT_EQ(text, errors[0].Text + errors[1].Text);
  f.Exec(QStringLiteral("update REPORTS set SEE2 = 0 where REPN = 3"));
  errors.clear();

  // A priced operation in either stay: rows, but no sanction.
  f.Insert(QStringLiteral("OPERAT"), {{QStringLiteral("ID_ILL"), 2},
                                      {QStringLiteral("REPN"), 2},
                                      {QStringLiteral("NOM_MTL"), 1},
                                      {QStringLiteral("USLUG"), QStringLiteral("A16.18.009")},
                                      {QStringLiteral("DATE_OPER"), Day(2026, 3, 2)}});
  EXPECT_TRUE(
      CheckPaidEarlier(f.Db(), nullptr, {1, 2}, 1, stay, QStringLiteral("I10"), text, errors));
  EXPECT_TRUE(errors.isEmpty());
}

TEST(DatabaseChecks, TheRunsFormsTakeThePassReportsAndWriteTheRule) {
  test::RegistryFixture f;
  f.Report(1, 1, 1, 1, Day(2026, 3, 1));
  f.Report(2, 1, 1, 1, Day(2026, 3, 1));
  test::RegistryFixture::Stay mine;
  mine.idIll = 1;
  mine.repn = 1;
  f.Case(mine);
  test::RegistryFixture::Stay twin = mine;
  twin.idIll = 2;
  twin.repn = 2;
  f.Case(twin);
  ResetPackageLists();
  rRepn local;
  local.Repn = 1;
  local.TipStac = 1;
  ThePackageLists().ReportLists[Population::Local] = {local};
  rRepn other = local;
  other.Repn = 2;
  ThePackageLists().ReportLists[Population::OutOfRegion] = {other};
  EXPECT_EQ(PassReports(ThePackageLists(), Population::OutOfRegion), QList<int>{2});

  QTemporaryDir dir;
  ReceptionState state;
  FbTransaction tr(f.Db());
  ReceptionContext ctx{state, f.Db(), tr};
  const QString act = dir.filePath(QStringLiteral("act.txt"));
  state.Act.Create(act);
  CheckedStay stay{1, mine.family, mine.name, mine.father, mine.dr, mine.in, mine.out};
  QString text;
  QList<rMEK> errors;
  // The twin stands in the out-of-region list only.
  EXPECT_FALSE(
      CheckPaidEarlier(ctx, Population::Local, 1, stay, QStringLiteral("I10"), text, errors));
  EXPECT_TRUE(
      CheckPaidEarlier(ctx, Population::OutOfRegion, 1, stay, QStringLiteral("I10"), text, errors));
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0].BasisCode, 71);
  bool refused = false;
  EXPECT_EQ(CheckOverlapWithDatabase(ctx, Population::OutOfRegion, stay, text, refused), 1);
  EXPECT_TRUE(refused);
  EXPECT_EQ(CheckOverlapWithDatabase(ctx, Population::Local, stay, text, refused), 0);
  state.Act.Close();
  tr.Commit();
  QFile file(act);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray(74, '-') + "\r\n");
  ResetPackageLists();
}
