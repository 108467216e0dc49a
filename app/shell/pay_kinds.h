// The payment kinds of the main window's payment list.
#pragma once

class QComboBox;

namespace kelmo {

// Empties the list, adds the payment kinds in their order (PayKindListTexts)
// and selects the first. The item index gives the kind (PayKindOfListIndex).
void FillPayKinds(QComboBox& cbVidOp);

}  // namespace kelmo
