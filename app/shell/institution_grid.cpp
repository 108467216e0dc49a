// Flags and marks of the institution grid (see institution_grid.h).
#include "institution_grid.h"

#include <QPainter>
#include <stdexcept>

#include "fb_query.h"

namespace kelmo {

namespace {

int Position(const QStringList& marks, const QString& id, bool* found) {
  int lo = 0, hi = static_cast<int>(marks.size());
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (QString::compare(marks[mid], id, Qt::CaseInsensitive) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  *found = lo < marks.size() && QString::compare(marks[lo], id, Qt::CaseInsensitive) == 0;
  return lo;
}

}  // namespace

QString LpuFlag(int whoDetail, const QVariant& receivedCount, const QVariant& uploadedCount) {
  if (whoDetail == 1) return {};
  const int received = receivedCount.isNull() ? 0 : receivedCount.toInt();
  if (received == 0) return {};
  const int uploaded = uploadedCount.isNull() ? 0 : uploadedCount.toInt();
  if (uploaded == 0) return QStringLiteral("+");
  if (uploaded == received) return QStringLiteral("V");
  return QStringLiteral("V+");
}

bool IsLpuMarked(const QStringList& marks, const QString& id) {
  bool found = false;
  Position(marks, id, &found);
  return found;
}

void AddLpuMark(QStringList& marks, const QString& id) {
  bool found = false;
  const int at = Position(marks, id, &found);
  if (found) throw std::logic_error("String list does not allow duplicates");
  marks.insert(at, id);
}

void ToggleLpuMark(QStringList& marks, const QString& id) {
  bool found = false;
  const int at = Position(marks, id, &found);
  if (found)
    marks.removeAt(at);
  else
    marks.insert(at, id);
}

void MarkLpus(FbQuery& query, QStringList& marks, bool onlyNotUploaded,
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
    if (wanted && !IsLpuMarked(marks, id)) AddLpuMark(marks, id);
    if (repaint) repaint();
  }
  query.Last();
}

void ClearLpuMarks(QStringList& marks, const std::function<void()>& repaint) {
  while (!marks.isEmpty()) {
    marks.removeLast();
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
