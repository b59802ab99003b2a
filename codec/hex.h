// The stored form of text values, and the fields of a result row.
//
// Hex text: every byte as two lower-case hex digits, nothing between.
// A RowText: the column texts of one result row joined with ";;".
#pragma once

#include <string>
#include <string_view>

namespace kelvanis {

// Longest value, in bytes, that HexEncode encodes; longer input is cut.
inline constexpr size_t kMaxValueBytes = 1024;

// Lower-case hex of the bytes of `text` up to its first zero byte, at most
// the first kMaxValueBytes of them.
std::string HexEncode(std::string_view text);

// The bytes that hex text stands for, read in pairs. Only 0-9 and a-f are
// digits; any other character (and a missing second character) leaves that
// nibble as the previous pair set it, both starting at zero. The result ends
// before the first zero byte. No length limit.
std::string HexDecode(std::string_view hex);

// Field `index` (from 0) of a RowText: the fields are separated by the
// leftmost ";;" each time. index <= 0 gives the first field; an index past
// the last field gives "".
std::string PickField(std::string_view row, int index);

}  // namespace kelvanis
