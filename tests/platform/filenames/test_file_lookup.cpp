#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "filenames/file_lookup.h"

namespace kelmo {
namespace {

TEST(FileMask, StarsAndQuestionMarksWithoutRegardToCase) {
  struct Case {
    const char* name;
    const char* mask;
    bool match;
  } cases[] = {
      {"HT45M450001_2401001.zip", "H???*M??*_2401*.ZIP", true},
      {"hm450001t45_2401.Zip", "H???*?*_2401*.ZIP", true},
      {"HT45M450001_2402001.zip", "H???*M??*_2401*.ZIP", false},
      {"H_2401.zip", "H???*_2401*.ZIP", false},
      {"", "*", true},
      {"a", "", false},
      {"Привет.txt", "пРИВЕТ.*", true},
      {"abcabd", "*abd", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesFileMask(QString::fromUtf8(c.name), QString::fromUtf8(c.mask)), c.match)
        << c.name << " / " << c.mask;
  }
}

TEST(FileLookup, ListsMatchingFilesByNameAndFindsAnySpelling) {
  QTemporaryDir tmp;
  for (const char* n : {"b.ZIP", "A.zip", "c.txt"}) {
    QFile f(tmp.filePath(QString::fromLatin1(n)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  QDir(tmp.path()).mkdir(QStringLiteral("d.zip"));
  EXPECT_EQ(FindFilesNoCase(tmp.path(), QStringLiteral("*.zip")),
            (QStringList{QStringLiteral("A.zip"), QStringLiteral("b.ZIP")}));
  EXPECT_TRUE(FindFilesNoCase(tmp.filePath(QStringLiteral("none")), QStringLiteral("*")).isEmpty());
  EXPECT_EQ(FindFileNoCase(tmp.path(), QStringLiteral("C.TXT")),
            tmp.filePath(QStringLiteral("c.txt")));
  EXPECT_EQ(FindFileNoCase(tmp.path(), QStringLiteral("b.ZIP")),
            tmp.filePath(QStringLiteral("b.ZIP")));
  EXPECT_TRUE(FindFileNoCase(tmp.path(), QStringLiteral("e.txt")).isEmpty());
}

}  // namespace
}  // namespace kelmo
