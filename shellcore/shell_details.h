#pragma once
// The detail columns a folder offers, as a detail view shows them.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace shellcore {

inline constexpr std::uint8_t kColumnAlignLeft = 0;
inline constexpr std::uint8_t kColumnAlignRight = 1;
inline constexpr std::uint8_t kColumnAlignCenter = 2;

// Titles of the columns used when the folder names none.
inline constexpr wchar_t kColumnTitleName[] = L"Name";
inline constexpr wchar_t kColumnTitleSize[] = L"Size";
inline constexpr wchar_t kColumnTitleType[] = L"Type";
inline constexpr wchar_t kColumnTitleModified[] = L"Modified";

// A folder that answers for every column number would otherwise keep the
// UI thread in LoadColumns for ever; no real folder has this many.
inline constexpr unsigned kMaxDetailColumns = 256;

struct TcxDetailItem {
  std::wstring ColumnTitle;
  std::int32_t ColumnWidth = 0;       // pixels
  std::uint8_t ColumnAlignment = kColumnAlignLeft;
  std::int32_t ColumnIndex = 0;       // the shell's column number
};

class TcxShellDetails {
 public:
  TcxShellDetails() = default;
  TcxShellDetails(const TcxShellDetails&) = delete;
  TcxShellDetails& operator=(const TcxShellDetails&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  TcxDetailItem& Item(int index) { return *items_.at(static_cast<size_t>(index)); }
  const TcxDetailItem& Item(int index) const { return *items_.at(static_cast<size_t>(index)); }
  // Appends a zeroed column and returns it; it stays where it is while the
  // set grows.
  TcxDetailItem& AddColumn();
  void Clear() { items_.clear(); }

  // Replaces the set with the folder's columns; widths are counted in
  // characters of `char_width` pixels, at most kMaxDetailColumns of them.
  // Without any column interface on the folder: Name, and for a file-system
  // folder Size, Type and Modified.
  void LoadColumns(int char_width, IShellFolder* folder, bool file_system);

 private:
  std::vector<std::unique_ptr<TcxDetailItem>> items_;
};

}  // namespace shellcore
