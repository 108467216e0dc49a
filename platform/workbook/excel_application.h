// ExcelApplication: what the program's documents did through the spreadsheet
// application's automation object, done on files. It holds the open
// workbooks (WorkBooks), the active one (ActiveWorkBook) and its active sheet
// (the target of Cells), and keeps the application's switches (DisplayAlerts,
// Visible), which have nothing to show or ask here.
//
// Errors: WorkbookError as the workbook layer raises them; any call after
// Quit raises WorkbookError "Приложение Excel закрыто", as a released
// automation object would fail; ActiveWorkbook without an open workbook
// raises WorkbookError "Нет открытой книги".
//
// "Show" and print preview open a saved file with the desktop's default
// program through a FileOpener; tests pass one that only records the name.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "workbook.h"

namespace kelmo::workbook {

// Opens a file with the program that the desktop associates with its type.
using FileOpener = std::function<void(const std::string& path)>;
// The desktop's opener: xdg-open, started and not waited for. Raises
// WorkbookError "Не удалось открыть файл <path>" when it cannot be started.
FileOpener DesktopOpener();

class ExcelApplication {
 public:
  ExcelApplication() = default;
  ExcelApplication(const ExcelApplication&) = delete;
  ExcelApplication& operator=(const ExcelApplication&) = delete;

  // WorkBooks.Open: opens a file, which becomes the active workbook.
  Workbook& Open(const std::string& path);
  // WorkBooks.Add: a new workbook, which becomes the active one.
  Workbook& Add();
  Workbook& ActiveWorkbook();
  // ActiveSheet: the active sheet of the active workbook.
  Worksheet& ActiveSheet() { return ActiveWorkbook().ActiveSheet(); }
  size_t WorkbookCount() const { return workbooks_.size(); }

  // ActiveWorkBook.SaveAs.
  void SaveActiveAs(const std::string& path) { ActiveWorkbook().SaveAs(path); }
  // WorkBooks.Close: closes every open workbook without saving.
  void CloseAll();
  // Quit: closes every workbook; the object cannot be used afterwards.
  void Quit();
  bool HasQuit() const { return quit_; }

  bool DisplayAlerts() const { return displayAlerts_; }
  void SetDisplayAlerts(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);

 private:
  void CheckAlive() const;
  std::vector<std::unique_ptr<Workbook>> workbooks_;
  bool displayAlerts_ = true;
  bool visible_ = false;
  bool quit_ = false;
};

// Show / print preview of a saved workbook: opens it with `opener`.
void ShowWorkbook(const std::string& path, const FileOpener& opener);

}  // namespace kelmo::workbook
