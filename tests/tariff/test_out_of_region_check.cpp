// The out-of-region check over DBF registries built by code: the field cases
// and the protocol lines they give, the cases the check selects, the whole
// protocol, the archive made by the stand-in archiver (tests/fixtures/bin/rar
// on PATH) and its copy, the registry without findings, the missing tables,
// and the archiver's failure paths.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <deque>
#include <optional>

#include "domain/run_state.h"
#include "out_of_region_registry.h"
#include "tariff/out_of_region_check.h"
#include "tariff/out_of_region_rules.h"

namespace kelmo::tariff {
namespace {

using test::CleanOutOfRegionCase;
using test::CleanOutOfRegionSheet;
using test::CleanRepresentative;
using test::With;

QCoreApplication& CoreApp() {
  static int argc = 1;
  static char name[] = "tariff_tests";
  static char* argv[] = {name, nullptr};
  if (auto* app = QCoreApplication::instance()) return *app;
  static QCoreApplication app(argc, argv);
  return app;
}

const QString kStandInFolder = QStringLiteral(KELMO_SOURCE_DIR "/tests/fixtures/bin");

// PATH for the test's lifetime.
class ScopedPath {
 public:
  explicit ScopedPath(const QByteArray& path) : old_(qgetenv("PATH")) { qputenv("PATH", path); }
  ~ScopedPath() { qputenv("PATH", old_); }

 private:
  QByteArray old_;
};

class RecordingCheckUser : public OutOfRegionCheckUser {
 public:
  void BeginProgress(const QString& caption, int caseCount) override {
    progress << QStringLiteral("%1 %2").arg(caption).arg(caseCount);
  }
  void StepProgress() override { ++steps; }
  void EndProgress() override { progress << QStringLiteral("end"); }
  void Message(const QString& caption, const QString& text, RunMessageIcon icon) override {
    messages << caption + QStringLiteral(" | ") + text;
    icons.push_back(icon);
  }
  QString ChooseArchiveCopy(const QString& proposedName) override {
    proposed << proposedName;
    if (answers.empty()) return {};
    const QString answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowProtocol(bool archiveMode) override {
    shown << TheRunState().ProtocolPath;
    archiveModes.push_back(archiveMode);
  }

  QStringList progress, messages, proposed, shown;
  std::vector<RunMessageIcon> icons;
  std::vector<bool> archiveModes;
  std::deque<QString> answers;
  int steps = 0;
};

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The protocol's lines; every line must end in CR LF.
QStringList ProtocolLines(const QString& path) {
  const QByteArray bytes = ReadBytes(path);
  EXPECT_TRUE(bytes.endsWith("\r\n")) << path.toStdString();
  EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
  QStringDecoder decode("windows-1251");
  QStringList lines = QString(decode(bytes)).split(QStringLiteral("\r\n"));
  lines.removeLast();
  return lines;
}

QString Label(int nomib) {
  return QStringLiteral(" - ПЕТРОВ П.И. (№ ист.бол. %1)").arg(nomib);
}

class OutOfRegionCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoreApp();
    ResetRunState();
    folder = dir.filePath(QStringLiteral("реестр марта"));
    QDir().mkpath(folder);
    qputenv("KELMO_RAR_LOG", dir.filePath(QStringLiteral("rar.log")).toLocal8Bit());
    qunsetenv("KELMO_RAR_FAIL");
  }
  void TearDown() override { qunsetenv("KELMO_RAR_LOG"); }

  OutOfRegionCheckInputs Inputs() const {
    OutOfRegionCheckInputs in;
    in.Folder = folder;
    in.Month = 3;
    in.Year = 2026;
    in.StacType = 1;
    in.LpuName = QStringLiteral("  Городская больница № 1 ");
    in.LpuLevel = QStringLiteral("Г");
    in.Started = QDateTime(QDate(2026, 4, 2), QTime(9, 30, 5));
    return in;
  }

  OutOfRegionCheckResult Run() {
    const ScopedPath path(kStandInFolder.toLocal8Bit() + ':' + qgetenv("PATH"));
    return CheckOutOfRegionRegistry(Inputs(), user);
  }

  QStringList Head() const {
    return {"Проверка отчета по иногородним",
            "",
            "ЛПУ: Городская больница № 1",
            "Отчет за период с 01.3.2026 по 31.3.2026",
            "Дата проверки: 02.04.2026. Время проверки: 09:30:05.",
            "",
            "Обнаружены ошибки заполнения:",
            ""};
  }

