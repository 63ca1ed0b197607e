#include "shellcore/shell_options.h"

#include "shellcore/shell_access.h"
#include "shellcore/shell_messages.h"

namespace shellcore {

namespace {

// Masks further along the name than this are not looked for.
constexpr size_t kSearchWindow = MAX_PATH;

// Lines of `text` as a line-based list reads them: a line ends at CR, LF or
// CR LF, and a final line break adds no empty line.
std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != L'\r' && text[end] != L'\n') ++end;
    lines.push_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == L'\r') ++end;
    if (end < text.size() && text[end] == L'\n') ++end;
    start = end;
  }
  return lines;
}

}  // namespace

TcxShellOptions::TcxShellOptions(framework::TOwnerControl* owner) : owner_control_(owner) {}

void TcxShellOptions::Assign(framework::TPersistent* source) {
  auto* other = dynamic_cast<TcxShellOptions*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  // The source's owner hears once, at the end, also when a copy raises.
  other->BeginUpdate();
  try {
    CopyFrom(*other);
  } catch (...) {
    other->EndUpdate();
    throw;
  }
  other->EndUpdate();
}

void TcxShellOptions::CopyFrom(TcxShellOptions& source) {
  context_menus_ = source.context_menus_;
  SetFileMask(source.file_mask_);
  SetShowFolders(source.show_folders_);
  SetShowHidden(source.show_hidden_);
  SetShowNonFolders(source.show_non_folders_);
  SetShowToolTip(source.show_tool_tip_);
  SetShowZipFilesWithFolders(source.show_zip_files_with_folders_);
  SetTrackShellChanges(source.track_shell_changes_);
}

void TcxShellOptions::NotifyOwner() {
  framework::SendToOwnerWindow(owner_control_, SHELLMSG_OPTIONS_CHANGED, 0, 0);
}

void TcxShellOptions::OptionsChanged() {
  if (update_depth_ <= 0 && owner_control_ && owner_control_->HandleAllocated()) NotifyOwner();
}

void TcxShellOptions::EndUpdate() {
  --update_depth_;
  if (update_depth_ <= 0) OptionsChanged();
}

void TcxShellOptions::SetFileMask(const std::wstring& value) {
  if (value == file_mask_) return;
  file_mask_ = value;
  ParseFileMask();
  OptionsChanged();
}

// These four report a change even when the value stays: the owner relists.
void TcxShellOptions::SetShowFolders(bool value) {
  show_folders_ = value;
  OptionsChanged();
}

void TcxShellOptions::SetShowNonFolders(bool value) {
  show_non_folders_ = value;
  OptionsChanged();
}

void TcxShellOptions::SetShowHidden(bool value) {
  show_hidden_ = value;
  OptionsChanged();
}

void TcxShellOptions::SetShowZipFilesWithFolders(bool value) {
  show_zip_files_with_folders_ = value;
  OptionsChanged();
}

void TcxShellOptions::SetTrackShellChanges(bool value) {
  if (value == track_shell_changes_) return;
  track_shell_changes_ = value;
  OptionsChanged();
}

void TcxShellOptions::SetShowToolTip(bool value) {
  if (value == show_tool_tip_) return;
  show_tool_tip_ = value;
  if (OnShowToolTipChanged) OnShowToolTipChanged(*this);
}

DWORD TcxShellOptions::ShellEnumFlags() const {
  DWORD flags = 0;
  if (show_folders_) flags |= kEnumFolders;
  if (show_non_folders_) flags |= kEnumNonFolders;
  if (show_hidden_) flags |= kEnumIncludeHidden;
  return flags;
}

void TcxShellOptions::ParseFileMask() {
  mask_list_.clear();
  std::wstring text = file_mask_;
  std::wstring with_breaks;
  with_breaks.reserve(text.size());
  for (wchar_t c : text) {
    if (c == L';')
      with_breaks += L"\r\n";
    else
      with_breaks += c;
  }
  mask_list_ = SplitLines(with_breaks);
  for (const std::wstring& mask : mask_list_) {
    if (mask.empty() || mask == L"*" || mask == L"*.*") {
      mask_list_.clear();
      break;
    }
  }
}

bool TcxShellOptions::MatchesFileMask(const std::wstring& name) const {
  if (mask_list_.empty()) return true;
  const std::wstring upper_name = UpperCaseText(name);
  for (const std::wstring& mask : mask_list_) {
    if (MatchesMask(UpperCaseText(mask), upper_name)) return true;
  }
  return false;
}

