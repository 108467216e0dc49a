// One regional insurer's documents at the split by insurer of a formation
// (WriteInsurerReport): for a registry that did not come as a package, the
// insurer's copy of the registry's tables in its folder of the split report
// ("Отчет по стационару/<in-patient word>/<insurer word>") is pruned to its
// cases (documents/insurer_dbf_copy.h) and becomes the folder of the
// documents that such a run saves outside "temp"; then the insurer's
// documents and export are written (WriteInsurerDocuments) for its local
// cases, the filter " and (s.polis='<code>')".
//
// Errors: those of the pruning (the desktop engine's, the DBF engine's) and
// of the documents.
#pragma once

#include <QString>

#include "insurer_documents.h"

namespace kelmo {

// `base` holds everything of the call but the filter, the population and
// the insurer's folder; `stacFolderWord` is the split report's folder word
// of the in-patient type ("Стационар" ...); `caption` the progress window's
// text that names the insurer.
void WriteInsurerReport(const QString& folderWord, const QString& insurerCode,
                        const InsurerDocumentInputs& base, const InsurerDocumentServices& services,
                        const QString& stacFolderWord, const QString& caption);

// The insurer's folder of the split report.
QString InsurerSplitFolder(const QString& registryFolder, const QString& stacFolderWord,
                           const QString& folderWord);

}  // namespace kelmo
