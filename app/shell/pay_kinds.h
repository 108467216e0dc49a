// The payment kinds of the main window's payment list.
#pragma once

class QComboBox;

namespace kelmo {

// Empties the list, adds "ОМС", "бюджет", "платные услуги", "ДМС", "другое",
// "ВМП", "Реабилитация" in this order and selects the first. The item index
// plus one is the payment kind.
void FillPayKinds(QComboBox& cbVidOp);

}  // namespace kelmo
