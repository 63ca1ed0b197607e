#include "shellcore/shell_root.h"

#include "framework/system_error.h"
#include "shellcore/shell_access.h"
#include "shellcore/shell_common.h"

namespace shellcore {

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kBrowseFolderCsidl[kBrowseFolderCount] = {
    -1,                             // bfCustomPath
    CSIDL_STARTUP,                  // bfAltStartup
    CSIDL_BITBUCKET,                // bfBitBucket
    CSIDL_COMMON_DESKTOPDIRECTORY,  // bfCommonDesktopDirectory
    CSIDL_COMMON_DOCUMENTS,         // bfCommonDocuments
    CSIDL_COMMON_FAVORITES,         // bfCommonFavorites
    CSIDL_COMMON_PROGRAMS,          // bfCommonPrograms
    CSIDL_COMMON_STARTMENU,         // bfCommonStartMenu
    CSIDL_COMMON_STARTUP,           // bfCommonStartup
    CSIDL_COMMON_TEMPLATES,         // bfCommonTemplates
    CSIDL_CONTROLS,                 // bfControls
    CSIDL_DESKTOP,                  // bfDesktop
    CSIDL_DESKTOPDIRECTORY,         // bfDesktopDirectory
    CSIDL_DRIVES,                   // bfDrives
    CSIDL_PRINTERS,                 // bfPrinters
    CSIDL_FAVORITES,                // bfFavorites
    CSIDL_FONTS,                    // bfFonts
    CSIDL_HISTORY,                  // bfHistory
    CSIDL_MYMUSIC,                  // bfMyMusic
    CSIDL_MYPICTURES,               // bfMyPictures
    CSIDL_NETHOOD,                  // bfNetHood
    CSIDL_PROFILE,                  // bfProfile
    CSIDL_PROGRAM_FILES,            // bfProgramFiles
    CSIDL_PROGRAMS,                 // bfPrograms
    CSIDL_RECENT,                   // bfRecent
    CSIDL_STARTMENU,                // bfStartMenu
    CSIDL_STARTUP,                  // bfStartUp
    CSIDL_TEMPLATES,                // bfTemplates
    CSIDL_PERSONAL,                 // bfMyDocuments
    CSIDL_NETWORK,                  // bfNetwork
};

// Raises a counter for the life of the scope, also when it is left by an
// exception.
class DepthScope {
 public:
  explicit DepthScope(int& depth) : depth_(depth) { ++depth_; }
  ~DepthScope() { --depth_; }
  DepthScope(const DepthScope&) = delete;
  DepthScope& operator=(const DepthScope&) = delete;

