// The act's pieces without a window: the time in its name, the table cells,
// the stop block, the copy out of "temp" that never loses the act, the
// required files by period and the identification's reasons.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "domain/act_file.h"
#include "domain/reception_state.h"
#include "reception/preliminary_checks.h"
#include "reception/reception_run.h"
#include "reception/registry_dbf_set.h"
#include "reception_fixture.h"

using namespace kelmo;

TEST(ReceptionAct, TimeTextOfTheActName) {
  EXPECT_EQ(ReceptionTimeTextOf("09:42:10"), "0942");
  EXPECT_EQ(ReceptionTimeTextOf("7:05:00"), "0705");
  EXPECT_EQ(LongTimeText(QTime(7, 5, 0)), "7:05:00");
  EXPECT_EQ(ReceptionTimeTextOf(LongTimeText(QTime(7, 5, 0))), "0705");
  EXPECT_EQ(ActPrefix(StacType::RoundTheClock), "Кр");
  EXPECT_EQ(ActPrefix(StacType::DayAtHospital), "ДнСт");
  EXPECT_EQ(StacTypeLine(StacType::DayAtPolyclinic), "Тип стационара: дневной при поликлинике.");
}

TEST(ReceptionAct, CellsRulesAndStopBlock) {
  EXPECT_EQ(RightAligned("ab", 5), "   ab");
  EXPECT_EQ(RightAligned("abcdef", 3), "abcdef");  // a longer value is written whole
  EXPECT_EQ(TableRow({{"1", 2}, {"xy", 3}}), "| 1| xy|");
  EXPECT_EQ(StopSeparator(), QString(65, '='));
  EXPECT_EQ(StopBlock({"a", "b"}),
            (QStringList{"", "a", "b", "", QString(65, '='), "", "Подпись экономиста:"}));
}

TEST(ReceptionAct, FileIsCodePage1251WithCrLfAndSurvivesClose) {
  QTemporaryDir dir;
  const QString path = dir.filePath("act.txt");
  ActFile act;
  act.Create(path);
  act.WriteLine("Акт");
  act.WriteLine();
  // Written lines are on disk before the act is closed.
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("\xC0\xEA\xF2\r\n\r\n"));
  act.Close();
  EXPECT_THROW(act.WriteLine("x"), ActFileError);
  EXPECT_THROW(act.Create(dir.filePath("no/such/folder/act.txt")), ActFileError);
}

TEST(ReceptionAct, PackageActIsNeverLost) {
  QTemporaryDir dir;
  const QString temp = dir.filePath("temp");
  QDir().mkpath(temp);
  const auto write = [](const QString& path, const QByteArray& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
  };
  // A free name: copied, the temporary act removed.
  write(QDir(temp).filePath("ОМС_0504_0942.txt"), "one");
  EXPECT_EQ(
      CopyActOutOfTemp(QDir(temp).filePath("ОМС_0504_0942.txt"), dir.path(), "ОМС_0504_0942.txt"),
      dir.filePath("ОМС_0504_0942.txt"));
  EXPECT_FALSE(QFile::exists(QDir(temp).filePath("ОМС_0504_0942.txt")));
  // The name taken (twice): the next free name, the old acts untouched.
  write(dir.filePath("ОМС_0504_0942_1.txt"), "old");
  write(QDir(temp).filePath("ОМС_0504_0942.txt"), "two");
  const QString copy =
      CopyActOutOfTemp(QDir(temp).filePath("ОМС_0504_0942.txt"), dir.path(), "ОМС_0504_0942.txt");
  EXPECT_EQ(copy, dir.filePath("ОМС_0504_0942_2.txt"));
  QFile first(dir.filePath("ОМС_0504_0942.txt"));
  first.open(QIODevice::ReadOnly);
  EXPECT_EQ(first.readAll(), "one");
  // A copy that cannot be made leaves the act where it is.
  write(QDir(temp).filePath("ОМС_0504_0943.txt"), "three");
  EXPECT_TRUE(CopyActOutOfTemp(QDir(temp).filePath("ОМС_0504_0943.txt"),
                               dir.filePath("missing-folder"), "ОМС_0504_0943.txt")
                  .isEmpty());
  EXPECT_TRUE(QFile::exists(QDir(temp).filePath("ОМС_0504_0943.txt")));
}

