// The fund and the insurers forming: the package lists built from the
// reports in the registry database, and the dialog's answer applied to them.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "domain/package_lists.h"
#include "domain/run_state.h"
#include "interact/scripted_interaction.h"
#include "package_test_support.h"
#include "qt_test_application.h"
#include "shell/data_file_dialog.h"
#include "shell/package_identification.h"

namespace kelmo {
namespace {

QString S(const char* utf8) {
  return QString::fromUtf8(utf8);
}

FormingReportRow Row(int repn, int tipStac, int num, const char* nschet, int code,
                     bool onco = false) {
  FormingReportRow r;
  r.Mcod = 450001;
  r.Name = S(" ГБ №1 ");
  r.TipStac = tipStac;
  r.Repn = repn;
  r.Num = num;
  r.NSchet = QString::fromUtf8(nschet);
  r.Code = code;
  r.DSchet = num == 0 ? QDate() : QDate(2024, 2, 1);
  r.NeedOncoFile = onco;
  return r;
}

class PackageFormingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRunState();
    ResetPackageLists();
    input.Folder = dir.path();
    input.Mode = RegistryMode::Form;
    input.Year = 2024;
    input.Month = 1;
    input.CurrentLpu = 10;
    input.PayListKind = PayKind::Oms;
  }

  bool Identify() {
    ScopedInteraction scope(script);
    PackageIdentification identification(db, dialog);
    return identification.IdentifyPackages(input, 0, xmlMode, confirmed);
  }

  QTemporaryDir dir;
  test::FakePackageDatabase db;
  TF_XML_load dialog;
  ScriptedInteraction script;
  IdentificationInput input;
  bool xmlMode = false;
  bool confirmed = false;
};

TEST_F(PackageFormingTest, FundFormsFromTheDatabaseAndDropsEveryUncheckedType) {
  input.WhoDetail = WhoDetail(2);
  db.rows = {Row(101, 1, 1, " 12 ", 3, true), Row(102, 4, 1, "12", 3), Row(103, 4, 0, "0", 0),
             Row(103, 4, 2, "14", 4)};
  script.modalHandlers.push_back([](QDialog& d) {
    auto& f = static_cast<TF_XML_load&>(d);
    EXPECT_EQ(f.Label6->text(), S("ГБ №1"));
    EXPECT_EQ(f.Label5->text(), S("ТТФОМС\nТТФОМС\nТТФОМС"));
    EXPECT_TRUE(f.RadioButton1->isEnabled() && f.RadioButton1->isChecked());
    EXPECT_FALSE(f.RadioButton2->isEnabled() || f.RadioButton3->isEnabled());
    EXPECT_TRUE(f.CheckBox3->isChecked() && f.CheckBox6->isChecked());
    EXPECT_FALSE(f.CheckBox4->isEnabled() || f.CheckBox5->isEnabled());
    f.CheckBox6->setChecked(false);
    return true;
  });
  EXPECT_FALSE(Identify());
  EXPECT_TRUE(xmlMode);
  EXPECT_TRUE(confirmed);

  ASSERT_EQ(db.queries.size(), 1);
  EXPECT_EQ(db.queries[0].SmoCode, 45);
  EXPECT_EQ(db.queries[0].Inog, 1);
  EXPECT_EQ(db.queries[0].Lpu, 10);
  EXPECT_EQ(db.queries[0].Oplat, 1);
  EXPECT_EQ(db.queries[0].MonthStart, QDate(2024, 1, 1));

  const PackageLists& lists = ThePackageLists();
  EXPECT_EQ(lists.AddresseeSmoCode, 45);
  const rSender& sender = lists.SenderList[0];
  EXPECT_EQ(sender.Code, QStringLiteral("M450001"));
  EXPECT_EQ(sender.Number, 450001);
  EXPECT_EQ(sender.Name, S("ГБ №1"));
  // Two reports sharing package 1 make one addressee with two types.
  ASSERT_EQ(sender.Adresats.size(), 3);
  const rAdresat& first = sender.Adresats[0];
  EXPECT_EQ(first.Kind, PartyKind::Fund);
  EXPECT_EQ(first.Number, 3);
  EXPECT_TRUE(first.StacTypes[0] && first.StacTypes[3]);
  ASSERT_EQ(first.Files.size(), 1);
  const rFile& f = first.Files[0];
  EXPECT_EQ(f.HName, QStringLiteral("HT45M450001_24011"));
  EXPECT_EQ(f.SourceName, QStringLiteral("HT45M450001_24011.xml"));
  EXPECT_EQ(f.LName, QStringLiteral("LT45M450001_24011"));
  EXPECT_EQ(f.LcName, QStringLiteral("LCT45M450001_24011"));
  EXPECT_EQ(f.CName, QStringLiteral("CT45M450001_24011"));
  EXPECT_EQ(f.NSchet, QStringLiteral("12"));
  EXPECT_EQ(sender.Adresats[1].Files[0].HName, QStringLiteral("HT45M450001_24010"));
  EXPECT_TRUE(sender.Adresats[1].Files[0].CName.isEmpty());

  // Every report of the unchecked type went, not only the first.
  EXPECT_TRUE(lists.ReportLists[Population::Local].isEmpty());
  ASSERT_EQ(lists.ReportLists[Population::OutOfRegion].size(), 1);
  const rRepn& r = lists.ReportLists[Population::OutOfRegion][0];
  EXPECT_EQ(r.Repn, 101);
  EXPECT_EQ(r.TipStac, 1);
  ASSERT_EQ(r.Smos.size(), 1);
  EXPECT_EQ(r.Smos[0].SmoCode, 45);
  EXPECT_EQ(r.Smos[0].Num, 1);
  EXPECT_EQ(r.Smos[0].NSchet, QStringLiteral("12"));
  EXPECT_EQ(r.Smos[0].Code, 3);
  EXPECT_EQ(lists.ReportCount(Population::OutOfRegion), 1);
  EXPECT_EQ(Code(TheRunState().PayKind), 1);
  EXPECT_EQ(lists.PayFolderWord, S("ОМС"));
  EXPECT_TRUE(lists.HasRoundTheClock);
  EXPECT_FALSE(lists.HasDayHospital);
}

