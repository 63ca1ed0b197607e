#include "shelltree/shell_tree_options.h"

#include "shelltree/shell_inner_tree_view.h"

namespace shelltree {

TcxShellTreeViewOptions::TcxShellTreeViewOptions(TcxCustomInnerShellTreeView* owner)
    : TcxShellOptions(owner), tree_(owner) {}

void TcxShellTreeViewOptions::NotifyOwner() {
  if (tree_) tree_->Refresh();
}

}  // namespace shelltree