std::wstring UpperCaseText(const std::wstring& text) {
  if (text.empty()) return text;
  const int length =
      LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return text;
  std::wstring result(static_cast<size_t>(length), L'\0');
  LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), result.data(),
               length);
  return result;
}

bool MatchesMask(const std::wstring& mask, const std::wstring& name) {
  const int m = static_cast<int>(mask.size());
  const int n = static_cast<int>(name.size());
  std::vector<TParseState> saved{TParseState{}};
  TParseState state = saved.back();
  saved.pop_back();
  for (;;) {
    int i = state.MaskPosition;
    int j = state.NamePosition;
    bool star = state.StarPending;
    while (i <= m) {
      const wchar_t c = mask[static_cast<size_t>(i - 1)];
      if (c == L'*') {
        while (i < m && mask[static_cast<size_t>(i)] == L'*') ++i;
        star = true;
      } else if (c == L'?') {
        if (j > n) return false;
        ++j;
      } else {
        int run_end = i;  // last character of the literal run
        while (run_end < m && mask[static_cast<size_t>(run_end)] != L'*' && mask[static_cast<size_t>(run_end)] != L'?')
          ++run_end;
        const int run_length = run_end - i + 1;
        if (j > n) return false;
        const std::wstring window = name.substr(static_cast<size_t>(j - 1), kSearchWindow);
        const size_t found = window.find(mask.data() + (i - 1), 0, static_cast<size_t>(run_length));
        if (found == std::wstring::npos) return false;
        const int p = static_cast<int>(found) + 1;
        if (p != 1 && !star) return false;
        saved.push_back(TParseState{star, i, j});
        j = j + p - 1 + run_length;
        star = false;
        i = run_end;
      }
      ++i;
    }
    if (j > n || star) return true;
    if (saved.empty()) return false;
    state = saved.back();
    saved.pop_back();
    ++state.NamePosition;
  }
}

std::wstring FileNamePart(const std::wstring& parsing_name) {
  const size_t delimiter = parsing_name.find_last_of(L"\\:");
  return delimiter == std::wstring::npos ? parsing_name : parsing_name.substr(delimiter + 1);
}

bool ShellItemFilterDecision(const TcxShellOptions& options, bool is_folder, TcxShellItemTraits traits,
                             const std::wstring& file_name) {
  if (is_folder) {
    const bool archive = traits.Contains(siFolder) && traits.Contains(siStream);
    return options.ShowNonFolders() || options.ShowZipFilesWithFolders() || !archive;
  }
  return options.MatchesFileMask(file_name);
}

bool ShellItemFilterAccepts(const TcxShellOptions& options, const TcxShellFolder& item) {
  if (item.IsFolderItem()) return ShellItemFilterDecision(options, true, item.Traits(), std::wstring());
  // Without a mask every name passes: the name is not even read.
  if (options.MaskList().empty()) return true;
  return ShellItemFilterDecision(options, false, TcxShellItemTraits(), FileNamePart(item.InFolderParsingName()));
}

void TcxShellThumbnailOptions::Assign(framework::TPersistent* source) {
  auto* other = dynamic_cast<TcxShellThumbnailOptions*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  other->BeginUpdate();
  try {
    SetHeight(other->height_);
    SetWidth(other->width_);
    SetShowThumbnails(other->show_thumbnails_);
  } catch (...) {
    other->EndUpdate();
    throw;
  }
  other->EndUpdate();
}

void TcxShellThumbnailOptions::EndUpdate() {
  --update_depth_;
  ThumbnailOptionsChanged();
}

void TcxShellThumbnailOptions::ThumbnailOptionsChanged() {
  if (update_depth_ <= 0 && OnThumbnailOptionsChanged) OnThumbnailOptionsChanged(*this);
}

void TcxShellThumbnailOptions::SetHeight(std::int32_t value) {
  if (value == height_) return;
  height_ = value;
  ThumbnailOptionsChanged();
}

void TcxShellThumbnailOptions::SetWidth(std::int32_t value) {
  if (value == width_) return;
  width_ = value;
  ThumbnailOptionsChanged();
}

void TcxShellThumbnailOptions::SetShowThumbnails(bool value) {
  if (value == show_thumbnails_) return;
  show_thumbnails_ = value;
  ThumbnailOptionsChanged();
}

}  // namespace shellcore
