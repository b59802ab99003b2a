// Form data: the name=value&... syntax of URL queries and form-urlencoded bodies.
//
// All functions work byte by byte on 8-bit text and know nothing of character
// sets. None of them fails: a missing parameter yields "", a bad escape still
// yields a byte.
#pragma once

#include <string>
#include <string_view>

namespace kelvanis {

// The value of parameter `name` in `text`: the bytes after the first "name="
// that starts a parameter (at the start of `text`, or right after "?" or "&"),
// cut before the first "&". A value that then begins with a double quote loses
// its first and last byte. Not decoded, not trimmed; "" when absent.
// Names are compared case-sensitively.
std::string GetParam(std::string_view text, std::string_view name);

// The byte that two characters of an escape stand for: each character counts
// (c & 0xDF) - 0x37 when, as a signed byte, it is at least 'A', else c - '0';
// the result is 16 * first + second modulo 256. Never fails.
unsigned char HexPairToByte(const char* pair);

// Undoes %XX escapes and "+" over the whole of `text`. An escape that yields
// 0 is kept as a 0 byte; a "%" followed by fewer than two bytes is copied as
// it stands, together with the byte after it. Bytes an escape produced are
// not examined again. The result is never longer than `text`.
std::string UrlDecode(std::string_view text);

// The text up to, not including, its first NUL byte (all of it when none).
std::string_view UpToNul(std::string_view text);

// What a reader of the decoded C string sees: UpToNul(UrlDecode(text)).
// The router decodes URLs with this before it looks for a route.
std::string DecodeFormText(std::string_view text);

// The value of parameter `name` picked from `text` as it stands and then
// decoded (DecodeFormText), so an escaped "&" or "=" stays in the value.
std::string DecodedParam(std::string_view text, std::string_view name);

}  // namespace kelvanis
