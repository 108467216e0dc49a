// The zip container of an .xlsx package, over lib/zip: all parts into memory,
// and parts out to a new file, each produced piece by piece while it is
// compressed.
// Errors: WorkbookError "<path>: файл не является книгой Excel" for a file the
// zip library cannot read, "Не удалось сохранить книгу <path>: <reason>".
// Cost: reading holds every part in memory; writing deflates each part once,
// at the fastest level, holding one piece of a produced part at a time.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kelmo::workbook {

// Produces a part: each call appends the next piece of it to `out` (which
// the caller has emptied) and returns whether more pieces follow.
using PartProducer = std::function<bool(std::string& out)>;

struct PackageEntry {
  std::string name;
  PartProducer produce;
};

// A producer that hands over a whole text at once.
PartProducer WholePart(std::string text);
// All the pieces of a part as one text.
std::string WholeText(const PartProducer& produce);

std::map<std::string, std::string> ReadZipParts(const std::string& path);
// Writes the entries in their order ([Content_Types].xml first, where every
// reader looks for it), to a file beside `path` renamed over it at the end.
void WritePackage(const std::string& path, std::vector<PackageEntry> entries);
// The same from whole parts, taken over.
void WriteZipParts(const std::string& path, std::map<std::string, std::string> parts);

}  // namespace kelmo::workbook
