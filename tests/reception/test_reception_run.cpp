// The reception button pressed headless on fixture DBF registries against a
// temporary registry database: the act's head, its stops (one fixture folder
// per stop) and the road up to the phases not performed yet.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMap>
#include <QRegularExpression>
#include <QStringEncoder>
#include <functional>

#include "domain/act_file.h"
#include "firebird/fb_query.h"
#include "reception/preliminary_checks.h"
#include "reception/reception_checks.h"
#include "reception/reception_run.h"
#include "reception_harness.h"
#include "xml_package_builder.h"
#include "zip/zip_writer.h"

using namespace kelmo;
using namespace kelmo::test;

namespace {

std::vector<RegistryCase> ThreeCases() {
  RegistryCase a;
  RegistryCase b;
  b.id = 2;
  b.nomib = "102";
  b.family = "ПЕТРОВ";
  b.in = QDate(2024, 3, 5);
  b.out = QDate(2024, 3, 15);
  RegistryCase c;
  c.id = 3;
  c.nomib = "103";
  c.family = "СИДОРОВА";
  c.name = "АННА";
  c.father = "ПЕТРОВНА";
  c.in = QDate(2024, 3, 20);
  c.out = QDate(2024, 3, 31);
  return {a, b, c};
}

QStringList ExpectedHead(const ReceptionHarness& h) {
  return {"Акт первичного технологического контроля",
          "",
          "ЛПУ: ГБУ «Областная клиническая больница».",
          "Вид оплаты: ОМС",
          "Отчет за период с 01.03.2024 по 31.03.2024.",
          "Тип стационара: круглосуточный.",
          "Дата приема: 05.04.2024. Время приема: ",
          "",
          "База данных: " + h.forms.fmKelmo->ibdb.databaseName(),
          ""};
}

void ExpectHead(const ReceptionHarness& h, const QStringList& act) {
  const QStringList head = ExpectedHead(h);
  ASSERT_GE(act.size(), head.size());
  for (int i = 0; i < head.size(); ++i) {
    if (i == 6)
      EXPECT_TRUE(
          QRegularExpression("^" + QRegularExpression::escape(head[i]) + "\\d{1,2}:\\d\\d:\\d\\d$")
              .match(act[i])
              .hasMatch())
          << act[i].toStdString();
    else
      EXPECT_EQ(act[i], head[i]) << "line " << i;
  }
}

// The lines the identification table writers give, read back.
QStringList IdentTable(const std::vector<std::array<QString, 3>>& rows) {
  QTemporaryDir dir;
  const QString path = dir.filePath("t.txt");
  {
    ActFile act;
    act.Create(path);
    bool begun = false;
    WriteIdentTableHead(act, begun);
    for (const auto& r : rows) WriteIdentTableRow(act, r[0], r[1], r[2]);
    act.WriteLine();
  }
  return ReadActLines(path);
}

int ModalCalls(const ScriptedInteraction& s) {
  return static_cast<int>(s.CallsOf(ScriptedInteraction::Kind::Modal).size());
}

}  // namespace

TEST(ReceptionRun, MainRoadOnAFewCasesRunsToTheActSummary) {
  ReceptionHarness h;
  BuildRegistry(h.registry, ThreeCases());
  h.Choose();
  // The click starts its run with an empty zero-cost list.
  TheReceptionState().ZeroCostCases = {{-1, "from an earlier click"}};
  h.Press();

  const ReceptionState& state = TheReceptionState();
  EXPECT_FALSE(std::any_of(state.ZeroCostCases.begin(), state.ZeroCostCases.end(),
                           [](const rNull& z) { return z.MtlId == -1; }));
  EXPECT_EQ(state.LastStop, ReceptionStop::None);
  const QString act = TheRunState().ProtocolPath;
  EXPECT_EQ(QFileInfo(act).absolutePath(), QFileInfo(h.registry).absoluteFilePath());
  EXPECT_TRUE(
      QRegularExpression("^Кр0504_\\d{4}\\.txt$").match(QFileInfo(act).fileName()).hasMatch())
      << QFileInfo(act).fileName().toStdString();

  // The banner stands right after the title.
  const QStringList raw = h.Act();
  const RunState& run = TheRunState();
  EXPECT_EQ(raw.mid(1, 9), VersionBannerLines(run.CurrentExprVer, run.PackageExprVer, true));
  const QStringList lines = h.ActWithoutBanner();
  ExpectHead(h, lines);
  // The act ends with the summary.
  EXPECT_TRUE(lines.contains("Общая сумма по отчету: "));
  EXPECT_EQ(lines.last(), "Подпись экономиста:");
  EXPECT_FALSE(lines.contains("В Н И М А Н И Е !"));
  EXPECT_EQ(ModalCalls(h.script), 1);  // the protocol viewer
  EXPECT_TRUE(h.W().bbKelmo->isEnabled());
  // The sheets without a standard of care cost nothing: the act lists them.
  const qsizetype zero = lines.indexOf("Внимание: некоторые записи по местному населению");
  ASSERT_GT(zero, 0);
  EXPECT_EQ(lines[zero + 1], "          были рассчитаны с нулевой стоимостью");
  EXPECT_EQ(lines[zero + 5].left(12), "|      101 |");
}

