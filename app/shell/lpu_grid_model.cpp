// The institution grid's model.
#include "lpu_grid_model.h"

#include <QColor>
#include <QFont>

namespace kelmo {

LpuGridModel::LpuGridModel(FbQuery& query, QObject* parent)
    : QAbstractTableModel(parent), query_(query) {}

void LpuGridModel::Reload() {
  beginResetModel();
  endResetModel();
}

int LpuGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !query_.Active() ? 0 : query_.RecordCount();
}

int LpuGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 3;
}

QVariant LpuGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !query_.Active()) return {};
  if (role == Qt::DisplayRole) {
    switch (index.column()) {
      case 0:
        return query_.Value(index.row(), QStringLiteral("ID"));
      case 1:
        return query_.Value(index.row(), QStringLiteral("NAME"));
      case 2:
        return flagOf_ ? flagOf_(index.row()) : QString();
    }
  }
  if (index.column() == 2) {
    if (role == Qt::FontRole) {
      QFont font;
      font.setBold(true);
      return font;
    }
    if (role == Qt::ForegroundRole) return QColor(Qt::darkGray);
  }
  return {};
}

QVariant LpuGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case 0:
      return QStringLiteral("Код");
    case 1:
      return QStringLiteral("ЛПУ");
    default:
      return QString();
  }
}

}  // namespace kelmo
