// The fund's upload of all marked institutions: the runs kind by kind and
// institution by institution, the copies into the upload folders (never
// over a file there), what is reported when a package did not get there,
// and two institutions' accepted out-of-region reports formed from the
// database through the main window and copied.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <tuple>

#include "domain/package_lists.h"
#include "domain/run_state.h"
#include "fund_forming_fixture.h"
#include "reception/upload_all_button.h"
#include "recording_user.h"

using namespace kelmo;
using namespace kelmo::test;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The entries of a folder ("." and ".." left out); empty for a missing one.
QStringList EntriesOf(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                QDir::NoDotAndDotDot);
}

using KindRun = std::pair<int, PayKind>;

// The upload's folders in a temporary folder.
struct UploadPlaces {
  QTemporaryDir dir;
  QString work = dir.filePath("SpATemp");
  QString root = dir.filePath("VipNet");
  UploadAllInputs Inputs(const QStringList& marked, int monthIndex, int year) const {
    UploadAllInputs in;
    in.MarkedLpus = marked;
    in.MonthIndex = monthIndex;
    in.Year = year;
    in.WorkFolder = work;
    in.UploadRoot = root;
    return in;
  }
};

// A formation as the reception leaves it: the fund's package of the
// institution and kind in "Иногородние" of the dated package folder, and
// its act beside it.
void FakeFormation(const UploadFormation& f) {
  const QString folder = QDir(f.WorkFolder)
                             .filePath(PayFolderWordOf(f.Kind) + "_" + MonthName(f.MonthIndex + 1) +
                                       QString::number(f.Year));
  const QString name = QStringLiteral("HT45M%1_%2").arg(f.LpuId).arg(Code(f.Kind));
  Touch(QDir(folder).filePath("Иногородние/" + name + ".zip"), "package " + name.toUtf8());
  Touch(QDir(folder).filePath("act.txt"));
  rFile file;
  file.HName = name;
  rAdresat fund;
  fund.Files = {file};
  rSender sender;
  sender.Adresats = {fund};
  ThePackageLists().SenderList = {sender};
  TheReceptionState().FormedPackageFolder = folder;
}

}  // namespace

