// Well-formed UTF-8: telling it apart and repairing text that is not.
//
// A sequence is well-formed when its lead byte is 0x00-0x7F, 0xC2-0xDF,
// 0xE0-0xEF or 0xF0-0xF4, its continuation bytes are 0x80-0xBF, and it is
// neither overlong, nor a surrogate, nor past U+10FFFF. NUL is well-formed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvanis {

// The UTF-8 sequence at the start of a text.
struct Utf8Sequence {
  size_t size;  // bytes taken: the sequence, or its maximal ill-formed part
  bool well_formed;
};

// Reads the sequence that starts `text`, which must not be empty. When it is
// well-formed, `size` is its length (1 to 4). When not, `size` is the length
// of its maximal ill-formed part: the lead and the continuation bytes that
// fit so far (1 for a byte that starts no sequence).
Utf8Sequence ReadUtf8Sequence(std::string_view text);

// True when all of `text` is well-formed UTF-8: no stray continuation bytes,
// no truncated or overlong sequences, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// `text` with every NUL byte and every maximal part of an ill-formed
// sequence (stray continuation bytes, overlong forms, surrogates, code points
// past U+10FFFF, cut-off sequences) replaced by U+FFFD. Well-formed text
// without NUL comes back unchanged.
std::string ValidUtf8(std::string_view text);

}  // namespace kelvanis
