// Engine errors: the three exception classes of the DBF engine and the fixed
// English texts of every engine error. Lowest layer; everything above raises
// through these.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace kelmo::dbf {

// Every file, table, record, field, memo, index, lock and sort error.
class EDbfError : public std::runtime_error {
 public:
  // systemError: the operating system's error number (errno) of a failed
  // file call, 0 for the engine's own errors.
  explicit EDbfError(const std::string& message, int systemError = 0)
      : std::runtime_error(message), systemError_(systemError) {}
  int SystemError() const { return systemError_; }

 private:
  int systemError_;
};

// A table opened with a password it does not need, without the one it needs,
// or with a wrong one.
class EDbfEncryption : public EDbfError {
 public:
  explicit EDbfEncryption(const std::string& message) : EDbfError(message) {}
};

// Errors of the expression language (raised by the expression layer).
class EDbfExpression : public EDbfError {
 public:
  explicit EDbfExpression(const std::string& message) : EDbfError(message) {}
};

// Fills the placeholders %s and %d of a message, in order, with the arguments.
std::string FormatDbfMessage(const char* pattern, const std::vector<std::string>& args);

[[noreturn]] void RaiseDbf(const char* pattern, const std::vector<std::string>& args);
// A failed operating-system call: the message with the call's errno kept.
[[noreturn]] void RaiseDbfSystem(const char* pattern, const std::vector<std::string>& args,
                                 int systemError);
[[noreturn]] void RaiseEncryption(const char* pattern, const std::vector<std::string>& args);

namespace msg {
// Disk file.
inline constexpr const char* kGetFileSize = "Error getting FileSize for file %s";
inline constexpr const char* kFlush = "Error on Flush for file %s";
inline constexpr const char* kRead = "Error on Read of file %s";
inline constexpr const char* kClose = "Error in Close of file %s";
inline constexpr const char* kRename = "Error on Rename of file %s";
inline constexpr const char* kNotFound = "File %s could not be found";
inline constexpr const char* kAccessDenied = "Access denied to file %s";
inline constexpr const char* kCreate = "Could not create file %s";
inline constexpr const char* kFullAccess = "%s requires full access to file %s";
inline constexpr const char* kTruncate = "Error in Truncate of file %s";
inline constexpr const char* kUnlock = "Error in Unlock of file %s";
inline constexpr const char* kWrite = "Error writing to %s";
inline constexpr const char* kLock = "Can not Lock file %s";
// Memo files.
inline constexpr const char* kMemoBad = "Memo record is bad in %s";
// Table file, field access and handler.
inline constexpr const char* kHeaderInvalid = "Table Header for %s is invalid";
inline constexpr const char* kRecordNotInTable = "Record number %d is not in table %s";
inline constexpr const char* kPasswordIncluded = "A Password is included for unencrypted file %s";
inline constexpr const char* kNoPassword = "No Password for encrypted file %s";
inline constexpr const char* kInvalidPassword = "Invalid Password for encrypted file %s";
inline constexpr const char* kInvalidNumeric = "Invalid numeric value in field %s";
inline constexpr const char* kNumericTooBig = "numeric value too big in field %s";
inline constexpr const char* kInvalidDate = "Invalid date in field %s";
inline constexpr const char* kNoField = "There is no field name %s";
inline constexpr const char* kInvalidValue = "Invalid %s value for field %s";
inline constexpr const char* kIncorrectType = "Field %s is the incorrect type";
inline constexpr const char* kFilterNotBoolean = "Filter expression must return boolean result";
// Indexes.
inline constexpr const char* kIndexCorrupted = "Index file %s is corrupted";
inline constexpr const char* kNoIndexTag = "Cannot find index tag %s";
inline constexpr const char* kIndexOpen = "Index file %s already open";
// Dataset.
inline constexpr const char* kTableNameMissing = "Table name missing";
inline constexpr const char* kCannotFindFile = "Cannot find file %s";
inline constexpr const char* kBeyondRange = "Record request beyond range of table";
inline constexpr const char* kCannotDelete = "Cannot delete the record";
inline constexpr const char* kCannotRecall = "Cannot recall the record";
inline constexpr const char* kBookmarkInvalid = "Bookmark is invalid for table ";
inline constexpr const char* kRecordLocked = "Record is locked by another user";
inline constexpr const char* kNotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* kClosedDataset = "Cannot perform this operation on a closed dataset";
inline constexpr const char* kOpenDataset = "Cannot perform this operation on an open dataset";
// Typed values and key sorter.
inline constexpr const char* kVariantAppend = "Variant type is not valid for append";
inline constexpr const char* kVariantCompare = "Variant types mismatch for compare";
inline constexpr const char* kVariantSort = "Variant type cannot be sorted";
// Conversion of a text that is not a date (the platform's conversion error).
inline constexpr const char* kNotADate = "'%s' is not a valid date";
}  // namespace msg

}  // namespace kelmo::dbf
