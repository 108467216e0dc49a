// The domain codes' tables: every conversion a caller relies on, and the
// one-off corrections kept as data.
#include <gtest/gtest.h>

#include "domain/domain_codes.h"
#include "domain/institution_fixes.h"

using namespace kelmo;

TEST(DomainCodes, PayKindsFollowThePaymentList) {
  const QStringList texts = PayKindListTexts();
  ASSERT_EQ(texts.size(), 7);
  for (int index = 0; index < texts.size(); ++index) {
    const PayKind kind = PayKindOfListIndex(index);
    EXPECT_EQ(Code(kind), index + 1);
    EXPECT_EQ(ListIndexOf(kind), index);
  }
  EXPECT_EQ(texts[1], "бюджет");
  EXPECT_EQ(PayKindOfListIndex(-1), PayKind::None);
  EXPECT_EQ(PayKindOfCode(8), PayKind::None);
  struct Case {
    PayKind kind;
    const char* word;
  } cases[] = {
      {PayKind::Oms, "ОМС"}, {PayKind::Vmp, "ВМП"},       {PayKind::Rehabilitation, "Реабилитация"},
      {PayKind::Budget, ""}, {PayKind::PaidServices, ""}, {PayKind::None, ""}};
  for (const Case& c : cases) {
    EXPECT_EQ(PayFolderWordOf(c.kind), QString::fromUtf8(c.word)) << Code(c.kind);
    EXPECT_EQ(TakenByReceptionRun(c.kind), *c.word != 0) << Code(c.kind);
  }
}

TEST(DomainCodes, InPatientTypesAndTheirTexts) {
  EXPECT_EQ(ActPrefix(StacType::AtHome), "Дом");
  EXPECT_EQ(StacFolderWordOf(StacType::DayAtPolyclinic), "СтДнПол");
  EXPECT_EQ(DayUnitTextOf(StacType::RoundTheClock), "к/дн.");
  EXPECT_EQ(DayUnitTextOf(StacType::DayAtHospital), "п/дн.");
  // A number outside 1..4 keeps its value and reads as round-the-clock.
  EXPECT_EQ(Number(StacTypeOfNumber(0)), 0);
  EXPECT_EQ(ActPrefix(StacTypeOfNumber(0)), "Кр");
  EXPECT_EQ(PassWord(Population::Local), "(мест.)");
  EXPECT_EQ(PassWord(Population::OutOfRegion), "(иног.)");
}

TEST(DomainCodes, PartiesAndInsurers) {
  EXPECT_TRUE(WhoDetail(1).IsInstitution());
  EXPECT_TRUE(WhoDetail(2).IsFund());
  EXPECT_TRUE(WhoDetail(2).IsFundOrInsurer());
  EXPECT_TRUE(WhoDetail(2).IsInstitutionOrFund());
  EXPECT_FALSE(WhoDetail(2778).IsInstitutionOrFund());
  EXPECT_EQ(WhoDetail(2778).OwnSmoCode(), 45001);
  EXPECT_EQ(WhoDetail(2779).OwnSmoCode(), 45002);
  EXPECT_EQ(WhoDetail(3).OwnSmoCode(), 0);
  EXPECT_EQ(WhoDetail(2).InsurerEntry(), nullptr);
  const Insurer* second = InsurerOfPackageCode("S45002");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->Number, 2);
  EXPECT_STREQ(second->SplitFolderWord, "Тальви");
  EXPECT_EQ(InsurerOfPackageCode("S45003"), nullptr);
  // A case's policy code names an insurer as text: blanks around it are
  // ignored; a code that is not a number, or beyond any integer, names none.
  EXPECT_EQ(InsurerOfPolicyCode(" 2779 "), second);
  EXPECT_STREQ(InsurerOfPolicyCode("2778")->SummaryName, "Бервинта-Кредо");
  for (const char* code : {"", "ABC", "27 79", "2779.0", "99999999999999999999", "45001"})
    EXPECT_EQ(InsurerOfPolicyCode(QString::fromUtf8(code)), nullptr) << code;
  EXPECT_EQ(QString::fromUtf8(TheHomeRegion().FundPackageCode), "T45");
}

TEST(InstitutionFixes, OnlyTheListedInstitutionsAndDates) {
  EXPECT_TRUE(RegistryNeedsRehabilitationRecoding("2015", 9, 77));
  EXPECT_TRUE(RegistryNeedsRehabilitationRecoding("2015", 9, 124));
  EXPECT_FALSE(RegistryNeedsRehabilitationRecoding("2015", 8, 77));
  EXPECT_FALSE(RegistryNeedsRehabilitationRecoding("2016", 9, 77));
  EXPECT_FALSE(RegistryNeedsRehabilitationRecoding("2015", 9, 78));
  EXPECT_TRUE(IsOrderedWorkingDay(24, QDate(2009, 1, 11)));
  EXPECT_TRUE(IsOrderedWorkingDay(25, QDate(2009, 1, 11)));
  EXPECT_FALSE(IsOrderedWorkingDay(26, QDate(2009, 1, 11)));
  EXPECT_FALSE(IsOrderedWorkingDay(24, QDate(2009, 1, 12)));
}