struct StopCase {
  const char* name;
  std::function<void(const QString& folder)> build;
  std::function<QStringList()> tail;
  ReceptionStop stop;
  bool banner = true;
  int year = 2024;
  int lpu = 1;
  int stacIndex = 0;
};

TEST(ReceptionRun, EveryStopOfTheChecksWritesItsLines) {
  const QString filesRegistry =
      "Дальнейший формирование/прием отчета не возможен, в связи с тем, что не найдены все "
      "необходимые файлы.";
  const QString filesReception =
      "Дальнейший прием отчета не возможен, в связи с тем, что не найдены все необходимые файлы.";
  const QString structure = "Формирование и прием отчета не возможен, в связи с тем, что не верная";
  const QString rule75(75, '-');
  const std::vector<StopCase> cases = {
      {"operat.dbf missing",
       [](const QString& f) {
         BuildRegistry(f, ThreeCases());
         QFile::remove(QDir(f).filePath("operat.dbf"));
       },
       [&] { return QStringList{"Отсутствует файл operat.dbf."} + StopBlock({filesRegistry}); },
       ReceptionStop::FilesMissing},
      {"mtlusl.dbf required in March 2010",
       [](const QString& f) { BuildRegistry(f, ThreeCases()); },
       [&] { return QStringList{"Отсутствует файл mtlusl.dbf."} + StopBlock({filesRegistry}); },
       ReceptionStop::FilesMissing, true, 2010},
      {"mtl.dbf without VR_SPEC",
       [](const QString& f) {
         BuildRegistry(f, ThreeCases());
         QFile::remove(QDir(f).filePath("mtl.dbf"));
         BuildTable(f, "mtl.dbf", Without(MtlFields(), "VR_SPEC"), {});
       },
       [&] {
         return StopBlock({structure, "структура файла mtl.dbf"});
       },
       ReceptionStop::MtlStructure},
      {"stacion.dbf without HASH",
       [](const QString& f) {
         BuildRegistry(f, ThreeCases());
         QFile::remove(QDir(f).filePath("stacion.dbf"));
         BuildTable(f, "stacion.dbf", Without(StacionFields(), "HASH"), {});
       },
       [&] {
         return StopBlock({structure, "структура файла stacion.dbf"});
       },
       ReceptionStop::StacionStructure},
      {"a sheet without a payment kind",
       [](const QString& f) {
         auto cases = ThreeCases();
         cases[1].oplat = 0;
         BuildRegistry(f, cases);
       },
       [&] {
         return QStringList{"",
                            "Формирование и прием отчета не возможен, в связи с тем, что",
                            "не у всех больных заполнен вид оплаты в mtl.dbf.",
                            "",
                            rule75,
                            "|       Ист.бол.|             Фамилия|            Имя|            "
                            "Отчество|",
                            rule75,
                            "|            102|              ПЕТРОВ|           ИВАН|            "
                            "ИВАНОВИЧ|",
                            rule75,
                            "",
                            "Подпись экономиста:"};
       },
       ReceptionStop::PaymentKindMissing},
      {"treated-patient register missing",
       [](const QString& f) {
         BuildRegistry(f, ThreeCases());
         QFile::remove(QDir(f).filePath("sreestr1.xlsx"));
       },
       [&] { return QStringList{"Отсутствует файл sreestr1.xls"} + StopBlock({filesReception}); },
       ReceptionStop::RegisterMissing},
      {"records that failed the identification",
       [](const QString& f) {
         auto cases = ThreeCases();
         cases[0].hashed = false;
         cases[2].hashOverride = QString(32, 'A');
         BuildRegistry(f, cases);
       },
       [&] {
         return IdentTable(
             {{"101", "ИВАНОВ И.И.", "Запись не проходила страховую идентификацию в ТФ ОМС"},
              {"103", "СИДОРОВА А.П.",
               "Неверная контрольная сумма записи. Необходима идентификация."}});
       },
       ReceptionStop::Identification, false},
      {"the invoice workbook missing",
       [](const QString& f) {
         BuildRegistry(f, ThreeCases());
         QFile::remove(QDir(f).filePath("sfakt1.xlsx"));
       },
       [&] { return QStringList{"Отсутствует файл sfakt1.xls"} + StopBlock({filesReception}); },
       ReceptionStop::LocalWorkbookMissing},
      {"the invoice without its total row",
       [](const QString& f) {
         BuildRegistry(f, ThreeCases());
         auto book = workbook::Workbook::Create();
         book->ActiveSheet().SetText(17, 1, "Итог");
         book->SaveAs(QDir(f).filePath("sfakt1.xlsx").toStdString());
       },
       [&] {
         return QStringList{
             "Неверный формат файла счет-фактуры \\sfakt1.xls! Дальнейший прием невозможен."};
       },
       ReceptionStop::InvoiceLayout, false},
      {"out-of-region workbooks missing",
       [](const QString& f) {
         auto cases = ThreeCases();
         for (auto& c : cases) c.polObl = "4500";
         BuildRegistry(f, cases);
       },
       [&] {
         return QStringList{
                    "В базе не найден ни один больной по местному населению, "
                    "относящийся к выбранному периоду.",
                    "Отсутствует файл sfakti1.xls", "Отсутствует файл sreestri1.xls",
                    "Отсутствует файл profilsi1.xls"} +
                StopBlock({filesReception});
       },
       ReceptionStop::OutOfRegionWorkbookMissing},
      {"the register of an attached day hospital without its total",
       [](const QString& f) {
         auto cases = ThreeCases();
         for (auto& c : cases) c.tipStac = 2;
         BuildRegistry(f, cases, false);
         WriteLocalWorkbooks(f, 2, 5000, 12);
       },
       [&] {
         return QStringList{
             "Неверный формат файла реестра sreestr2.xls! Дальнейший прием невозможен."};
       },
       ReceptionStop::RegisterLayout, false, 2024, 25, 1},
  };
  for (const StopCase& c : cases) {
    SCOPED_TRACE(c.name);
    ReceptionHarness h;
    c.build(h.registry);
    h.Choose(3, c.year, 0, 0, c.stacIndex);
    h.SelectLpu(c.lpu);
    h.Press();
    EXPECT_EQ(TheReceptionState().LastStop, c.stop);
    const QStringList raw = h.Act();
    const QStringList lines = c.banner ? h.ActWithoutBanner() : raw;
    if (!c.banner) EXPECT_EQ(raw.value(1), "");  // no banner after the title
    if (c.year == 2024 && c.lpu == 1 && c.stacIndex == 0) ExpectHead(h, lines);
    const QStringList tail = c.tail();
    ASSERT_GE(lines.size(), tail.size());
    EXPECT_EQ(lines.mid(lines.size() - tail.size()), tail);
    EXPECT_EQ(ModalCalls(h.script), 1);  // the viewer shows every stop
    // The act was closed before the viewer read it whole.
    QString lastLine;
    for (const QString& line : raw)
      if (!line.isEmpty()) lastLine = line;
    const QString shown = h.forms.fmUnCorr->re->toPlainText();
    EXPECT_TRUE(shown.startsWith("Акт первичного технологического контроля"));
    EXPECT_TRUE(shown.trimmed().endsWith(lastLine)) << lastLine.toStdString();
  }
}

