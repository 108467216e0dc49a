// The main window's handlers of the report period, the institution grid and
// its marks, the preview and printing, and the case-check services: thin
// wiring over report_period, institution_grid, file_preview and case_errors.
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QMenu>

#include "domain/case_data.h"
#include "domain/case_errors.h"
#include "domain/common.h"
#include "domain/report_period.h"
#include "domain/run_state.h"
#include "error_box.h"
#include "file_preview.h"
#include "institution_grid.h"
#include "main_window.h"
#include "progress_window.h"

namespace kelmo {

void TfmKelmo::WireServices() {
  Opener = workbook::DesktopOpener();
  lpuModel->setFlagFunction([this](int row) { return LpuFlagOfRow(row); });
  DBGrid1->setItemDelegate(new MarkedLpuDelegate(
      [this](int row) {
        return MarkedLpus.Contains(ibqLPU.Value(row, QStringLiteral("ID")).toString());
      },
      DBGrid1));
  pmLpu = new QMenu(DBGrid1);
  N1 = pmLpu->addAction(QStringLiteral("Отметить все ЛПУ"));
  N3 = pmLpu->addAction(QStringLiteral("Отметить все невыгруженные ЛПУ"));
  N2 = pmLpu->addAction(QStringLiteral("Снять все отметки"));
  DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(DBGrid1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { pmLpu->popup(DBGrid1->viewport()->mapToGlobal(at)); });
  connect(N1, &QAction::triggered, this, [this] { N1Click(); });
  connect(N3, &QAction::triggered, this, [this] { N3Click(); });
  connect(N2, &QAction::triggered, this, [this] { N2Click(); });
  connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] { DBGrid1DblClick(); });
  connect(cbMonth, &QComboBox::activated, this,
          [this] { RunGuarded([this] { cbMonthSelect(); }); });
  connect(seYear, &TXtCustomSpinEdit::Change, this,
          [this] { RunGuarded([this] { seYearChange(); }); });
  connect(flb, &QListWidget::itemClicked, this, [this] { RunGuarded([this] { flbClick(); }); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { RunGuarded([this] { BitBtn1Click(); }); });
  connect(btn3, &QPushButton::clicked, this, [this] { btn3Click(); });
}

// --- report period

void TfmKelmo::ComputePeriod() {
  const ReportPeriod p =
      ComputeReportPeriod(cbMonth->currentIndex() + 1, seYear->text(), TheRunState().PayKind,
                          ibqLPU.FieldByName(QStringLiteral("ID")).toInt());
  PeriodStart = p.start;
  PeriodEnd = p.end;
}

QDate TfmKelmo::PeriodMonthStart() const {
  return PeriodMonthStartOf(PeriodStart);
}

QDate TfmKelmo::PeriodMonthEnd() const {
  return PeriodMonthEndOf(PeriodEnd);
}

void TfmKelmo::ReopenLpuGridForChosenMonth() {
  const int year = ReportYearFromText(seYear->text());
  OpenLpuGrid(QDate(year, cbMonth->currentIndex() + 1, 1), WhoDetail.IsFund() ? 1 : 0);
}

void TfmKelmo::cbMonthSelect() {
  if (WhoDetail.IsInstitution()) return;
  ReopenLpuGridForChosenMonth();
}

void TfmKelmo::seYearChange() {
  if (WhoDetail.IsInstitution() || !MainFormReady) return;
  // The grid stays closed until the year text is a valid year again.
  ibqLPU.Close();
  lpuModel->Reload();
  ReopenLpuGridForChosenMonth();
}

// --- institution grid

QString TfmKelmo::LpuFlagOfRow(int row) const {
  return LpuFlag(WhoDetail, ibqLPU.Value(row, QStringLiteral("R_CNT")),
                 ibqLPU.Value(row, QStringLiteral("UPL_CNT")));
}

void TfmKelmo::DBGrid1DblClick() {
  if (!MultiSelectLpus || ibqLPU.Eof()) return;
  ToggleLpuMark(MarkedLpus, ibqLPU.FieldByName(QStringLiteral("ID")).toString());
  DBGrid1->viewport()->update();
}

void TfmKelmo::MarkLpuRows(bool onlyNotUploaded) {
  MarkLpus(
      ibqLPU, MarkedLpus, onlyNotUploaded, [this] { return LpuFlagOfRow(ibqLPU.RecNo()); },
      [this] { DBGrid1->viewport()->repaint(); });
  // The walk ends on the last institution, which becomes the grid's current row.
  if (ibqLPU.RecordCount() > 0) DBGrid1->setCurrentIndex(lpuModel->index(ibqLPU.RecNo(), 0));
}

void TfmKelmo::N1Click() {
  MarkLpuRows(false);
}

void TfmKelmo::N3Click() {
  MarkLpuRows(true);
}

void TfmKelmo::N2Click() {
  ClearLpuMarks(MarkedLpus, [this] { DBGrid1->viewport()->repaint(); });
}

// --- preview and printing

void TfmKelmo::flbClick() {
  const QString path = flb->fileName();
  if (!path.isEmpty()) PreviewFile(path, re, Ole1);
}

void TfmKelmo::BitBtn1Click() {
  PrintPreviewed(this, Ole1, re, flb->fileName(), Opener, Printer);
}

void TfmKelmo::btn3Click() {
  SaveLog(QString());
}

// --- case errors, log and banner

void TfmKelmo::AddCaseError(const QString& prefix, const QString& text, int basisCode, int caseId,
                            QString& result, int kind) {
  kelmo::AddCaseError(TheRunState().CaseErrors, prefix, text, basisCode, caseId, result, kind);
}

void TfmKelmo::AddLogLine(const QString& text, bool clearFirst) {
  TheRunState().Log.AddLine(text, clearFirst);
}

QString TfmKelmo::SaveLog(const QString& folder) {
  return TheRunState().Log.Save(folder, QCoreApplication::applicationDirPath(),
                                QDateTime::currentDateTime());
}

void TfmKelmo::WriteVersionBanner(const QString& path, int lineIndex) {
  const RunState& state = TheRunState();
  kelmo::WriteVersionBanner(path, lineIndex, state.CurrentExprVer, state.PackageExprVer,
                            rgps->itemIndex() == 0);
}

bool TfmKelmo::ClearFolder(const QString& folder) {
  return ClearFolderTree(folder);
}

}  // namespace kelmo
