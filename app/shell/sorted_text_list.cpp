// Sorted text list without duplicates.
#include "sorted_text_list.h"

#include <string>

namespace kelmo {
namespace {

[[noreturn]] void OutOfBounds(int index) {
  throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

int SortedTextList::LowerBound(const QString& text) const {
  int low = 0;
  int high = Count();
  while (low < high) {
    const int middle = (low + high) / 2;
    if (items_.at(middle).compare(text, Qt::CaseInsensitive) < 0)
      low = middle + 1;
    else
      high = middle;
  }
  return low;
}

int SortedTextList::IndexOf(const QString& text) const {
  const int at = LowerBound(text);
  if (at < Count() && items_.at(at).compare(text, Qt::CaseInsensitive) == 0) return at;
  return -1;
}

int SortedTextList::Add(const QString& text) {
  const int at = LowerBound(text);
  if (at < Count() && items_.at(at).compare(text, Qt::CaseInsensitive) == 0)
    throw std::logic_error("List does not allow duplicates");
  items_.insert(at, text);
  return at;
}

void SortedTextList::Delete(int index) {
  if (index < 0 || index >= Count()) OutOfBounds(index);
  items_.removeAt(index);
}

const QString& SortedTextList::At(int index) const {
  if (index < 0 || index >= Count()) OutOfBounds(index);
  return items_.at(index);
}

}  // namespace kelmo
