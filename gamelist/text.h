#pragma once
// UTF-8 <-> UTF-16 at the boundary between the portable core and the
// platform. A lone surrogate survives the round trip (it is carried as its
// three-byte generalised UTF-8 form) so that the XML writer can report it
// instead of the conversion silently altering a name.
#include <cstddef>
#include <string>
#include <string_view>

namespace gamelist {

inline constexpr char32_t kInvalidCodePoint = 0xFFFFFFFF;

// Decodes the code point at `pos` and advances past it. Surrogate code points
// (ED A0..BF xx) are decoded as such; any other malformed or overlong
// sequence yields kInvalidCodePoint and advances by one byte.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos);

void AppendUtf8(std::string& out, char32_t code_point);

// True when `text` is UTF-8 without surrogate code points.
bool IsValidUtf8(std::string_view text);

std::string Utf16ToUtf8(std::u16string_view text);
// Throws GamelistError on bytes that are not (generalised) UTF-8.
std::u16string Utf8ToUtf16(std::string_view text);

// Printable ASCII as it is; other bytes as \xHH, backslash doubled. For
// naming a text or a file name in a message.
std::string EscapeForMessage(std::string_view text);

// Maps "a"-"z" to "A"-"Z" and nothing else.
char16_t AsciiUpper(char16_t unit);

}  // namespace gamelist
