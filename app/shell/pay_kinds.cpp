// Filling the payment list.
#include "pay_kinds.h"

#include <QComboBox>

namespace kelmo {

void FillPayKinds(QComboBox& cbVidOp) {
  cbVidOp.clear();
  cbVidOp.addItems({QStringLiteral("ОМС"), QStringLiteral("бюджет"),
                    QStringLiteral("платные услуги"), QStringLiteral("ДМС"),
                    QStringLiteral("другое"), QStringLiteral("ВМП"),
                    QStringLiteral("Реабилитация")});
  cbVidOp.setCurrentIndex(0);
}

}  // namespace kelmo
