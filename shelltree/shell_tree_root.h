#pragma once
// The folder tree's browse root: the shell layer's root as the tree uses it.
// The inner tree creates it with itself as owner and no window for the
// shell's dialogs, and follows its OnRootResolved and OnRootSettingsChanged.
#include "shellcore/shell_root.h"

namespace shelltree {

class TcxShellTreeRoot : public shellcore::TcxCustomShellRoot {
 public:
  using TcxCustomShellRoot::TcxCustomShellRoot;
  std::wstring ClassName() const override { return L"TcxShellTreeRoot"; }
};

}  // namespace shelltree