TEST_F(PackageFormingTest, InsurerFormsHighTechCareUnderTheTLetter) {
  input.WhoDetail = WhoDetail(2779);
  input.PayListKind = PayKind::Vmp;
  db.rows = {Row(201, 1, 5, "7", 9), Row(201, 1, 6, "8", 9)};
  script.modalHandlers.push_back([](QDialog& d) {
    auto& f = static_cast<TF_XML_load&>(d);
    EXPECT_TRUE(f.RadioButton3->isEnabled() && f.RadioButton3->isChecked());
    EXPECT_FALSE(f.RadioButton1->isEnabled() || f.RadioButton2->isEnabled());
    return true;
  });
  EXPECT_FALSE(Identify());
  EXPECT_TRUE(confirmed);
  const PackageLists& lists = ThePackageLists();
  EXPECT_EQ(lists.AddresseeSmoCode, 45002);
  EXPECT_EQ(db.queries[0].Inog, 0);
  const rSender& sender = lists.SenderList[0];
  ASSERT_EQ(sender.Adresats.size(), 2);
  EXPECT_EQ(sender.Adresats[0].Kind, PartyKind::Insurer);
  EXPECT_EQ(sender.Adresats[0].Number, 2);
  EXPECT_EQ(sender.Adresats[0].Name, S("ЗНТ"));
  // The database's packages stay whatever the choice.
  EXPECT_EQ(sender.Adresats[0].Files[0].HName, QStringLiteral("TS45002M450001_24015"));
  ASSERT_EQ(lists.ReportLists[Population::Local].size(), 1);
  EXPECT_EQ(lists.ReportLists[Population::Local][0].Smos.size(), 2);
  EXPECT_TRUE(lists.ReportLists[Population::OutOfRegion].isEmpty());
  EXPECT_EQ(Code(TheRunState().PayKind), 6);
  EXPECT_EQ(lists.PayFolderWord, S("ВМП"));
}

TEST_F(PackageFormingTest, NothingToFormIsRefused) {
  input.WhoDetail = WhoDetail(2778);
  EXPECT_TRUE(Identify());
  EXPECT_FALSE(xmlMode);
  EXPECT_FALSE(confirmed);
  ASSERT_EQ(script.CallsOf(ScriptedInteraction::Kind::Message).size(), 1);
  EXPECT_EQ(script.CallsOf(ScriptedInteraction::Kind::Message)[0].text,
            S("Не найдены данные для выгрузки.\nВнимательно проверьте указанные параметры."));
  EXPECT_EQ(db.queries[0].SmoCode, 45001);
  EXPECT_TRUE(script.CallsOf(ScriptedInteraction::Kind::Modal).empty());
}

}  // namespace
}  // namespace kelmo
