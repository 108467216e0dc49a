// The invoice head and the cases of one unpacked package file (a main file or
// an oncology file), read with libxml2 in the file's declared encoding.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <array>
#include <cstddef>
#include <stdexcept>

namespace kelmo {

// The file cannot be read as XML, or lacks `SCHET` or one of its children
// `CODE`, `NSCHET`, `DSCHET`. The message names the file.
class PackageHeaderMissing : public std::runtime_error {
 public:
  explicit PackageHeaderMissing(const QString& path);
};

// The file is refused and its package dropped on its own: a `DSCHET` that is
// not a date ("'<text>' is not a valid date"), or a file that declares or
// refers to XML entities (the message names the file).
class PackageRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One taken `SL` element.
struct PackageCase {
  // 32 high-tech care (a `VID_HMP` child), 5 rehabilitation (a `REAB` child
  // whose text is not "0"), 31 otherwise.
  int CareCode = 31;
  // H packages: the first two characters of `CODE_MES1` in upper case when it
  // has 16 characters or more, else its first character ("7" for the three
  // senders that write only polyclinic day care). Empty for T packages.
  QString TypeCode;
};

struct PackageXml {
  int Code = 0;
  // "0" when the file's number is blank.
  QString NSchet;
  QDate DSchet;
  QList<PackageCase> Cases;
};

// Reads the file. `tPackage`: the package's name begins with "T" (cases are
// also taken by `VID_HMP` and carry no type code). `senderCode`: the
// sender's party code. `readCases` false reads the head only.
// Raises PackageHeaderMissing as above; PackageRefused as above;
// ConversionError for a `CODE` that is not an integer or an H package's
// short `CODE_MES1` that does not begin with a digit. Only a regular file is
// opened. Cost: one streaming pass (stopping after the head when cases are
// not wanted); memory holds the texts of the head and of each taken case,
// never the document.
PackageXml ReadPackageXml(const QString& path, bool tPackage, const QString& senderCode,
                          bool readCases);

// The in-patient types 1..4 (at index type - 1) a taken case counts for.
std::array<bool, 4> InPatientTypesOf(const PackageCase& c);

}  // namespace kelmo
