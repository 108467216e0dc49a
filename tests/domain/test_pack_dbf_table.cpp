// The shell's pack routine on a copied registry table.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "dbf/dbf_errors.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"
#include "domain/pack_dbf_table.h"

using namespace kelmo::dbf;
using kelmo::shell::PackDbfTable;

namespace {

// A registry-shaped table with memo: 12 cases, every odd one deleted.
void BuildCopiedRegistryTable(const QString& folder) {
  const std::string path = (folder + "/STACION.DBF").toStdString();
  {
    DFO_DBFBuild b(path);
    b.AddField("ID", 'N', 10, 0);
    b.AddField("FAMILY", 'C', 40, 0);
    b.AddField("IN_STAC", 'D', 8, 0);
    b.AddField("NOTE", 'M', 10, 0);
    b.WriteFiles();
  }
  DFO_dBHandler t(path, false, true, "");
  for (int i = 1; i <= 12; ++i) {
    t.BlankRecord();
    t.PutNumericByName("ID", i);
    t.PutFieldTextByName("FAMILY", "FAMILY" + std::to_string(i));
    t.PutFieldTextByName("IN_STAC", "20120105");
    t.PutFieldTextByName("NOTE", "note " + std::to_string(i));
    t.Append();
  }
  for (int i = 1; i <= 12; i += 2) {
    t.GoTo(i);
    t.DeleteRecord();
  }
}

}  // namespace

TEST(PackDbfTable, RemovesDeletedRowsForGood) {
  QTemporaryDir dir;
  BuildCopiedRegistryTable(dir.path());
  TDbfDataSet dbfDataSet1;
  // The dataset may still be open on another table: it is closed first.
  PackDbfTable(dbfDataSet1, dir.path(), "stacion.dbf");
  EXPECT_FALSE(dbfDataSet1.Active());
  DFO_dBHandler t((dir.path() + "/STACION.DBF").toStdString(), true, false, "");
  ASSERT_EQ(t.RecordCount(), 6);
  t.SetUseDeleted(true);
  int expected = 2;
  for (t.GoTo(kMoveFirst); !t.Eof(); t.GoTo(kMoveNext), expected += 2) {
    EXPECT_FALSE(t.CurrentRecordDeleted());
    EXPECT_EQ(t.GetNumericByName("ID"), expected);
    EXPECT_EQ(t.FieldTextByName("NOTE"), "note " + std::to_string(expected));
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"STACION.DBF", "STACION.DBT"}));
}

TEST(PackDbfTable, FailsWhenTheTableIsOpenElsewhere) {
  QTemporaryDir dir;
  BuildCopiedRegistryTable(dir.path());
  QFile file(dir.path() + "/STACION.DBF");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray before = file.readAll();
  file.close();
  {
    DFO_dBHandler other((dir.path() + "/STACION.DBF").toStdString(), true, false, "");
    try {
      PackDbfTable(dir.path(), "STACION.DBF");
      FAIL();
    } catch (const EDbfError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Access denied to file", 0), 0u) << e.what();
    }
  }
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), before);
  EXPECT_THROW(PackDbfTable(dir.path(), "missing.dbf"), EDbfError);
}
