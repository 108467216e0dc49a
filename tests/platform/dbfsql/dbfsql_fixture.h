// A small registry folder built by code: stacion.dbf (code page 866), mtl.dbf,
// Operat.dbf (mixed-case name) and otpusk.dbf, shaped as the registry's.
#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <string>

#include "bytes/code_pages.h"
#include "dbf/table_builder.h"
#include "dbf/table_handler.h"

namespace kelmo::dbfsql::testing {

struct Case {
  int id;
  const char* family;  // UTF-8
  const char* name;
  const char* father;
  const char* nomib;
  const char* in;  // yyyymmdd
  const char* out;
  const char* dz;
  const char* polObl;
  int resLecen;
  int tipStac;
  const char* dr;
};

inline const Case kCases[] = {
    {1, "Иванов", "Иван", "Иванович", "101", "20120105", "20120115", "", "1137", 1, 1, "19800101"},
    {2, "Петров", "Пётр", "Петрович", "102", "20120110", "20120120", "", "1137", 1, 1, "19700202"},
    {3, "Сидоров", "Сидор", "Сидорович", "103", "20120201", "20120210", "", "1137", 1, 1,
     "19600303"},
    {4, "Смирнов", "Олег", "Ильич", "104", "20120112", "20120130", "20120130", "1137", 6, 1,
     "19500404"},
    {5, "Кузнецов", "Иван", "Петрович", "105", "20120103", "20120109", "", "4501", 1, 1,
     "19900505"},
    {6, "Иванов", "Иван", "Иванович", "101", "20120105", "20120115", "", "1137", 1, 1, "19800101"},
    {7, "Попов", "", "Ильич", "107", "20120106", "20120116", "", "1137", 1, 1, "19850606"},
};

inline void Put(dbf::DFO_dBHandler& t, const char* field, const std::string& utf8,
                bytes::CodePage cp) {
  t.PutFieldTextByName(field, bytes::EncodeFromUtf8(utf8, cp));
}

inline void BuildRegistryFolder(const QString& folder) {
  using bytes::CodePage;
  const std::string dir = QDir(folder).absolutePath().toStdString() + "/";
  {
    dbf::DFO_DBFBuild b(dir + "stacion.dbf");
    b.SetLanguageByte(0x65);
    b.AddField("ID", 'N', 10, 0);
    b.AddField("FAMILY", 'C', 40, 0);
    b.AddField("NAME", 'C', 40, 0);
    b.AddField("FATHER", 'C', 40, 0);
    b.AddField("POL", 'C', 1, 0);
    b.AddField("OBL", 'C', 5, 0);
    b.AddField("NOMIB", 'C', 15, 0);
    b.AddField("SOCIUM", 'N', 2, 0);
    b.AddField("IN_STAC", 'D', 8, 0);
    b.AddField("OUT_STAC", 'D', 8, 0);
    b.AddField("DZ", 'D', 8, 0);
    b.AddField("POL_OBL", 'C', 5, 0);
    b.AddField("TIP_STAC", 'N', 1, 0);
    b.AddField("RES_LECEN", 'N', 3, 0);
    b.AddField("DR", 'D', 8, 0);
    b.AddField("NUM_KARTA", 'C', 10, 0);
    b.AddField("POLIS", 'C', 20, 0);
    b.AddField("MCOD", 'C', 8, 0);
    b.AddField("HASH", 'C', 32, 0);
    b.AddField("SERIA", 'C', 10, 0);
    b.AddField("NUMBER", 'C', 20, 0);
    b.AddField("OPLAT", 'N', 2, 0);
    b.AddField("SUMV", 'N', 12, 2);
    b.AddField("OK", 'L', 1, 0);
    b.WriteFiles();
    dbf::DFO_dBHandler t(dir + "stacion.dbf", false, true, "");
    for (const Case& c : kCases) {
      t.BlankRecord();
      t.PutNumericByName("ID", c.id);
      Put(t, "FAMILY", c.family, CodePage::Cp866);
      Put(t, "NAME", c.name, CodePage::Cp866);
      Put(t, "FATHER", c.father, CodePage::Cp866);
      t.PutFieldTextByName("POL", "1");
      t.PutFieldTextByName("OBL", "37");
      t.PutFieldTextByName("NOMIB", c.nomib);
      t.PutNumericByName("SOCIUM", 1);
      t.PutFieldTextByName("IN_STAC", c.in);
      t.PutFieldTextByName("OUT_STAC", c.out);
      t.PutFieldRawByName("DZ", c.dz[0] ? c.dz : (c.resLecen == 6 ? c.out : "20120131"));
      t.PutFieldTextByName("POL_OBL", c.polObl);
      t.PutNumericByName("TIP_STAC", c.tipStac);
      t.PutNumericByName("RES_LECEN", c.resLecen);
      t.PutFieldTextByName("DR", c.dr);
      t.PutFieldTextByName("NUM_KARTA", std::to_string(c.id));
      t.PutFieldTextByName("POLIS", "P" + std::to_string(c.id));
      t.PutFieldTextByName("HASH", c.id == 3 ? "" : "ABCDEF");
      t.PutNumericByName("SUMV", c.id * 100.25);
      t.PutLogicalByName("OK", c.id % 2 == 1);
      t.Append();
    }
  }
  {
    dbf::DFO_DBFBuild b(dir + "mtl.dbf");
    b.SetLanguageByte(0xC9);
    b.AddField("ID", 'N', 10, 0);
    b.AddField("NOM_MTL", 'N', 2, 0);
    b.AddField("OPLAT", 'N', 2, 0);
    b.AddField("VID_POM", 'N', 2, 0);
    b.AddField("STAC_DIAG", 'C', 7, 0);
    b.AddField("APPEND", 'N', 1, 0);
    b.AddField("APP_KD", 'N', 3, 0);
    b.AddField("VR_SPEC", 'C', 10, 0);
    b.WriteFiles();
    dbf::DFO_dBHandler t(dir + "mtl.dbf", false, true, "");
    // id, nom_mtl, oplat (0: none), vid_pom
    const int rows[][4] = {{1, 1, 1, 1}, {1, 2, 1, 1}, {2, 1, 1, 5}, {2, 2, 0, 1}, {3, 1, 1, 1},
                           {4, 1, 6, 1}, {5, 1, 1, 1}, {6, 1, 1, 1}, {7, 1, 0, 1}};
    for (const auto& r : rows) {
      t.BlankRecord();
      t.PutNumericByName("ID", r[0]);
      t.PutNumericByName("NOM_MTL", r[1]);
      if (r[2]) t.PutNumericByName("OPLAT", r[2]);
      if (!r[2]) t.PutFieldRawByName("OPLAT", "");
      t.PutNumericByName("VID_POM", r[3]);
      Put(t, "STAC_DIAG", r[0] == 2 ? "N18.5" : "I10", CodePage::Cp1251);
      t.Append();
    }
  }
  {
    dbf::DFO_DBFoxBuild b(dir + "Operat.DBF");
    b.AddField("ID", 'N', 10, 0);
    b.AddField("OPERATION", 'N', 6, 0);
    b.AddField("DATA_OPER", 'D', 8, 0);
    b.AddField("FIO", 'C', 30, 0);
    b.AddField("NOTE", 'M', 10, 0);
    b.WriteFiles();
    dbf::DFO_dBHandler t(dir + "Operat.DBF", false, true, "");
    for (int i = 1; i <= 6; ++i) {
      t.BlankRecord();
      t.PutNumericByName("ID", i <= 3 ? 1 : i);
      t.PutNumericByName("OPERATION", 1000 + i);
      t.PutFieldTextByName("DATA_OPER", "20120107");
      Put(t, "FIO", "Хирург " + std::to_string(i), CodePage::Cp1251);
      t.PutFieldTextByName("NOTE",
                           bytes::EncodeFromUtf8("заметка " + std::to_string(i), CodePage::Cp1251));
      t.Append();
    }
  }
}

// Spoils the payment kind of mtl.dbf's third record ("x*"), which the engine
// refuses to read as a number.
inline void SpoilThirdSheetPayKind(const QString& folder) {
  dbf::DFO_dBHandler mtl(QDir(folder).absolutePath().toStdString() + "/mtl.dbf", false, true, "");
  mtl.GoTo(3);
  mtl.PutFieldRawByName("OPLAT", "x*");
  mtl.WriteRecord(3);
}

}  // namespace kelmo::dbfsql::testing
