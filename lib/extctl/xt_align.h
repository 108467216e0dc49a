// Edge alignment of child widgets, as the splitter needs it: a widget aligned
// to the top keeps its height and takes the full width, one aligned to the
// left keeps its width and takes the full height, the client-aligned one
// takes what is left. The alignment is a property of the widget; the layout
// arranges a parent's aligned children (top, bottom, left, right, then
// client, each group in the order the widgets were added).
#pragma once

#include <QLayout>
#include <memory>
#include <vector>

class QWidget;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

TAlign ControlAlign(const QWidget* widget);
// Sets the property and re-arranges the parent's layout when it is a
// TXtAlignLayout.
void SetControlAlign(QWidget* widget, TAlign align);
// Re-arranges the aligned children of a parent with a TXtAlignLayout.
void RealignChildren(QWidget* parent);

class TXtAlignLayout : public QLayout {
  Q_OBJECT
 public:
  explicit TXtAlignLayout(QWidget* parent = nullptr);
  ~TXtAlignLayout() override;

  void addItem(QLayoutItem* item) override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  int count() const override;
  QSize sizeHint() const override;
  QSize minimumSize() const override;
  void setGeometry(const QRect& rect) override;

 private:
  std::vector<std::unique_ptr<QLayoutItem>> items_;
};