TEST(ReceptionAct, RequiredFilesByPeriod) {
  struct Case {
    QDate start;
    QStringList required;
  };
  for (const Case& c :
       {Case{QDate(2009, 3, 1), {"mtl.dbf", "stacion.dbf", "operat.dbf"}},
        Case{QDate(2009, 4, 1), {"mtl.dbf", "stacion.dbf", "operat.dbf", "parents.dbf"}},
        Case{QDate(2010, 3, 1),
             {"mtl.dbf", "stacion.dbf", "operat.dbf", "parents.dbf", "mtlusl.dbf"}},
        Case{QDate(2010, 5, 1),
             {"mtl.dbf", "stacion.dbf", "operat.dbf", "parents.dbf", "mtlusl.dbf"}},
        Case{QDate(2010, 6, 1), {"mtl.dbf", "stacion.dbf", "operat.dbf", "parents.dbf"}}}) {
    QStringList required;
    for (const RequiredFile& f : RequiredRegistryFiles())
      if (RequiredFor(f, c.start)) required << f.File;
    EXPECT_EQ(required, c.required) << c.start.toString().toStdString();
  }
  EXPECT_EQ(MissingFields({"ID", "append", "VR_SPEC"}, MtlRequiredFields()), QStringList{"APP_KD"});
}

TEST(ReceptionAct, IdentificationReasons) {
  const QDate in(2024, 3, 1);
  const QString good = test::RecordHash(7, "450001", "45001", "", "1", in);
  const auto fields = [&](const QString& polObl, const QString& mcod, const QString& hash) {
    QVariantMap m{{"id", qlonglong(7)},
                  {"polis", "45001"},
                  {"number", "1"},
                  {"pol_obl", polObl},
                  {"in_stac", in.toString(Qt::ISODate)}};
    if (!mcod.isEmpty()) m.insert("mcod", mcod);
    if (!hash.isEmpty()) m.insert("hash", hash);
    return m;
  };
  struct Case {
    int type;
    QVariantMap row;
    QString reason;
  };
  const QString noMcod = "Запись не имеет кода прикрипления (МКОД)";
  const QString noHash = "Запись не проходила страховую идентификацию в ТФ ОМС";
  const QString badHash = "Неверная контрольная сумма записи. Необходима идентификация.";
  for (const Case& c : {
           Case{1, fields("1137", "450001", good), ""},
           Case{1, fields("1137", "450001", ""), noHash},
           Case{1, fields("1137", "450001", QString(32, 'F')), badHash},
           Case{2, fields("1137", "", ""), noMcod},  // before the missing hash
           Case{2, fields("4500", "", ""), noHash},  // out-of-region: no attachment code
           Case{1, fields("1137", "450001", good.toLower()), badHash},
       }) {
    EXPECT_EQ(IdentificationReason(c.type, c.row), c.reason);
  }
  EXPECT_EQ(ShortPatientName(" ИВАНОВ ", "ИВАН", "ИВАНОВИЧ"), "ИВАНОВ И.И.");
  EXPECT_EQ(ShortPatientName("ИВАНОВ", "ИВАН", ""), "ИВАНОВ И..");
}

TEST(ReceptionAct, CostUpdateStatementByYear) {
  const QStringList other = CostUpdateStatement("2024").split('\r');
  ASSERT_EQ(other.size(), 9);
  EXPECT_EQ(other[6], "ONECH_COST=:p_onech_cost, UR_COST=:UR, KF_COST=:KF,");
  EXPECT_EQ(other[7], "CALC_COMMENT=:comment, CALC_KF=:KF_COM, ksg_base_cost = :p_baseCost");
  EXPECT_EQ(other[8], "where id = :p_id");
  const QString y2014 = CostUpdateStatement("2014");
  for (const char* gone : {"UR_COST", "KF_COST", "CALC_COMMENT", "CALC_KF", "ksg_base_cost"})
    EXPECT_FALSE(y2014.contains(gone)) << gone;
  EXPECT_TRUE(y2014.contains("ONECH_COST=:p_onech_cost\rwhere id = :p_id"));
}
