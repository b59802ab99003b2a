#include "codec/hex.h"

#include <algorithm>

#include "codec/hex_blocks.h"

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
  text = text.substr(0, std::min(text.size(), kMaxValueBytes));
  std::string out(2 * text.size(), '\0');
  char* dst = out.data();
  // The blocks stop short of a zero byte; the rest goes byte by byte.
  size_t i = EncodeHexBlocks(text.data(), text.size(), dst);
  for (; i < text.size() && text[i] != '\0'; ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    dst[2 * i] = kDigits[byte >> 4];
    dst[2 * i + 1] = kDigits[byte & 0x0F];
  }
  out.resize(2 * i);
  return out;
}

std::string HexDecode(std::string_view hex) {
  std::string out((hex.size() + 1) / 2, '\0');
  char* dst = out.data();
  int high = 0;
  int low = 0;
  size_t i = 0;
  while (i < hex.size()) {
    const size_t done = DecodeHexBlocks(hex.data() + i, hex.size() - i, dst + i / 2);
    if (done > 0) {
      const unsigned char last = static_cast<unsigned char>(dst[(i + done) / 2 - 1]);
      high = last >> 4;
      low = last & 0x0F;
      i += done;
    }
    // Pair by pair up to the next block: past a non-digit, to a zero byte,
    // or to the end.
    const size_t end = std::min(hex.size(), i + 64);
    for (; i < end; i += 2) {
      const int h = LowerHexValue(hex[i]);
      if (h >= 0) high = h;
      if (i + 1 < hex.size()) {
        const int l = LowerHexValue(hex[i + 1]);
        if (l >= 0) low = l;
      }
      const int byte = 16 * high + low;
      if (byte == 0) {
        out.resize(i / 2);
        return out;
      }
      dst[i / 2] = static_cast<char>(byte);
    }
  }
  out.resize((hex.size() + 1) / 2);
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
