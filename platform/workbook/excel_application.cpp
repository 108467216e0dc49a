// The automation-shaped front of the workbook layer (see excel_application.h).
#include "excel_application.h"

#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>

#include "workbook_error.h"

extern char** environ;

namespace kelmo::workbook {

void ExcelApplication::CheckAlive() const {
  if (quit_) throw WorkbookError("Приложение Excel закрыто");
}

Workbook& ExcelApplication::Open(const std::string& path) {
  CheckAlive();
  workbooks_.push_back(Workbook::Open(path));
  return *workbooks_.back();
}

Workbook& ExcelApplication::Add() {
  CheckAlive();
  workbooks_.push_back(Workbook::Create());
  return *workbooks_.back();
}

Workbook& ExcelApplication::ActiveWorkbook() {
  CheckAlive();
  if (workbooks_.empty()) throw WorkbookError("Нет открытой книги");
  return *workbooks_.back();
}

void ExcelApplication::CloseAll() {
  CheckAlive();
  workbooks_.clear();
}

void ExcelApplication::Quit() {
  workbooks_.clear();
  quit_ = true;
}

void ExcelApplication::SetDisplayAlerts(bool value) {
  CheckAlive();
  displayAlerts_ = value;
}

void ExcelApplication::SetVisible(bool value) {
  CheckAlive();
  visible_ = value;
}

FileOpener DesktopOpener() {
  return [](const std::string& path) {
    const std::string program = "xdg-open";
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(path.c_str()),
                            nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
      throw WorkbookError("Не удалось открыть файл " + path);
    // xdg-open hands the file over and returns; reap it so no zombie stays.
    int status = 0;
    waitpid(pid, &status, 0);
  };
}

void ShowWorkbook(const std::string& path, const FileOpener& opener) {
  if (!std::filesystem::exists(path)) throw WorkbookError("Файл не найден: " + path);
  if (opener) opener(path);
}

}  // namespace kelmo::workbook
