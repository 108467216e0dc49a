// The case-entry program's tables of an institution receiving its package:
// the case's row marked for a new upload, and every sanction of the case
// kept in sank.dbf for the report month.
#include <gtest/gtest.h>

#include "reception/case_entry_tables.h"
#include "reception_fixture.h"

namespace kelmo {
namespace {

using test::BuildTable;
using test::FieldSpec;

const std::vector<FieldSpec> kSankFields = {
    {"ID", 'N', 10, 0},    {"S_CODE", 'C', 36, 0}, {"S_SUM", 'N', 15, 2},   {"S_TIP", 'N', 2, 0},
    {"S_OSN", 'N', 5, 0},  {"S_COM", 'C', 60, 0},  {"PENALTY", 'N', 15, 2}, {"S_IST", 'N', 2, 0},
    {"USL_OK", 'N', 2, 0}, {"DATEREP", 'D', 8, 0}};

SankCall Sank(const char* code, double sum, int osn, const QString& comment) {
  SankCall s;
  s.SCode = QString::fromLatin1(code);
  s.SSum = Money::FromDouble(sum);
  s.STip = 2;
  s.SOsn = osn;
  s.SCom = comment;
  s.SIst = 1;
  s.UslOk = 1;
  return s;
}

QStringList Rows(const QString& folder, const QString& sql) {
  dbfsql::TQuery q;
  q.SetDatabaseName(folder);
  q.SetStatement({sql});
  q.Open();
  QStringList rows;
  for (; !q.Eof(); q.Next()) {
    QStringList values;
    for (int i = 0; i < q.FieldCount(); ++i) values << q.Field(i).toString();
    rows << values.join('|');
  }
  return rows;
}

TEST(CaseEntryTables, EverySanctionOfTheCaseIsKeptForTheMonth) {
  QTemporaryDir dir;
  const QString folder = dir.path();
  BuildTable(folder, "stacion.dbf", {{"ID", 'N', 10, 0}, {"REPEAT_UPL", 'N', 1, 0}},
             {{{"ID", 7}, {"REPEAT_UPL", 1}}, {{"ID", 8}, {"REPEAT_UPL", 1}}});
  // An earlier reception's row of the case and month goes; the case's row
  // of another month and another case's row stay.
  BuildTable(folder, "sank.dbf", kSankFields,
             {{{"ID", 7}, {"S_CODE", "old"}, {"DATEREP", QDate(2024, 3, 1)}},
              {{"ID", 7}, {"S_CODE", "feb"}, {"DATEREP", QDate(2024, 2, 1)}},
              {{"ID", 8}, {"S_CODE", "other"}, {"DATEREP", QDate(2024, 3, 1)}}});
  CaseEntrySanctions entry;
  entry.CaseNumber = 7;
  entry.ReportDate = QDate(2024, 3, 1);
  entry.Sanctions = {Sank("a1", 60.5, 51, "нет 'полиса'"), Sank("a2", 40, 52, ""),
                     Sank("a3", 1, 53, "; drop table sank")};
  WriteCaseEntrySanctions(folder, entry);

  EXPECT_EQ(Rows(folder, "select id, coalesce(repeat_upl, 'null') from stacion.dbf order by id"),
            (QStringList{"7|null", "8|1"}));
  EXPECT_EQ(
      Rows(folder,
           "select id, s_code, s_sum, s_tip, s_osn, coalesce(s_com, ''), penalty, s_ist, "
           "usl_ok, daterep from sank.dbf order by id, daterep, s_code"),
      (QStringList{"7|feb||||||||2024-02-01", "7|a1|60.5|2|51|нет 'полиса'|0|1|1|2024-03-01",
                   "7|a2|40|2|52||0|1|1|2024-03-01",
                   "7|a3|1|2|53|; drop table sank|0|1|1|2024-03-01", "8|other||||||||2024-03-01"}));

  // A case without sanctions is only marked; its rows stay.
  entry.CaseNumber = 8;
  entry.Sanctions.clear();
  WriteCaseEntrySanctions(folder, entry);
  EXPECT_EQ(Rows(folder, "select count(*) from sank.dbf where id=8"), QStringList{"1"});
  EXPECT_EQ(Rows(folder, "select count(*) from stacion.dbf where repeat_upl is null"),
            QStringList{"2"});
}

}  // namespace
}  // namespace kelmo
