// Case errors, the run log, the version banner and the record hash.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlField>
#include <QSqlRecord>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "domain/case_errors.h"
#include "domain/clear_params.h"
#include "domain/record_hash.h"

using namespace kelmo;

namespace {

QStringList ReadLines(const QString& path) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly));
  QString text = QString::fromUtf8(f.readAll());
  if (text.endsWith('\n')) text.chop(1);
  return text.split('\n');
}

QSqlRecord Record(const QVariantMap& fields) {
  QSqlRecord r;
  for (auto it = fields.begin(); it != fields.end(); ++it) {
    QSqlField f(it.key(), it.value().metaType());
    f.setValue(it.value());
    r.append(f);
  }
  return r;
}

}  // namespace

TEST(CaseErrors, AddCaseErrorGrowsTheRowText) {
  QList<rMEK> errors;
  QString rowText;
  AddCaseError(errors, rowText, "Ошибка 1. ", 52, 1001, rowText, 1);
  AddCaseError(errors, rowText, "Ошибка 2. ", 53, 1001, rowText, 3);
  EXPECT_EQ(rowText, "Ошибка 1. Ошибка 2. ");
  ASSERT_EQ(errors.size(), 2);
  EXPECT_EQ(errors[1].Text, "Ошибка 2. ");
  EXPECT_EQ(errors[1].BasisCode, 53);
  EXPECT_EQ(errors[1].CaseId, 1001);
  EXPECT_EQ(errors[1].Kind, 3);
}

TEST(CaseErrors, LogIsWrittenOnlyWhenLinesWereAdded) {
  QTemporaryDir tmp;
  RunLog log;
  const QDateTime t1(QDate(2013, 3, 15), QTime(14, 5, 7));
  EXPECT_EQ(LogFileName(t1), "log_file_15.03.2013 14_05_07.txt");
  EXPECT_TRUE(log.Save(tmp.path(), "", t1).isEmpty());
  log.AddLine("первая", false);
  log.AddLine("вторая", false);
  const QString first = log.Save(tmp.path(), "", t1);
  ASSERT_FALSE(first.isEmpty());
  EXPECT_EQ(ReadLines(first), (QStringList{"первая", "вторая"}));
  const QDateTime t2 = t1.addSecs(1);
  EXPECT_TRUE(log.Save(tmp.path(), "", t2).isEmpty());
  EXPECT_FALSE(QFile::exists(QDir(tmp.path()).filePath(LogFileName(t2))));
  log.AddLine("старая", false);
  log.AddLine("новая", true);
  EXPECT_EQ(ReadLines(log.Save("", tmp.path(), t2)), QStringList{"новая"});  // empty folder: exe's
  log.AddLine("потеряна", false);
  EXPECT_TRUE(log.Save(tmp.path() + "/no/such", "", t2).isEmpty());
  EXPECT_FALSE(log.Active());  // discarded all the same
}

TEST(CaseErrors, VersionBanner) {
  const QString rule(52, '-');
  EXPECT_EQ(VersionBannerLines("2.5.3/118", "2.4.0/117", false),
            (QStringList{rule, "Текущие рассчёты осуществлялись на версиях: ",
                         "Программы Kelmo: 2.5.3", "Базы данных: 118", rule}));
  EXPECT_EQ(VersionBannerLines("2.5.3/118", "2.4.0/117", true),
            (QStringList{rule, "Версии, при которых рассчитывался принимаемый файл: ",
                         "Программы Kelmo: 2.4.0", "Базы данных: 117", rule,
                         "Текущие рассчёты осуществлялись на версиях: ", "Программы Kelmo: 2.5.3",
                         "Базы данных: 118", rule}));
  const QStringList noSlash = VersionBannerLines("118", "", false);
  EXPECT_EQ(noSlash[2], "Программы Kelmo: ");
  EXPECT_EQ(noSlash[3], "Базы данных: 118");

  QTemporaryDir tmp;
  const QString act = tmp.path() + "/act.txt";
  {
    QFile f(act);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringEncoder("windows-1251")
                .encode(QStringLiteral("Акт первичного технологического контроля\r\nстрока\r\n")));
  }
  WriteVersionBanner(act, 1, "2.5.3/118", "", false);
  QFile f(act);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  const QStringList lines =
      QStringDecoder("windows-1251").decode(bytes).operator QString().split("\r\n");
  ASSERT_EQ(lines.size(), 8);
  EXPECT_EQ(lines[0], "Акт первичного технологического контроля");
  EXPECT_EQ(lines[1], rule);
  EXPECT_EQ(lines[3], "Программы Kelmo: 2.5.3");
  EXPECT_EQ(lines[6], "строка");
  EXPECT_EQ(lines[7], "");
  EXPECT_THROW(WriteVersionBanner(tmp.path() + "/none.txt", 1, "a/b", "", false),
               std::runtime_error);
}

TEST(RecordHash, Md5AndFields) {
  EXPECT_EQ(Md5Hex(""), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(Md5Hex("abc"), "900150983CD24FB0D6963F7D28E17F72");
  // The hashed text: 1001 + 450001 + 45 + "АБ" + 123456 + 01.03.2013, in code page 1251.
  const QByteArray text =
      QStringEncoder("windows-1251").encode(QStringLiteral("100145000145АБ12345601.03.2013"));
  const QString digest = Md5Hex(text);
  QVariantMap fields{{"id", 1001},    {"mcod", "450001"},   {"polis", "45"},
                     {"seria", "АБ"}, {"number", "123456"}, {"in_stac", QDate(2013, 3, 1)},
                     {"hash", digest}};
  EXPECT_TRUE(CheckRecordHash(Record(fields)));
  fields["in_stac"] = "2013-03-01";  // as the DBF engine's SQL gives a date
  EXPECT_TRUE(CheckRecordHash(Record(fields)));
  fields["in_stac"] = QDate(2013, 3, 1);
  fields["hash"] = digest.toLower();
  EXPECT_FALSE(CheckRecordHash(Record(fields)));
  fields["hash"] = digest;
  fields["seria"] = "АВ";
  EXPECT_FALSE(CheckRecordHash(Record(fields)));
  fields.remove("polis");
  try {
    CheckRecordHash(Record(fields));
    FAIL() << "no error";
  } catch (const RecordFieldMissing& e) {
    EXPECT_STREQ(e.what(), "Поле 'polis' не найдено");
  }
  EXPECT_EQ(HashFieldText(QDateTime(QDate(2013, 3, 1), QTime(0, 0))), "01.03.2013");
  EXPECT_EQ(HashFieldText(12.5), "12.5");
  EXPECT_EQ(HashFieldText(QVariant()), "");
}

TEST(ClearParams, NamesOfAStatement) {
  EXPECT_EQ(StatementParams(
                "execute procedure NEW_ONCO_SL(:id_ill, :ds1_t, :stad, ':no', :ID_ILL) -- :x"),
            (QStringList{"id_ill", "ds1_t", "stad"}));
  EXPECT_EQ(StatementParams("select 1 from rdb$database /* :a */ where 2 = :b"), QStringList{"b"});
}
