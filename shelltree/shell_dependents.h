#pragma once
// How shell controls follow each other: a control that shows a folder of the
// tree (a linked shell list view) is told of the tree's selection and root,
// and tells the tree of its own root. UI thread only.
#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "framework/owner_notify.h"

namespace shellcore {
class TcxCustomShellRoot;
}

namespace shelltree {

class TcxShellDependedControls;

// A shell control that takes part in the links: it has (or can make) a
// window that understands SHELLMSG_NAVIGATE and SHELLMSG_ROOT_CHANGED, and
// tells whoever asked when it goes.
class TcxShellDependentControl : public framework::TOwnerControl {
 public:
  virtual bool HasParent() const = 0;
  virtual void HandleNeeded() = 0;
  // The root it browses ({C819D99E-4368-400C-B4C4-0021E6B5C260}).
  virtual shellcore::TcxCustomShellRoot* RootProvider() = 0;
  // The controls that follow it ({93CE18BE-90F7-4CD1-B6DF-B578E2776DCA}).
  virtual TcxShellDependedControls* DependentsProvider() = 0;

  // Asks to be told (Notification) when this control goes.
  void FreeNotification(TcxShellDependentControl* watcher);
  void RemoveFreeNotification(TcxShellDependentControl* watcher);
  virtual void Notification(TcxShellDependentControl* going) { (void)going; }

 protected:
  TcxShellDependentControl() = default;
  // Tells every watcher; a derived destructor calls it before its parts go.
  void NotifyWatchersOfEnd();
  ~TcxShellDependentControl();

 private:
  std::vector<TcxShellDependentControl*> watchers_;
};

class TcxShellDependedControls {
 public:
  void Add(TcxShellDependentControl* control);
  void Remove(TcxShellDependentControl* control);
  // SHELLMSG_NAVIGATE with `id` (borrowed) to every control with a parent.
  void Navigate(LPCITEMIDLIST id);
  // SHELLMSG_ROOT_CHANGED with `root` to every control with a window.
  void ChangeRoot(shellcore::TcxCustomShellRoot* root);
  int Count() const { return static_cast<int>(controls_.size()); }
  bool Contains(const TcxShellDependentControl* control) const;

 private:
  std::vector<TcxShellDependentControl*> controls_;
};

}  // namespace shelltree
