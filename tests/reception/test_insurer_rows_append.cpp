// A sub-folder's share of a split registry appended to the registry folder's
// tables: only the member's cases and their child rows, after the base's own
// rows, field by position; the optional tables only where both folders have
// them; the out-of-region sheets without the fields the target lacks; the
// failures that end the combined report.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "reception/combined_report_stop.h"
#include "reception/insurer_rows_append.h"
#include "reception_fixture.h"

using namespace kelmo;
using namespace kelmo::test;

namespace {

// A registry set of the cases, each with one sheet (and a second for
// `twoSheets`), an operation and a parent; `orphans` are sheets, operations
// and parents of a case that is not in stacion.dbf.
struct Share {
  std::vector<RegistryCase> cases;
  std::vector<int> twoSheets;
  int orphan = 0;
  bool parents = true;
  std::vector<FieldSpec> mtlFields = MtlFields();
};

void Write(const QString& folder, const Share& share) {
  QDir().mkpath(folder);
  std::vector<QVariantMap> stac, mtl, operat, parents;
  auto child = [&](int id) {
    QVariantMap sheet = RegistryCase{.id = id}.Mtl();
    mtl.push_back(sheet);
    if (std::find(share.twoSheets.begin(), share.twoSheets.end(), id) != share.twoSheets.end()) {
      sheet["NOM_MTL"] = 2;
      mtl.push_back(sheet);
    }
    operat.push_back({{"ID", id}, {"OPERATION", 1000 + id}, {"DATA_OPER", QDate(2024, 3, 5)}});
    parents.push_back({{"ID", id}, {"FAMILY", QStringLiteral("РОДИТЕЛЬ%1").arg(id)}});
  };
  for (const RegistryCase& c : share.cases) {
    stac.push_back(c.Stacion());
    child(c.id);
  }
  if (share.orphan) child(share.orphan);
  BuildTable(folder, "stacion.dbf", StacionFields(), stac);
  BuildTable(folder, "mtl.dbf", share.mtlFields, mtl);
  BuildTable(folder, "operat.dbf", OperatFields(), operat);
  if (share.parents) BuildTable(folder, "parents.dbf", ParentsFields(), parents);
}

}  // namespace

TEST(InsurerRowsAppend, AppendsTheInsurersHomeRegionCasesAfterTheBase) {
  QTemporaryDir dir;
  const QString registry = dir.path();
  Write(registry, {.cases = {SplitCase(1, "2778")}});
  // The insurer's folder also holds a case of another insurer, one of its own
  // from another region, and child rows of a case it does not hold.
  Write(QDir(registry).filePath("2779"),
        {.cases = {SplitCase(11, "2779"), SplitCase(12, "2778"), SplitCase(13, "2779", "1124"),
                   SplitCase(14, "2779")},
         .twoSheets = {11},
         .orphan = 99});
  AppendInsurerRows(registry, InsurerRowsMember::Insurer2779);

  EXPECT_EQ(DbfRecords(registry, "stacion.dbf"), QStringList({"1", "11", "14"}));
  EXPECT_EQ(DbfRecords(registry, "mtl.dbf", {"ID", "NOM_MTL"}),
            QStringList({"1/1", "11/1", "11/2", "14/1"}));
  EXPECT_EQ(DbfRecords(registry, "operat.dbf", {"ID", "OPERATION"}),
            QStringList({"1/1001", "11/1011", "14/1014"}));
  EXPECT_EQ(DbfRecords(registry, "parents.dbf"), QStringList({"1", "11", "14"}));
  // The appended case keeps its values: its dates and texts arrive in the
  // fields of the same position.
  dbfsql::TQuery q;
  q.SetDatabaseName(registry);
  q.SetStatement({"select FAMILY, IN_STAC, POLIS from stacion.dbf where ID=11"});
  q.Open();
  EXPECT_EQ(q.Field(0).toString(), "ФАМИЛИЯ11");
  EXPECT_EQ(q.FieldAsDate("IN_STAC"), QDate(2024, 3, 12));
  EXPECT_EQ(q.Field(2).toString(), "2779");
}

