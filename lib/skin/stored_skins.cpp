#include "skin/stored_skins.h"

namespace kelmo::skin {

int TkStoredSkins::IndexOf(const QString& name) const {
  for (std::size_t i = 0; i < Items.size(); ++i)
    if (Items[i].Name == name) return int(i);
  return -1;
}

}  // namespace kelmo::skin
