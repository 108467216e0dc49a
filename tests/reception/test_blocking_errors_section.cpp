// The blocking-errors section of the act: its table, headings, the 65
// character wrap, the listing of a case's further sheets, the removal of
// refused cases, the XML-load findings and the total.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include "reception/blocking_errors_section.h"

using namespace kelmo;

namespace {

QString Rule() {
  return QString(115, QLatin1Char('-'));
}
QString ShortRule() {
  return QString(49, QLatin1Char('-'));
}

// One section written into an act of its own.
struct SectionRun {
  QTemporaryDir dir;
  ActFile act;
  XmlLoadErrorList xml;
  QList<int> removed;
  double total = 0;

  explicit SectionRun(Population pass, bool fund, const QList<ListedRow>& rows,
                      const XmlLoadErrorList& xmlErrors = {}, QList<bool>* refusedOut = nullptr) {
    act.Create(dir.filePath(QStringLiteral("act.txt")));
    xml = xmlErrors;
    BlockingErrorsSection section(act, pass, fund, xml, [this](int id) { removed << id; });
    bool last = false;
    for (ListedRow row : rows) {
      section.ListRow(row);
      last = row.Refused;
      if (refusedOut) refusedOut->append(row.Refused);
    }
    total = section.End(last);
    act.Close();
  }

  QStringList Lines() const {
    QFile file(dir.filePath(QStringLiteral("act.txt")));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringDecoder decode("windows-1251");
    QString text = decode(file.readAll());
    if (text.endsWith(QStringLiteral("\r\n"))) text.chop(2);
    return text.isEmpty() ? QStringList() : text.split(QStringLiteral("\r\n"));
  }
};

ListedRow Row(int id, const QString& text, bool refused, const QString& nomib = "101",
              const QString& family = "ИВАНОВ  ") {
  ListedRow row;
  row.IdIll = id;
  row.Nomib = nomib;
  row.Family = family;
  row.ErrorText = text;
  row.Refused = refused;
  return row;
}

QString Line(const QString& nomib, const QString& family, const QString& amount,
             const QString& text) {
  return "|" + nomib.rightJustified(15) + "|" + family.rightJustified(20) + "|" +
         amount.rightJustified(10) + "|" + text.leftJustified(65) + "|";
}

}  // namespace

TEST(BlockingErrorsSection, FixedLinesHaveTheirWidths) {
  EXPECT_EQ(BlockingErrorsSection::Head(),
            "|       Ист.бол.|             Фамилия|     Сумма|Ошибка:" + QString(58, ' ') + "|");
  EXPECT_EQ(BlockingErrorsSection::Head().size(), 115);
  EXPECT_EQ(BlockingErrorsSection::NextSheetLine(), "|" + QString(15, ' ') + "|" +
                                                        QString(20, ' ') + "|" + QString(10, ' ') +
                                                        "|Следующий МТЛ:" + QString(51, ' ') + "|");
  EXPECT_EQ(BlockingErrorsSection::TotalLine(0), "|" + QString("ИТОГО СУММА ").rightJustified(36) +
                                                     "|" + QString("0").rightJustified(10) + "|");
  EXPECT_EQ(SectionSumText(1234.5), "1234.5");
  EXPECT_EQ(SectionSumText(0.1 + 0.2), "0.3");
}

TEST(BlockingErrorsSection, WrapsAt65Characters) {
  const QString exact(65, QLatin1Char('x'));
  EXPECT_EQ(BlockingErrorsSection::TextLines("1", "A", "", exact),
            QStringList{Line("1", "A", "", exact)});
  const QStringList two = BlockingErrorsSection::TextLines("1", "A", "", exact + "y");
  EXPECT_EQ(two, (QStringList{Line("1", "A", "", exact), Line("", "", "", "y")}));
  EXPECT_EQ(two[1].size(), 115);
}

TEST(BlockingErrorsSection, RefusedCaseWithFurtherSheets) {
  QList<bool> refused;
  SectionRun run(Population::Local, false,
                 {Row(5, "Отс.зак.сл.в МТЛ.", true), Row(5, "Отс.проф.в МТЛ.", false),
                  Row(5, "", false), Row(6, "", false)},
                 {}, &refused);
  EXPECT_EQ(
      run.Lines(),
      (QStringList{"Обнаружены ошибки, по которым прием реестра пролеченных больных по "
                   "местному населению не возможен:",
                   Rule(), BlockingErrorsSection::Head(), Rule(),
                   Line("101", "ИВАНОВ", "", "Отс.зак.сл.в МТЛ."),
                   BlockingErrorsSection::NextSheetLine(), Line("", "", "", "Отс.проф.в МТЛ."),
                   Rule(), BlockingErrorsSection::TotalLine(0), ShortRule()}));
  EXPECT_EQ(refused, (QList<bool>{true, true, true, false}));
  // Every row of the refused case removes it; the other case stays.
  EXPECT_EQ(run.removed, (QList<int>{5, 5, 5}));
  EXPECT_EQ(run.total, 0);
}

