// A component that belongs to a control: it records its control (not
// owned), answers it as its parent component, and when it goes away while
// it still has one, asks that control to forget it. Also the controls
// module's start-up and close-down.
#pragma once

#include <memory>
#include <string_view>
#include <type_traits>

#include "lookandfeel/le_classes.h"

namespace kelmo::le {

class TleControlChildComponent;

// A control that lists child components. What it does when told to forget
// one is its own affair.
class TleChildComponentControl : public TComponent {
 public:
  using TComponent::TComponent;
  virtual void ForgetChildComponent(TleControlChildComponent& component) = 0;
};

class TleControlChildComponent : public TleComponent {
 public:
  // The framework's construction; Create runs the initialisation after it.
  explicit TleControlChildComponent(TComponent* owner) : TleComponent(owner) {}
  ~TleControlChildComponent() override;
  TleControlChildComponent(const TleControlChildComponent&) = delete;
  TleControlChildComponent& operator=(const TleControlChildComponent&) = delete;

  // Made with an owner, then initialised (a descendant's own initialisation
  // runs once the object is whole).
  template <typename T = TleControlChildComponent>
  static std::unique_ptr<T> Create(TComponent* owner) {
    static_assert(std::is_base_of_v<TleControlChildComponent, T>);
    auto c = std::make_unique<T>(owner);
    c->Initialize();
    return c;
  }
  // Made for a control: owned by the control's owner when takeControlsOwner,
  // by nothing otherwise; then the control is recorded.
  template <typename T = TleControlChildComponent>
  static std::unique_ptr<T> CreateForControl(TleChildComponentControl* control,
                                             bool takeControlsOwner) {
    auto c = Create<T>(takeControlsOwner && control ? control->Owner() : nullptr);
    c->SetControl(control);
    return c;
  }

  bool IsDestroying() const { return Destroying(); }
  TleChildComponentControl* Control() const { return control_; }
  virtual void SetControl(TleChildComponentControl* control) { control_ = control; }

  // The parent-component queries answer the control.
  TComponent* GetParentComponent() const { return control_; }
  bool HasParent() const { return control_ != nullptr; }
  // Setting the parent component does not change the control.
  virtual void SetParentComponent(TComponent*) {}

 protected:
  // Runs right after construction through Create; empty here.
  virtual void Initialize() {}

 private:
  TleChildComponentControl* control_ = nullptr;
};

// The controls module: start-up registers TleControlChildComponent with the
// class group of controls; close-down frees the shared message window when
// it was made and drops the registration. Each runs once.
void StartControlsModule();
void StopControlsModule();
bool IsControlClassRegistered(std::string_view className);

}  // namespace kelmo::le
