// The institution grid's columns over the rows of `ibqLPU`: "Код" (ID),
// "ЛПУ" (NAME) and the flag column with a blank title, all read-only. The
// flag text comes from a function the grid's owner sets (empty without one).
#pragma once

#include <QAbstractTableModel>
#include <functional>

#include "firebird/fb_query.h"

namespace kelmo {

class LpuGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit LpuGridModel(FbQuery& query, QObject* parent = nullptr);

  // Call after the query was opened or closed.
  void Reload();
  void setFlagFunction(std::function<QString(int row)> flagOf) { flagOf_ = std::move(flagOf); }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  FbQuery& query_;
  std::function<QString(int row)> flagOf_;
};

}  // namespace kelmo