TEST(BlockingErrorsSection, SanctionsOfOneSheetDoNotRefuseTheCase) {
  // A case listed with sanctions whose next sheet has sanctions too is listed
  // again and stays; a further sheet that refuses removes it.
  QList<bool> refused;
  SectionRun run(Population::Local, false,
                 {Row(5, "Отс.проф.в МТЛ.", false), Row(5, "Отс.диаг.в МТЛ.", false),
                  Row(5, "Отс.зак.сл.в МТЛ.", true), Row(5, "", false)},
                 {}, &refused);
  const QStringList lines = run.Lines();
  EXPECT_EQ(lines[0],
            "Обнаружены ошибки по местному населению, на которые были наложены санкции МЭК:");
  EXPECT_EQ(lines.mid(4, 4), (QStringList{Line("101", "ИВАНОВ", "", "Отс.проф.в МТЛ."),
                                          Line("101", "ИВАНОВ", "", "Отс.диаг.в МТЛ."),
                                          Line("101", "ИВАНОВ", "", "Отс.зак.сл.в МТЛ."), Rule()}));
  EXPECT_EQ(refused, (QList<bool>{false, false, true, true}));
  EXPECT_EQ(run.removed, (QList<int>{5, 5}));
}

TEST(BlockingErrorsSection, FundListsOnlyMeetingStaysOfTheLocalPass) {
  ListedRow quiet = Row(5, "Отс.проф.в МТЛ.", false);
  ListedRow meeting = Row(6, "Отс.зак.сл.в МТЛ.", true, "202", "ПЕТРОВ");
  meeting.SumMekMinusOne = true;
  meeting.NoInsurer = true;
  SectionRun run(Population::Local, true, {quiet, meeting});
  EXPECT_EQ(run.Lines(),
            (QStringList{"В базе присутствуют СМО, не действующие на территории Толвенской "
                         "области",
                         "Обнаружены ошибки, по которым прием реестра пролеченных больных по "
                         "местному населению не возможен:",
                         Rule(), BlockingErrorsSection::Head(), Rule(),
                         Line("202", "ПЕТРОВ", "", "Отс.зак.сл.в МТЛ."), Rule(),
                         BlockingErrorsSection::TotalLine(0), ShortRule()}));
  // The out-of-region pass lists every row also for the fund.
  SectionRun out(Population::OutOfRegion, true, {quiet});
  EXPECT_EQ(out.Lines().first(),
            "Обнаружены ошибки по иногороднему населению, на которые были наложены санкции МЭК:");
}

TEST(BlockingErrorsSection, NothingListed) {
  SectionRun local(Population::Local, false, {Row(5, "", false)});
  EXPECT_EQ(local.Lines(), QStringList{"Ошибки, по которым прием реестра пролеченных больных по "
                                       "местному населению не возможен не обнаружены."});
  EXPECT_TRUE(local.removed.isEmpty());
  SectionRun out(Population::OutOfRegion, false, {});
  EXPECT_EQ(out.Lines(), QStringList{"Ошибки, по которым прием реестра пролеченных больных по "
                                     "иногороднему населению не возможен не обнаружены."});
}

TEST(BlockingErrorsSection, XmlLoadFindingsWithoutListedRows) {
  SectionRun out(Population::OutOfRegion, false, {Row(5, "", false)},
                 {{"Неизвестная СМО;", "77", "СИДОРОВ"}});
  EXPECT_EQ(out.Lines(),
            (QStringList{"Обнаружены ошибки по иногороднему населению:", Rule(),
                         BlockingErrorsSection::Head(), Rule(),
                         "|" + QString("77").rightJustified(15) + "|" +
                             QString("СИДОРОВ").rightJustified(20) + "|" + QString(10, ' ') + "|" +
                             QString("Неизвестная СМО;").rightJustified(65) + "|",
                         Rule(), BlockingErrorsSection::TotalLine(0), ShortRule()}));
  EXPECT_TRUE(out.xml.isEmpty());
}

TEST(BlockingErrorsSection, AmountsAddUpOncePerCase) {
  ListedRow first = Row(5, "Отс.зак.сл.в МТЛ.", true);
  first.AmountText = "100.5";
  ListedRow second = Row(5, "Отс.проф.в МТЛ.", false);
  second.AmountText = "100.5";
  ListedRow other = Row(6, "Отс.проф.в МТЛ.", false);
  other.AmountText = "20";
  SectionRun run(Population::OutOfRegion, false, {first, second, other});
  EXPECT_EQ(run.total, 120.5);
  EXPECT_EQ(run.Lines()[4], Line("101", "ИВАНОВ", "100.5", "Отс.зак.сл.в МТЛ."));
  EXPECT_EQ(run.Lines().mid(run.Lines().size() - 2, 1),
            QStringList{BlockingErrorsSection::TotalLine(120.5)});
}
