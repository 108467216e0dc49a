// The hidden "Перерасчёт" button: the recalculation of the stored cases of
// the current institution's report period, its progress on the window's two
// labels, its writes committed when it ends.
#include "main_window.h"
#include "tariff/recalculation.h"
#include "window_run_user.h"

namespace kelmo {

namespace {

// lb1 the rows done, lb2 the rows to do; the labels are repainted at once,
// the run gives the event loop no turn.
class LabelRecalcProgress : public tariff::RecalcProgress {
 public:
  LabelRecalcProgress(QLabel& done, QLabel& toDo) : done_(done), toDo_(toDo) {}
  void ShowRows(int done, int toDo) override {
    done_.setText(QString::number(done));
    toDo_.setText(QString::number(toDo));
    done_.repaint();
    toDo_.repaint();
  }

 private:
  QLabel& done_;
  QLabel& toDo_;
};

}  // namespace

void TfmKelmo::ksg_renameClick() {
  tariff::RecalcInputs in;
  in.LpuId = ibqLPU.FieldByName(QStringLiteral("ID")).toInt();
  in.PeriodStart = PeriodStart;
  WindowRunUser user(this, nullptr, nullptr, {});
  LabelRecalcProgress progress(*lb1, *lb2);
  ibtr.StartTransaction();
  try {
    tariff::RecalculateStoredCases(in, {ibdb, ibtr, user, progress});
  } catch (...) {
    // Half a recalculation is not kept.
    ibtr.Rollback();
    throw;
  }
  ibtr.Commit();
}

}  // namespace kelmo
