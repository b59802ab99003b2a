// Utf8ToSjis on any bytes: the one-pass conversion equals its two steps,
// and its output is valid code page 932 text: every byte sequence in it reads
// back as a character, none as U+FFFD, and it holds no zero byte.
#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/sjis.h"
#include "fuzz/check.h"

using namespace kelvanis;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  const std::string sjis = Utf8ToSjis(in);
  const std::u16string units = Utf8ToUtf16(in);
  FUZZ_CHECK(sjis == Utf16ToSjis(units));
  FUZZ_CHECK(sjis.find('\0') == std::string::npos);
  FUZZ_CHECK(sjis.size() <= 2 * units.size());

  const std::u16string back = SjisToUtf16(sjis);
  FUZZ_CHECK(back.find(u'\xFFFD') == std::u16string::npos);
  // Converting back and forth again changes nothing more.
  FUZZ_CHECK(Utf16ToSjis(back) == sjis);
  FUZZ_CHECK(Utf8ToSjis(SjisToUtf8(sjis)) == sjis);
  return 0;
}
