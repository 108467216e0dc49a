// Filling the payment list.
#include "pay_kinds.h"

#include <QComboBox>

#include "domain/domain_codes.h"

namespace kelmo {

void FillPayKinds(QComboBox& cbVidOp) {
  cbVidOp.clear();
  cbVidOp.addItems(PayKindListTexts());
  cbVidOp.setCurrentIndex(0);
}

}  // namespace kelmo
