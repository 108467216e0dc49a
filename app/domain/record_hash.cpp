// Record checksums (see record_hash.h).
#include "record_hash.h"

#include <openssl/evp.h>

#include <QDate>
#include <QDateTime>
#include <QStringEncoder>
#include <cstdio>

namespace kelmo {

RecordFieldMissing::RecordFieldMissing(const QString& name)
    : std::runtime_error(QStringLiteral("Поле '%1' не найдено").arg(name).toStdString()) {}

QString Md5Hex(const QByteArray& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.constData(), static_cast<size_t>(bytes.size()), digest, &length, EVP_md5(),
                 nullptr) != 1)
    throw std::runtime_error("MD5 недоступен");
  return QString::fromLatin1(
      QByteArray(reinterpret_cast<const char*>(digest), static_cast<int>(length))
          .toHex()
          .toUpper());
}

QString HashFieldText(const QVariant& value) {
  if (value.isNull()) return {};
  switch (value.typeId()) {
    case QMetaType::QDate:
      return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime: {
      const QDateTime dt = value.toDateTime();
      if (dt.time() == QTime(0, 0)) return dt.date().toString(QStringLiteral("dd.MM.yyyy"));
      return dt.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    }
    case QMetaType::Double:
    case QMetaType::Float: {
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.15g", value.toDouble());
      return QString::fromLatin1(buf);
    }
    default:
      return value.toString();
  }
}

bool CheckRecordHash(const QSqlRecord& record) {
  static const char* const kFields[] = {"id", "mcod", "polis", "seria", "number", "in_stac"};
  QString text;
  for (const char* name : kFields) {
    const int index = record.indexOf(QLatin1String(name));
    if (index < 0) throw RecordFieldMissing(QLatin1String(name));
    QVariant value = record.value(index);
    // The DBF engine's SQL gives dates as ISO text; the hash was made over the
    // date as the case-entry program shows it.
    if (QLatin1String(name) == QLatin1String("in_stac") && value.typeId() == QMetaType::QString) {
      const QString iso = value.toString().left(10);
      const QDate date = QDate::fromString(iso, Qt::ISODate);
      if (iso.size() == 10 && date.isValid()) value = date;
    }
    text += HashFieldText(value);
  }
  const int hashIndex = record.indexOf(QStringLiteral("hash"));
  if (hashIndex < 0) throw RecordFieldMissing(QStringLiteral("hash"));
  QStringEncoder toCp1251("windows-1251");
  const QByteArray bytes = toCp1251.encode(text);
  return Md5Hex(bytes) == record.value(hashIndex).toString();
}

}  // namespace kelmo
