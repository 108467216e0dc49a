// The main window's folder list (`dlb`) and file list (`flb`): the folder
// list shows the current folder's sub-folders and enters one on a double
// click; the file list shows the files of a folder that match a mask of
// "*.txt;*.dbf" form, compared without regard to case.
#pragma once

#include <QListWidget>
#include <QString>

namespace kelmo {

class DirectoryList : public QListWidget {
  Q_OBJECT
 public:
  explicit DirectoryList(QWidget* parent = nullptr);
  // The folder shown, absolute, without a trailing separator.
  const QString& directory() const { return directory_; }
  // Changes to the folder; false, and nothing changes, when it does not exist.
  bool setDirectory(const QString& path);

 signals:
  void directoryChanged(const QString& path);

 private:
  void Fill();
  QString directory_;
};

class FileList : public QListWidget {
  Q_OBJECT
 public:
  explicit FileList(QWidget* parent = nullptr);
  void setMask(const QString& mask);
  const QString& mask() const { return mask_; }
  void setDirectory(const QString& path);
  const QString& directory() const { return directory_; }
  // Full path of the picked file, or empty.
  QString fileName() const;

 private:
  void Fill();
  QString mask_ = QStringLiteral("*.*");
  QString directory_;
};

}  // namespace kelmo