// Marked institutions 1 to 4 of September 2024: every kind is asked for in
// order, only the kinds with reports are formed, each in the emptied work
// folder with the in-patient types of its rows, and each package goes to its
// institution's folder (trailing blanks and a trailing "\" of UPLOAD_DIR
// make no difference). A package already in the upload folder stays as it
// was; a folder outside the root is not formed for, and a formation that
// found nothing copies nothing; the three are told to the user in one box at the end.
TEST(UploadAll, RunsKindByKindAndReportsEveryPackageNotCopied) {
  ReceptionHarness h;
  UploadPlaces folders;
  Touch(QDir(folders.root).filePath("lpu2/HT45M2_6.zip"), "earlier");
  Touch(QDir(folders.work).filePath("left over/file.txt"));

  const std::map<KindRun, QList<UploadReportRow>> reports = {
      {{1, PayKind::Oms}, {{"lpu1  ", 1, 2}, {"lpu1  ", 3, 1}}},
      {{1, PayKind::Vmp}, {{"lpu1  ", 1, 1}}},
      {{2, PayKind::Oms}, {{"lpu2\\", 2, 1}}},
      {{2, PayKind::Vmp}, {{"lpu2\\", 1, 1}}},
      {{3, PayKind::Oms}, {{"..\\elsewhere", 1, 1}}},
      {{4, PayKind::Rehabilitation}, {{"lpu4", 1, 1}}},
  };
  QList<KindRun> asked, formed;
  QList<std::pair<bool, bool>> types;
  RecordingUser user;
  UploadAllServices sv{h.W().ibdb, h.W().ibtr, user};
  sv.Reports = [&](int lpu, PayKind kind, const QDate& monthStart) {
    EXPECT_EQ(monthStart, QDate(2024, 9, 1));
    asked.append({lpu, kind});
    const auto found = reports.find({lpu, kind});
    return found == reports.end() ? QList<UploadReportRow>() : found->second;
  };
  sv.Form = [&](const UploadFormation& f) {
    EXPECT_TRUE(EntriesOf(f.WorkFolder).isEmpty()) << f.LpuId;
    EXPECT_EQ(TheReceptionState().CurrentLpu, f.LpuId);
    EXPECT_EQ(TheRunState().PayKind, f.Kind);
    EXPECT_EQ(ThePackageLists().PayFolderWord, PayFolderWordOf(f.Kind));
    formed.append({f.LpuId, f.Kind});
    types.append({ThePackageLists().HasRoundTheClock, ThePackageLists().HasDayHospital});
    if (f.LpuId == 4) return false;
    FakeFormation(f);
    return true;
  };

  const QList<UploadOutcome> outcomes =
      UploadAll(folders.Inputs({"1", "2", "3", "4"}, 8, 2024), sv);

  QList<KindRun> everyKind;
  for (int lpu : {1, 2, 3, 4})
    for (PayKind kind : {PayKind::Oms, PayKind::Vmp, PayKind::Rehabilitation})
      everyKind.append({lpu, kind});
  EXPECT_EQ(asked, everyKind);
  const QList<KindRun> expected = {{1, PayKind::Oms}, {1, PayKind::Vmp},
                                   {2, PayKind::Oms}, {2, PayKind::Vmp},
                                   {3, PayKind::Oms}, {4, PayKind::Rehabilitation}};
  // Institution 3's folder lies outside the root: nothing is formed for it.
  QList<KindRun> withoutThird = expected;
  withoutThird.removeAt(4);
  EXPECT_EQ(formed, withoutThird);
  EXPECT_EQ(types, (QList<std::pair<bool, bool>>{
                       {true, true}, {true, false}, {false, true}, {true, false}, {true, false}}));

  const QDir root(folders.root);
  const std::tuple<UploadResult, QString> results[] = {
      {UploadResult::Copied, root.filePath("lpu1/HT45M1_1.zip")},
      {UploadResult::Copied, root.filePath("lpu1/HT45M1_6.zip")},
      {UploadResult::Copied, root.filePath("lpu2/HT45M2_1.zip")},
      {UploadResult::AlreadyPresent, root.filePath("lpu2/HT45M2_6.zip")},
      {UploadResult::CopyFailed, QString()},
      {UploadResult::NotFormed, QString()},
  };
  ASSERT_EQ(outcomes.size(), qsizetype(std::size(results)));
  for (qsizetype i = 0; i < outcomes.size(); ++i) {
    const auto& [result, target] = results[i];
    EXPECT_EQ(std::make_pair(outcomes[i].LpuId, outcomes[i].Kind), expected[i]);
    EXPECT_EQ(outcomes[i].Result, result) << i;
    if (!target.isEmpty()) EXPECT_EQ(outcomes[i].Target, target) << i;
  }
  for (const char* name : {"lpu1/HT45M1_1", "lpu1/HT45M1_6", "lpu2/HT45M2_1"})
    EXPECT_EQ(ReadAll(root.filePath(QString(name) + ".zip")), "package " + QByteArray(name).mid(5));
  EXPECT_EQ(ReadAll(root.filePath("lpu2/HT45M2_6.zip")), "earlier");
  EXPECT_EQ(EntriesOf(folders.root), QStringList({"lpu1", "lpu2"}));
  EXPECT_TRUE(EntriesOf(folders.work).isEmpty());

  ASSERT_EQ(user.calls.size(), 1);
  const QStringList lines = user.calls[0].split('\r');
  ASSERT_EQ(lines.size(), 4) << user.calls[0].toStdString();
  EXPECT_EQ(lines[0], "message Не выгружены пакеты:");
  EXPECT_EQ(lines[1], "ЛПУ 2, ВМП: пакет " + root.filePath("lpu2/HT45M2_6.zip") +
                          " уже есть в папке выгрузки, он не заменён");
  EXPECT_EQ(lines[2],
            "ЛПУ 3, ОМС: папка выгрузки ЛПУ \"..\\elsewhere\" не лежит в " + folders.root);
  EXPECT_EQ(lines[3], "ЛПУ 4, Реабилитация: пакет не сформирован");
}

