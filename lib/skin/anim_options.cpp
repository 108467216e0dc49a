#include "skin/anim_options.h"

#include <QRegularExpression>

namespace kelmo::skin {

ThirdPartyList::ThirdPartyList() {
  for (int i = 0; i < kThirdPartyCount; ++i) texts_[std::size_t(i)] = kThirdPartyDefaults[i];
}

void ThirdPartyList::GetListText(int index, QString& text) const {
  if (index >= 0 && index < kThirdPartyCount) text = texts_[std::size_t(index)];
}

void ThirdPartyList::SetListText(int index, const QString& text) {
  if (index >= 0 && index < kThirdPartyCount) texts_[std::size_t(index)] = text;
}

void UpdateThirdPartyLists(ThirdPartyList& third, std::array<QStringList, kThirdPartyCount>& lists,
                           bool reset) {
  for (int i = 0; i < kThirdPartyCount; ++i) {
    QString text;
    third.GetListText(i, text);
    if (reset || text.isEmpty()) {
      text = QLatin1String(kThirdPartyDefaults[std::size_t(i)]);
      third.SetListText(i, text);
    }
    // The framework's list text: lines split at line breaks, a last break
    // adding no line.
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    lists[std::size_t(i)] = lines;
  }
}

void StoreThirdPartyLists(ThirdPartyList& third,
                          const std::array<QStringList, kThirdPartyCount>& lists) {
  for (int i = 0; i < kThirdPartyCount; ++i) {
    QString text;
    for (const QString& line : lists[std::size_t(i)]) text += line + QStringLiteral("\r\n");
    third.SetListText(i, text);
  }
}

}  // namespace kelmo::skin