  QTemporaryDir dir;
  QString folder;
  RecordingCheckUser user;
};

// One case of the registry: the changes to a clean case, to its sheets (one
// clean sheet each; more entries make more sheets, NOM_MTL in order) and to
// its representative (none without), and the lines it must give.
struct FieldCase {
  const char* what;
  QVariantMap stac;
  std::vector<QVariantMap> sheets;
  std::optional<QVariantMap> parent;
  QStringList lines;
};

const QVariant kBlank;

std::vector<FieldCase> FieldCases() {
  const QString impossible = QStringLiteral(": невозможное зн. поля \"%1\" ");
  return {
      {"a clean case", {}, {{}}, std::nullopt, {}},
      {"volumes of examination and treatment",
       {},
       {{{"STAN_OBSL", 0}, {"STAN_LECEN", 5}}},
       std::nullopt,
       {impossible.arg("Объём обследования"), impossible.arg("Объём лечения")}},
      {"quality criteria, and a blank complexity",
       {},
       {{{"KACH_MES", 3}, {"KURACIA", kBlank}}},
       std::nullopt,
       {impossible.arg("Критерии качества стандарта медицинской помощи"),
        impossible.arg("Категория сложности курации")}},
      {"urgency 2; a blank completeness reads as 0",
       {},
       {{{"EXTREN", 2}, {"INTERRUPT", kBlank}}},
       std::nullopt,
       {impossible.arg("Экстренность")}},
      {"a sheet's result 7 is impossible and differs from the case's",
       {},
       {{{"RES_LECHEN", 7}}},
       std::nullopt,
       {impossible.arg("Результат госпитализации"), ": Несоот.рез.леч.по стац.карте и посл.МТЛ. "}},
      {"a sheet's outcome 8 is impossible and differs from the case's",
       {},
       {{{"ISHOD_LECE", 8}}},
       std::nullopt,
       {impossible.arg("Исход госпитализации"), ": Несоот.исход.леч.по стац.карте и посл.МТЛ. "}},
      {"no profile, diagnosis or doctor's speciality",
       {},
       {{{"PROFILE", 0}, {"STAC_DIAG", kBlank}, {"VR_SPEC", kBlank}}},
       std::nullopt,
       {": Отсутствие профиля в МТЛ", ": Отсутствие диагноза в МТЛ",
        ": У иногороднего больного не указана специальность врача"}},
      {"MES code 2999999 is not round-the-clock care",
       {},
       {{{"KOD_MES", "2999999"}}},
       std::nullopt,
       {": Несоответствие кода МЭС типу стационара "}},
      {"MES code 6000000 is round-the-clock care",
       {},
       {{{"KOD_MES", "6000000"}}},
       std::nullopt,
       {}},
      {"a MES code that is no number fits no type",
       {},
       {{{"KOD_MES", "31A"}}},
       std::nullopt,
       {": Несоответствие кода МЭС типу стационара "}},
      {"a third accompanying disease at a city hospital",
       {},
       {{{"MES_ACC3", "1"}, {"ACCOMP3", "I11"}, {"ACCOMP_L3", 1}}},
       std::nullopt,
       {": Кол-во соп.заб.прев.допуст.кол-во для город.и район.уровней"}},
      {"intensive care without its MES code",
       {},
       {{{"INTENSIV", 1}, {"REANIM", 0}}},
       std::nullopt,
       {": Нет кода МЭС по реанимации"}},
      {"intensive care with its MES code",
       {},
       {{{"INTENSIV", 1}, {"REANIM", 5}}},
       std::nullopt,
       {}},
      {"a parent staying without the days",
       {},
       {{{"APPEND", 1}, {"APP_KD", 0}}},
       std::nullopt,
       {": Не указано кол-во дней совместного нахождения с ребенком одного из родителей"}},
      {"a last sheet of another kind: its rows and the comparisons are skipped",
       {},
       {{{"STAN_OBSL", 9}}, {{"VIDMTL", 3}, {"STAN_OBSL", 9}, {"RES_LECHEN", 4}}},
       std::nullopt,
       {impossible.arg("Объём обследования")}},
      {"sheets all of another kind give nothing",
       {},
       {{{"VIDMTL", 5}, {"PROFILE", 0}, {"RES_LECHEN", 4}}},
       std::nullopt,
       {}},
      {"the last paid sheet is compared; an unpaid one is not read",
       {},
       {{{"RES_LECHEN", 2}}, {}, {{"OPLAT", 0}, {"RES_LECHEN", 3}, {"PROFILE", 0}}},
       std::nullopt,
       {}},
      {"document type 15",
       {{"DOKUMENT", 15}},
       {{}},
       std::nullopt,
       {impossible.arg("Тип документа")}},
      {"sex 3", {{"POL", 3}}, {{}}, std::nullopt, {impossible.arg("Биологический пол пациента")}},
      {"no birth date", {{"DR", kBlank}}, {{}}, std::nullopt, {": Отсутствие даты рождения\" "}},
      {"neither policy nor document number",
       {{"NUMBER", kBlank}, {"D_NOMBER", kBlank}},
       {{}},
       std::nullopt,
       {": Не записан ни один документ\" "}},
      {"insurer \"0\"",
       {{"POLIS", "0"}},
       {{}},
       std::nullopt,
       {": Отсутствует код страховой компании"}},
      {"no insurer",
       {{"POLIS", kBlank}},
       {{}},
       std::nullopt,
       {": Отсутствует код страховой компании"}},
      {"no social status",
       {{"F_STATUS", 0}},
       {{}},
       std::nullopt,
       {": У иногороднего больного не указан социальный статус"}},
      {"no citizenship with a passport",
       {{"F_OKSM", kBlank}},
       {{}},
       std::nullopt,
       {": У иногороднего больного не указано гражданство"}},
      {"no passport without a temporary certificate",
       {{"VPOLIS", 1}, {"D_SERIA", kBlank}, {"D_NOMBER", kBlank}},
       {{}},
       std::nullopt,
       {": Не записан паспорт у иногороднего больного "}},
      {"no passport type",
       {{"VPOLIS", 1}, {"DOKUMENT", 1}, {"F_DOCS", 0}},
       {{}},
       std::nullopt,
       {": У иногороднего больного не указан тип паспорта"}},
      {"a passport at eleven",
       {{"DR", QDate(2015, 1, 1)}},
       {{}},
       std::nullopt,
       {": У иногороднего больного до 14 лет не может быть паспорта."}},
      {"a passport at fourteen", {{"DR", QDate(2012, 3, 1)}}, {{}}, std::nullopt, {}},
      {"a newborn's month is not tested", {{"DR", QDate(2026, 2, 15)}}, {{}}, std::nullopt, {}},
      {"a worker without the place of work",
       {{"F_STATUS", 4}},
       {{}},
       std::nullopt,
       {": У иногороднего больного не указано место работы/учёбы "}},
      {"a short policy number has its document checked",
       {{"NUMBER", "12345"}, {"D_SERIA", "4501"}},
       {{}},
       std::nullopt,
       {": Ошибка в заполнении документа(№14): 4501 1234567"}},
      {"a short policy number with a good document", {{"NUMBER", "12345"}}, {{}}, std::nullopt, {}},
      {"a 16-character policy number skips the document",
       {{"D_SERIA", "4501"}},
       {{}},
       std::nullopt,
       {}},
      {"a representative with nothing filled in",
       {},
       {{}},
       QVariantMap{{"FAMILY", kBlank},
                   {"NAME", kBlank},
                   {"FATHER", kBlank},
                   {"DR", kBlank},
                   {"NUMBER", kBlank},
                   {"OBL", kBlank}},
       {": В данных представителя не заполнена фамилия",
        ": В данных представителя не заполнено имя ",
        ": В данных представителя не заполнено отчество",
        ": В данных представителя не заполнена дата рождения",
        ": В данных представителя не заполнена серия, номер полиса",
        ": В данных представителя не указана область проживания",
        ": Несовпадение области проживания представителя и ребенка"}},
      {"a region written \"037\" is another region",
       {},
       {{}},
       QVariantMap{{"OBL", "037"}},
       {": Несовпадение области проживания представителя и ребенка"}},
      {"a representative in order", {}, {{}}, QVariantMap{}, {}},
  };
}

TEST_F(OutOfRegionCheckTest, FieldCasesGiveTheirProtocolLines) {
  const std::vector<FieldCase> cases = FieldCases();
  test::OutOfRegionRegistry registry;
  for (size_t i = 0; i < cases.size(); ++i) {
    const int id = static_cast<int>(i) + 1;
    registry.cases.push_back(With(CleanOutOfRegionCase(id), cases[i].stac));
    int nom = 0;
    for (const QVariantMap& sheet : cases[i].sheets)
      registry.sheets.push_back(With(CleanOutOfRegionSheet(id, ++nom), sheet));
    if (cases[i].parent)
      registry.parents.push_back(With(CleanRepresentative(id), *cases[i].parent));
  }
  test::BuildOutOfRegionRegistry(folder, registry);
  const OutOfRegionCheckResult result = Run();
  EXPECT_TRUE(result.Found);

  const QStringList lines = ProtocolLines(result.ProtocolPath);
  int findingLines = 0;
  for (size_t i = 0; i < cases.size(); ++i) {
    const QString label = Label(500 + static_cast<int>(i) + 1);
    QStringList expected, got;
    for (const QString& line : cases[i].lines) expected << label + line;
    for (const QString& line : lines)
      if (line.startsWith(label + QLatin1Char(':'))) got << line;
    EXPECT_EQ(got, expected) << cases[i].what;
    findingLines += static_cast<int>(expected.size());
  }
  // Nothing else was found, and every case has its empty line.
  EXPECT_EQ(lines.filter(QRegularExpression("^ - ")).size(), findingLines);
  EXPECT_EQ(lines.mid(8).count(QString()), static_cast<int>(cases.size()) + 1);
  EXPECT_EQ(user.steps, static_cast<int>(cases.size()));
}

TEST_F(OutOfRegionCheckTest, SelectsThePeriodsPaidOutOfRegionCasesOnce) {
  const QVariantMap fault{{"POLIS", "0"}};
  test::OutOfRegionRegistry registry;
  auto add = [&](int id, const QVariantMap& changes, std::vector<QVariantMap> sheets = {{}}) {
    registry.cases.push_back(With(With(CleanOutOfRegionCase(id), fault), changes));
    int nom = 0;
    for (const QVariantMap& s : sheets)
      registry.sheets.push_back(With(CleanOutOfRegionSheet(id, ++nom), s));
  };
  add(1, {});                                 // in
  add(2, {}, {{}, {}});                       // in once, with two paid sheets
  add(3, {{"POL_OBL", "1137"}});              // a home-region case
  add(4, {{"OUT_STAC", QDate(2026, 4, 1)}});  // discharged in April
  add(5, {{"RES_LECEN", 6}, {"OUT_STAC", QDate(2026, 4, 2)}, {"DZ", QDate(2026, 3, 31)}},
      {{{"RES_LECHEN", 6}}});  // in: died in March
  add(6, {{"RES_LECEN", 6}, {"DZ", QDate(2026, 4, 1)}}, {{{"RES_LECHEN", 6}}});  // died in April
  add(7, {}, {{{"OPLAT", 0}}, {{"OPLAT", 2}}});                                  // no paid sheet
  add(8, {{"TIP_STAC", 2}}, {{{"KOD_MES", "7000001"}}});  // another in-patient type
  test::BuildOutOfRegionRegistry(folder, registry);

  const OutOfRegionCheckResult result = Run();
  const QStringList findings =
      ProtocolLines(result.ProtocolPath).filter(QRegularExpression("^ - "));
  QStringList expected;
  for (int id : {1, 2, 5}) expected << Label(500 + id) + ": Отсутствует код страховой компании";
  QStringList sorted = findings;
  sorted.sort();
  EXPECT_EQ(sorted, expected);
  EXPECT_EQ(user.progress, (QStringList{"Проверка иногородних 3", "end"}));
}

TEST_F(OutOfRegionCheckTest, WritesPacksAndShowsTheProtocol) {
  test::OutOfRegionRegistry registry;
  registry.cases = {With(CleanOutOfRegionCase(1), {{"POL", 3}, {"POLIS", "0"}}),
                    With(CleanOutOfRegionCase(2), {{"DR", QDate(1990, 1, 1)}})};
  registry.sheets = {CleanOutOfRegionSheet(1), CleanOutOfRegionSheet(2)};
  test::BuildOutOfRegionRegistry(folder, registry);
  const QString copy = dir.filePath(QStringLiteral("копии/архив ошибок"));
  QDir().mkpath(dir.filePath(QStringLiteral("копии")));
  user.answers.push_back(copy);

  const OutOfRegionCheckResult result = Run();

  const QString protocol = folder + QStringLiteral("/Инг_02042026093005.txt");
  EXPECT_EQ(result.ProtocolPath, protocol);
  // The cases come in the order of their columns: the clean one (sex 1)
  // first, with its empty line only.
  QStringList expected = Head();
  expected << "" << Label(501) + ": невозможное зн. поля \"Биологический пол пациента\" "
           << Label(501) + ": Отсутствует код страховой компании"
           << ""
           << "";
  EXPECT_EQ(ProtocolLines(protocol), expected);

  // The archiver got each path as one argument, and the copy was made from
  // the finished archive (the stand-in writes it only after a pause).
  const QString base = folder + QStringLiteral("/Инг_02042026093005");
  QFile log(dir.filePath(QStringLiteral("rar.log")));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromLocal8Bit(log.readAll()).split('\n', Qt::SkipEmptyParts),
            (QStringList{"a", "-ep", base, base + ".txt"}));
  EXPECT_TRUE(result.Archived);
  EXPECT_EQ(user.proposed, QStringList{"Инг_02042026093005"});
  EXPECT_EQ(result.ArchiveCopy, copy + ".rar");
  EXPECT_EQ(ReadBytes(copy + ".rar"), "Rar!" + ReadBytes(protocol));
  EXPECT_EQ(ReadBytes(base + ".rar"), ReadBytes(copy + ".rar"));

