// The record every start writes to the machine's settings (what Windows keeps
// under HKEY_LOCAL_MACHINE\SoftWare\DORER\Kelmo); nothing reads it back.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QSettings>
#include <QString>

namespace kelmo {

struct StartRecord {
  QString executablePath;  // "PATH"
  QDate today;             // "LastStart"
  QString database;        // "DataBase"
  bool inOmsDomain = false;
  QString cmdUser;  // "UserName", only in the "OMS" domain
};

// A date as the 8-byte value the record keeps: days since 30.12.1899 as a
// little-endian IEEE double, no time part.
QByteArray DayBasedDateBytes(const QDate& date);

// Writes the values and flushes. Cost: one write of the settings file.
void WriteStartRecord(QSettings& settings, const StartRecord& record);

}  // namespace kelmo
