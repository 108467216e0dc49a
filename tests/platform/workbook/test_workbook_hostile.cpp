// Hostile and damaged workbooks: entity declarations, values that do not read
// whole, a second sheet data, entry names that climb out of the package, and
// packages with tens of thousands of relationships.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "many_relationships.h"
#include "workbook/package_zip.h"
#include "workbook/workbook.h"
#include "workbook/workbook_error.h"

using namespace kelmo::workbook;

namespace {

constexpr const char* kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* kSheet = "xl/worksheets/sheet1.xml";

std::string SheetWithRows(const std::string& rows) {
  return std::string("<worksheet xmlns=\"") + kMain + "\"><sheetData>" + rows +
         "</sheetData></worksheet>";
}

// Nested entities that would expand to gigabytes of text.
std::string EntityBomb(const std::string& root, const std::string& body) {
  std::string dtd = "<!DOCTYPE " + root + " [<!ENTITY a0 \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\">";
  for (int i = 1; i < 12; ++i) {
    dtd += "<!ENTITY a" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) dtd += "&a" + std::to_string(i - 1) + ";";
    dtd += "\">";
  }
  return "<?xml version=\"1.0\"?>" + dtd + "]>" + body;
}

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const WorkbookError& e) {
    return e.what();
  }
  return "no error";
}

PackageParts WithStringsRelationship(PackageParts parts) {
  std::string& rels = parts["xl/_rels/workbook.xml.rels"];
  rels.insert(rels.find("</Relationships>"),
              "<Relationship Id=\"rId7\" Type=\"http://schemas.openxmlformats.org/"
              "officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>");
  return parts;
}

}  // namespace

TEST(WorkbookHostile, ValuesThatDoNotReadWholeAreDamage) {
  const auto parts = Workbook::Create()->ToParts();
  const char* rows[] = {
      "<row r=\"4294967297\"><c r=\"A1\"><v>1</v></c></row>",  // wraps to row 1 in 32 bits
      "<row r=\"1e3\"><c><v>1</v></c></row>",
      "<row r=\"-1\"/>",
      "<row r=\"1048577\"/>",
      "<row r=\"1\" ht=\"nan\"/>",
      "<row r=\"1\" ht=\"-4\"/>",
      "<row r=\"1\" s=\"1e3\" customFormat=\"1\"/>",
      "<row r=\"1\"><c r=\"A1\"><v>nan</v></c></row>",
      "<row r=\"1\"><c r=\"A1\"><v>-inf</v></c></row>",
      "<row r=\"1\"><c r=\"A1\"><v>infinity</v></c></row>",
      "<row r=\"1\"><c r=\"A1\"><v>1e400</v></c></row>",
      "<row r=\"1\"><c r=\"A1\"><v>0x10</v></c></row>",
      "<row r=\"1\"><c r=\"A1\" s=\"99999999999\"><v>1</v></c></row>",
      "<row r=\"1\"><c r=\"A1\" s=\"1.5\"><v>1</v></c></row>",
      "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0e1</v></c></row>",
  };
  for (const char* row : rows) {
    auto p = parts;
    p[kSheet] = SheetWithRows(row);
    EXPECT_EQ(ErrorOf([&] { Workbook::FromParts(p, "/tmp/v.xlsx"); }),
              std::string("/tmp/v.xlsx: повреждена часть ") + kSheet)
        << row;
  }
  auto p = parts;
  p[kSheet] = SheetWithRows(
      "<row r=\"3\" ht=\"12.75\"><c r=\"A3\"><v>1.25E-3</v></c><c r=\"B3\"><v>-7</v></c>"
      "<c r=\"C3\"><v> 42 </v></c></row>");
  auto wb = Workbook::FromParts(p, "ok.xlsx");
  EXPECT_EQ(wb->ActiveSheet().Value(3, 1).Number(), 0.00125);
  EXPECT_EQ(wb->ActiveSheet().Value(3, 2).Number(), -7);
  EXPECT_EQ(wb->ActiveSheet().Value(3, 3).Number(), 42);

  auto styles = parts;
  std::string& xml = styles["xl/styles.xml"];
  xml.replace(xml.find("<sz val=\"11\"/>"), 14, "<sz val=\"nan\"/>");
  EXPECT_EQ(ErrorOf([&] { Workbook::FromParts(styles, "s.xlsx"); }),
            "s.xlsx: повреждена часть xl/styles.xml");
}