TEST(ReceptionRun, DoubledIdsAndCaseNumbersOnlyWarn) {
  ReceptionHarness h;
  auto cases = ThreeCases();
  RegistryCase twin = cases[0];  // the same id twice
  twin.nomib = "205";
  twin.family = "ОРЛОВ";
  RegistryCase twin2 = cases[2];
  twin2.nomib = "205";
  twin2.id = 4;
  twin2.family = "ЗАЙЦЕВА";
  cases[1].nomib = "101";
  cases.push_back(twin);
  cases.push_back(twin2);
  BuildRegistry(h.registry, cases);
  h.Choose();
  h.Press();
  const QStringList lines = h.ActWithoutBanner();
  const int at = lines.indexOf("В Н И М А Н И Е !");
  ASSERT_GE(at, 0);
  EXPECT_EQ(lines.mid(at, 5),
            (QStringList{"В Н И М А Н И Е !", "Обнаружены двойные ID.",
                         "Прием отчета Н Е В О З М О Ж Е Н даже если ошибки будут не найдены и "
                         "суммы предоставленные ЛПУ и посчитанные в ТФ ОМС сойдутся.",
                         "В Н И М А Н И Е !  Обнаружены записи с одинаковым номером истории "
                         "болезни. Прием отчета Н Е В О З М О Ж Е Н.",
                         "Номера историй болезни: 101, 205."}));
}

TEST(ReceptionRun, NoCasesOfThePeriodInEitherPass) {
  ReceptionHarness h;
  auto cases = ThreeCases();
  for (auto& c : cases) {
    c.in = QDate(2024, 2, 1);
    c.out = QDate(2024, 2, 10);
  }
  BuildRegistry(h.registry, cases);
  h.Choose();
  h.Press();
  const QStringList lines = h.ActWithoutBanner();
  const qsizetype none = lines.indexOf(
      "В базе не найден ни один больной по местному населению, относящийся к выбранному периоду.");
  ASSERT_GE(none, 0);
  EXPECT_EQ(lines.mid(none, 4),
            (QStringList{"В базе не найден ни один больной по местному населению, относящийся к "
                         "выбранному периоду.",
                         "В базе не найден ни один больной по иногороднему населению, относящийся "
                         "к выбранному периоду.",
                         "", "Общая сумма по отчету: "}));
}

