#include <gtest/gtest.h>

#include "domain/xml_dates.h"

namespace kelmo {
namespace {

TEST(PackageXmlDates, ConvertsOnlyFullIsoDates) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"2016-06-01", "01.06.2016"},
      {"2016-06-01 10:30:00", "01.06.2016"},
      {"2019-01-31T00:00:00", "2019-01-31T00:00:00"},
      {"31.01.2019", "31.01.2019"},
      {"2019-1-31", "2019-1-31"},
      {"", ""},
      {"2016-13-45", "45.13.2016"},
      {"2016 - 06 - 01", "01.06.2016"},
      {"20a6-06-01", "20a6-06-01"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertXmlDate(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
  }
}

TEST(PackageXmlDates, NextDateTokenSkipsToTheNextDigit) {
  struct Case {
    const char* in;
    const char* part;
    const char* rest;
  } cases[] = {
      {"", "", ""},
      {"2016", "2016", ""},
      {"2016-", "2016", ""},
      {"2016-06-01", "2016", "06-01"},
      {"01 :x30", "01", "30"},
      {"01:abc", "01", ""},
      {"-5", "", "5"},
  };
  for (const Case& c : cases) {
    QString rest = QStringLiteral("junk"), part = QStringLiteral("junk");
    NextDateToken(QString::fromUtf8(c.in), rest, part);
    EXPECT_EQ(part, QString::fromUtf8(c.part)) << c.in;
    EXPECT_EQ(rest, QString::fromUtf8(c.rest)) << c.in;
  }
}

}  // namespace
}  // namespace kelmo
