// Start-up against a temporary embedded database: the order in which the
// windows come into being, the kelmo.ini template written byte for byte, the
// machine record, the default period and the seeded institutions in the grid.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringConverter>

#include "domain/common.h"
#include "interact/scripted_interaction.h"
#include "shell/data_module.h"
#include "shell/kelmo_ini.h"
#include "shell/start_period.h"
#include "shell/start_record.h"
#include "shell_test_support.h"

using namespace kelmo;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The template as it must be on disk, written out independently of the code.
QByteArray ExpectedTemplate() {
  const char* text =
      "[Options]\n"
      ";Путь к базе экспертизы стационара\n"
      "IBDBase=\n"
      "\n"
      ";Путь к папке с программой квиллон (куда вводятся данные по случаям лечения, для владельцев "
      "РМИС не нужно)\n"
      "KvillonPath=\n"
      "\n"
      ";Путь к базе экспертизы поликлиники\n"
      ";IBPolBase=\n"
      "\n"
      ";База центрального сегмента (не менять)\n"
      ";CSbase=\n"
      "\n"
      ";Путь к файлам реестров, для кнопки \"найти папку\", в целях быстрого доступа\n"
      "REPPATH=\n"
      "\n"
      ";Роль (не менять)\n"
      "who=lpu\n"
      "\n"
      ";Специальная роль (не менять)\n"
      ";Who_detail=2778\n"
      ";Who_detail=2779\n"
      ";Who_detail=2\n"
      "\n"
      ";вид оплаты по умолчанию (не менять)\n"
      "Oplat=1\n"
      "\n"
      ";Путь к папке Mould с шаблонами excel для формирования отчётов\n"
      "ExcelPath=\n"
      "\n"
      ";Путь к базе актов (не менять)\n"
      ";AKTConStr=\n";
  QString lines = QString::fromUtf8(text);
  lines.replace("\n", "\r\n");
  QStringEncoder encode("windows-1251");
  return encode(lines);
}