TEST(ReceptionRun, FixUpsChangeOnlyTheWorkingCopy) {
  ReceptionHarness h;
  auto cases = ThreeCases();
  BuildRegistry(h.registry, cases);
  // The first sheet of case 2 is rehabilitation care: the fix-up marks the
  // stay as rehabilitation.
  {
    dbfsql::TQuery q;
    q.SetDatabaseName(h.registry);
    q.SetStatement({"update mtl.dbf set vid_pom=5 where id=2"});
    q.ExecSQL();
  }
  const auto digest = [&](const char* name) {
    QFile f(QDir(h.registry).filePath(name));
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5);
  };
  const QByteArray stacion = digest("stacion.dbf");
  const QByteArray mtl = digest("mtl.dbf");
  h.Choose();
  h.Press();
  EXPECT_EQ(digest("stacion.dbf"), stacion);
  EXPECT_EQ(digest("mtl.dbf"), mtl);
}

TEST(ReceptionRun, DatabaseGoneDuringTheRunIsNotedInTheAct) {
  ReceptionHarness h;
  BuildRegistry(h.registry, ThreeCases());
  h.Choose();
  // The server goes away: the connection is lost and the database cannot be
  // reached again.
  h.W().ibdb.Close();
  h.W().ibdb.setDatabaseName("/nonexistent-kelmo-folder/registry.fdb");
  h.Press();
  EXPECT_EQ(TheReceptionState().LastStop, ReceptionStop::Error);
  const QStringList lines = h.ActWithoutBanner();
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(lines.last().startsWith("Работа прервана из-за ошибки: "))
      << lines.last().toStdString();
  const auto boxes = h.script.CallsOf(ScriptedInteraction::Kind::Message);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().icon, MessageIcon::Error);
  EXPECT_TRUE(h.W().bbKelmo->isEnabled());
}

TEST(ReceptionButton, DispatchByPaymentKind) {
  struct Case {
    int payIndex;
    bool runs;
    bool budgetMessage;
  };
  for (const Case c :
       {Case{0, true, false}, Case{5, true, false}, Case{6, true, false}, Case{1, false, true},
        Case{2, false, false}, Case{3, false, false}, Case{4, false, false}}) {
    SCOPED_TRACE(c.payIndex);
    ReceptionHarness h;
    BuildRegistry(h.registry, {});
    h.Choose(3, 2024, 0, c.payIndex);
    TheRunState().ProtocolPath.clear();
    h.Press();
    EXPECT_EQ(!TheRunState().ProtocolPath.isEmpty(), c.runs);
    bool budget = false;
    for (const auto& call : h.script.CallsOf(ScriptedInteraction::Kind::Message))
      budget = budget || call.text == BudgetIntakeUnavailableText();
    EXPECT_EQ(budget, c.budgetMessage);
  }
}

TEST(ReceptionButton, CommaSeparatorOnlyWarns) {
  ReceptionHarness h;
  BuildRegistry(h.registry, ThreeCases());
  h.Choose();
  TheRunState().ProtocolPath.clear();
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  h.Press();
  QLocale::setDefault(saved);
  const auto boxes = h.script.CallsOf(ScriptedInteraction::Kind::Message);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Предупреждение");
  EXPECT_TRUE(boxes[0].text.startsWith("Для корректной работы программы необходимо"));
  EXPECT_TRUE(TheRunState().ProtocolPath.isEmpty());
}

TEST(ReceptionButton, ModeAndPaymentKindHandlers) {
  ReceptionHarness h;
  h.W().rgps->setItemIndex(1);
  rgpsClick(h.W());
  EXPECT_EQ(h.W().bbKelmo->text(), "Сформировать");
  h.W().rgps->setItemIndex(0);
  rgpsClick(h.W());
  EXPECT_EQ(h.W().bbKelmo->text(), "Принять");
  h.W().rgStac->setItemIndex(2);
  h.W().cbVidOp->setCurrentIndex(5);
  cbVidOpChange(h.W());
  EXPECT_EQ(TheRunState().PayKind, PayKind::Vmp);
  EXPECT_EQ(h.W().rgStac->itemIndex(), 0);
  EXPECT_FALSE(h.W().rgStac->isEnabled());
  h.W().cbVidOp->setCurrentIndex(0);
  cbVidOpChange(h.W());
  EXPECT_TRUE(h.W().rgStac->isEnabled());
}

