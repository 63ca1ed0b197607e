#pragma once
// What the folder tree lists and how it reacts. A change of the listing
// rebuilds the tree (the owner must have a window, as for every option
// object). UI thread only.
#include "shellcore/shell_options.h"

namespace shelltree {

class TcxCustomInnerShellTreeView;

class TcxShellTreeViewOptions : public shellcore::TcxShellOptions {
 public:
  explicit TcxShellTreeViewOptions(TcxCustomInnerShellTreeView* owner);
  std::wstring ClassName() const override { return L"TcxShellTreeViewOptions"; }
  // Runs the tree's Refresh instead of sending a message.
  void NotifyOwner() override;

 private:
  TcxCustomInnerShellTreeView* tree_;
};

}  // namespace shelltree
