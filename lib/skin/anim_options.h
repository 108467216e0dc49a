// Option objects of the skin manager: the animations the skinning library
// plays (switches and durations) and, for 18 control categories, the class
// names of other makers' controls that are skinned with a window wrapper.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "skin/skin_data.h"

namespace kelmo::skin {

enum TkaBtnEvent : std::uint8_t {
  beMouseEnter = 1,
  beMouseLeave = 2,
  beMouseDown = 4,
  beMouseUp = 8
};

struct TkaBtnEffects {
  std::uint8_t Events = beMouseEnter | beMouseLeave | beMouseDown | beMouseUp;
};

struct TkaFormAnimation {
  bool Active = true;
  std::uint16_t Time = 0;
};

struct TkaAnimEffects {
  TkaBtnEffects Buttons;
  TkaFormAnimation DialogShow;
  TkaFormAnimation FormShow;
  TkaFormAnimation PageChange;
  TkaFormAnimation SkinChanging{true, 100};
};

// The 18 class-name texts, one name a line, by category index.
class ThirdPartyList {
 public:
  ThirdPartyList();
  // The text of a category; an index outside 0..17 leaves `text` as it was.
  void GetListText(int index, QString& text) const;
  // An index outside 0..17 is ignored.
  void SetListText(int index, const QString& text);

 private:
  std::array<QString, kThirdPartyCount> texts_;
};

// Each category's list from its text: an empty text (or every text, with
// `reset`) first gets its default back.
void UpdateThirdPartyLists(ThirdPartyList& third, std::array<QStringList, kThirdPartyCount>& lists,
                           bool reset);
// The texts written back from the lists.
void StoreThirdPartyLists(ThirdPartyList& third,
                          const std::array<QStringList, kThirdPartyCount>& lists);

}  // namespace kelmo::skin
