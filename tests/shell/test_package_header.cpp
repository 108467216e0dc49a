// Package file heads and the in-patient types of their cases.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <array>
#include <vector>

#include "domain/common.h"
#include "domain/package_header.h"
#include "package_test_support.h"

namespace kelmo {
namespace {

using test::PackageXmlBytes;
using test::SlSpec;

class PackageHeaderTest : public ::testing::Test {
 protected:
  QString Write(const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("h.xml"));
    test::WriteBytes(path, bytes);
    return path;
  }
  QTemporaryDir dir;
};

std::vector<std::array<bool, 4>> TypesOf(const PackageXml& head) {
  std::vector<std::array<bool, 4>> out;
  for (const PackageCase& c : head.Cases) out.push_back(InPatientTypesOf(c));
  return out;
}

constexpr std::array<bool, 4> kNone{}, kT1{true, false, false, false},
    kT2{false, true, false, false}, kT3{false, false, true, false}, kT4{false, false, false, true};

TEST_F(PackageHeaderTest, TypeCodesAndCareCodesOfAnHPackage) {
  // Written in windows-1251: the Cyrillic code reads back through the
  // declared encoding.
  const QString path = Write(PackageXmlBytes(QStringLiteral(" 42 "), QStringLiteral("N-1"),
                                             QStringLiteral("2024-01-31"),
                                             {{"5"},
                                              {"9"},
                                              {"дс12345678901234"},
                                              {"0"},
                                              {nullptr},
                                              {"6001", false, "1"},
                                              {"7001", false, "0"},
                                              {"8001", true}}));
  const PackageXml head = ReadPackageXml(path, false, QStringLiteral("M450001"), true);
  EXPECT_EQ(head.Code, 42);
  EXPECT_EQ(head.NSchet, QStringLiteral("N-1"));
  EXPECT_EQ(head.DSchet, QDate(2024, 1, 31));
  QStringList types;
  QList<int> cares;
  for (const PackageCase& c : head.Cases) {
    types.append(c.TypeCode);
    cares.append(c.CareCode);
  }
  EXPECT_EQ(types, (QStringList{"5", "9", QString::fromUtf8("ДС"), "6", "7", "8"}));
  EXPECT_EQ(cares, (QList<int>{31, 31, 31, 5, 31, 32}));
  EXPECT_EQ(TypesOf(head), (std::vector<std::array<bool, 4>>{kT1, kNone, kT4, kT3, kT2, kT1}));
}

TEST_F(PackageHeaderTest, TPackagesAndTheDayCareSenders) {
  const QString t =
      Write(PackageXmlBytes(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("2024-01-31"),
                            {{nullptr, true}, {"1001"}, {nullptr}}));
  const PackageXml high = ReadPackageXml(t, true, QStringLiteral("M450001"), true);
  ASSERT_EQ(high.Cases.size(), 2);
  EXPECT_EQ(high.Cases[0].CareCode, 32);
  EXPECT_TRUE(high.Cases[0].TypeCode.isEmpty());
  EXPECT_EQ(TypesOf(high), (std::vector<std::array<bool, 4>>{kT1, kNone}));

  const QString h = Write(PackageXmlBytes(QStringLiteral("1"), QStringLiteral("1"),
                                          QStringLiteral("2024-01-31"), {{"1001"}, {"xx", true}}));
  const PackageXml day = ReadPackageXml(h, false, QStringLiteral("M450092"), true);
  EXPECT_EQ(TypesOf(day), (std::vector<std::array<bool, 4>>{kT2, kT1}));
}

TEST_F(PackageHeaderTest, MissingHeadsAndBadValues) {
  const QString missing = dir.filePath(QStringLiteral("none.xml"));
  EXPECT_THROW(ReadPackageXml(missing, false, {}, true), PackageHeaderMissing);
  const QString garbage = Write("<ZL_LIST><SCHET>");
  EXPECT_THROW(ReadPackageXml(garbage, false, {}, true), PackageHeaderMissing);
  const QString headless = Write(PackageXmlBytes({}, {}, {}, {{"1"}}, false));
  EXPECT_THROW(ReadPackageXml(headless, false, {}, true), PackageHeaderMissing);
  const QString noDate =
      Write("<?xml version=\"1.0\"?><Z><SCHET><CODE>1</CODE><NSCHET>1</NSCHET></SCHET></Z>");
  EXPECT_THROW(ReadPackageXml(noDate, false, {}, true), PackageHeaderMissing);
  const QString badCode =
      Write(PackageXmlBytes({}, QStringLiteral("1"), QStringLiteral("2024-01-31"), {}));
  EXPECT_THROW(ReadPackageXml(badCode, false, {}, true), ConversionError);
  const QString badDate = Write(
      PackageXmlBytes(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("2024-13-45"), {}));
  EXPECT_THROW(ReadPackageXml(badDate, false, {}, true), std::runtime_error);
}

TEST_F(PackageHeaderTest, ShortNonDigitStandardCodeIsAConversionError) {
  const QString path = Write(PackageXmlBytes(QStringLiteral("1"), QStringLiteral("1"),
                                             QStringLiteral("2024-01-31"), {{"кс123"}}));
  EXPECT_THROW(ReadPackageXml(path, false, QStringLiteral("M450001"), true), ConversionError);
  // The head alone reads.
  EXPECT_EQ(ReadPackageXml(path, false, QStringLiteral("M450001"), false).Code, 1);
}

}  // namespace
}  // namespace kelmo
