// The identification's look-ups over an embedded registry database made from
// the schema scripts.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "shell/registry_package_database.h"
#include "shell_test_support.h"

namespace kelmo {
namespace {

class PackageRegistryDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::App();
    db.setDatabaseName(dir.filePath(QStringLiteral("registry.fdb")));
    db.setScriptFolder(QStringLiteral(KELMO_SOURCE_DIR "/db/registry"));
    db.Open();
  }

  void Exec(const QString& sql) {
    FbQuery q(db, &tr);
    q.setSql(sql);
    q.ExecSQL();
  }

  QTemporaryDir dir;
  FbDatabase db{"package_lookups"};
  FbTransaction tr{db};
};

TEST_F(PackageRegistryDatabaseTest, InstitutionsAndFormingReports) {
  RegistryPackageDatabase lookups(db, &tr);
  const auto lpu = lookups.FindLpu(450001);
  ASSERT_TRUE(lpu.has_value());
  EXPECT_EQ(lpu->Mcod, 450001);
  EXPECT_EQ(lpu->Id, 1);
  EXPECT_EQ(lpu->Name, QString::fromUtf8("Областная больница"));
  EXPECT_FALSE(lookups.FindLpu(450099).has_value());

  // The forming query reads only the treatment sheets' oncology status.
  const char* reports[] = {
      "insert into reports (repn, lpu, oplat, tip_stac, inogor, date_beg, see1, see2) "
      "values (7, 1, 1, 4, '1', '2024-01-01', 1, 1)",
      "insert into reports (repn, lpu, oplat, tip_stac, inogor, date_beg, see1, see2) "
      "values (5, 1, 1, 1, '1', '2024-01-01', 1, 1)",
      "insert into reports (repn, lpu, oplat, tip_stac, inogor, date_beg, see1, see2) "
      "values (6, 1, 1, 1, '1', '2024-01-01', 1, 0)",
      "insert into reports (repn, lpu, oplat, tip_stac, inogor, date_beg, see1, see2) "
      "values (8, 1, 1, 1, '0', '2024-01-01', 1, 1)",
      "insert into xml_files (repn, smo_mcod, num, code, nschet, dschet) "
      "values (5, 45, 3, 12, ' 77 ', '2024-02-01')",
      "insert into xml_files (repn, smo_mcod, num, code, nschet) values (5, 45001, 9, 1, '1')",
      "insert into mtl (id, id_ill, repn, oplat, mtl_onco_status) values (1, 1, 5, 1, 1)",
  };
  for (const char* sql : reports) Exec(QString::fromUtf8(sql));

  FormingReportQuery query;
  query.Lpu = 1;
  query.Oplat = 1;
  query.MonthStart = QDate(2024, 1, 1);
  query.SmoCode = 45;
  query.Inog = 1;
  const QList<FormingReportRow> rows = lookups.FormingReports(query);
  ASSERT_EQ(rows.size(), 2);
  EXPECT_EQ(rows[0].Repn, 5);
  EXPECT_EQ(rows[0].Mcod, 450001);
  EXPECT_EQ(rows[0].TipStac, 1);
  EXPECT_EQ(rows[0].Num, 3);
  EXPECT_EQ(rows[0].Code, 12);
  EXPECT_EQ(rows[0].NSchet.trimmed(), QStringLiteral("77"));
  EXPECT_EQ(rows[0].DSchet, QDate(2024, 2, 1));
  EXPECT_TRUE(rows[0].NeedOncoFile);
  // Without an xml_files row: package 0, no invoice.
  EXPECT_EQ(rows[1].Repn, 7);
  EXPECT_EQ(rows[1].Num, 0);
  EXPECT_EQ(rows[1].Code, 0);
  EXPECT_EQ(rows[1].NSchet.trimmed(), QStringLiteral("0"));
  EXPECT_FALSE(rows[1].DSchet.isValid());
  EXPECT_FALSE(rows[1].NeedOncoFile);
}

}  // namespace
}  // namespace kelmo
