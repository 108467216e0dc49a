// The phases still to be built: each stops the run at its place.
#include "later_phases.h"

namespace kelmo {

PhaseNotBuilt::PhaseNotBuilt(const QString& phase)
    : std::runtime_error(PhaseNotBuiltLine(phase).toStdString()), phase_(phase) {}

QString PhaseNotBuiltLine(const QString& phase) {
  return QStringLiteral("Работа остановлена перед этапом \"") + phase +
         QStringLiteral("\": этот этап программа пока не выполняет.");
}

void WriteDocumentSet(const ReceptionContext&, int set) {
  static const char* const kSets[] = {"(мест.)", "(иног.)", "(итоговые)"};
  throw PhaseNotBuilt(QStringLiteral("Формирование документов ") +
                      QString::fromUtf8(kSets[set < 0 || set > 2 ? 0 : set]));
}

void SplitByInsurer(const ReceptionContext&) {
  throw PhaseNotBuilt(QStringLiteral("Разделение по страховым компаниям"));
}

}  // namespace kelmo
