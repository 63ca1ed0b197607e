#pragma once
// Listing a ROM folder the way the window does: flat, in the platform's
// order, without the dot entries and without plain folders (attribute word
// exactly 16). Any other entry is listed: files of every kind, hidden and
// system ones included, and folders that carry a further flag.
#include <cstdint>
#include <functional>
#include <string>

namespace gamelist {

inline constexpr std::uint32_t kAttrReadOnly = 0x1;
inline constexpr std::uint32_t kAttrHidden = 0x2;
inline constexpr std::uint32_t kAttrSystem = 0x4;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kAttrReparsePoint = 0x400;

struct FolderEntry {
  std::string name;  // UTF-8, no folder part
  std::uint32_t attributes = 0;
};

// Reports every entry of `folder` (the dot entries too) with its attribute
// word. On Windows that is FindFirstFileW over folder + "\*.*"; on Linux the
// word is made the way Wine makes it for the same entry, so both builds list
// a folder alike. Returns false, with the reason in `error` when asked, when
// the enumeration cannot start: an empty path (it names no folder), a path
// that does not exist or is not a folder, an unreadable folder. On Linux a
// name that is not UTF-8 also fails the listing, naming the entry.
bool EnumerateFolder(const std::string& folder, const std::function<void(const FolderEntry&)>& each,
                     std::string* error = nullptr);

bool IsRomEntry(const FolderEntry& entry);

// The accepted names of `folder`, one call of `add` each, in the platform's order.
bool ListRomFolder(const std::string& folder, const std::function<void(const std::string&)>& add,
                   std::string* error = nullptr);

}  // namespace gamelist
