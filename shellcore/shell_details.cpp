#include "shellcore/shell_details.h"

#include <commctrl.h>
#include <versionhelpers.h>
#include <wrl/client.h>

#include "shellcore/shell_access.h"

namespace shellcore {

using Microsoft::WRL::ComPtr;

namespace {

std::uint8_t AlignmentOf(int format) {
  switch (format & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT:
      return kColumnAlignRight;
    case LVCFMT_CENTER:
      return kColumnAlignCenter;
    default:
      return kColumnAlignLeft;
  }
}

}  // namespace

TcxDetailItem& TcxShellDetails::AddColumn() {
  items_.push_back(std::make_unique<TcxDetailItem>());
  return *items_.back();
}

void TcxShellDetails::LoadColumns(int char_width, IShellFolder* folder, bool file_system) {
  Clear();
  auto add_shell_column = [&](UINT column, SHELLDETAILS& details) {
    TcxDetailItem& item = AddColumn();
    item.ColumnTitle = StrRetText(details.str, nullptr);
    item.ColumnWidth = details.cxChar * char_width;
    item.ColumnAlignment = AlignmentOf(details.fmt);
    item.ColumnIndex = static_cast<std::int32_t>(column);
  };
  auto add_fixed_column = [&](const wchar_t* title, int chars, int index, std::uint8_t alignment) {
    TcxDetailItem& item = AddColumn();
    item.ColumnTitle = title;
    item.ColumnWidth = chars * char_width;
    item.ColumnAlignment = alignment;
    item.ColumnIndex = index;
  };

  ComPtr<IShellFolder2> folder2;
  if (folder && SUCCEEDED(folder->QueryInterface(IID_PPV_ARGS(&folder2))) && folder2) {
    // Before Windows XP the columns shown by default come first, so the first
    // one after them that is not shown by default ends the set.
    const bool defaults_lead = !IsWindowsXPOrGreater();
    bool met_default = false;
    for (UINT column = 0; column < kMaxDetailColumns; ++column) {
      SHELLDETAILS details{};
      if (FAILED(folder2->GetDetailsOf(nullptr, column, &details))) break;
      SHCOLSTATEF state = 0;
      if (SUCCEEDED(folder2->GetDefaultColumnState(column, &state))) {
        const bool on_by_default = (state & SHCOLSTATE_ONBYDEFAULT) != 0;
        if (defaults_lead && met_default && !on_by_default) {
          StrRetText(details.str, nullptr);  // releases a wide title
          break;
        }
        if (on_by_default) met_default = true;
        if (!on_by_default || (state & SHCOLSTATE_HIDDEN)) {
          StrRetText(details.str, nullptr);
          continue;
        }
      }
      add_shell_column(column, details);
    }
    return;
  }

  ComPtr<IShellDetails> shell_details;
  if (folder && QueryShellDetails(folder, nullptr, shell_details) == S_OK) {
    for (UINT column = 0; column < kMaxDetailColumns; ++column) {
      SHELLDETAILS details{};
      if (FAILED(shell_details->GetDetailsOf(nullptr, column, &details))) break;
      add_shell_column(column, details);
    }
    return;
  }

  add_fixed_column(kColumnTitleName, 25, 0, kColumnAlignLeft);
  if (file_system) {
    add_fixed_column(kColumnTitleSize, 10, 1, kColumnAlignRight);
    add_fixed_column(kColumnTitleType, 10, 2, kColumnAlignLeft);
    add_fixed_column(kColumnTitleModified, 14, 3, kColumnAlignLeft);
  }
}

}  // namespace shellcore