TEST(ReceptionRun, DemonstrationRegistryRunsToTheActSummary) {
  ReceptionHarness h;
  ASSERT_NO_FATAL_FAILURE(h.CopyDemonstrationRegistry());
  h.Choose();
  h.Press();
  EXPECT_EQ(TheReceptionState().LastStop, ReceptionStop::None);
  ExpectHead(h, h.ActWithoutBanner());
  // The rule checks wrote their section: its total, or that nothing was
  // found.
  const QStringList act = h.ActWithoutBanner();
  EXPECT_TRUE(act.contains("|" + QString("ИТОГО СУММА ").rightJustified(36) + "|" +
                           QString("0").rightJustified(10) + "|") ||
              act.contains("Ошибки, по которым прием реестра пролеченных больных по местному "
                           "населению не возможен не обнаружены."))
      << act.join("\n").toStdString();
  // Every case of the registry, its sheets and its operation are in the
  // report's rows, with the sheet counts and the package description done.
  const int repn = TheReceptionState().CurrentReportNumber;
  auto count = [&h, repn](const char* sql) {
    FbQuery q(h.W().ibdb);
    q.setSql(QString::fromLatin1(sql));
    q.setParam("repn", repn);
    q.Open();
    return q.Value(0, 0).toInt();
  };
  EXPECT_EQ(count("select count(*) from stacion where repn=:repn"), 4);
  EXPECT_EQ(count("select count(*) from mtl where repn=:repn"), 5);
  EXPECT_EQ(count("select count(*) from operat where repn=:repn"), 1);
  EXPECT_EQ(count("select count(*) from stacion where repn=:repn and mtlcnt is null"), 0);
  EXPECT_GT(count("select count(*) from xml_files where repn=:repn"), 0);
  // Every case is costed (the surgical case's two sheets share one group,
  // paid on one of them), the pass's totals are written and no sheet is
  // listed at zero cost.
  EXPECT_EQ(
      count("select count(distinct id_ill) from mtl where repn=:repn and coalesce(ocncost, 0) > 0"),
      4);
  const PassTotals& local = TheReceptionState().Pass[Population::Local];
  EXPECT_GT(local.CalcTotal, Money());
  EXPECT_GT(local.CalcBedDays, 0);
  EXPECT_EQ(Money::FromDouble(count("select sum(ocncost) * 100 from mtl where repn=:repn") / 100.0)
                .RoundToKopecks(),
            local.CalcTotal);
  const QStringList lines = h.ActWithoutBanner();
  EXPECT_FALSE(lines.contains("          были рассчитаны с нулевой стоимостью"));
  EXPECT_TRUE(lines.contains("Всего по некорректным данным по местному населению: 0"));
}

TEST(ReceptionRun, DemonstrationRegistryFormsItsInvoicesFromTheButton) {
  ReceptionHarness h;
  ASSERT_NO_FATAL_FAILURE(h.CopyDemonstrationRegistry());
  h.Choose(3, 2024, 1);
  // A number an earlier run left is not taken for this run's.
  TheReceptionState().ReportNumberCopy[Population::OutOfRegion] = 424242;
  h.Press();
  const ReceptionState& state = TheReceptionState();
  EXPECT_EQ(state.LastStop, ReceptionStop::None);
  EXPECT_NE(state.ReportNumberCopy[Population::OutOfRegion], 424242);
  // The closing set leaves the local invoice under the package name, and
  // the split by insurer moves it with "temp" into the formation's package
  // folder; the local set's registry-folder invoice is gone again.
  EXPECT_FALSE(QFileInfo::exists(QDir(h.registry).filePath("temp")));
  const QString invoice = QDir(h.registry).filePath("ОМС_март2024/Sfakt(ОМС).xlsx");
  ASSERT_TRUE(QFile::exists(invoice));
  EXPECT_FALSE(QFile::exists(QDir(h.registry).filePath("Sfakt1.xlsx")));
  auto book = workbook::Workbook::Open(invoice.toStdString());
  auto& sheet = book->Sheet(0);
  EXPECT_EQ(sheet.Text(17, 1), "Всего");
  EXPECT_EQ(QString::fromStdString(sheet.Text(17, 8)),
            MoneyStr(state.Pass[Population::Local].CalcTotal));
  EXPECT_EQ(sheet.Text(16, 1), "Оказанная медицинская помощь с 01.03.2024 по 31.03.2024");
}

TEST(ReceptionRun, MissingInvoiceTemplateStopsTheFormationWithItsMessage) {
  ReceptionHarness h;
  ASSERT_NO_FATAL_FAILURE(h.CopyDemonstrationRegistry());
  QTemporaryDir templates;
  TheRunState().ExcelPath = templates.path();
  h.Choose(3, 2024, 1);
  h.Press();
  EXPECT_EQ(TheReceptionState().LastStop, ReceptionStop::TemplateMissing);
  const auto messages = h.script.CallsOf(ScriptedInteraction::Kind::Message);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().caption, "Ошибка");
  EXPECT_EQ(messages.back().text, "Не найден файл-шаблон " + templates.filePath("sfakt_on.xlsx"));
  // Nothing was written and the protocol viewer is not shown.
  EXPECT_EQ(ModalCalls(h.script), 0);
  EXPECT_FALSE(QFileInfo::exists(QDir(h.registry).filePath("Sfakt1.xlsx")));
}

