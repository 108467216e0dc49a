// The institution grid's flags and marks: the flag column ("V" every
// received report of the month uploaded, "V+" some, "+" none; empty without
// reports and always for an institution's own installation), the sorted list
// of marked institutions (`MarkedLpus`, the institutions' IDs as text) with
// its three menu actions, and the painting of marked rows.
#pragma once

#include <QStringList>
#include <QStyledItemDelegate>
#include <QVariant>
#include <functional>

namespace kelmo {

class FbQuery;

// The flag of a grid row (field `flag` of ibqLPU).
QString LpuFlag(int whoDetail, const QVariant& receivedCount, const QVariant& uploadedCount);

// MarkedLpus is kept sorted, without regard to case, and without doubles:
// adding an ID that is there raises std::logic_error
// "String list does not allow duplicates", so callers look it up first.
bool IsLpuMarked(const QStringList& marks, const QString& id);
void AddLpuMark(QStringList& marks, const QString& id);
// Removes the ID when marked, adds it otherwise.
void ToggleLpuMark(QStringList& marks, const QString& id);

// "Отметить все ЛПУ": walks the query from its first row to its end, marking
// every ID not yet marked, calling repaint after each row; the last row stays
// current. With `onlyNotUploaded` ("Отметить все невыгруженные ЛПУ") only rows
// whose flag (from flagOfRow) is "+" or "V+" are added.
void MarkLpus(FbQuery& query, QStringList& marks, bool onlyNotUploaded,
              const std::function<QString()>& flagOfCurrentRow,
              const std::function<void()>& repaint);
// "Снять все отметки": removes the entries from the last to the first, with
// a repaint after each.
void ClearLpuMarks(QStringList& marks, const std::function<void()>& repaint);

// Paints the cells of marked rows sky blue (RGB 166, 202, 240) with the
// display text in white, 2 pixels right of and below the cell's corner;
// other cells as the view paints them.
class MarkedLpuDelegate : public QStyledItemDelegate {
 public:
  MarkedLpuDelegate(std::function<bool(int row)> isMarked, QObject* parent = nullptr)
      : QStyledItemDelegate(parent), isMarked_(std::move(isMarked)) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  std::function<bool(int row)> isMarked_;
};

}  // namespace kelmo