  EXPECT_EQ(user.shown, QStringList{protocol});
  EXPECT_EQ(user.archiveModes, std::vector<bool>{true});
  EXPECT_TRUE(user.messages.isEmpty());
  EXPECT_EQ(user.progress, (QStringList{"Проверка иногородних 2", "end"}));
  EXPECT_EQ(user.steps, 2);
}

TEST_F(OutOfRegionCheckTest, AMonthWithoutFindingsGivesTheMessageOnly) {
  test::OutOfRegionRegistry registry;
  registry.cases = {
      With(CleanOutOfRegionCase(1), {{"POLIS", "0"}, {"OUT_STAC", QDate(2026, 4, 3)}})};
  registry.sheets = {CleanOutOfRegionSheet(1)};
  test::BuildOutOfRegionRegistry(folder, registry);
  // A protocol of the same second is written anew.
  QFile old(folder + QStringLiteral("/Инг_02042026093005.txt"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write(QByteArray(4000, 'x'));
  old.close();

  const OutOfRegionCheckResult result = Run();

  EXPECT_FALSE(result.Found);
  EXPECT_EQ(ProtocolLines(result.ProtocolPath), Head() << ""
                                                       << "Ошибок не обнаружено");
  EXPECT_EQ(user.messages, QStringList{"Проверка иногородних | Ошибок заполнения не обнаружено"});
  EXPECT_EQ(user.icons, std::vector<RunMessageIcon>{RunMessageIcon::Information});
  EXPECT_TRUE(user.shown.isEmpty());
  EXPECT_TRUE(user.proposed.isEmpty());
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("rar.log"))));
  EXPECT_TRUE(TheRunState().ProtocolPath.isEmpty());
}

