// Validity of UTF-8 text.
#pragma once

#include <string_view>

namespace kelvanis {

// True when `text` is well-formed UTF-8: no stray continuation bytes, no
// truncated or overlong sequences, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

}  // namespace kelvanis