TEST(Startup, FirstStartInAnEmptyFolder) {
  test::TempStart start;
  ScriptedInteraction script;
  ScopedInteraction scope(script);
  QStringList steps;
  StartupOptions options;
  options.arguments = {"ivanov", "second"};
  options.account = {"OMS\\ivanov", ""};
  options.paths = start.Paths();
  options.onStep = [&](const QString& step) { steps << step; };
  {
    KelmoForms forms = StartKelmo(options);

    EXPECT_EQ(steps, (QStringList{"fmConnect", "DM", "fmKelmo", "fmUnCorr", "fmPrgs", "F_XML_load",
                                  "fmProp", "fmConnect freed"}));
    for (const auto& call : script.calls) ADD_FAILURE() << call.text.toStdString();

    // The template, byte for byte: 32 lines, CRLF, code page 1251.
    const QByteArray written = ReadAll(start.File("kelmo.ini"));
    EXPECT_EQ(written, ExpectedTemplate());
    EXPECT_EQ(written.count("\r\n"), 32);
    EXPECT_EQ(KelmoIniTemplate(), ExpectedTemplate());

    // The databases of the start folder were made from db/.
    EXPECT_TRUE(QFile::exists(start.File("kelmo.fdb")));
    EXPECT_TRUE(QFile::exists(start.File("central.fdb")));
    TfmKelmo& w = *forms.fmKelmo;
    EXPECT_EQ(w.lbase->text(), start.File("kelmo.fdb"));
    EXPECT_TRUE(w.ibdb.Connected());

    // The grid lists the seeded institutions in id order.
    ASSERT_EQ(w.ibqLPU.RecordCount(), 4);
    const QAbstractItemModel* model = w.DBGrid1->model();
    ASSERT_EQ(model->rowCount(), 4);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QString("Код"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QString("ЛПУ"));
    EXPECT_EQ(model->data(model->index(0, 0)).toInt(), 1);
    EXPECT_EQ(model->data(model->index(1, 0)).toInt(), 25);
    EXPECT_EQ(model->data(model->index(1, 1)).toString(), QString("Городская больница № 1"));
    EXPECT_EQ(w.ibqLPU.Value(1, "MCOD").toString(), QString("450025"));

    // The default period is the previous month.
    const QDate month = DefaultReportMonth(QDate::currentDate());
    EXPECT_EQ(w.seYear->ValueAsInteger(), month.year());
    EXPECT_EQ(w.cbMonth->currentIndex(), month.month() - 1);
    EXPECT_EQ(w.deDKelmo->DateValue(), QDate::currentDate());

    // Role "lpu", party 1, payment kind "ОМС".
    EXPECT_FALSE(w.bbKelmo->isHidden());
    EXPECT_TRUE(w.obKelmo->isHidden());
    EXPECT_TRUE(w.rgps->isEnabled());
    EXPECT_EQ(w.WhoDetail.Code(), 1);
    EXPECT_EQ(w.cbVidOp->count(), 7);
    EXPECT_EQ(w.cbVidOp->currentText(), QString("ОМС"));
    EXPECT_TRUE(w.btnUPL->isHidden());
    EXPECT_FALSE(w.MultiSelectLpus);
    EXPECT_TRUE(w.MainFormReady);

    // Caption and footer carry the compiled-in version.
    const QString version = TheRunState().ProgramVersion;
    EXPECT_EQ(version, QString(KELMO_TEST_VERSION));
    EXPECT_TRUE(
        w.windowTitle().startsWith("Прием отчетов от ЛПУ для СМО и ТФОМС (v." + version + " от "));
    EXPECT_TRUE(w.windowTitle().endsWith(" )"));
    EXPECT_TRUE(TheRunState().ReportFooter.startsWith(
        "Версия Kelmo, на которой сформирован данный отчет: v." + version + " от "));
    EXPECT_EQ(w.flb->mask(), QString("*.txt;*.dbf;*.xls;?M45*_*.zip"));

    // The data module: domain "OMS" and two arguments keep the first.
    EXPECT_TRUE(forms.DM->InOmsDomain());
    EXPECT_EQ(forms.DM->CmdUser(), QString("ivanov"));
    EXPECT_TRUE(forms.DM->InputRequestHandlerInstalled());

    // The skin manager: the default one, stored inactive, with the
    // application hooked; the progress gauge paints plainly.
    ASSERT_TRUE(forms.DM->sSkinManager);
    EXPECT_FALSE(forms.DM->sSkinManager->Active());
    EXPECT_FALSE(forms.DM->sSkinManager->Manager.SkinData.SkinActive);
    EXPECT_TRUE(forms.DM->sSkinManager->IsDefault());
    EXPECT_TRUE(forms.DM->sSkinManager->MainWindowHooked());
    EXPECT_FALSE(forms.fmPrgs->pb->Skinned());
  }

  // The machine record of this start.
  QSettings record(start.MachineRecordFile(), QSettings::IniFormat);
  EXPECT_EQ(record.value("PATH").toString(), QCoreApplication::applicationFilePath());
  EXPECT_EQ(record.value("DataBase").toString(), start.File("kelmo.fdb"));
  EXPECT_EQ(record.value("UserName").toString(), QString("ivanov"));
  EXPECT_EQ(record.value("LastStart").toByteArray(), DayBasedDateBytes(QDate::currentDate()));
}

TEST(Startup, UnreachableDatabaseIsReportedAndTheWindowStaysUsable) {
  test::TempStart start;
  QFile ini(start.File("kelmo.ini"));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write(
      ("[Options]\r\nIBDBase=" + start.File("no/such/folder/kelmo.fdb") + "\r\nWho_Detail=2\r\n")
          .toUtf8());
  ini.close();
  ScriptedInteraction script;
  ScopedInteraction scope(script);
  StartupOptions options;
  options.account = {"ivanov", ""};
  options.paths = start.Paths();
  KelmoForms forms = StartKelmo(options);

  const auto boxes = script.CallsOf(ScriptedInteraction::Kind::Message);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, QString("Kelmo"));
  EXPECT_EQ(boxes[0].icon, MessageIcon::Error);
  EXPECT_TRUE(boxes[0].text.contains(start.File("no/such/folder"))) << boxes[0].text.toStdString();
  // The steps after the grid still ran.
  TfmKelmo& w = *forms.fmKelmo;
  EXPECT_FALSE(w.ibdb.Connected());
  EXPECT_EQ(w.DBGrid1->model()->rowCount(), 0);
  EXPECT_TRUE(w.MainFormReady);
  EXPECT_FALSE(w.btnUPL->isHidden());
  EXPECT_TRUE(w.MultiSelectLpus);
  EXPECT_FALSE(TheRunState().ProgramVersion.isEmpty());
  EXPECT_FALSE(forms.DM->InOmsDomain());
  EXPECT_TRUE(forms.DM->CmdUser().isEmpty());
  // Closing with the folder button pressed on an empty grid stays quiet.
  w.close();
}

}  // namespace
