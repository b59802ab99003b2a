#include "codec/hex.h"

#include <algorithm>

namespace kelvanis {
namespace {

constexpr char kDigits[] = "0123456789abcdef";

// The value of a lower-case hex digit, or -1 for any other character.
int LowerHexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string HexEncode(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  text = text.substr(0, std::min(text.size(), kMaxValueBytes));
  std::string out(2 * text.size(), '\0');
  char* dst = out.data();
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    *dst++ = kDigits[byte >> 4];
    *dst++ = kDigits[byte & 0x0F];
  }
  return out;
}

std::string HexDecode(std::string_view hex) {
  std::string out;
  out.reserve(hex.size() / 2 + 1);
  int high = 0;
  int low = 0;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int h = LowerHexValue(hex[i]);
    if (h >= 0) high = h;
    if (i + 1 < hex.size()) {
      const int l = LowerHexValue(hex[i + 1]);
      if (l >= 0) low = l;
    }
    const int byte = 16 * high + low;
    if (byte == 0) break;
    out += static_cast<char>(byte);
  }
  return out;
}

std::string PickField(std::string_view row, int index) {
  static constexpr std::string_view kSeparator = ";;";
  for (int i = 0; i < index; ++i) {
    const size_t at = row.find(kSeparator);
    if (at == std::string_view::npos) return std::string();
    row.remove_prefix(at + kSeparator.size());
  }
  return std::string(row.substr(0, row.find(kSeparator)));
}

}  // namespace kelvanis