 private:
  int& depth_;
};

class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

int BrowseFolderCsidl(TcxBrowseFolder folder) {
  const unsigned index = folder;
  return index < static_cast<unsigned>(kBrowseFolderCount) ? kBrowseFolderCsidl[index] : -1;
}

TcxCustomShellRoot::TcxCustomShellRoot(framework::TOwnerControl* owner, HWND parent_window)
    : owner_control_(owner), parent_window_(parent_window) {
  root_folder_ = std::make_unique<TcxShellFolder>(nullptr);
}

TcxCustomShellRoot::~TcxCustomShellRoot() = default;

void TcxCustomShellRoot::ReplaceRootIdList(TIdList list) {
  // The wrapper borrows the list: never let it outlive the list it points at.
  root_folder_.reset();
  root_id_list_ = std::move(list);
  root_folder_ = std::make_unique<TcxShellFolder>(root_id_list_.Get());
}

void TcxCustomShellRoot::Forget() {
  root_valid_ = false;
  root_shell_folder_.Reset();
  ReplaceRootIdList(TIdList());
}

void TcxCustomShellRoot::ResolveRoot() {
  if (resolving_) return;
  const ComPtr<IShellFolder> desktop = ShellDesktop();  // its failure leaves the old root in place
  Forget();
  const TcxBrowseFolder kind =
      (browse_folder_ == bfCustomPath && custom_path_.empty()) ? bfDesktop : browse_folder_;

  const FlagScope resolving(resolving_);
  TIdList obtained;
  HRESULT result;
  if (kind != bfCustomPath) {
    const int csidl = BrowseFolderCsidl(kind);
    result = csidl < 0 ? E_INVALIDARG : SpecialFolderIdList(parent_window_, csidl, obtained);
  } else {
    std::wstring path = custom_path_;  // the shell wants a writable string
    result = desktop->ParseDisplayName(parent_window_, nullptr, path.data(), nullptr, obtained.Put(), nullptr);
  }
  // A success without a list is no root either.
  if (SUCCEEDED(result) && !obtained) result = E_FAIL;
  if (FAILED(result)) {
    if (change_depth_ > 0) throw EcxEditError(framework::SystemErrorText(result));
    NotifyRootResolved();  // the owner learns that there is no root
    return;
  }
  if (kind == bfDesktop) {
    root_shell_folder_ = desktop;
    ReplaceRootIdList(IdListClone(obtained.Get()));
    root_valid_ = true;
    root_attributes_ = SFGAO_FILESYSTEM;
    NotifyRootResolved();
  } else {
    SetRootIdList(obtained.Get());
  }
}

void TcxCustomShellRoot::NotifyRootResolved() {
  RebuildRootFolder();
  if (OnRootResolved) OnRootResolved(owner_control_, *this);
}

void TcxCustomShellRoot::NotifyRootSettingsChanged() {
  if (OnRootSettingsChanged && !syncing_) OnRootSettingsChanged(*this);
}

void TcxCustomShellRoot::SetRootIdList(LPCITEMIDLIST list) {
  if (!list) return;
  // A copy first: `list` may be the root list that is freed below.
  TIdList copy = IdListClone(list);
  if (root_id_list_) {
    ReplaceRootIdList(TIdList());
    root_valid_ = false;
    root_attributes_ = 0;
  }
  const ComPtr<IShellFolder> desktop = ShellDesktop();
  ComPtr<IShellFolder> folder;
  if (SUCCEEDED(desktop->BindToObject(copy.Get(), nullptr, IID_PPV_ARGS(&folder))) && folder) {
    root_shell_folder_ = folder;
    ReplaceRootIdList(std::move(copy));
    root_valid_ = true;
    SFGAOF attributes = 0;
    LPCITEMIDLIST item = root_id_list_.Get();
    root_attributes_ = SUCCEEDED(desktop->GetAttributesOf(1, &item, &attributes)) ? attributes : 0;
  } else {
    // The desktop itself, or an item that is not a folder.
    root_shell_folder_ = desktop;
    ReplaceRootIdList(std::move(copy));
    root_valid_ = true;
    root_attributes_ = SFGAO_FILESYSTEM;
  }
  NotifyRootResolved();
}

void TcxCustomShellRoot::EnsureResolved() {
  if (!root_shell_folder_) ResolveRoot();
}

void TcxCustomShellRoot::SyncFrom(TcxCustomShellRoot& other) {
  if (syncing_) return;
  const FlagScope syncing(syncing_);
  Assign(&other);
}

void TcxCustomShellRoot::RebuildRootFolder() {
  root_folder_.reset();
  root_folder_ = std::make_unique<TcxShellFolder>(root_id_list_.Get());
}

std::wstring TcxCustomShellRoot::RootParsingName() const {
  if (!root_id_list_) return std::wstring();
  const ComPtr<IShellFolder> desktop = ShellDesktop();
  STRRET name{};
  if (FAILED(desktop->GetDisplayNameOf(root_id_list_.Get(), SHGDN_FORPARSING, &name))) return std::wstring();
  return StrRetText(name, root_id_list_.Get());
}

void TcxCustomShellRoot::SetBrowseFolder(TcxBrowseFolder value) {
  const TcxBrowseFolder old_value = browse_folder_;
  try {
    {
      const DepthScope changing(change_depth_);
      if (value != browse_folder_) {
        browse_folder_ = value;
        ResolveRoot();
      } else if (!root_id_list_) {
        ResolveRoot();
      }
    }
    NotifyRootSettingsChanged();
  } catch (...) {
    browse_folder_ = old_value;
    ResolveRoot();
    throw;
  }
}

void TcxCustomShellRoot::SetCustomPath(const std::wstring& value) {
  const std::wstring old_value = custom_path_;
  custom_path_ = value;
  try {
    {
      const DepthScope changing(change_depth_);
      if (browse_folder_ == bfCustomPath) ResolveRoot();
    }
    NotifyRootSettingsChanged();
  } catch (...) {
    custom_path_ = old_value;
    ResolveRoot();
    throw;
  }
}

void TcxCustomShellRoot::Assign(framework::TPersistent* source) {
  auto* other = dynamic_cast<TcxCustomShellRoot*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  const TcxBrowseFolder old_folder = browse_folder_;
  const std::wstring old_path = custom_path_;
  browse_folder_ = other->browse_folder_;
  custom_path_ = other->custom_path_;
  try {
    {
      const DepthScope changing(change_depth_);
      ResolveRoot();
    }
    NotifyRootSettingsChanged();
  } catch (...) {
    browse_folder_ = old_folder;
    custom_path_ = old_path;
    ResolveRoot();
    throw;
  }
}

}  // namespace shellcore