TEST(ReceptionButton, FormingPreparesTheSplitFoldersOnce) {
  ReceptionHarness h;
  BuildRegistry(h.registry, ThreeCases());
  QTemporaryDir templates;
  TheRunState().ExcelPath = templates.path();
  const QDir registry(h.registry);
  registry.mkpath("ОМС/Стационар/Тальви");
  for (const char* cost : {"ОМС/onechcost.dat", "ОМС/Стационар/Тальви/onechcost.dat"}) {
    QFile f(registry.filePath(cost));
    f.open(QIODevice::WriteOnly);
  }
  h.Choose(3, 2024, 1);
  h.Press();
  EXPECT_FALSE(QFile::exists(registry.filePath("ОМС/onechcost.dat")));
  EXPECT_FALSE(QFile::exists(registry.filePath("ОМС/Стационар/Тальви/onechcost.dat")));
  const QString split = registry.filePath("Отчет по стационару/Стационар");
  for (const char* insurer : {"Бервинта", "Тальви"})
    for (const char* table : {"stacion.dbf", "mtl.dbf", "operat.dbf", "parents.dbf"})
      EXPECT_TRUE(QFile::exists(QDir(split).filePath(QString(insurer) + "/" + table)))
          << insurer << "/" << table;
  EXPECT_EQ(ThePackageLists().PayFolderWord, "ОМС");
  EXPECT_EQ(TheReceptionState().StacFolderWord, "Стационар");
  // The run stopped at its invoices (no templates), before the split by
  // insurer, which removes the split-report folder.
  EXPECT_EQ(TheReceptionState().LastStop, ReceptionStop::TemplateMissing);

  // A second formation keeps the insurers' copies of the first.
  const QString copy = QDir(split).filePath("Бервинта/stacion.dbf");
  {
    QFile f(copy);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write("first");
  }
  h.Press();
  QFile f(copy);
  f.open(QIODevice::ReadOnly);
  EXPECT_EQ(f.readAll(), "first");
}

namespace {

// The regional hospital's exchange code, which its packages are named by.
void GiveHospitalItsExchangeCode(ReceptionHarness& h) {
  FbQuery q(h.W().ibdb, &h.W().ibtr);
  q.setSql("update or insert into lpu_mcod (lpu_id, mcod) values (1, '450001') matching (lpu_id)");
  q.ExecSQL();
  h.W().ibtr.Commit();
}

// The first value a statement with the parameter repn answers.
QString ReportValue(ReceptionHarness& h, int repn, const char* sql) {
  FbQuery q(h.W().ibdb);
  q.setSql(QString::fromLatin1(sql));
  q.setParam("repn", repn);
  q.Open();
  return q.Value(0, 0).toString();
}

}  // namespace

TEST(ReceptionRun, PackageLoadsThroughTheButtonAndItsActIsCopiedOutOfTemp) {
  ReceptionHarness h;
  GiveHospitalItsExchangeCode(h);
  const QString name = "HS45001M450001_2403001";
  XCase second;
  second.idPac = "P2";
  second.idcase = 2;
  second.nhistory = "102";
  second.sheets = {XSheet{}, XSheet{}};
  second.sheets[1].slId = "2";
  second.sheets[1].date1 = "2024-03-05";
  XPerson p2;
  p2.idPac = "P2";
  p2.fam = "Сидорова";
  p2.w = 2;
  WriteZipPackage(
      QDir(h.registry).filePath(name + ".zip"),
      {{name + ".XML", MainFileBytes({XCase{}, second})},
       {"L" + name.mid(1) + ".XML", PersonFileBytes(name, {XPerson{}, p2})},
       {"EMP_LIST_450001.XML",
        "<EMP_LIST><EMPLOYEE><EMP_ID>31</EMP_ID><SURNAME>Ivanova</SURNAME></EMPLOYEE></EMP_LIST>"},
       {"HOLDING.XML",
        "<HOLDINGS><HOLDING><ID>4</ID><NAME>Aspirin</NAME><LATIN_NAME>Aspirinum</LATIN_NAME>"
        "<INN_ID/></HOLDING></HOLDINGS>"}});
  h.script.modalHandlers.push_back([](QDialog&) { return true; });  // the data-file choice
  h.Choose();

  const QDateTime at(QDate(2024, 4, 5), QTime(9, 42, 10));
  h.PressAt(at);
  const ReceptionState& state = TheReceptionState();
  ASSERT_TRUE(state.XmlPackageMode);
  // The package's cases are loaded and the run goes on to the act summary.
  const int repn = state.ReportNumber[Population::Local];
  auto rows = [&h, repn](const char* sql) { return ReportValue(h, repn, sql); };
  EXPECT_EQ(rows("select count(*) from xml_files where repn=:repn"), "1");
  EXPECT_EQ(rows("select xmlrep from reports where repn=:repn"), "1");
  // The package's reference files are loaded and wait in "temp" for the
  // insurer export; the package's own folder is gone.
  EXPECT_EQ(rows("select surname from vrachi where emp_id=31 and 0<:repn"), "Ivanova");
  EXPECT_EQ(rows("select name_latin from spr_lekar_trn where id=4 and 0<:repn"), "Aspirinum");
  EXPECT_TRUE(QFile::exists(QDir(h.registry).filePath("temp/EMP_LIST_450001.XML")));
  EXPECT_TRUE(QFile::exists(QDir(h.registry).filePath("temp/HOLDING.XML")));
  EXPECT_FALSE(QFileInfo::exists(QDir(h.registry).filePath("temp/" + name + ".zip")));
  const QString first = TheRunState().ProtocolPath;
  EXPECT_EQ(first, QDir(h.registry).filePath("ОМС_0504_0942.txt"));
  EXPECT_FALSE(QFile::exists(QDir(h.registry).filePath("temp/ОМС_0504_0942.txt")));
  const QStringList lines = h.ActWithoutBanner();
  ExpectHead(h, lines);
  // Both cases were loaded and went through the rule checks (this package
  // lacks what they require, so they list both).
  for (const char* listed :
       {"|            101|              ПЕТРОВ|", "|            102|            СИДОРОВА|"})
    EXPECT_EQ(lines.filter(QString::fromUtf8(listed)).size(), 1) << listed;
  // No DBF check runs on a package.
  for (const QString& line : lines)
    EXPECT_FALSE(line.startsWith("Отсутствует файл")) << line.toStdString();
  EXPECT_EQ(lines.last(), "Подпись экономиста:");

  // The same minute again: the first act stays, the second takes a free name.
  h.script.modalHandlers.push_back([](QDialog&) { return true; });
  h.PressAt(at);
  EXPECT_EQ(TheRunState().ProtocolPath, QDir(h.registry).filePath("ОМС_0504_0942_1.txt"));
  EXPECT_TRUE(QFile::exists(first));
  EXPECT_FALSE(QFile::exists(QDir(h.registry).filePath("temp/ОМС_0504_0942.txt")));
}

