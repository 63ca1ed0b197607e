#include "shelltree/shell_dependents.h"

#include <algorithm>

#include "shellcore/shell_messages.h"

namespace shelltree {

void TcxShellDependentControl::FreeNotification(TcxShellDependentControl* watcher) {
  if (watcher && std::find(watchers_.begin(), watchers_.end(), watcher) == watchers_.end())
    watchers_.push_back(watcher);
}

void TcxShellDependentControl::RemoveFreeNotification(TcxShellDependentControl* watcher) {
  watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), watcher), watchers_.end());
}

void TcxShellDependentControl::NotifyWatchersOfEnd() {
  // A copy: a watcher unlinks itself, and so leaves the list, while told.
  const std::vector<TcxShellDependentControl*> watchers = watchers_;
  watchers_.clear();
  for (TcxShellDependentControl* watcher : watchers) watcher->Notification(this);
}

TcxShellDependentControl::~TcxShellDependentControl() { NotifyWatchersOfEnd(); }

void TcxShellDependedControls::Add(TcxShellDependentControl* control) {
  if (control && !Contains(control)) controls_.push_back(control);
}

void TcxShellDependedControls::Remove(TcxShellDependentControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

bool TcxShellDependedControls::Contains(const TcxShellDependentControl* control) const {
  return std::find(controls_.begin(), controls_.end(), control) != controls_.end();
}

void TcxShellDependedControls::Navigate(LPCITEMIDLIST id) {
  const std::vector<TcxShellDependentControl*> controls = controls_;
  for (TcxShellDependentControl* control : controls) {
    if (!control->HasParent()) continue;
    control->HandleNeeded();
    framework::SendToOwnerWindow(control, shellcore::SHELLMSG_NAVIGATE, reinterpret_cast<WPARAM>(id), 0);
  }
}

void TcxShellDependedControls::ChangeRoot(shellcore::TcxCustomShellRoot* root) {
  const std::vector<TcxShellDependentControl*> controls = controls_;
  for (TcxShellDependentControl* control : controls) {
    framework::SendToOwnerWindow(control, shellcore::SHELLMSG_ROOT_CHANGED, reinterpret_cast<WPARAM>(root), 0);
  }
}

}  // namespace shelltree
