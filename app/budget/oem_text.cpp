// Page-866 recognition and conversion through Qt's code page tables.
#include "oem_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace kelmo {

OemStats CountOemStats(const unsigned char* begin, const unsigned char* end) {
  OemStats s;
  for (const unsigned char* p = begin; p < end; ++p) {
    const unsigned char c = *p;
    if ((c >= 0x80 && c <= 0xAF) || (c >= 0xE0 && c <= 0xEF)) ++s.A;
    if (c >= 0xC0) ++s.C;
    if (c >= 0xB0 && c <= 0xDF) {
      ++s.B;
      ++s.F[c - 0xB0];
    }
  }
  return s;
}

bool IsOemText(const unsigned char* begin, const unsigned char* end) {
  const OemStats s = CountOemStats(begin, end);
  if (s.A > s.C) return true;
  if (s.B < s.C) return false;
  const int half = s.B / 2;
  for (int f : s.F)
    if (f > half) return true;
  return false;
}

bool IsOemBuffer(const char* chars, std::size_t count) {
  const auto* p = reinterpret_cast<const unsigned char*>(chars);
  return IsOemText(p, p + count);
}

QByteArray OemToAnsiIfNeeded(const QByteArray& bytes) {
  if (!IsOemBuffer(bytes.constData(), static_cast<std::size_t>(bytes.size()))) return bytes;
  QStringDecoder fromOem("IBM866");
  QStringEncoder toAnsi("windows-1251");
  return toAnsi.encode(fromOem.decode(bytes));
}

QString OemToAnsiIfNeeded(const QString& text) {
  QStringEncoder toAnsi("windows-1251");
  const QByteArray bytes = toAnsi.encode(text);
  if (!IsOemBuffer(bytes.constData(), static_cast<std::size_t>(bytes.size()))) return text;
  QStringDecoder fromOem("IBM866");
  return fromOem.decode(bytes);
}

}  // namespace kelmo
