// Writing the start record.
#include "start_record.h"

#include <bit>
#include <cstdint>

namespace kelmo {

QByteArray DayBasedDateBytes(const QDate& date) {
  const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(date));
  const auto bits = std::bit_cast<std::uint64_t>(days);
  QByteArray bytes(8, '\0');
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  return bytes;
}

void WriteStartRecord(QSettings& settings, const StartRecord& record) {
  settings.setValue(QStringLiteral("PATH"), record.executablePath);
  settings.setValue(QStringLiteral("LastStart"), DayBasedDateBytes(record.today));
  settings.setValue(QStringLiteral("DataBase"), record.database);
  if (record.inOmsDomain) settings.setValue(QStringLiteral("UserName"), record.cmdUser);
  settings.sync();
}

}  // namespace kelmo
