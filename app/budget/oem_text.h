// Recognising Cyrillic text written in the DOS code page 866 among texts of
// the Windows code page 1251, and converting it. The institutions' case-entry
// programs write either page; the overlap listing shows names converted so
// that the act is readable whichever page a table used.
//
// The test looks at byte values only: the letters of page 866 (80..AF,
// E0..EF), the letters of page 1251 (C0..FF) and the box-drawing range of page
// 866 (B0..DF), where one value making up more than half of that range marks a
// page-866 text. Cost: one pass over the bytes, no allocation.
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>

namespace kelmo {

struct OemStats {
  int A = 0;                  // bytes 80..AF and E0..EF
  int B = 0;                  // bytes B0..DF
  int C = 0;                  // bytes C0..FF
  std::array<int, 0x30> F{};  // each value B0..DF on its own (index value - B0)
};

// The counts over [begin, end).
OemStats CountOemStats(const unsigned char* begin, const unsigned char* end);
// Whether the bytes [begin, end) are taken for page-866 text.
bool IsOemText(const unsigned char* begin, const unsigned char* end);
bool IsOemBuffer(const char* chars, std::size_t count);

// The bytes converted from page 866 to page 1251 when the test says they are
// page 866, otherwise unchanged. Any length.
QByteArray OemToAnsiIfNeeded(const QByteArray& bytes);
// The same for a text read through code page 1251 (as the desktop engine
// hands out a table declared in page 1251): its page-1251 bytes are tested and,
// when they are page 866, decoded as page 866.
QString OemToAnsiIfNeeded(const QString& text);

}  // namespace kelmo
