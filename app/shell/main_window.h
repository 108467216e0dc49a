// The main window `TfmKelmo` (instance `fmKelmo`): the program's only working
// window. It owns the registry database `ibdb`, its one transaction `ibtr`,
// the institution grid's query `ibqLPU`, and the controls of the report
// period, payment kind, in-patient type, mode and registry folder. Its
// creation handler reads kelmo.ini (writing the commented template when the
// file is missing), connects the registry database by opening the grid,
// writes the start record and reads the template folder.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStringList>
#include <QTableView>
#include <memory>

#include "domain/domain_codes.h"
#include "file_preview.h"
#include "firebird/fb_database.h"
#include "firebird/fb_query.h"
#include "folder_lists.h"
#include "ini_file.h"
#include "kelmo_ini.h"
#include "lpu_grid_model.h"
#include "radio_group.h"
#include "workbook/excel_application.h"

#include "extctl/xt_date_edit.h"
#include "extctl/xt_spin.h"
#include "extctl/xt_splitter.h"
#include "sorted_text_list.h"

namespace kelmo {

class TDM;
class TfmUnCorr;
class TfmPrgs;
class TF_XML_load;
class TfmProp;

// Where the main window finds its files; the program takes them from its
// current folder and its executable, tests from temporary folders.
struct ShellPaths {
  QString startFolder;       // current folder at start: kelmo.ini, default databases
  QString executablePath;    // the running program ("PATH" of the start record)
  QString executableFolder;  // where "Kelmo.ini" with ExcelPath is read
  QString registryScripts;   // db/registry
  QString centralScripts;    // db/central
  // The paths of the running program: current folder, its executable, and the
  // schema scripts beside the executable (bin/db) or in the source tree.
  static ShellPaths ForThisProgram();
};

// The statement of the institution grid (six lines).
extern const QStringList kLpuGridSql;

class TfmKelmo : public QMainWindow {
  Q_OBJECT
 public:
  TfmKelmo(TDM& dm, const ShellPaths& paths, QWidget* parent = nullptr);
  ~TfmKelmo() override;

  // The windows start-up creates after this one; the reception and the
  // settings button show them.
  void SetDialogs(TfmUnCorr* unCorr, TfmPrgs* prgs, TF_XML_load* xmlLoad, TfmProp* prop);

  // The creation handler, steps in their fixed order. A step that fails is
  // shown in the error box (a registry database that cannot be opened gives
  // the driver's message) and the remaining steps still run, so the window
  // stays usable with an empty grid.
  void FormCreate();
  // Closing: disconnects the central segment and the acts database and
  // writes KvillonPath back when the settings dialog changed it.
  void FormClose();
  // Never refuses; with the debug messages on it says so.
  bool FormCloseQuery();
  void FormDeactivate();
  void bbCloseClick();
  // "Найти папку": REPPATH + year + "/" + MM + "_" + year + "/" + the current
  // institution's folder of the in-patient type; "Не найдена папка " + the
  // folder (caption "Ошибка", error icon) when it cannot be entered.
  void bbGoDirClick();
  // "Настройки программы": the settings dialog.
  void btn1Click();
  // "Проверка иногородних": the out-of-region check of the registry folder
  // (out_of_region_check_button.h).
  void btChIngClick();

  // The folder the folder button goes to (the rule above), without checking it.
  QString RegistryFolderForCurrentRow() const;
  // Default root of the registry folders when REPPATH is missing.
  QString BuiltInRepPath() const;
  // Default database paths when IBDBase / CSbase are missing or empty.
  QString BuiltInRegistryDatabase() const;
  QString BuiltInCentralDatabase() const;

  // Closes ibqLPU, sets its parameters from the month shown and the party,
  // opens it and refreshes the grid. Raises DatabaseError.
  void OpenLpuGrid(const QDate& monthStart, int inog);