TEST_F(OutOfRegionCheckTest, MissingTablesAreNamedInTheViewer) {
  test::BuildTable(folder, "MTL.DBF", test::OutOfRegionMtlFields(), {});

  const OutOfRegionCheckResult result = Run();

  EXPECT_TRUE(result.TablesMissing);
  EXPECT_EQ(ProtocolLines(result.ProtocolPath), Head() << " - не найден файл stacion.dbf"
                                                       << " - не найден файл parents.dbf");
  EXPECT_EQ(user.shown, QStringList{result.ProtocolPath});
  EXPECT_EQ(user.archiveModes, std::vector<bool>{false});
  EXPECT_TRUE(user.progress.isEmpty());
}

TEST_F(OutOfRegionCheckTest, WithoutAWorkingArchiverTheViewerStillShows) {
  struct Road {
    const char* what;
    bool onPath;
    bool fails;
    std::optional<QString> answer;
    bool archived;
  };
  const QString target = dir.filePath(QStringLiteral("есть.rar"));
  const Road roads[] = {
      {"no archiver", false, false, std::nullopt, false},
      {"the archiver fails", true, true, std::nullopt, false},
      {"the dialog cancelled", true, false, QString(), true},
      {"the copy would overwrite a file", true, false, target, true},
  };
  test::OutOfRegionRegistry registry;
  registry.cases = {With(CleanOutOfRegionCase(1), {{"POLIS", "0"}})};
  registry.sheets = {CleanOutOfRegionSheet(1)};
  test::BuildOutOfRegionRegistry(folder, registry);
  int second = 0;
  for (const Road& road : roads) {
    SCOPED_TRACE(road.what);
    QFile existing(target);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("mine");
    existing.close();
    RecordingCheckUser u;
    if (road.answer) u.answers.push_back(*road.answer);
    if (road.fails) qputenv("KELMO_RAR_FAIL", "1");
    OutOfRegionCheckInputs in = Inputs();
    in.Started = in.Started.addSecs(++second);
    const ScopedPath path(road.onPath ? kStandInFolder.toLocal8Bit() + ':' + qgetenv("PATH")
                                      : QByteArray("/nonexistent"));
    const OutOfRegionCheckResult result = CheckOutOfRegionRegistry(in, u);
    qunsetenv("KELMO_RAR_FAIL");
    EXPECT_EQ(result.Archived, road.archived);
    EXPECT_EQ(u.proposed.size(), road.archived ? 1 : 0);
    EXPECT_TRUE(result.ArchiveCopy.isEmpty());
    EXPECT_EQ(ReadBytes(target), "mine");
    EXPECT_EQ(u.archiveModes, std::vector<bool>{road.archived});
    EXPECT_EQ(QFile::exists(result.ProtocolPath.chopped(4) + ".rar"), road.archived);
  }
}

