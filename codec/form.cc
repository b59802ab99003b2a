#include "codec/form.h"

namespace kelvanis {
namespace {

// The value one character of an escape counts for; may be negative or above
// 15 for characters that are not hex digits.
int EscapeDigitValue(char c) {
  const signed char s = static_cast<signed char>(c);
  if (s >= 'A') return (s & 0xDF) - 0x37;
  return s - '0';
}

}  // namespace

std::string GetParam(std::string_view text, std::string_view name) {
  std::string key(name);
  key += '=';
  size_t at = text.find(key);
  while (at != std::string_view::npos && at != 0 && text[at - 1] != '?' && text[at - 1] != '&') {
    at = text.find(key, at + 1);
  }
  if (at == std::string_view::npos) return std::string();

  std::string_view value = text.substr(at + key.size());
  value = value.substr(0, value.find('&'));
  if (!value.empty() && value.front() == '"') {
    value = value.size() <= 2 ? std::string_view() : value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

unsigned char HexPairToByte(const char* pair) {
  const int value = 16 * EscapeDigitValue(pair[0]) + EscapeDigitValue(pair[1]);
  return static_cast<unsigned char>(value & 0xFF);
}

std::string UrlDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '%') {
      if (text.size() - i < 3) {
        // An escape cut short by the end of the text is kept as it stands.
        out.append(text.substr(i));
        break;
      }
      out += static_cast<char>(HexPairToByte(text.data() + i + 1));
      i += 3;
    } else {
      out += c == '+' ? ' ' : c;
      ++i;
    }
  }
  return out;
}

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

std::string DecodeFormText(std::string_view text) { return std::string(UpToNul(UrlDecode(text))); }

std::string DecodedParam(std::string_view text, std::string_view name) {
  return DecodeFormText(GetParam(text, name));
}

}  // namespace kelvanis