TEST(InsurerRowsAppend, OptionalTablesOnlyWhereBothFoldersHaveThem) {
  QTemporaryDir dir;
  const QString registry = dir.path();
  Write(registry, {.cases = {SplitCase(1, "2778")}, .parents = false});
  Write(QDir(registry).filePath("2989"), {.cases = {SplitCase(21, "2989")}});
  AppendInsurerRows(registry, InsurerRowsMember::Insurer2989);
  EXPECT_EQ(DbfRecords(registry, "stacion.dbf"), QStringList({"1", "21"}));
  EXPECT_FALSE(QFile::exists(QDir(registry).filePath("parents.dbf")));

  // An empty selection leaves every table as it was.
  QTemporaryDir other;
  Write(other.path(), {.cases = {SplitCase(1, "2778")}});
  Write(QDir(other.path()).filePath("2989"), {.cases = {SplitCase(22, "2778")}});
  AppendInsurerRows(other.path(), InsurerRowsMember::Insurer2989);
  for (const char* table : {"stacion.dbf", "mtl.dbf", "operat.dbf", "parents.dbf"})
    EXPECT_EQ(DbfRecords(other.path(), table), QStringList({"1"})) << table;
}

TEST(InsurerRowsAppend, OutOfRegionCasesAndSheetsWithoutSurplusFields) {
  QTemporaryDir dir;
  const QString registry = dir.path();
  Write(registry, {.cases = {SplitCase(1, "2778")}});
  // The out-of-region sheets carry one field more than the registry's.
  std::vector<FieldSpec> wider = MtlFields();
  wider.push_back({"EXTRA", 'C', 10, 0});
  Write(QDir(registry).filePath("Иногородние"),
        {.cases = {SplitCase(31, "", "1124"), SplitCase(32, "2778"), SplitCase(33, "", "1150")},
         .twoSheets = {33},
         .orphan = 98,
         .mtlFields = wider});
  AppendInsurerRows(registry, InsurerRowsMember::OutOfRegion);
  EXPECT_EQ(DbfRecords(registry, "stacion.dbf"), QStringList({"1", "31", "33"}));
  EXPECT_EQ(DbfRecords(registry, "mtl.dbf", {"ID", "NOM_MTL"}),
            QStringList({"1/1", "31/1", "33/1", "33/2"}));
  EXPECT_EQ(DbfRecords(registry, "operat.dbf"), QStringList({"1", "31", "33"}));
  EXPECT_EQ(DbfRecords(registry, "parents.dbf"), QStringList({"1", "31", "33"}));
}

TEST(InsurerRowsAppend, FailuresEndTheMerge) {
  // The treatment sheets of 2779 that do not fit end it with the merge's
  // message; the cases appended before stay.
  {
    QTemporaryDir dir;
    Write(dir.path(), {.cases = {SplitCase(1, "2778")}});
    std::vector<FieldSpec> wider = MtlFields();
    wider.push_back({"EXTRA", 'C', 10, 0});
    Write(QDir(dir.path()).filePath("2779"),
          {.cases = {SplitCase(11, "2779")}, .mtlFields = wider});
    try {
      AppendInsurerRows(dir.path(), InsurerRowsMember::Insurer2779);
      FAIL() << "no stop";
    } catch (const CombinedReportStop& stop) {
      EXPECT_EQ(stop.Caption, "Ошибка объединения");
      EXPECT_EQ(stop.Text, "Ошибка при объединении отчёта: 2779/MTL.dbf");
    }
    EXPECT_EQ(DbfRecords(dir.path(), "stacion.dbf"), QStringList({"1", "11"}));
    EXPECT_EQ(DbfRecords(dir.path(), "mtl.dbf"), QStringList({"1"}));
  }
  // The same sheets of 2989 raise the error naming the table.
  {
    QTemporaryDir dir;
    Write(dir.path(), {.cases = {SplitCase(1, "2778")}});
    std::vector<FieldSpec> wider = MtlFields();
    wider.push_back({"EXTRA", 'C', 10, 0});
    Write(QDir(dir.path()).filePath("2989"),
          {.cases = {SplitCase(21, "2989")}, .mtlFields = wider});
    EXPECT_THROW(AppendInsurerRows(dir.path(), InsurerRowsMember::Insurer2989), InsurerRowsError);
  }
  // Without the base's tables nothing can be appended.
  {
    QTemporaryDir dir;
    Write(QDir(dir.path()).filePath("Иногородние"), {.cases = {SplitCase(31, "", "1124")}});
    EXPECT_THROW(AppendInsurerRows(dir.path(), InsurerRowsMember::OutOfRegion), std::exception);
  }
}