TEST(WorkbookHostile, EntityDeclarationsAreRefusedNamingThePart) {
  const auto parts = WithStringsRelationship(Workbook::Create()->ToParts());
  struct Case {
    const char* part;
    std::string xml;
  } cases[] = {
      {"xl/workbook.xml",
       EntityBomb("workbook",
                  std::string("<workbook xmlns=\"") + kMain +
                      "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "relationships\"><sheets><sheet name=\"&a11;\" sheetId=\"1\" "
                      "r:id=\"rId1\"/></sheets></workbook>")},
      {kSheet, EntityBomb("worksheet", SheetWithRows("<row r=\"1\"><c r=\"A1\" t=\"str\"><v>"
                                                     "&a11;</v></c></row>"))},
      {kSheet, EntityBomb("worksheet", std::string("<worksheet xmlns=\"") + kMain +
                                           "\"><sheetData/><headerFooter><oddHeader>&a11;"
                                           "</oddHeader></headerFooter></worksheet>")},
      {"xl/sharedStrings.xml",
       EntityBomb("sst", std::string("<sst xmlns=\"") + kMain + "\"><si><t>&a11;</t></si></sst>")},
      {"xl/styles.xml",
       "<!DOCTYPE styleSheet [<!ENTITY % p \"<!ENTITY x 'y'>\"> %p;]>" + parts.at("xl/styles.xml")},
      {"[Content_Types].xml", "<!DOCTYPE Types [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" +
                                  parts.at("[Content_Types].xml")},
  };
  for (const auto& c : cases) {
    auto p = parts;
    p["xl/sharedStrings.xml"] = std::string("<sst xmlns=\"") + kMain + "\"/>";
    p[c.part] = c.xml;
    EXPECT_EQ(ErrorOf([&] { Workbook::FromParts(p, "/tmp/e.xlsx"); }),
              std::string("/tmp/e.xlsx: повреждена часть ") + c.part);
  }

  // Read from a file, the error names the file.
  const std::string path =
      (std::filesystem::temp_directory_path() / "kelmo_entity_bomb.xlsx").string();
  auto p = parts;
  p.erase("xl/sharedStrings.xml");
  p["xl/workbook.xml"] = cases[0].xml;
  WriteZipParts(path, p);
  EXPECT_EQ(ErrorOf([&] { Workbook::Open(path); }), path + ": повреждена часть xl/workbook.xml");
  std::filesystem::remove(path);
}

TEST(WorkbookHostile, SavedWorkbookHoldsOnlyWhatIsSafe) {
  auto parts = Workbook::Create()->ToParts();
  // A document type without entities is read, but not written back.
  parts["xl/workbook.xml"].insert(parts["xl/workbook.xml"].find("<workbook"),
                                  "<!DOCTYPE workbook SYSTEM \"http://example.com/x.dtd\">");
  parts["xl/theme/theme1.xml"] = "<!DOCTYPE a [<!ELEMENT a ANY>]><a/>";
  for (const char* name : {"../evil.xml", "xl/../../evil.xml", "/etc/evil.xml", "xl\\evil.xml",
                           "xl//evil.xml", "xl/./evil.xml", "xl/evil/"})
    parts[name] = "<x/>";
  auto wb = Workbook::FromParts(parts, "d.xlsx");
  const auto out = wb->ToParts();
  for (const auto& [name, bytes] : out) {
    EXPECT_EQ(name.find(".."), std::string::npos) << name;
    EXPECT_EQ(name.find('\\'), std::string::npos) << name;
    EXPECT_NE(name.front(), '/') << name;
    EXPECT_EQ(bytes.find("<!DOCTYPE"), std::string::npos) << name;
  }
  EXPECT_EQ(out.count("xl/theme/theme1.xml"), 1u);

  auto twice = Workbook::Create()->ToParts();
  twice[kSheet] = std::string("<worksheet xmlns=\"") + kMain +
                  "\"><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData>"
                  "<sheetData><row r=\"2\"><c r=\"A2\"><v>2</v></c></row></sheetData></worksheet>";
  EXPECT_EQ(ErrorOf([&] { Workbook::FromParts(twice, "t.xlsx"); }),
            std::string("t.xlsx: повреждена часть ") + kSheet);
  // A sheet data start tag inside a comment is not the sheet's data.
  twice[kSheet] = std::string("<worksheet xmlns=\"") + kMain +
                  "\"><!-- <sheetData> --><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c>"
                  "</row></sheetData></worksheet>";
  EXPECT_NE(ErrorOf([&] {
              auto w = Workbook::FromParts(twice, "t.xlsx");
              const std::string sheet = w->ToParts().at(kSheet);
              if (sheet.find("<sheetData") != sheet.rfind("<sheetData"))
                throw WorkbookError("two sheet data written");
            }),
            "two sheet data written");
}

TEST(WorkbookHostile, TensOfThousandsOfRelationshipsOpenAndSave) {
  for (int count : {20000, 60000}) {
    const PackageParts parts = ManyRelationshipsParts(count);
    auto wb = Workbook::FromParts(parts, "r.xlsx");
    wb->ActiveSheet().SetText(1, 1, "x");
    const auto out = wb->ToParts();
    const std::string& written = out.at("xl/_rels/workbook.xml.rels");
    for (int id : {count + 1, count + 2})
      EXPECT_NE(written.find("Id=\"rId" + std::to_string(id) + "\""), std::string::npos) << id;
    EXPECT_EQ(Workbook::FromParts(out, "r2.xlsx")->ActiveSheet().Text(1, 1), "x");
  }
}
