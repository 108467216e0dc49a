// Folder and file lists.
#include "folder_lists.h"

#include <QDir>
#include <QFileInfo>

namespace kelmo {

DirectoryList::DirectoryList(QWidget* parent) : QListWidget(parent) {
  connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    setDirectory(QDir(directory_).absoluteFilePath(item->text()));
  });
}

bool DirectoryList::setDirectory(const QString& path) {
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists() || !info.isDir()) return false;
  const QString cleaned = QDir::cleanPath(info.absoluteFilePath());
  if (cleaned == directory_) return true;
  directory_ = cleaned;
  Fill();
  emit directoryChanged(directory_);
  return true;
}

void DirectoryList::Fill() {
  clear();
  const QDir dir(directory_);
  if (!dir.isRoot()) addItem(QStringLiteral(".."));
  addItems(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase));
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {}

void FileList::setMask(const QString& mask) {
  mask_ = mask;
  Fill();
}

void FileList::setDirectory(const QString& path) {
  directory_ = path;
  Fill();
}

QString FileList::fileName() const {
  const QListWidgetItem* item = currentItem();
  if (item == nullptr || directory_.isEmpty()) return {};
  return QDir(directory_).filePath(item->text());
}

void FileList::Fill() {
  clear();
  if (directory_.isEmpty()) return;
  QDir dir(directory_);
  dir.setNameFilters(mask_.split(QLatin1Char(';'), Qt::SkipEmptyParts));
  dir.setFilter(QDir::Files);
  dir.setSorting(QDir::Name | QDir::IgnoreCase);
  addItems(dir.entryList());
}

}  // namespace kelmo
