#pragma once
// One shell item seen from the folder that contains it.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>

#include "framework/enum_set.h"
#include "shellcore/id_list.h"

namespace shellcore {

enum TcxShellItemTrait : std::uint8_t {
  siFileSysAncestor,
  siFileSystem,
  siFolder,
  siLink,
  siReadOnly,
  siStorage,
  siStorageAncestor,
  siStream,
};
using TcxShellItemTraits = framework::TEnumSet<TcxShellItemTrait>;

// The SFGAO bit each trait stands for, in the traits' order.
inline constexpr SFGAOF kTraitAttributes[] = {
    SFGAO_FILESYSANCESTOR, SFGAO_FILESYSTEM, SFGAO_FOLDER,  SFGAO_LINK,
    SFGAO_READONLY,        SFGAO_STORAGE,    SFGAO_STORAGEANCESTOR, SFGAO_STREAM,
};
// 0x70C50008: every trait's bit, asked in one query.
inline constexpr SFGAOF kAllTraitAttributes = SFGAO_FILESYSANCESTOR | SFGAO_FILESYSTEM | SFGAO_FOLDER |
                                              SFGAO_LINK | SFGAO_READONLY | SFGAO_STORAGE |
                                              SFGAO_STORAGEANCESTOR | SFGAO_STREAM;

class TcxShellFolder {
 public:
  // `full_id_list` is borrowed: the creator keeps it alive as long as this
  // object. Raises only when the desktop cannot be had.
  explicit TcxShellFolder(LPCITEMIDLIST full_id_list);
  // The same item when its parent folder is already bound: `parent` is the
  // folder of the last item of `full_id_list` (a reference is taken), so no
  // binding from the desktop is needed. Raises only when memory runs out.
  TcxShellFolder(LPCITEMIDLIST full_id_list, IShellFolder* parent);
  TcxShellFolder(const TcxShellFolder&) = delete;
  TcxShellFolder& operator=(const TcxShellFolder&) = delete;

  LPCITEMIDLIST FullIdList() const { return full_id_list_; }
  // Empty when the item's parent could not be bound.
  IShellFolder* ParentFolder() const { return parent_folder_.Get(); }
  LPCITEMIDLIST ChildIdList() const { return child_id_list_.Get(); }

  // The asked attribute bits that the parent reports; 0 when it cannot answer.
  SFGAOF QueryAttributes(SFGAOF mask) const;
  bool HasAnyAttribute(SFGAOF mask) const { return (QueryAttributes(mask) & mask) != 0; }
  bool IsFolderItem() const { return HasAnyAttribute(SFGAO_FOLDER); }
  TcxShellItemTraits Traits() const;
  // The desktop's parsing name of the item, or its normal display name when
  // the parsing name is a class identifier ("::{...}"); empty on failure.
  std::wstring ParsingName() const;
  // The item's parsing name inside its parent folder ("name.ext" for a file),
  // or its in-folder display name when that is a class identifier; empty on
  // failure. Asks the parent in hand, where ParsingName binds it again from
  // the desktop (twenty times dearer under Wine).
  std::wstring InFolderParsingName() const;

 private:
  LPCITEMIDLIST full_id_list_;
  Microsoft::WRL::ComPtr<IShellFolder> parent_folder_;
  TIdList child_id_list_;
};

}  // namespace shellcore
