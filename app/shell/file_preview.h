// The main window's preview of the file picked in its file list and the
// button "Печать": a workbook is shown in the workbook pane `Ole1` (in place
// of the embedded spreadsheet object: the first sheet's leading cells), a
// text or print file is loaded into the text box `re`, a DBF table empties
// it; printing sends the text box to a printer after the printer set-up
// dialog, or opens a previewed workbook's print preview in the desktop's
// spreadsheet program.
#pragma once

#include <QString>
#include <functional>

#include "workbook/excel_application.h"

class QLabel;
class QPlainTextEdit;
class QPrinter;
class QWidget;

namespace kelmo {

enum class PreviewAction { Workbook, Text, ClearText, None };

// By the extension in upper case: ".XLS" (and our ".XLSX") a workbook,
// ".TXT" and ".PRN" text, ".DBF" clears, anything else nothing.
PreviewAction PreviewActionFor(const QString& fileName);

// Shows the picked file: a workbook in ole1 (shown), anything else hides
// ole1; text files are loaded into re (UTF-8, or code page 1251 when the file
// is not UTF-8); a DBF table empties re; other files leave re as it was.
// A workbook that cannot be read shows its error in the pane.
void PreviewFile(const QString& path, QPlainTextEdit* re, QLabel* ole1);

// Prints the text box on the printer the set-up dialog chose (the default:
// QPlainTextEdit::print); tests replace it.
using TextPrinter = std::function<void(QPlainTextEdit* re, QPrinter& printer)>;

// "Печать": with no workbook previewed the printer set-up dialog runs (through
// the interaction) and, on OK, the text box is printed with an empty document
// title; with a workbook previewed, PrintWorkbook on the picked file.
void PrintPreviewed(QWidget* parent, QLabel* ole1, QPlainTextEdit* re, const QString& pickedPath,
                    const workbook::FileOpener& opener, const TextPrinter& printer);

// Opens the workbook's print preview: the desktop's spreadsheet program with
// the file. Raises WorkbookError naming a missing file.
void PrintWorkbook(const QString& path, const workbook::FileOpener& opener);

}  // namespace kelmo
