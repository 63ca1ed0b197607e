#pragma once
// The top folder a shell control browses: one of thirty well-known places or
// a path of the user's own, turned into an absolute ID list, the folder
// behind it and a TcxShellFolder wrapper. UI thread only.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/owner_notify.h"
#include "framework/persistent.h"
#include "shellcore/id_list.h"
#include "shellcore/shell_folder.h"

namespace shellcore {

enum TcxBrowseFolder : std::uint8_t {
  bfCustomPath,
  bfAltStartup,
  bfBitBucket,
  bfCommonDesktopDirectory,
  bfCommonDocuments,
  bfCommonFavorites,
  bfCommonPrograms,
  bfCommonStartMenu,
  bfCommonStartup,
  bfCommonTemplates,
  bfControls,
  bfDesktop,
  bfDesktopDirectory,
  bfDrives,
  bfPrinters,
  bfFavorites,
  bfFonts,
  bfHistory,
  bfMyMusic,
  bfMyPictures,
  bfNetHood,
  bfProfile,
  bfProgramFiles,
  bfPrograms,
  bfRecent,
  bfStartMenu,
  bfStartUp,
  bfTemplates,
  bfMyDocuments,
  bfNetwork,
};
inline constexpr int kBrowseFolderCount = bfNetwork + 1;

// The special folder (CSIDL_*) a value browses; -1 for bfCustomPath and for
// a value outside the enumeration. bfAltStartup browses the user's Startup
// folder, as bfStartUp does.
int BrowseFolderCsidl(TcxBrowseFolder folder);

// A property change that leaves the control without a usable root.
class EcxEditError : public framework::Exception {
 public:
  using Exception::Exception;
};

class TcxCustomShellRoot : public framework::TPersistent {
 public:
  using TRootResolvedEvent = std::function<void(framework::TOwnerControl* sender, TcxCustomShellRoot& root)>;
  using TRootSettingsChangedEvent = std::function<void(TcxCustomShellRoot& sender)>;

  // Unresolved; the owner calls EnsureResolved when it first needs the root.
  TcxCustomShellRoot(framework::TOwnerControl* owner, HWND parent_window);
  ~TcxCustomShellRoot() override;

  void Assign(framework::TPersistent* source) override;
  std::wstring ClassName() const override { return L"TcxCustomShellRoot"; }

  TcxBrowseFolder BrowseFolder() const { return browse_folder_; }
  void SetBrowseFolder(TcxBrowseFolder value);
  const std::wstring& CustomPath() const { return custom_path_; }
  void SetCustomPath(const std::wstring& value);

  virtual void ResolveRoot();
  virtual void NotifyRootResolved();
  void NotifyRootSettingsChanged();
  // Makes `list` (absolute, borrowed for the call) the root; null does nothing.
  void SetRootIdList(LPCITEMIDLIST list);
  void EnsureResolved();
  // Copies the other root's settings without raising OnRootSettingsChanged,
  // so two roots that follow each other do not echo.
  void SyncFrom(TcxCustomShellRoot& other);
  void RebuildRootFolder();
  std::wstring RootParsingName() const;

  LPCITEMIDLIST RootIdList() const { return root_id_list_.Get(); }
  IShellFolder* RootShellFolder() const { return root_shell_folder_.Get(); }
  TcxShellFolder* RootFolder() const { return root_folder_.get(); }
  SFGAOF RootAttributes() const { return root_attributes_; }
  bool RootValid() const { return root_valid_; }
  int ChangeDepth() const { return change_depth_; }
  bool Resolving() const { return resolving_; }
  bool Syncing() const { return syncing_; }
  framework::TOwnerControl* OwnerControl() const { return owner_control_; }
  HWND ParentWindowHandle() const { return parent_window_; }

  TRootResolvedEvent OnRootResolved;
  TRootSettingsChangedEvent OnRootSettingsChanged;

 private:
  // Replaces the root list and the wrapper that borrows it, together.
  void ReplaceRootIdList(TIdList list);
  void Forget();

  SFGAOF root_attributes_ = 0;
  TcxBrowseFolder browse_folder_ = bfDesktop;
  std::wstring custom_path_;
  bool resolving_ = false;
  framework::TOwnerControl* owner_control_;
  HWND parent_window_;
  TIdList root_id_list_;
  // Declared after the list it borrows, so it goes first.
  std::unique_ptr<TcxShellFolder> root_folder_;
  int change_depth_ = 0;
  Microsoft::WRL::ComPtr<IShellFolder> root_shell_folder_;
  bool syncing_ = false;
  bool root_valid_ = false;
};

}  // namespace shellcore
