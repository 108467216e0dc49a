// Preview and printing of the main window's picked file (see file_preview.h).
#include "file_preview.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringDecoder>

#include "interact/interaction.h"
#include "workbook/workbook.h"
#include "workbook/workbook_error.h"

namespace kelmo {

namespace {

constexpr int kPreviewRows = 40;
constexpr int kPreviewColumns = 12;

QString DecodeText(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) return text;
  return QStringDecoder("windows-1251").decode(bytes);
}

QString WorkbookHtml(const QString& path) {
  try {
    auto book = workbook::Workbook::Open(path.toStdString());
    workbook::Worksheet& sheet = book->ActiveSheet();
    const int rows = std::min(sheet.LastRow(), kPreviewRows);
    const int columns = std::min(sheet.LastColumn(), kPreviewColumns);
    QString html =
        QStringLiteral("<b>%1</b><table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">")
            .arg(QFileInfo(path).fileName().toHtmlEscaped());
    for (int r = 1; r <= rows; ++r) {
      html += QStringLiteral("<tr>");
      for (int c = 1; c <= columns; ++c)
        html += QStringLiteral("<td>") + QString::fromStdString(sheet.Text(r, c)).toHtmlEscaped() +
                QStringLiteral("</td>");
      html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
  } catch (const workbook::WorkbookError& e) {
    return QString::fromStdString(e.what()).toHtmlEscaped();
  }
}

}  // namespace

PreviewAction PreviewActionFor(const QString& fileName) {
  const QString suffix = QFileInfo(fileName).suffix().toUpper();
  if (suffix == QLatin1String("XLS") || suffix == QLatin1String("XLSX"))
    return PreviewAction::Workbook;
  if (suffix == QLatin1String("TXT") || suffix == QLatin1String("PRN")) return PreviewAction::Text;
  if (suffix == QLatin1String("DBF")) return PreviewAction::ClearText;
  return PreviewAction::None;
}

void PreviewFile(const QString& path, QPlainTextEdit* re, QLabel* ole1) {
  const PreviewAction action = PreviewActionFor(path);
  if (action == PreviewAction::Workbook) {
    ole1->setTextFormat(Qt::RichText);
    ole1->setText(WorkbookHtml(path));
    ole1->setProperty("previewedFile", path);
    ole1->show();
    ole1->raise();
  } else {
    ole1->hide();
  }
  if (action == PreviewAction::Text) {
    QFile file(path);
    re->setPlainText(file.open(QIODevice::ReadOnly) ? DecodeText(file.readAll()) : QString());
  } else if (action == PreviewAction::ClearText) {
    re->clear();
  }
}

void PrintPreviewed(QWidget* parent, QLabel* ole1, QPlainTextEdit* re, const QString& pickedPath,
                    const workbook::FileOpener& opener, const TextPrinter& printer) {
  if (ole1->isHidden()) {
    QPrinter target;
    QPrintDialog dialog(&target, parent);
    dialog.setObjectName(QStringLiteral("PrinterSetupDialog1"));
    if (!Interact().RunModal(dialog)) return;
    target.setDocName(QString());
    if (printer)
      printer(re, target);
    else
      re->print(&target);
    return;
  }
  PrintWorkbook(pickedPath, opener);
}

void PrintWorkbook(const QString& path, const workbook::FileOpener& opener) {
  workbook::ShowWorkbook(path.toStdString(), opener ? opener : workbook::DesktopOpener());
}

}  // namespace kelmo
