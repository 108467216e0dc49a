// The phases of the reception run that this program does not perform yet:
// the documents and the split by insurer. The run calls each where its place
// is; each raises PhaseNotBuilt, and the run then records in the act where it stopped.
#pragma once

#include <QString>
#include <stdexcept>

#include "preliminary_checks.h"
#include "reception_context.h"

namespace kelmo {

// A phase the run reached that is not performed yet. Phase() names it as the
// act says ("Загрузка данных (мест.)" ...).
class PhaseNotBuilt : public std::runtime_error {
 public:
  explicit PhaseNotBuilt(const QString& phase);
  const QString& Phase() const { return phase_; }

 private:
  QString phase_;
};

// The act's line for a run that stopped at such a phase.
QString PhaseNotBuiltLine(const QString& phase);

// The document sets of a formation (0 local, 1 out-of-region, 2 closing).
void WriteDocumentSet(const ReceptionContext& ctx, int set);
// The split of a formation by insurer.
void SplitByInsurer(const ReceptionContext& ctx);

}  // namespace kelmo
