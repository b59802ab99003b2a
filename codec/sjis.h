// Conversion between UTF-8 and Shift_JIS (code page 932), with UTF-16 as the
// pivot.
//
// The UTF-8 side is lenient: the lead byte alone decides the length of a
// group, so malformed input still converts, one unit per group. The
// Shift_JIS side uses tables built once from glibc's iconv "CP932" mapping;
// no process-wide locale is touched. All functions are safe to call from any
// thread once the tables exist (the first call builds them).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvanis {

// UTF-8 -> Shift_JIS. A leading byte-order mark is dropped; a unit that code
// page 932 lacks becomes one space; the text ends at the first zero unit.
std::string Utf8ToSjis(std::string_view utf8);

// Shift_JIS -> UTF-8. The text ends at the first zero byte. A byte that does
// not start a valid code page 932 character (a lone lead byte at the end
// included) becomes U+FFFD; everything valid around it converts.
std::string SjisToUtf8(std::string_view sjis);

// The two steps of each direction.
std::u16string Utf8ToUtf16(std::string_view utf8);   // stops at the first NUL byte
std::string Utf16ToSjis(std::u16string_view utf16);  // stops at the first zero unit
std::u16string SjisToUtf16(std::string_view sjis);   // stops at the first NUL byte
std::string Utf16ToUtf8(std::u16string_view utf16);  // stops at the first zero unit; each
                                                     // unit on its own, 1 to 3 bytes

// The lead-byte rule over `size` bytes of `src`: returns the number of units.
// With count_only the destination is not touched (and may be null);
// otherwise the units and a terminating zero unit are written to `dst`,
// which must hold result + 1 units. Never reads src[size] or beyond.
size_t DecodeUtf8(char16_t* dst, const char* src, size_t size, bool count_only);

// Each of `size` units of `src` as 1, 2 or 3 UTF-8 bytes: returns the number
// of bytes. With count_only nothing is written; otherwise the bytes and a
// terminating zero byte go to `dst`, which must hold result + 1 bytes.
size_t EncodeUtf8(char* dst, const char16_t* src, size_t size, bool count_only);

// True for a byte that starts a double-byte code page 932 character
// (0x81-0x9F, 0xE0-0xFC).
bool IsSjisLeadByte(unsigned char byte);

// The length of the longest prefix of `sjis` of at most `max_bytes` bytes
// that does not end in the middle of a double-byte character (a lead byte
// followed by a byte of 0x40-0x7E or 0x80-0xFC).
size_t SjisPrefixLength(std::string_view sjis, size_t max_bytes);

}  // namespace kelvanis
