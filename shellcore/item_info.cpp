// Threads: see item_info.h. Only LockedGetFileInfo's lock is taken here.
#include "shellcore/item_info.h"

#include <shlwapi.h>

#include <shlguid.h>
#include <wrl/client.h>

#include <atomic>

#include "framework/system_error.h"
#include "shellcore/item_producer.h"
#include "shellcore/shell_access.h"
#include "shellcore/shell_common.h"

namespace shellcore {

namespace {

// A failed query may leave the mask untouched; it must not read as "all".
bool QueryItemAttributes(IShellFolder* folder, LPCITEMIDLIST item, SFGAOF mask, SFGAOF& answer) {
  if (!folder || !item) return false;
  answer = mask;
  return SUCCEEDED(folder->GetAttributesOf(1, &item, &answer));
}

// The icon index of `list`, or `keep` when the query fails.
int IconIndex(LPCITEMIDLIST list, UINT flags, int keep) {
  SHFILEINFOW info{};
  if (!LockedGetFileInfo(list, info, flags)) return keep;
  return info.iIcon;
}

}  // namespace

DWORD CommonControlsVersion() {
  static const DWORD version = [] {
    DWORD answer = 0;
    if (const HMODULE module = LoadLibraryW(L"comctl32.dll")) {
      const auto get_version =
          reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion")));
      DLLVERSIONINFO info{};
      info.cbSize = sizeof info;
      if (get_version && SUCCEEDED(get_version(&info))) answer = MAKELONG(info.dwMinorVersion, info.dwMajorVersion);
      FreeLibrary(module);
    }
    return answer;
  }();
  return version;
}

TcxShellItemInfo::TcxShellItemInfo(TcxCustomItemProducer* producer, LPCITEMIDLIST relative,
                                   LPCITEMIDLIST parent_folder_id, IShellFolder* folder)
    : Producer(producer) {
  // A copy that fails for want of memory may succeed a moment later; past a
  // few tries the failure is real and goes to the caller.
  for (int attempt = 1;; ++attempt) {
    try {
      RelativeId = IdListClone(relative);
      if (RelativeId || !relative) break;
    } catch (...) {
      if (attempt >= kIdListCopyAttempts) throw;
      continue;
    }
    if (attempt >= kIdListCopyAttempts) framework::RaiseSystemError(E_OUTOFMEMORY);
  }
  LoadBasicInfo(folder, relative);
  TipText.clear();
  BuildAbsolute(parent_folder_id, folder);
}

std::unique_ptr<TcxShellItemInfo> TcxShellItemInfo::CreateItemInfo(TcxCustomItemProducer* producer,
                                                                   LPCITEMIDLIST relative,
                                                                   LPCITEMIDLIST parent_folder_id,
                                                                   IShellFolder* folder) {
  return std::make_unique<TcxShellItemInfo>(producer, relative, parent_folder_id, folder);
}

void TcxShellItemInfo::BuildAbsolute(LPCITEMIDLIST parent_folder_id, IShellFolder* folder) {
  TIdList absolute = IdListJoin(parent_folder_id, RelativeId.Get());
  std::unique_ptr<TcxShellFolder> object;
  // The producer's folder is the item's parent when the relative list is one
  // item: binding the parent again from the desktop would cost a
  // millisecond per record in a large folder.
  if (folder && RelativeId && IdListItemCount(RelativeId.Get()) == 1) {
    object = std::make_unique<TcxShellFolder>(absolute.Get(), folder);
  } else {
    object = std::make_unique<TcxShellFolder>(absolute.Get());
  }
  FolderObject = std::move(object);  // the old object borrowed the old AbsoluteId
  AbsoluteId = std::move(absolute);
}

void TcxShellItemInfo::LoadBasicInfo(IShellFolder* folder, LPCITEMIDLIST relative) {
  if (BasicLoaded) return;
  SFGAOF attributes = 0;
  if (QueryItemAttributes(folder, relative, SFGAO_FOLDER, attributes)) {
    IsContainer = (attributes & SFGAO_FOLDER) != 0;
  } else {
    IsContainer = false;
    InFileSystem = false;
    AcceptsDrops = true;
    Renamable = true;
  }
  MayHaveChildren = IsContainer;
  DisplayName = folder && relative ? NameInFolder(folder, relative) : std::wstring();
  if (IsContainer) {
    ClosedImageIndex = DummyFolderIconIndex();
    OpenImageIndex = DummyOpenFolderIconIndex();
  } else {
    ClosedImageIndex = DummyFileIconIndex();
    OpenImageIndex = ClosedImageIndex;
  }
  ShellOverlay = -1;
  ThumbnailImage = -1;
  BasicLoaded = true;
}

void TcxShellItemInfo::LoadFullInfo(IShellFolder* folder, LPCITEMIDLIST parent_folder_id) {
  if (FullyLoaded || FullLoadRunning) return;
  FullLoadRunning = true;
  struct TClearRunning {
    bool& flag;
    ~TClearRunning() { flag = false; }
  } clear_running{FullLoadRunning};
  if (!RelativeId) return;
  const TIdList absolute = IdListJoin(parent_folder_id, RelativeId.Get());
  LoadBasicInfo(folder, RelativeId.Get());
  const LPCITEMIDLIST item = RelativeId.Get();
  SFGAOF attributes = 0;
  // The bit read is the bit asked for: a folder may answer only what it is
  // asked, and an empty request would then read as "not in the file system".
  if (QueryItemAttributes(folder, item, SFGAO_FILESYSTEM, attributes))
    InFileSystem = (attributes & SFGAO_FILESYSTEM) != 0;
  if (QueryItemAttributes(folder, item, kItemStateAttributes, attributes)) {
    Dimmed = (attributes & SFGAO_HIDDEN) != 0;
    Shared = (attributes & SFGAO_SHARE) != 0;
    Shortcut = (attributes & SFGAO_LINK) != 0;
    OnRemovableMedia = (attributes & SFGAO_REMOVABLE) != 0;
  }
  if (QueryItemAttributes(folder, item, kItemCapabilityAttributes, attributes)) {
    AcceptsDrops = (attributes & SFGAO_DROPTARGET) != 0;
    Renamable = (attributes & SFGAO_CANRENAME) != 0;
  }
  if (folder && IdListItemCount(item) == 1) {
    // The folder in hand answers the icon without binding the item's parent
    // again from the desktop. (Its open-icon answer differs from the
    // shell's under Wine, so containers, the few, ask the shell for that.)
    const int closed = LockedMapIdListToIconIndex(folder, item, nullptr);
    if (closed >= 0) ClosedImageIndex = closed;
  } else {
    ClosedImageIndex = IconIndex(absolute.Get(), kItemIconQuery, ClosedImageIndex);
  }
  OpenImageIndex = IsContainer ? IconIndex(absolute.Get(), kItemIconQuery | SHGFI_OPENICON, OpenImageIndex)
                               : ClosedImageIndex;
  ShellOverlay = ComputeShellOverlay();
  FullyLoaded = true;
}

int TcxShellItemInfo::ComputeShellOverlay() const { return ComputeShellOverlay(CommonControlsVersion()); }

int TcxShellItemInfo::ComputeShellOverlay(DWORD version) const {
  if (version < kOverlayControlsVersion) {
    if (Shortcut) return 1;
    if (Shared) return 0;
    return -1;
  }
  if (!AbsoluteId) return -1;
  // The parent's own overlay answer, where it gives one, spares a query that
  // binds the parent from the desktop and makes an icon.
  if (FolderObject && FolderObject->ParentFolder() && FolderObject->ChildIdList()) {
    Microsoft::WRL::ComPtr<IShellIconOverlay> overlay;
    if (SUCCEEDED(FolderObject->ParentFolder()->QueryInterface(IID_IShellIconOverlay,
                                                               reinterpret_cast<void**>(overlay.GetAddressOf()))) &&
        overlay) {
      int index = 0;
      if (overlay->GetOverlayIndex(FolderObject->ChildIdList(), &index) != S_OK || index <= 0) return -1;
      return index - 1;
    }
  }
  SHFILEINFOW info{};
  if (!LockedGetFileInfo(AbsoluteId.Get(), info, kItemOverlayQuery))
    return -1;
  if (info.hIcon) DestroyIcon(info.hIcon);
  return static_cast<int>((static_cast<unsigned>(info.iIcon) >> 24) & 0xFF) - 1;
}

void TcxShellItemInfo::Repoint(IShellFolder* folder, LPCITEMIDLIST parent_folder_id, LPCITEMIDLIST new_relative) {
  if (!new_relative) return;
  RelativeId = IdListClone(new_relative);
  BuildAbsolute(parent_folder_id, folder);
  FullyLoaded = false;
  ShownInView = false;
  BasicLoaded = false;
  LoadFullInfo(folder, parent_folder_id);
}

void TcxShellItemInfo::LoadThumbnail() {
  if (ThumbnailLoading) return;
  ThumbnailLoading = true;
  struct TClearLoading {
    bool& flag;
    ~TClearLoading() { flag = false; }
  } clear_loading{ThumbnailLoading};
  ThumbnailImage = Producer ? Producer->MakeThumbnail(this) : -1;
  ThumbnailLoaded = true;
}

}  // namespace shellcore