  // Report period, institution grid and marks, preview and printing, and the
  // case-check services (main_window_services.cpp).
  void WireServices();
  void ComputePeriod();
  QDate PeriodMonthStart() const;
  QDate PeriodMonthEnd() const;
  void cbMonthSelect();
  void seYearChange();
  QString LpuFlagOfRow(int row) const;
  void DBGrid1DblClick();
  // The grid menu's handlers keep the form's names: N1 "Отметить все ЛПУ",
  // N3 "Отметить все невыгруженные ЛПУ", N2 "Снять все отметки".
  void N1Click();
  void N3Click();
  void N2Click();
  // A click in the file list previews the file.
  void flbClick();
  // "Печать": prints the previewed file.
  void BitBtn1Click();
  // "Выгрузить логи": saves the in-memory log.
  void btn3Click();
  // "Перерасчёт" (hidden): the stored cases of the current institution's
  // period costed again beside the stored costs (recalculation_click.cpp).
  void ksg_renameClick();
  void AddCaseError(const QString& prefix, const QString& text, int basisCode, int caseId,
                    QString& result, int kind);
  void AddLogLine(const QString& text, bool clearFirst);
  QString SaveLog(const QString& folder);
  void WriteVersionBanner(const QString& path, int lineIndex);
  bool ClearFolder(const QString& folder);
  // What the registry folder holds (main_window_packages.cpp): true when it
  // was refused. Without a folder, the folder list's.
  bool IdentifyPackages(int mode, bool& XmlPackageMode, bool& PackageConfirmed);
  bool IdentifyPackages(int mode, const QString& folder, bool& XmlPackageMode,
                        bool& PackageConfirmed);
  // "Show" and print preview of workbooks, and text printing; tests replace them.
  workbook::FileOpener Opener;
  TextPrinter Printer;
  QMenu* pmLpu = nullptr;
  QAction* N1 = nullptr;
  QAction* N3 = nullptr;
  QAction* N2 = nullptr;

  // Components.
  FbDatabase ibdb;
  FbTransaction ibtr;
  FbQuery ibqLPU;
  std::unique_ptr<LpuGridModel> lpuModel;

  QComboBox* cbMonth;
  TXtSpinEdit* seYear;
  QPushButton* btn1;
  QPushButton* btnUPL;
  QLabel* lbDKelmo;
  TDateEdit* deDKelmo;
  RadioGroup* rgps;
  QLabel* lbVidOp;
  QComboBox* cbVidOp;
  QPushButton* bbGoDir;
  DirectoryList* dlb;
  FileList* flb;
  QLabel* lbFullPath;
  QPlainTextEdit* re;
  QLabel* Ole1;
  RadioGroup* rgStac;
  QCheckBox* ch_OperAnaliz;
  QCheckBox* cbWind;
  QPushButton* bbKelmo;
  QPushButton* obKelmo;
  QPushButton* btChIng;
  QPushButton* BitBtn1;
  QPushButton* btn3;
  QPushButton* bbClose;
  QPushButton* ksg_rename;
  QLabel* lb1;
  QLabel* lb2;
  QLabel* lbBase;
  QLabel* lbase;
  QTableView* DBGrid1;
  TXtSplitter* Splitter1;
  TXtSplitter* Splitter2;

  // Fields the creation handler sets.
  kelmo::WhoDetail WhoDetail;
  SortedTextList MarkedLpus;
  bool MultiSelectLpus = false;
  bool MainFormReady = false;
  QDate PeriodStart;
  QDate PeriodEnd;
  // The settings file opened at start (kelmo.ini of the start folder).
  std::unique_ptr<IniFile> SettingsIni;
  // What the creation handler read from it.
  StartConfig Config;
  // The form's own caption, before the version is added.
  static QString FormCaption();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ReopenLpuGridForChosenMonth();
  void MarkLpuRows(bool onlyNotUploaded);
  void CreateComponents();
  void CreateStandInControls();
  void LayOut();

  TDM& dm_;
  ShellPaths paths_;
  TfmUnCorr* fmUnCorr_ = nullptr;
  TfmPrgs* fmPrgs_ = nullptr;
  TF_XML_load* F_XML_load_ = nullptr;
  TfmProp* fmProp_ = nullptr;
  bool closed_ = false;
  bool showingDebugMessage_ = false;
};

}  // namespace kelmo
