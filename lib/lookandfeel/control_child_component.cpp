// The control's child component and the controls module.
#include "lookandfeel/control_child_component.h"

#include <algorithm>
#include <string>
#include <vector>

#include "lookandfeel/message_window.h"

namespace kelmo::le {
namespace {

std::vector<std::string>& ControlClasses() {
  static std::vector<std::string> classes;
  return classes;
}

}  // namespace

TleControlChildComponent::~TleControlChildComponent() {
  if (control_) control_->ForgetChildComponent(*this);
}

void StartControlsModule() {
  if (IsControlClassRegistered("TleControlChildComponent")) return;
  ControlClasses().emplace_back("TleControlChildComponent");
}

void StopControlsModule() {
  if (SharedMessageWindowExists()) FreeSharedMessageWindow();
  std::erase(ControlClasses(), "TleControlChildComponent");
}

bool IsControlClassRegistered(std::string_view className) {
  const auto& c = ControlClasses();
  return std::find(c.begin(), c.end(), className) != c.end();
}

}  // namespace kelmo::le
