// The main window's buttons that start a run (the reception, the combined
// report, the upload of all marked institutions, the out-of-region check):
// disabled while one of them works, so that no run starts inside another
// (runs share the progress window and the process-wide run state).
#pragma once

namespace kelmo {

class TfmKelmo;

// Disables the buttons for its lifetime; they are enabled again however the
// run ends.
class RunControlsDisabled {
 public:
  explicit RunControlsDisabled(TfmKelmo& window);
  ~RunControlsDisabled();
  RunControlsDisabled(const RunControlsDisabled&) = delete;
  RunControlsDisabled& operator=(const RunControlsDisabled&) = delete;

 private:
  void Set(bool on);
  TfmKelmo& w_;
};

}  // namespace kelmo
