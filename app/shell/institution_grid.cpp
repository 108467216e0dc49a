// Flags and marks of the institution grid (see institution_grid.h).
#include "institution_grid.h"

#include <QPainter>

#include "firebird/fb_query.h"

namespace kelmo {

QString LpuFlag(WhoDetail whoDetail, const QVariant& receivedCount, const QVariant& uploadedCount) {
  if (whoDetail.IsInstitution()) return {};
  const int received = receivedCount.isNull() ? 0 : receivedCount.toInt();
  if (received == 0) return {};
  const int uploaded = uploadedCount.isNull() ? 0 : uploadedCount.toInt();
  if (uploaded == 0) return QStringLiteral("+");
  if (uploaded == received) return QStringLiteral("V");
  return QStringLiteral("V+");
}

void ToggleLpuMark(SortedTextList& marks, const QString& id) {
  const int at = marks.IndexOf(id);
  if (at >= 0)
    marks.Delete(at);
  else
    marks.Add(id);
}

void MarkLpus(FbQuery& query, SortedTextList& marks, bool onlyNotUploaded,
              const std::function<QString()>& flagOfCurrentRow,
              const std::function<void()>& repaint) {
  if (query.RecordCount() == 0) return;
  for (query.First(); !query.Eof(); query.Next()) {
    const QString id = query.FieldByName(QStringLiteral("ID")).toString();
    bool wanted = true;
    if (onlyNotUploaded) {
      const QString flag = flagOfCurrentRow ? flagOfCurrentRow() : QString();
      wanted = flag == QLatin1String("+") || flag == QLatin1String("V+");
    }
    if (wanted && !marks.Contains(id)) marks.Add(id);
    if (repaint) repaint();
  }
  query.Last();
}

void ClearLpuMarks(SortedTextList& marks, const std::function<void()>& repaint) {
  while (marks.Count() > 0) {
    marks.Delete(marks.Count() - 1);
    if (repaint) repaint();
  }
}

void MarkedLpuDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  if (!isMarked_ || !isMarked_(index.row())) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  painter->save();
  painter->fillRect(option.rect, QColor(166, 202, 240));
  painter->setPen(Qt::white);
  painter->setFont(option.font);
  const QString text = index.data(Qt::DisplayRole).toString();
  const QRect r = option.rect.adjusted(2, 2, 0, 0);
  painter->drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
  painter->restore();
}

}  // namespace kelmo
