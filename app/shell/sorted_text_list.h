// A sorted list of texts that refuses duplicates, as the main window keeps
// the ids of the marked institutions (`MarkedLpus`). Texts are compared
// without regard to case. Look-up is a binary search; insertion and removal
// move the later entries.
#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace kelmo {

class SortedTextList {
 public:
  // The text's index, or -1.
  int IndexOf(const QString& text) const;
  bool Contains(const QString& text) const { return IndexOf(text) >= 0; }
  // Inserts in sorted place; a text already there raises std::logic_error
  // "List does not allow duplicates" (callers look it up first).
  int Add(const QString& text);
  // Removes the entry at the index; an index out of range raises
  // std::out_of_range "List index out of bounds (<index>)".
  void Delete(int index);
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  const QString& At(int index) const;
  const QStringList& Items() const { return items_; }

 private:
  // Index of the first entry not less than the text.
  int LowerBound(const QString& text) const;
  QStringList items_;
};

}  // namespace kelmo
