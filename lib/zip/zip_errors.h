// The zip library's exceptions. Every failure that ends an operation is one of
// these (or a stream error from buffered_stream.h); per-entry problems are
// reported through the components' events instead.
#pragma once

#include <stdexcept>
#include <string>

namespace kelmo::zip {

// Base of everything the reader and the writer raise for a damaged archive or
// a refused request.
class EQorZipException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The directory cannot be read and rebuilding it from local headers failed:
// "Not a valid zip file!".
class EBadZipFile : public EQorZipException {
 public:
  EBadZipFile() : EQorZipException("Not a valid zip file!") {}
};

// No end record and IncompleteZipMode izAssumeMulti: "Incomplete Zip File".
class EIncompleteZip : public EQorZipException {
 public:
  EIncompleteZip() : EQorZipException("Incomplete Zip File") {}
};

// No end record and izAssumeNotAZip: "Not a valid zip file!".
class ENotAZipFile : public EQorZipException {
 public:
  ENotAZipFile() : EQorZipException("Not a valid zip file!") {}
};

// An entry's data runs past the end of a single-file archive:
// "Premature end of file reached".
class EFatalUnzipError : public EQorZipException {
 public:
  EFatalUnzipError() : EQorZipException("Premature end of file reached") {}
};

// A dialog, prompt or event handler refused to go on; the text names which.
class EUserCanceled : public EQorZipException {
 public:
  using EQorZipException::EQorZipException;
};

// Decoded output would exceed the entry's stored uncompressed size:
// "File is larger than uncompressed size!".
class EBiggerThanUncompressed : public EQorZipException {
 public:
  EBiggerThanUncompressed() : EQorZipException("File is larger than uncompressed size!") {}
};

// An entry would unpack to more than the extraction's limits allow (its
// declared size against the largest entry, the ratio to its compressed size
// and the free space of the destination): the run stops before the entry is
// written. The text names the entry and both sizes.
class EEntryTooLarge : public EQorZipException {
 public:
  using EQorZipException::EQorZipException;
};

// Two entries of one extraction land on one destination file (a name
// flattened onto another's): the run stops before the second is written.
class EDuplicateDestination : public EQorZipException {
 public:
  explicit EDuplicateDestination(const std::string& dest)
      : EQorZipException("Two entries of the archive land on \"" + dest + "\"") {}
};

// The bytes where an entry's local header should start are not one.
class EBadLocalHeader : public EQorZipException {
 public:
  explicit EBadLocalHeader(const std::string& entry)
      : EQorZipException("Local header of \"" + entry + "\" is damaged") {}
};

// The writer could not write all bytes: "Not enough room to write archive".
class ENotEnoughRoom : public EQorZipException {
 public:
  ENotEnoughRoom() : EQorZipException("Not enough room to write archive") {}
};

// Extraction could not write all bytes: "Cant write uncompressed file".
class ECantWriteUCF : public EQorZipException {
 public:
  ECantWriteUCF() : EQorZipException("Cant write uncompressed file") {}
};

// The ".zfc" copy of a multi-disk directory could not be written.
class EConfigFileSaveError : public EQorZipException {
 public:
  EConfigFileSaveError() : EQorZipException("Unable to save Zip Configuration File to disk") {}
};

// zlib failures: a negative result of the compression engine raises
// EZCompressionError "error" (also a deflate stream cut short or corrupt).
class EZLibError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EZCompressionError : public EZLibError {
 public:
  EZCompressionError() : EZLibError("error") {}
};

// List errors of the containers and of entry indexes.
class EListError : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};

// The class registry of object_list.h.
class EClassNotFound : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Stream failures of buffered_stream.h (open, read, write, seek).
class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace kelmo::zip
