// Package folders built by code for the identification tests: XML files in
// code page 1251 and zip packages written with the project's zip library.
#pragma once

#include <QDir>
#include <QFile>
#include <QMap>
#include <QStringEncoder>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/package_identification.h"
#include "zip/zip_writer.h"

namespace kelmo::test {

// One SL element: CODE_MES1 text (null: absent), VID_HMP and REAB children.
struct SlSpec {
  const char* codeMes1 = nullptr;
  bool vidHmp = false;
  const char* reab = nullptr;
};

// A package main or oncology file with its invoice head and cases, encoded
// in windows-1251 as the registries are.
inline QByteArray PackageXmlBytes(const QString& code, const QString& nschet, const QString& dschet,
                                  const std::vector<SlSpec>& cases, bool withHead = true) {
  QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<ZL_LIST>");
  if (withHead) {
    text += QStringLiteral("<SCHET><CODE>%1</CODE><NSCHET>%2</NSCHET><DSCHET>%3</DSCHET></SCHET>")
                .arg(code, nschet, dschet);
  }
  for (const SlSpec& sl : cases) {
    text += QStringLiteral("<ZAP><Z_SL><SL>");
    if (sl.codeMes1 != nullptr) {
      text += QStringLiteral("<CODE_MES1>%1</CODE_MES1>").arg(QString::fromUtf8(sl.codeMes1));
    }
    if (sl.vidHmp) text += QStringLiteral("<VID_HMP>1.1</VID_HMP>");
    if (sl.reab != nullptr) {
      text += QStringLiteral("<REAB>%1</REAB>").arg(QString::fromUtf8(sl.reab));
    }
    text += QStringLiteral("</SL></Z_SL></ZAP>");
  }
  text += QStringLiteral("</ZL_LIST>");
  QStringEncoder encoder("windows-1251");
  return encoder.encode(text);
}

// Writes a zip archive of the named entries.
inline void WriteZip(const QString& path, const QMap<QString, QByteArray>& entries) {
  zip::TQorZip z;
  z.SetZipName(path.toStdString());
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    z.AddFromMemory(it.key().toStdString(),
                    std::vector<std::uint8_t>(it.value().begin(), it.value().end()));
  }
  z.Compress();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

// Names (relative, "/" separated) of every file below the folder, sorted.
inline QStringList FilesBelow(const QString& folder) {
  QStringList out;
  const QDir root(folder);
  std::function<void(const QString&)> walk = [&](const QString& dir) {
    const QFileInfoList entries = QDir(dir).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& e : entries) {
      if (e.isDir() && !e.isSymLink()) {
        walk(e.filePath());
      } else {
        out.append(root.relativeFilePath(e.filePath()));
      }
    }
  };
  walk(folder);
  out.sort();
  return out;
}

// The registry database as a table.
class FakePackageDatabase : public PackageDatabase {
 public:
  QMap<int, LpuRecord> lpus;
  QList<FormingReportRow> rows;
  QList<FormingReportQuery> queries;

  std::optional<LpuRecord> FindLpu(int mcod) override {
    if (!lpus.contains(mcod)) return std::nullopt;
    return lpus.value(mcod);
  }
  QList<FormingReportRow> FormingReports(const FormingReportQuery& query) override {
    queries.append(query);
    return rows;
  }
};

}  // namespace kelmo::test
