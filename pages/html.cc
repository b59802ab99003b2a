#include "pages/html.h"

#include <array>

namespace kelvanis {

namespace {

// True for the bytes that HtmlEscape replaces.
constexpr std::array<bool, 256> kSpecial = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : {'&', '<', '>', '"', '\''}) table[c] = true;
  return table;
}();

const char* Reference(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    default:
      return "&#39;";
  }
}

}  // namespace

void AppendHtmlEscaped(std::string* out, std::string_view text) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!kSpecial[static_cast<unsigned char>(text[i])]) continue;
    out->append(text, start, i - start);
    out->append(Reference(text[i]));
    start = i + 1;
  }
  out->append(text, start, text.size() - start);
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendHtmlEscaped(&out, text);
  return out;
}

std::string QueryEscape(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

}  // namespace kelvanis
