// The reading side of the XML loading: the streaming reader and its bounds
// on hostile files, the element-value reader, the person file and the small
// rules that turn elements into column values.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>

#include "xml_package_builder.h"
#include "xmlload/case_rules.h"
#include "xmlload/package_persons.h"
#include "xmlload/xml_package_loader.h"
#include "xmlload/xml_tags.h"
#include "xmlload/xml_tree.h"

namespace kelmo {
namespace {

XmlNode Parse(const QByteArray& xml, const char* name = "R") {
  XmlNode found;
  StreamXmlBytes(xml, QStringLiteral("t.xml"), {name}, [&](XmlNode&& n) { found = std::move(n); });
  return found;
}

TEST(XmlTree, TakesTheNamedElementsInDocumentOrderWithTheirChildren) {
  std::vector<QString> ids;
  StreamXmlBytes(
      "<L><ZGLV><V>1</V></ZGLV><ZAP><ID>1</ID><ZAP_INNER/></ZAP><X><ZAP><ID>2</ID>"
      "</ZAP></X><ZAP/></L>",
      "t.xml", {"ZAP"}, [&](XmlNode&& n) {
        const XmlNode* id = n.First("ID");
        ids.push_back(id ? id->FullText() : QStringLiteral("-"));
      });
  EXPECT_EQ(ids, (std::vector<QString>{"1", "2", "-"}));
}

// Hostile files are refused with a message naming the file.
TEST(XmlTree, HostileFilesAreRefusedNamingTheFile) {
  QTemporaryDir dir;
  const QString deep = QString("<a>").repeated(100000) + QString("</a>").repeated(100000);
  const struct {
    const char* what;
    QByteArray bytes;
  } cases[] = {
      {"external entity",
       "<?xml version=\"1.0\"?><!DOCTYPE R [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><R>&x;</R>"},
      {"billion laughs",
       "<?xml version=\"1.0\"?><!DOCTYPE R [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
       "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
       "<R>&c;</R>"},
      {"entity of an external DTD",
       "<?xml version=\"1.0\"?><!DOCTYPE R SYSTEM \"http://example.invalid/x.dtd\"><R>&x;</R>"},
      {"nesting 100000 deep", deep.toUtf8()},
      {"long text", "<R>" + QByteArray(200 * 1024, 'x') + "</R>"},
      {"not well-formed", "<R><A></R>"},
      {"empty file", ""},
  };
  for (const auto& c : cases) {
    const QString path = dir.filePath(QString("f_%1.xml").arg(&c - cases));
    test::WriteBytes(path, c.bytes);
    try {
      StreamXmlFile(path, {"R", "a"}, [](XmlNode&&) {});
      ADD_FAILURE() << c.what << " was read";
    } catch (const XmlFileRefused& e) {
      EXPECT_TRUE(QString::fromUtf8(e.what()).contains(path)) << c.what << ": " << e.what();
    }
  }
  // Not a regular file: a folder, a FIFO, a missing file.
  const QString fifo = dir.filePath("fifo.xml");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  for (const QString& path : {dir.path(), fifo, dir.filePath("missing.xml")})
    EXPECT_THROW(StreamXmlFile(path, {"R"}, [](XmlNode&&) {}), XmlFileRefused)
        << path.toStdString();
}

TEST(XmlTree, NodeHasTextLooksAtTheChildren) {
  EXPECT_TRUE(NodeHasText(Parse("<R><A/><B>x</B></R>")));
  EXPECT_FALSE(NodeHasText(Parse("<R><A/></R>")));
  EXPECT_FALSE(NodeHasText(Parse("<R>  <A> </A>\n</R>")));
  EXPECT_FALSE(NodeHasText(Parse("<R></R>")));
  EXPECT_TRUE(NodeHasText(Parse("<R>t</R>")));
}

TEST(XmlTags, ValuesByKindDefaultsAndLog) {
  QStringList log;
  const TagReader tags([&log](const QString& l) { log << l; });
  const XmlNode r = Parse(
      "<R><I> 12 </I><B>   </B><N>12,5</N><X>1 000</X><D>2016-06-01 10:30</D>"
      "<T> a b </T></R>");
  EXPECT_EQ(tags.Int(r, "I"), 12);
  EXPECT_EQ(log, (QStringList{"Чтение тэга: I", "  Значение: 12"}));
  log.clear();
  EXPECT_EQ(tags.Int(r, "B"), 0);
  EXPECT_TRUE(tags.IntOrNull(r, "B").isNull());
  EXPECT_TRUE(tags.IntOrNull(r, "NONE").isNull());
  EXPECT_TRUE(log.isEmpty());
  EXPECT_DOUBLE_EQ(tags.Num(r, "N").toDouble(), 12.5);
  EXPECT_THROW(tags.Num(r, "X"), XmlValueError);
  EXPECT_THROW(tags.Int(r, "X"), XmlValueError);
  EXPECT_DOUBLE_EQ(tags.Num(r, "NONE").toDouble(), 0.0);
  EXPECT_TRUE(tags.Num(r, "NONE", true).isNull());
  EXPECT_EQ(tags.DateText(r, "D").toString(), "01.06.2016");
  EXPECT_TRUE(tags.DateText(r, "NONE").isNull());
  EXPECT_EQ(tags.Text(r, "T"), "a b");
  EXPECT_EQ(tags.Text(r, "NONE", "SPEC_CODE"), "null");
  EXPECT_EQ(tags.Text(r, "NONE", "OTHER"), "");
  EXPECT_EQ(tags.Int(r, "NONE", "RSLT"), 104);
  EXPECT_EQ(tags.Int(r, "NONE", "ISHOD"), 102);
}

TEST(XmlTags, DatesThatAreNoDatesFail) {
  for (const char* bad : {"", "2019-01-31T00:00:00", "2019-1-31", "2019-13-01"})
    EXPECT_THROW(XmlDate(bad), XmlValueError) << bad;
  EXPECT_EQ(XmlDate("2019-03-04"), QDate(2019, 3, 4));
  // A text already in the short date form reads as it is.
  EXPECT_EQ(XmlDate("31.01.2019"), QDate(2019, 1, 31));
}

TEST(PersonFile, PersonsSeriesAndRepresentative) {
  const QByteArray bytes = test::Cp1251(
      "<?xml version=\"1.0\" "
      "encoding=\"windows-1251\"?><PERS_LIST><ZGLV><FILENAME1>HM1_1</FILENAME1>"
      "<DATA_FORMAT>DBF</DATA_FORMAT></ZGLV>"
      "<PERS><ID_PAC> A1 </ID_PAC><FAM>Сидорова</FAM><DR> </DR><DOCTYPE>14</DOCTYPE>"
      "<DOCSER>45  10</DOCSER><DOST>1</DOST><DOST>3</DOST><FAM_P>Сидоров</FAM_P><DR_P/></PERS>"
      "<PERS><ID_PAC>A1</ID_PAC><FAM>Второй</FAM></PERS></PERS_LIST>");
  const PersonFile file = ReadPersonBytes(bytes, "L.xml", TagReader());
  EXPECT_EQ(file.Source, RegistrySourceKind::XmlFromDbf);
  EXPECT_EQ(file.MainFileName, "HM1_1");
  ASSERT_EQ(file.Persons.size(), 2u);
  const rPers* p = file.Find("A1");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Fam, "Сидорова");  // the first of two with the same key
  EXPECT_FALSE(p->Dr.isValid());
  EXPECT_FALSE(p->DrP.isValid());
  EXPECT_EQ(p->DocSer, "45 10");
  EXPECT_EQ(p->Dost, "13");
  EXPECT_EQ(p->FamP, "Сидоров");
  // Without FILENAME1 or without the header the file cannot be loaded.
  EXPECT_THROW(ReadPersonBytes("<PERS_LIST><ZGLV/></PERS_LIST>", "L.xml", TagReader()),
               XmlValueError);
  EXPECT_THROW(ReadPersonBytes("<PERS_LIST/>", "L.xml", TagReader()), XmlValueError);
}

TEST(PersonFile, DocumentSeriesOfPassports) {
  const struct {
    const char* type;
    const char* in;
    const char* out;
  } cases[] = {{"14", "4510", "45 10"}, {"14", "45  10", "45 10"}, {"14", "45 10", "45 10"},
               {"3", "4510", "4510"},   {"14", "IV-ЛО", "IV-ЛО"},  {"14", "", ""}};
  for (const auto& c : cases)
    EXPECT_EQ(NormalisedDocumentSeries(c.type, c.in), c.out) << c.type << " " << c.in;
}

TEST(CaseRules, CodesOfTheCase) {
  QString name;
  EXPECT_EQ(PayKindOfCareForm(32, &name), PayKind::Vmp);
  EXPECT_EQ(name, "Высокотехнологичная специализированная медицинская помощь");
  EXPECT_EQ(PayKindOfCareForm(5), PayKind::Rehabilitation);
  EXPECT_EQ(PayKindOfCareForm(31), PayKind::Oms);
  EXPECT_EQ(PayKindOfCareForm(99, &name), PayKind::None);
  EXPECT_TRUE(name.isEmpty());
  for (auto [usl, type] : {std::pair{1, 1}, {11, 1}, {12, 1}, {21, 1}, {22, 2}, {24, 4}, {2, 238}})
    EXPECT_EQ(InPatientTypeOfConditions(usl), type) << usl;
  EXPECT_EQ(PackageNumberOfName("HS45001M450001_24030"), 0);
  EXPECT_EQ(PackageNumberOfName("HS45001M450001_240303"), 3);
  EXPECT_EQ(PackageNumberOfName("HS45001M450001_2403001"), 1);
  const XmlNode zsl = Parse("<R><A>j18.</A><B>a01.1</B></R>");
  EXPECT_EQ(AdmissionDiagnosis(zsl.First("A")).toString(), "J18");
  EXPECT_EQ(AdmissionDiagnosis(zsl.First("B")).toString(), "A01.1");
  EXPECT_TRUE(AdmissionDiagnosis(nullptr).isNull());
  EXPECT_EQ(SheetDiagnosis("a01."), "A01");
  EXPECT_EQ(SheetDiagnosis("A01.1"), "A01.1");
  EXPECT_EQ(CareLevelOfCode("10002"), 1);
  EXPECT_EQ(CareLevelOfCode("КС12345678345678"), 4);
  EXPECT_THROW(CareLevelOfCode(""), XmlValueError);
  EXPECT_THROW(CareLevelOfCode("X1"), XmlValueError);
}

TEST(SheetRules, OrderKindAndCriteria) {
  QString problem;
  auto ids = [&problem](const char* xml) {
    problem.clear();
    std::vector<int> out;
    for (const auto& [n, sl] : OrderedSheets(Parse(xml), problem)) out.push_back(n);
    return out;
  };
  EXPECT_EQ(ids("<R><SL><SL_ID>2</SL_ID></SL><SL><SL_ID>1</SL_ID></SL></R>"),
            (std::vector<int>{1, 2}));
  EXPECT_EQ(ids("<R><SL><SL_ID>1</SL_ID></SL><SL><SL_ID>3</SL_ID></SL></R>"),
            (std::vector<int>{1, 3}));
  EXPECT_TRUE(problem.isEmpty());
  for (const char* bad :
       {"<R><SL><SL_ID>1</SL_ID></SL><SL><SL_ID>1</SL_ID></SL></R>",
        "<R><SL><SL_ID>x</SL_ID></SL></R>", "<R><SL/></R>", "<R><SL><SL_ID>300</SL_ID></SL></R>"}) {
    EXPECT_TRUE(ids(bad).empty()) << bad;
    EXPECT_FALSE(problem.isEmpty()) << bad;
  }
  const TagReader tags;
  EXPECT_EQ(SubCasePayKind(Parse("<R><VID_HMP>10.00.2</VID_HMP></R>"), tags), 6);
  EXPECT_EQ(SubCasePayKind(Parse("<R><REAB>1</REAB><FUNDING>13</FUNDING></R>"), tags), 2);
  EXPECT_EQ(SubCasePayKind(Parse("<R><REAB>1</REAB><FUNDING>8</FUNDING></R>"), tags), 7);
  EXPECT_EQ(SubCasePayKind(Parse("<R><FUNDING>3</FUNDING></R>"), tags), 5);
  EXPECT_EQ(SubCasePayKind(Parse("<R/>"), tags), 1);
  const XmlNode k1 = Parse("<R><DKK1>sh01</DKK1><DKK2>it1</DKK2></R>");
  EXPECT_EQ(SheetCriteria(&k1).toString(), "sh01;it1");
  const XmlNode k2 = Parse("<R><DKK1>sh01</DKK1><CRIT>a</CRIT><CRIT>b</CRIT></R>");
  EXPECT_EQ(SheetCriteria(&k2).toString(), "a;b");
  EXPECT_TRUE(SheetCriteria(nullptr).isNull());
}

// The fuzz target's seeds are the files the builder makes; with
// KELMO_WRITE_FUZZ_SEEDS naming a folder they are written there.
TEST(PackageSeeds, BuiltFilesReadWhole) {
  test::XCase c;
  c.zslExtra = "<SANK_IT>1,5</SANK_IT><SANK><S_SUM>1.5</S_SUM></SANK><DS0>J18.</DS0>";
  c.sheets[0].extra =
      "<KSG_KPG><CRIT>it1</CRIT></KSG_KPG><ONK_SL><STAD>1</STAD></ONK_SL>"
      "<USL><CODE_USL>A1</CODE_USL><KOL_USL>1,5</KOL_USL></USL>";
  const QByteArray persons = test::PersonFileBytes("HM1_1", {test::XPerson{}});
  const QByteArray main = test::MainFileBytes({c, test::XCase{}});
  int zaps = 0;
  StreamXmlBytes(main, "H.xml", {"ZAP"}, [&zaps](XmlNode&&) { ++zaps; });
  EXPECT_EQ(zaps, 2);
  EXPECT_EQ(ReadPersonBytes(persons, "L.xml", TagReader()).Persons.size(), 1u);
  const QString folder = qEnvironmentVariable("KELMO_WRITE_FUZZ_SEEDS");
  if (folder.isEmpty()) return;
  test::WriteBytes(folder + "/persons.xml", persons);
  test::WriteBytes(folder + "/main.xml", main);
}

}  // namespace
}  // namespace kelmo