// The folders the upload is refused: a work folder that would empty the
// data folder or the upload folders; an upload folder name leading out of
// the root.
TEST(UploadAll, RefusesFoldersItMustNotEmptyOrLeave) {
  ReceptionHarness h;
  UploadPlaces folders;
  RecordingUser user;
  UploadAllServices sv{h.W().ibdb, h.W().ibtr, user};
  sv.Reports = [](int, PayKind, const QDate&) { return QList<UploadReportRow>{{"x", 1, 1}}; };
  sv.Form = [](const UploadFormation&) -> bool {
    ADD_FAILURE() << "formed";
    return false;
  };
  // (Never the home folder here: a fault would empty it.)
  for (const QString& work : {folders.dir.path(), folders.root, folders.dir.filePath("data")}) {
    UploadAllInputs in = folders.Inputs({"1"}, 2, 2024);
    in.WorkFolder = work;
    in.KeptFolders = {folders.dir.filePath("data")};
    EXPECT_THROW(UploadAll(in, sv), std::runtime_error) << work.toStdString();
  }
  EXPECT_TRUE(user.calls.isEmpty());

  EXPECT_EQ(InstitutionUploadFolder("/v", " okb\\in \t"), "/v/okb/in");
  EXPECT_EQ(InstitutionUploadFolder("/v", "okb\\"), "/v/okb");
  for (const QString& bad : {"", "  ", "/etc", "..", "okb/../../x", "\\\\server\\x"})
    EXPECT_TRUE(InstitutionUploadFolder("/v", bad).isEmpty()) << bad.toStdString();
}

