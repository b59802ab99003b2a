// SjisToUtf8 on any bytes: the one-pass conversion equals its two steps,
// and its output is valid UTF-8 of one to three bytes per character, with
// no overlong form and no surrogate, which reads back as the same units.
#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/sjis.h"
#include "fuzz/check.h"

using namespace kelvanis;

namespace {

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Strict UTF-8 of characters below U+10000, surrogates excluded.
bool IsValidUtf8(const std::string& text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const unsigned char b = s[i];
    if (b < 0x80) {
      i += 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
      if (i + 1 >= n || !IsContinuation(s[i + 1])) return false;
      i += 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      if (i + 2 >= n || !IsContinuation(s[i + 1]) || !IsContinuation(s[i + 2])) return false;
      if (b == 0xE0 && s[i + 1] < 0xA0) return false;   // overlong
      if (b == 0xED && s[i + 1] >= 0xA0) return false;  // surrogate
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  const std::string utf8 = SjisToUtf8(in);
  const std::u16string units = SjisToUtf16(in);
  FUZZ_CHECK(utf8 == Utf16ToUtf8(units));
  FUZZ_CHECK(utf8.find('\0') == std::string::npos);
  FUZZ_CHECK(IsValidUtf8(utf8));
  FUZZ_CHECK(Utf8ToUtf16(utf8) == units);
  FUZZ_CHECK(units.size() <= in.size());
  return 0;
}
