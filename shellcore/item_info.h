#pragma once
// The record describing one child of a listed folder: its ID lists, name,
// icons, overlay and attribute flags, filled cheaply when it is created and
// completed later by LoadFullInfo.
//
// Threads: records are created, repointed and freed on the UI thread.
// LoadFullInfo and ComputeShellOverlay also run on a gatherer's worker while
// it holds the read lock of the record's producer; every UI-thread write to
// a record's ID lists happens under that producer's write lock or after the
// producer's requests were withdrawn from the gatherer, so the plain load
// flags need no atomics. File-information queries go through
// LockedGetFileInfo, whose lock is the innermost one.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shellcore/id_list.h"
#include "shellcore/shell_folder.h"

namespace shellcore {

class TcxCustomItemProducer;

// Attribute masks of the full load's queries.
inline constexpr SFGAOF kItemStateAttributes = SFGAO_REMOVABLE | SFGAO_HIDDEN | SFGAO_SHARE | SFGAO_LINK;  // 0x020B0000
inline constexpr SFGAOF kItemCapabilityAttributes = SFGAO_CAPABILITYMASK;  // 0x177
// File-information flags of the full load and of the overlay.
inline constexpr UINT kItemIconQuery = SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_PIDL;  // 0x4408
inline constexpr UINT kItemOverlayQuery = SHGFI_ICON | SHGFI_OVERLAYINDEX | SHGFI_PIDL;   // 0x148
// Common controls 5.80: the first to draw the shell's overlay images.
inline constexpr DWORD kOverlayControlsVersion = 0x00050050;

// The common-controls library's version, major in the high word; asked once.
DWORD CommonControlsVersion();

// How many times CreateItemInfo tries to copy the relative ID list.
inline constexpr int kIdListCopyAttempts = 3;

class TcxShellItemInfo {
 public:
  // Creates the record with its cheap basic information. `relative` is
  // borrowed; `parent_folder_id` (the producer's FolderId, may be null) and
  // `folder` (the producer's folder) too. Raises when the relative ID list
  // cannot be copied after kIdListCopyAttempts tries.
  TcxShellItemInfo(TcxCustomItemProducer* producer, LPCITEMIDLIST relative, LPCITEMIDLIST parent_folder_id,
                   IShellFolder* folder);
  virtual ~TcxShellItemInfo() = default;
  TcxShellItemInfo(const TcxShellItemInfo&) = delete;
  TcxShellItemInfo& operator=(const TcxShellItemInfo&) = delete;

  static std::unique_ptr<TcxShellItemInfo> CreateItemInfo(TcxCustomItemProducer* producer, LPCITEMIDLIST relative,
                                                          LPCITEMIDLIST parent_folder_id, IShellFolder* folder);

  // Once only (BasicLoaded): the container bit, the name, the default icons.
  void LoadBasicInfo(IShellFolder* folder, LPCITEMIDLIST relative);
  // The three attribute queries, the real icons and the overlay. Does
  // nothing once FullyLoaded or while FullLoadRunning.
  void LoadFullInfo(IShellFolder* folder, LPCITEMIDLIST parent_folder_id);
  int ComputeShellOverlay() const;
  // The overlay as a common-controls library of `version` would show it.
  int ComputeShellOverlay(DWORD version) const;
  // Takes the item's new relative ID list after a rename (null: nothing
  // changes), rebuilds AbsoluteId and FolderObject from it, and loads the
  // full information again on the calling thread.
  void Repoint(IShellFolder* folder, LPCITEMIDLIST parent_folder_id, LPCITEMIDLIST new_relative);
  bool HasThumbnail() const { return ThumbnailImage != -1; }
  void LoadThumbnail();

  bool Renamable = false;
  void* ViewElement = nullptr;
  std::vector<std::wstring> ColumnTexts;
  std::unique_ptr<TcxShellFolder> FolderObject;
  TIdList AbsoluteId;
  bool MayHaveChildren = false;
  std::int32_t ClosedImageIndex = 0;
  std::wstring TipText;
  bool BasicLoaded = false;
  bool AcceptsDrops = false;
  bool InFileSystem = false;
  bool IsContainer = false;
  bool Dimmed = false;
  bool Shortcut = false;
  bool OnRemovableMedia = false;
  bool Shared = false;
  TcxCustomItemProducer* Producer = nullptr;
  std::wstring DisplayName;
  std::int32_t OpenImageIndex = 0;
  std::int32_t ShellOverlay = -1;
  TIdList RelativeId;
  bool ShownInView = false;
  std::int32_t ThumbnailImage = -1;
  bool ThumbnailLoaded = false;
  bool ThumbnailLoading = false;
  bool FullyLoaded = false;
  bool FullLoadRunning = false;

 private:
  // AbsoluteId and FolderObject from RelativeId; `folder` is the parent's
  // folder, used directly when RelativeId is one item.
  void BuildAbsolute(LPCITEMIDLIST parent_folder_id, IShellFolder* folder);
};

}  // namespace shellcore