namespace {

// The demonstration package under examples/xml-package: two clean cases of
// the regional hospital for March 2024, the second with two sheets and a
// representative. KELMO_WRITE_DEMO_PACKAGE=<folder> writes it there.
QMap<QString, QByteArray> DemonstrationPackage() {
  const QString name = "HS45001M450001_2403001";
  XCase first;
  first.pacientExtra = "<MCOD>450001</MCOD>";
  first.zslExtra = "<P_PER>1</P_PER>";
  first.sheets[0].profil = "97";
  first.sheets[0].profilK = "1";
  first.sheets[0].codeMes1 = "10101";
  first.sheets[0].extra = "<PRVS>76</PRVS><RSLT>101</RSLT><ISHOD>101</ISHOD>";
  XCase second = first;
  second.idPac = "P2";
  second.idcase = 2;
  second.nhistory = "102";
  second.dateZ2 = "2024-03-14";
  second.sheets.push_back(first.sheets[0]);
  second.sheets[0].date2 = "2024-03-06";
  second.sheets[1].slId = "2";
  second.sheets[1].date1 = "2024-03-06";
  second.sheets[1].date2 = "2024-03-14";
  XPerson p2;
  p2.idPac = "P2";
  p2.fam = "Сидорова";
  p2.im = "Мария";
  p2.ot = "Ивановна";
  p2.w = 2;
  p2.dr = "1985-07-12";
  p2.extra =
      "<FAM_P>Сидорова</FAM_P><IM_P>Анна</IM_P><OT_P>Петровна</OT_P><W_P>2</W_P>"
      "<DR_P>1988-02-03</DR_P>";
  return {{name + ".XML", MainFileBytes({first, second})},
          {"L" + name.mid(1) + ".XML", PersonFileBytes(name, {XPerson{}, p2})}};
}

}  // namespace

TEST(ReceptionRun, DemonstrationPackageLoadsAndReachesTheChecks) {
  const QString name = "HS45001M450001_2403001.zip";
  const QString writeTo = qEnvironmentVariable("KELMO_WRITE_DEMO_PACKAGE");
  if (!writeTo.isEmpty()) WriteZipPackage(QDir(writeTo).filePath(name), DemonstrationPackage());
  ReceptionHarness h;
  GiveHospitalItsExchangeCode(h);
  ASSERT_TRUE(QFile::copy(KELMO_SOURCE_DIR "/examples/xml-package/" + name,
                          QDir(h.registry).filePath(name)));
  h.script.modalHandlers.push_back([](QDialog&) { return true; });  // the data-file choice
  h.Choose();
  h.Press();
  const ReceptionState& state = TheReceptionState();
  EXPECT_EQ(state.LastStop, ReceptionStop::None);
  const int repn = state.ReportNumber[Population::Local];
  auto rows = [&h, repn](const char* sql) { return ReportValue(h, repn, sql); };
  // Both cases went through the checks and stay loaded (none is refused).
  EXPECT_EQ(rows("select count(*) from stacion where repn=:repn"), "2");
  EXPECT_EQ(rows("select count(*) from mtl where repn=:repn"), "3");
  EXPECT_EQ(rows("select count(*) from parents where repn=:repn"), "1");
  EXPECT_DOUBLE_EQ(rows("select sum_sf from reports where repn=:repn").toDouble(), 45001.5);
}

