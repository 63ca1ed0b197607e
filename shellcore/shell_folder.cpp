#include "shellcore/shell_folder.h"

#include "shellcore/shell_access.h"
#include "shellcore/shell_common.h"

namespace shellcore {

TcxShellFolder::TcxShellFolder(LPCITEMIDLIST full_id_list) : full_id_list_(full_id_list) {
  Microsoft::WRL::ComPtr<IShellFolder> desktop = ShellDesktop();
  if (IdListItemCount(full_id_list) >= 2) {
    const TIdList parent = IdListParent(full_id_list);
    if (FAILED(desktop->BindToObject(parent.Get(), nullptr, IID_PPV_ARGS(&parent_folder_))))
      parent_folder_.Reset();
    child_id_list_ = IdListClone(IdListLastItem(full_id_list));
  } else {
    // Also a list too long to count: the desktop parses it whole.
    parent_folder_ = desktop;
    child_id_list_ = IdListClone(full_id_list);
  }
}

TcxShellFolder::TcxShellFolder(LPCITEMIDLIST full_id_list, IShellFolder* parent)
    : full_id_list_(full_id_list), parent_folder_(parent) {
  if (full_id_list && IdListItemCount(full_id_list) >= 1) child_id_list_ = IdListClone(IdListLastItem(full_id_list));
}

SFGAOF TcxShellFolder::QueryAttributes(SFGAOF mask) const {
  if (!parent_folder_ || !child_id_list_) return 0;
  SFGAOF attributes = mask;
  LPCITEMIDLIST item = child_id_list_.Get();
  // A failed query may leave the mask untouched; it must not read as "all".
  if (FAILED(parent_folder_->GetAttributesOf(1, &item, &attributes))) return 0;
  return attributes;
}

TcxShellItemTraits TcxShellFolder::Traits() const {
  const SFGAOF attributes = QueryAttributes(kAllTraitAttributes);
  TcxShellItemTraits traits;
  for (unsigned trait = siFileSysAncestor; trait <= siStream; ++trait) {
    if (attributes & kTraitAttributes[trait]) traits.Include(static_cast<TcxShellItemTrait>(trait));
  }
  return traits;
}

std::wstring TcxShellFolder::ParsingName() const {
  if (!full_id_list_) return std::wstring();
  Microsoft::WRL::ComPtr<IShellFolder> desktop = ShellDesktop();
  STRRET name{};
  if (FAILED(desktop->GetDisplayNameOf(full_id_list_, SHGDN_FORPARSING, &name))) return std::wstring();
  std::wstring text = StrRetText(name, full_id_list_);
  if (text.rfind(L"::{", 0) == 0) {
    STRRET normal{};
    if (FAILED(desktop->GetDisplayNameOf(full_id_list_, SHGDN_NORMAL, &normal))) return std::wstring();
    text = StrRetText(normal, full_id_list_);
  }
  return text;
}

std::wstring TcxShellFolder::InFolderParsingName() const {
  if (!parent_folder_ || !child_id_list_) return std::wstring();
  std::wstring text = NameInFolder(parent_folder_.Get(), child_id_list_.Get(), SHGDN_INFOLDER | SHGDN_FORPARSING);
  if (text.rfind(L"::{", 0) == 0) text = NameInFolder(parent_folder_.Get(), child_id_list_.Get(), SHGDN_INFOLDER);
  return text;
}

}  // namespace shellcore
