// The last phase of a formation ("Сформировать"), after the act summary and
// the end of the run: the split by insurer. Each of the region's insurers
// gets the documents and the export of its local cases, the fund those of
// the out-of-region cases when the run had out-of-region reports; then the
// run's working folder "temp" becomes the formation's dated package folder
// "<payment word>_<month><year>" (with "_1", "_2" ... when the name is
// taken; the state's FormedPackageFolder names it), and what the run leaves
// behind goes: the received package's
// reference files in "temp", the split-report folder "Отчет по стационару"
// and the registry folder's "onechcost.dat".
//
// The main window is minimised and restored (when the run was asked to) and
// the progress window driven through the run's user only.
//
// Errors: the insurer documents' (DocumentStop, DocumentSaveError, the
// export's and the zip library's) end the run; the progress window and the
// minimised main window then stay as they are. Failures of the file system
// in the folders' steps are ignored without a message.
#pragma once

#include <QString>
#include <optional>

#include "reception_context.h"

namespace kelmo {

void SplitByInsurer(const ReceptionContext& ctx);

// The formation's package folder in the registry folder:
// "<word>_<month><year>" when no file or folder of that name exists, else
// the first free name with "_1", "_2" ... appended. Cost: one look-up a name.
QString FreePackageFolder(const QString& registryFolder, const QString& payWord,
                          const QString& month, const QString& year);

// The folders' steps after the documents: the reference files of the
// sender numbered `senderNumber` (when the run had a sender) removed from
// "temp", "temp" moved to its package folder, the split-report folder
// removed with everything below it. Returns the package folder, or an empty
// text when "temp" could not be moved.
QString MoveTempToPackageFolder(const QString& registryFolder, const QString& payWord,
                                const QString& month, const QString& year,
                                std::optional<int> senderNumber);

}  // namespace kelmo
