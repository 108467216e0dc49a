// The institution grid's flags and marks: the flag column ("V" every
// received report of the month uploaded, "V+" some, "+" none; empty without
// reports and always for an institution's own installation), the menu actions
// over the marked institutions (`MarkedLpus`, the institutions' IDs as text),
// and the painting of marked rows.
#pragma once

#include <QStringList>
#include <QStyledItemDelegate>
#include <QVariant>
#include <functional>

#include "domain/domain_codes.h"
#include "sorted_text_list.h"

namespace kelmo {

class FbQuery;

// The flag of a grid row (field `flag` of ibqLPU).
QString LpuFlag(WhoDetail whoDetail, const QVariant& receivedCount, const QVariant& uploadedCount);

// Removes the ID from MarkedLpus when marked, adds it otherwise.
void ToggleLpuMark(SortedTextList& marks, const QString& id);

// "Отметить все ЛПУ": walks the query from its first row to its end, marking
// every ID not yet marked, calling repaint after each row; the last row stays
// current. With `onlyNotUploaded` ("Отметить все невыгруженные ЛПУ") only rows
// whose flag (from flagOfRow) is "+" or "V+" are added.
void MarkLpus(FbQuery& query, SortedTextList& marks, bool onlyNotUploaded,
              const std::function<QString()>& flagOfCurrentRow,
              const std::function<void()>& repaint);
// "Снять все отметки": removes the entries from the last to the first, with
// a repaint after each.
void ClearLpuMarks(SortedTextList& marks, const std::function<void()>& repaint);

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
