#pragma once
// What a shell control lists and offers, the enumeration flags and the file
// name mask that follow from it, and the change notification to the owner.
// UI thread only.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/owner_notify.h"
#include "framework/persistent.h"
#include "shellcore/shell_folder.h"

namespace shellcore {

// One saved state of the mask matcher: where a literal run was matched, so a
// later attempt can look for it further along the name.
struct TParseState {
  bool StarPending = false;
  int MaskPosition = 1;  // 1-based
  int NamePosition = 1;  // 1-based
};

class TcxShellOptions : public framework::TPersistent {
 public:
  using TNotifyEvent = std::function<void(TcxShellOptions& sender)>;

  explicit TcxShellOptions(framework::TOwnerControl* owner);

  void Assign(framework::TPersistent* source) override;
  std::wstring ClassName() const override { return L"TcxShellOptions"; }
  // Copies every option of `source` into this object, through the setters
  // (so this object's owner hears of each change that notifies).
  virtual void CopyFrom(TcxShellOptions& source);
  // Sends SHELLMSG_OPTIONS_CHANGED to the owner's window.
  virtual void NotifyOwner();
  // Notifies the owner unless an update is in progress or it has no window.
  virtual void OptionsChanged();

  void BeginUpdate() { ++update_depth_; }
  void EndUpdate();
  int UpdateDepth() const { return update_depth_; }

  bool ContextMenus() const { return context_menus_; }
  void SetContextMenus(bool value) { context_menus_ = value; }
  const std::wstring& FileMask() const { return file_mask_; }
  void SetFileMask(const std::wstring& value);
  bool ShowFolders() const { return show_folders_; }
  void SetShowFolders(bool value);
  bool ShowNonFolders() const { return show_non_folders_; }
  void SetShowNonFolders(bool value);
  bool ShowHidden() const { return show_hidden_; }
  void SetShowHidden(bool value);
  bool ShowZipFilesWithFolders() const { return show_zip_files_with_folders_; }
  void SetShowZipFilesWithFolders(bool value);
  bool TrackShellChanges() const { return track_shell_changes_; }
  void SetTrackShellChanges(bool value);
  bool ShowToolTip() const { return show_tool_tip_; }
  void SetShowToolTip(bool value);

  framework::TOwnerControl* OwnerControl() const { return owner_control_; }

  // SHCONTF_FOLDERS, SHCONTF_NONFOLDERS and SHCONTF_INCLUDEHIDDEN as chosen.
  DWORD ShellEnumFlags() const;
  // Rebuilds MaskList from FileMask: one mask per ";"-separated entry; an
  // empty entry, "*" or "*.*" lets every name pass (an empty list).
  void ParseFileMask();
  const std::vector<std::wstring>& MaskList() const { return mask_list_; }
  // Whether a file name passes the masks, letter case ignored.
  bool MatchesFileMask(const std::wstring& name) const;

  TNotifyEvent OnShowToolTipChanged;

 private:
  bool context_menus_ = true;
  std::wstring file_mask_;
  int update_depth_ = 0;
  std::vector<std::wstring> mask_list_;
  framework::TOwnerControl* owner_control_;
  bool show_folders_ = true;
  bool show_tool_tip_ = true;
  bool show_non_folders_ = true;
  bool show_hidden_ = false;
  bool show_zip_files_with_folders_ = true;
  bool track_shell_changes_ = true;
};

// Whether one upper-cased mask matches one upper-cased name: "*" for any run,
// "?" for one character, the rest literally. A failure inside the mask ends
// it at once; only a mask that ends before the name is tried again from its
// saved states.
bool MatchesMask(const std::wstring& mask, const std::wstring& name);
// Upper case by the user's locale.
std::wstring UpperCaseText(const std::wstring& text);

// The file-name part of a parsing name: the text after the last "\" or ":".
std::wstring FileNamePart(const std::wstring& parsing_name);

// The item filter of the shell controls. A folder is kept unless it is an
// archive the shell also shows as a folder (siFolder and siStream) while
// neither non-folders nor such archives are shown; any other item is kept
// when its file name passes the mask.
bool ShellItemFilterDecision(const TcxShellOptions& options, bool is_folder, TcxShellItemTraits traits,
                             const std::wstring& file_name);
bool ShellItemFilterAccepts(const TcxShellOptions& options, const TcxShellFolder& item);

// Thumbnail settings of a shell list view.
class TcxShellThumbnailOptions : public framework::TPersistent {
 public:
  using TNotifyEvent = std::function<void(TcxShellThumbnailOptions& sender)>;

  explicit TcxShellThumbnailOptions(framework::TOwnerControl* owner) : owner_control_(owner) {}
  void Assign(framework::TPersistent* source) override;
  std::wstring ClassName() const override { return L"TcxShellThumbnailOptions"; }

  void BeginUpdate() { ++update_depth_; }
  void EndUpdate();
  void ThumbnailOptionsChanged();

  std::int32_t Height() const { return height_; }
  void SetHeight(std::int32_t value);
  std::int32_t Width() const { return width_; }
  void SetWidth(std::int32_t value);
  bool ShowThumbnails() const { return show_thumbnails_; }
  void SetShowThumbnails(bool value);
  framework::TOwnerControl* OwnerControl() const { return owner_control_; }

  TNotifyEvent OnThumbnailOptionsChanged;

 private:
  std::int32_t height_ = 96;
  int update_depth_ = 0;
  framework::TOwnerControl* owner_control_;
  bool show_thumbnails_ = false;
  std::int32_t width_ = 96;
};

}  // namespace shellcore
