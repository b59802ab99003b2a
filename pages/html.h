// Escaping of values inserted into generated pages.
#pragma once

#include <string>
#include <string_view>

namespace kelvanis {

// & < > " ' as character references; every other byte unchanged.
std::string HtmlEscape(std::string_view text);

// HtmlEscape(text) appended to `out`.
void AppendHtmlEscaped(std::string* out, std::string_view text);

// Percent-encodes every byte but A-Z a-z 0-9 - . _ ~ for use as a URL query
// value.
std::string QueryEscape(std::string_view text);

}  // namespace kelvanis