// Without a marked institution the click says how to mark one and does
// nothing else; an acts database that cannot be reached is said and
// nothing is formed.
TEST(UploadAll, ClickWithoutMarkedInstitutionsOrActsDatabase) {
  UploadPlaces folders;
  const QString keys = "UploadTempPath=" + folders.work + "\r\nUploadPath=" + folders.root;
  {
    FundHarness fund(keys);
    EXPECT_FALSE(fund.W().btnUPL->isHidden());
    fund.W().btnUPL->click();
    const auto messages = fund.script.CallsOf(ScriptedInteraction::Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, NoMarkedLpusText());
    EXPECT_TRUE(fund.W().btnUPL->isEnabled());
  }
  {
    FundHarness fund(keys + "\r\nAKTConStr=DSN=kelmo-no-such-source");
    fund.W().MarkedLpus.Add("1");
    fund.W().btnUPL->click();
    const auto messages = fund.script.CallsOf(ScriptedInteraction::Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Ошибка подключения");
    EXPECT_EQ(messages[0].text, ActsConnectionFailedText());
    EXPECT_FALSE(fund.forms.DM->AktEnabled);
  }
  EXPECT_FALSE(QFileInfo::exists(folders.work));
  EXPECT_FALSE(QFileInfo::exists(folders.root));
}

// Institutions 1 and 33 formed their March registries with an out-of-region
// case each, and the fund accepted them: the upload forms each from the
// database through the main window, in the marked order, and copies its
// package into the institution's folder; the work folder is left empty and
// the reports stay marked uploaded. A second upload of institution 1 finds
// its package already there: the file stays as it was, the user is told,
// and the report is no longer marked uploaded.
TEST(UploadAll, FormsTwoMarkedInstitutionsFromTheDatabase) {
  PerPopulation<int> first{}, second{};
  InstitutionForms([](ReceptionHarness& h) { BuildThreeInsurerRegistry(h); }, first, 1);
  ASSERT_GT(first[Population::OutOfRegion], 0);
  {
    // Institution 33 holds the same licences as institution 1.
    ReceptionHarness h;
    FbQuery q(h.W().ibdb, &h.W().ibtr);
    q.setSql(
        "insert into pass_lpu (lpu_code, tip_stac, prof_code, mz, vozrast, date_beg, date_end) "
        "select 33, tip_stac, prof_code, mz, vozrast, date_beg, date_end from pass_lpu where "
        "lpu_code=1");
    q.ExecSQL();
    h.W().ibtr.Commit();
  }
  InstitutionForms([](ReceptionHarness& h) { BuildThreeInsurerRegistry(h, "450033"); }, second, 33);
  ASSERT_GT(second[Population::OutOfRegion], 0);

  UploadPlaces folders;
  FundHarness fund("UploadTempPath=" + folders.work + "\r\nUploadPath=" + folders.root);
  FundAcceptsOnly(fund, {first[Population::Local], first[Population::OutOfRegion],
                         second[Population::Local], second[Population::OutOfRegion]});
  {
    FbQuery q(fund.W().ibdb, &fund.W().ibtr);
    q.setSql("update lpu set upload_dir=iif(id=1, 'okb  ', 'crb\\') where id in (1, 33)");
    q.ExecSQL();
    fund.W().ibtr.Commit();
  }
  fund.W().MarkedLpus.Add("33");
  fund.W().MarkedLpus.Add("1");

  ReceptionButton button{
      *fund.forms.DM,
      ReceptionForms{fund.W(), fund.forms.fmUnCorr.get(), fund.forms.fmPrgs.get(), {}}};
  RecordingUser user;
  QList<KindRun> runs;
  auto upload = [&] {
    UploadAllServices sv = WindowUploadServices(button, user);
    const auto form = sv.Form;
    sv.Form = [&runs, form](const UploadFormation& f) {
      runs.append({f.LpuId, f.Kind});
      return form(f);
    };
    return UploadAll(ReadUploadAllInputs(fund.W()), sv);
  };

  const QList<UploadOutcome> outcomes = upload();
  EXPECT_EQ(runs, (QList<KindRun>{{1, PayKind::Oms}, {33, PayKind::Oms}}));
  ASSERT_EQ(outcomes.size(), 2);
  const QDir root(folders.root);
  const QString okb = OnlyZip(root.filePath("okb"));
  const QString crb = OnlyZip(root.filePath("crb"));
  for (const auto& [outcome, zip, mcod] :
       {std::tuple{outcomes[0], okb, "450001"}, std::tuple{outcomes[1], crb, "450033"}}) {
    EXPECT_EQ(outcome.Result, UploadResult::Copied) << outcome.Reason.toStdString();
    ASSERT_FALSE(zip.isEmpty()) << mcod;
    EXPECT_EQ(outcome.Target, zip);
    const QString base = QFileInfo(zip).completeBaseName();
    EXPECT_TRUE(base.startsWith(QStringLiteral("HT45M%1_2403").arg(mcod))) << base.toStdString();
    EXPECT_EQ(UnzipTest(zip), 0);
    EXPECT_EQ(CasesOfEntries(zip), QStringList({"L" + base.mid(1) + ".xml:0", base + ".xml:1"}));
  }
  EXPECT_EQ(EntriesOf(folders.root), QStringList({"crb", "okb"}));
  EXPECT_TRUE(EntriesOf(folders.work).isEmpty());
  EXPECT_TRUE(user.calls.filter("message").isEmpty()) << user.calls.join('\n').toStdString();
  EXPECT_EQ(Uploaded(fund), 2);
  // The window stays on the formation: the mode, the last kind tried, the
  // work folder.
  EXPECT_EQ(fund.W().rgps->itemIndex(), 1);
  EXPECT_EQ(TheRunState().PayKind, PayKind::Rehabilitation);

  const QByteArray copied = ReadAll(okb);
  fund.W().MarkedLpus.Clear();
  fund.W().MarkedLpus.Add("1");
  runs.clear();
  user.calls.clear();
  const QList<UploadOutcome> again = upload();
  ASSERT_EQ(again.size(), 1);
  EXPECT_EQ(again[0].Result, UploadResult::AlreadyPresent);
  EXPECT_EQ(again[0].Target, okb);
  EXPECT_EQ(ReadAll(okb), copied);
  const QStringList messages = user.calls.filter("message");
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(okb + " уже есть в папке выгрузки"))
      << messages[0].toStdString();
  EXPECT_EQ(Uploaded(fund), 1);
  EXPECT_TRUE(EntriesOf(folders.work).isEmpty());
}
