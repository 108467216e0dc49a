// Table builders: write a new, empty table file (and its empty memo file when
// a memo field is added) from a field list. DFO_DBFBuild makes dBase III tables
// (0x03, with memo 0x83 and a ".DBT"), DFO_DB4Build dBase IV (0x8B, ".DBT"),
// DFO_DBFoxBuild FoxPro (0xF5, ".fpt"). WriteFiles raises the disk file's
// errors ("Could not create file %s", "Error writing to %s"); the destructor
// writes the files when WriteFiles was not called (and swallows errors, so
// callers that care call WriteFiles). Cost: two small writes per file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbf_records.h"
#include "os_layer.h"

namespace kelmo::dbf {

class DFO_DBFBuild {
 public:
  explicit DFO_DBFBuild(const std::string& fileName, OsLayer& os = DefaultOsLayer());
  virtual ~DFO_DBFBuild();
  DFO_DBFBuild(const DFO_DBFBuild&) = delete;
  DFO_DBFBuild& operator=(const DFO_DBFBuild&) = delete;

  // Name upper-cased and cut to 10 characters; "B", "G", "M" get width 10,
  // "D" 8, "L" 1; a "C" width above 255 goes into the decimals byte's place.
  virtual void AddField(const std::string& name, char type, int width, int decimals);
  void WriteFiles();
  // Writes only the empty memo file (for a table file made another way).
  void WriteMemoFileOnly() {
    writeOnDestroy_ = false;
    WriteMemoHeader();
  }
  // Nothing is written when the builder is freed.
  void Discard() { writeOnDestroy_ = false; }
  // The language (code page) byte written at header offset 29.
  void SetLanguageByte(uint8_t language) { language_ = language; }
  const std::string& FileName() const { return fileName_; }
  bool HasMemo() const { return hasMemo_; }
  int RecordLength() const { return recordLength_; }
  const std::vector<DbfFieldDescriptor>& Fields() const { return fields_; }

 protected:
  virtual void WriteTableHeader();
  virtual void WriteMemoHeader();

  uint8_t versionWithoutMemo_ = 0x03;
  uint8_t versionWithMemo_ = 0x83;
  std::string fileName_;
  int recordLength_ = 1;
  std::string baseName_;
  bool hasMemo_ = false;
  bool writeOnDestroy_ = true;
  uint8_t language_ = 0;
  std::vector<DbfFieldDescriptor> fields_;
  OsLayer& os_;
};

class DFO_DB4Build : public DFO_DBFBuild {
 public:
  explicit DFO_DB4Build(const std::string& fileName, OsLayer& os = DefaultOsLayer());

 protected:
  void WriteMemoHeader() override;
};

class DFO_DBFoxBuild : public DFO_DBFBuild {
 public:
  explicit DFO_DBFoxBuild(const std::string& fileName, OsLayer& os = DefaultOsLayer());

 protected:
  void WriteMemoHeader() override;
};

}  // namespace kelmo::dbf
