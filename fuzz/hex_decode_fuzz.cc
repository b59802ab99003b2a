// HexDecode on any text agrees with a pair-by-pair reference and never
// yields a zero byte; HexEncode writes lower-case digits of at most the
// first 1024 bytes, and HexDecode gives those bytes back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/hex.h"
#include "fuzz/check.h"

using kelvanis::HexDecode;
using kelvanis::HexEncode;
using kelvanis::kMaxValueBytes;

namespace {

int Digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Reference(std::string_view hex) {
  std::string out;
  int high = 0, low = 0;
  for (size_t i = 0; i < hex.size(); i += 2) {
    if (Digit(hex[i]) >= 0) high = Digit(hex[i]);
    if (i + 1 < hex.size() && Digit(hex[i + 1]) >= 0) low = Digit(hex[i + 1]);
    if (high == 0 && low == 0) break;
    out += static_cast<char>(16 * high + low);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);

  const std::string decoded = HexDecode(in);
  FUZZ_CHECK(decoded == Reference(in));
  FUZZ_CHECK(decoded.find('\0') == std::string::npos);
  FUZZ_CHECK(decoded.size() <= (in.size() + 1) / 2);

  const std::string plain = in.substr(0, std::min(in.find('\0'), kMaxValueBytes));
  const std::string hex = HexEncode(in);
  FUZZ_CHECK(hex.size() == 2 * plain.size());
  FUZZ_CHECK(hex.find_first_not_of("0123456789abcdef") == std::string::npos);
  FUZZ_CHECK(HexDecode(hex) == plain);
  return 0;
}