// The rules alone: the MES code's ranges by in-patient type, the levels the
// accompanying-disease rule applies to, and the label.
TEST(OutOfRegionRules, MesCodeRangesByStacType) {
  struct Range {
    int type;
    const char* code;
    bool fits;
  };
  const Range ranges[] = {{1, "3000000", true},  {1, "6000000", true},  {1, "2999999", false},
                          {1, "6000001", false}, {2, "7000000", true},  {2, "8000000", false},
                          {3, "6000000", true},  {3, "6999999", true},  {3, "5999999", false},
                          {4, "8999999", true},  {4, "9000000", false}, {4, "", false},
                          {5, "1", true},        {5, "x", true}};
  for (const Range& r : ranges) {
    const CheckRecord stac{{"TIP_STAC", r.type}};
    const CheckRecord sheet = [&] {
      CheckRecord s;
      const QVariantMap clean = CleanOutOfRegionSheet(1);
      for (auto it = clean.begin(); it != clean.end(); ++it) s.Set(it.key(), it.value());
      s.Set("KOD_MES", QString::fromLatin1(r.code));
      return s;
    }();
    EXPECT_EQ(SheetFindings(sheet, stac, "Ц").isEmpty(), r.fits) << r.type << " " << r.code;
  }
}

TEST(OutOfRegionRules, AccompanyingDiseasesCountOnlyAtCityAndDistrictLevels) {
  CheckRecord sheet;
  const QVariantMap clean = CleanOutOfRegionSheet(1);
  for (auto it = clean.begin(); it != clean.end(); ++it) sheet.Set(it.key(), it.value());
  sheet.Set("MES_ACC3", "2");
  sheet.Set("ACCOMP3", "I11");
  sheet.Set("ACCOMP_L3", 1);
  const CheckRecord stac{{"TIP_STAC", 1}};
  const QStringList line{": Кол-во соп.заб.прев.допуст.кол-во для город.и район.уровней"};
  EXPECT_EQ(SheetFindings(sheet, stac, "Г"), line);
  EXPECT_EQ(SheetFindings(sheet, stac, " Р "), line);
  EXPECT_TRUE(SheetFindings(sheet, stac, "О").isEmpty());
  sheet.Set("MES_ACC3", "0");
  EXPECT_TRUE(SheetFindings(sheet, stac, "Г").isEmpty());
}

TEST(OutOfRegionRules, CaseLabel) {
  EXPECT_EQ(
      CaseLabel(
          {{"FAMILY", " сидорова "}, {"NAME", "ольга"}, {"FATHER", QVariant()}, {"NOMIB", "12/а"}}),
      QString("СИДОРОВА О.. (№ ист.бол. 12/а)"));
  EXPECT_EQ(CaseLabel({{"FAMILY", "Ли"}, {"NAME", "Ян"}, {"FATHER", "Сунович"}, {"NOMIB", 7}}),
            QString("ЛИ Я.С. (№ ист.бол. 7)"));
}

}  // namespace
}  // namespace kelmo::tariff
