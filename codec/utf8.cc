// The UTF-8 side of the conversions: the lenient lead-byte decoder and the
// unit-by-unit encoder.
#include <string>
#include <string_view>

#include "codec/sjis.h"
#include "codec/utf8_unit.h"

namespace kelvanis {

size_t DecodeUtf8(char16_t* dst, const char* src, size_t size, bool count_only) {
  const unsigned char* in = reinterpret_cast<const unsigned char*>(src);
  size_t units = 0;
  size_t i = 0;
  if (count_only) {
    while (i < size) {
      i += Utf8GroupSize(in[i]);
      ++units;
    }
    return units;
  }
  while (i < size) {
    dst[units++] = DecodeUtf8Group(in + i, size - i);
    i += Utf8GroupSize(in[i]);
  }
  dst[units] = 0;
  return units;
}

size_t EncodeUtf8(char* dst, const char16_t* src, size_t size, bool count_only) {
  size_t bytes = 0;
  if (count_only) {
    for (size_t i = 0; i < size; ++i) bytes += Utf8EncodedSize(src[i]);
    return bytes;
  }
  for (size_t i = 0; i < size; ++i) bytes += EncodeUtf8Unit(src[i], dst + bytes);
  dst[bytes] = '\0';
  return bytes;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  utf8 = utf8.substr(0, utf8.find('\0'));
  std::u16string out(DecodeUtf8(nullptr, utf8.data(), utf8.size(), true), u'\0');
  DecodeUtf8(out.data(), utf8.data(), utf8.size(), false);
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  utf16 = utf16.substr(0, utf16.find(u'\0'));
  std::string out(EncodeUtf8(nullptr, utf16.data(), utf16.size(), true), '\0');
  EncodeUtf8(out.data(), utf16.data(), utf16.size(), false);
  return out;
}

}  // namespace kelvanis