TEST(ReceptionRun, UnreadableTableEndsTheRunWithTheReasonInTheAct) {
  ReceptionHarness h;
  BuildRegistry(h.registry, ThreeCases());
  {
    QFile f(QDir(h.registry).filePath("stacion.dbf"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("not a table at all");
  }
  h.Choose();
  h.Press();
  EXPECT_EQ(TheReceptionState().LastStop, ReceptionStop::Error);
  const QStringList lines = h.ActWithoutBanner();
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(lines.last().startsWith("Работа прервана из-за ошибки: "))
      << lines.last().toStdString();
  const auto boxes = h.script.CallsOf(ScriptedInteraction::Kind::Message);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().icon, MessageIcon::Error);
}

TEST(ReceptionButton, UnreachableActsDatabaseEndsTheClickOnce) {
  ReceptionHarness h;
  BuildRegistry(h.registry, ThreeCases());
  h.Choose();
  h.W().ch_OperAnaliz->setChecked(true);
  h.forms.DM->AktEnabled = true;
  h.forms.DM->con1.setConnectionString("DSN=kelmo-no-such-acts-database");
  TheRunState().ProtocolPath.clear();
  h.Press();
  auto boxes = h.script.CallsOf(ScriptedInteraction::Kind::Message);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Ошибка подключения");
  EXPECT_EQ(boxes[0].text,
            "Необходимо подключение к базе актов!Проверьте настройки подключения и перезапустите "
            "программу");
  EXPECT_FALSE(h.forms.DM->AktEnabled);
  EXPECT_TRUE(TheRunState().ProtocolPath.isEmpty());
  // The operations-analysis file was made anew and is closed again.
  EXPECT_TRUE(QFile::exists(QDir(h.registry).filePath("AnalizOperat.txt")));
  EXPECT_FALSE(TheReceptionState().OperAnalysisOpen);

  // The next click goes on without the acts database, to the end of the run,
  // which tells where the operations analysis went.
  h.Press();
  boxes = h.script.CallsOf(ScriptedInteraction::Kind::Message);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(boxes[1].text.startsWith("Анализ расчёта операций сохранён в файле "))
      << boxes[1].text.toStdString();
  EXPECT_FALSE(TheReceptionState().OperAnalysisOpen);
}

TEST(ReceptionRun, ProfileLicensedTwiceSuppressesTheExpiringLicences) {
  ReceptionHarness h;
  FbQuery q(h.W().ibdb, &h.W().ibtr);
  // Institution 25, home care (type 3): profile 1 licensed twice for one age
  // group, profile 2 ending within 30 days of the reception date.
  q.setSql("delete from pass_lpu where lpu_code=25 and tip_stac=3");
  q.ExecSQL();
  q.setSql(
      "insert into pass_lpu (lpu_code, tip_stac, prof_code, mz, vozrast, date_beg, date_end) "
      "values (25, 3, :prof, :mz, 1, '2020-01-01', :dend)");
  const auto add = [&](int prof, int mz, const QDate& end) {
    q.setParam("prof", prof);
    q.setParam("mz", mz);
    q.setParam("dend", QDateTime(end, QTime(0, 0)));
    q.ExecSQL();
  };
  add(2, 1, QDate(2024, 4, 20));
  add(1, 1, QDate(2030, 1, 1));
  add(1, 3, QDate(2030, 1, 1));
  h.W().ibtr.Commit();

  QTemporaryDir dir;
  const auto check = [&] {
    ReceptionState& state = TheReceptionState();
    ReceptionContext ctx{state, h.W().ibdb, h.W().ibtr};
    ctx.StacType = StacType::AtHome;
    ctx.LpuId = 25;
    ctx.ReceptionDate = QDate(2024, 4, 5);
    state.Act.Create(dir.filePath("act.txt"));
    CheckLicensedProfiles(ctx);
    state.Act.Close();
    return ReadActLines(dir.filePath("act.txt"));
  };
  EXPECT_EQ(check(), QStringList{""});  // nothing written
  EXPECT_TRUE(TheReceptionState().ProfilesLicensedTwice);
  EXPECT_TRUE(h.script.CallsOf(ScriptedInteraction::Kind::Message).empty());

  // Once the profile is licensed once, the licence ending soon is listed.
  q.setSql("delete from pass_lpu where lpu_code=25 and tip_stac=3 and mz=3");
  q.ExecSQL();
  h.W().ibtr.Commit();
  const QStringList lines = check();
  EXPECT_FALSE(TheReceptionState().ProfilesLicensedTwice);
  EXPECT_TRUE(lines.contains("Обнаружены заканчивающиеся лицензии:"));
  EXPECT_EQ(h.script.CallsOf(ScriptedInteraction::Kind::Message).size(), 1u);
}
