#include "codec/utf8_check.h"

namespace kelvanis {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

Utf8Sequence ReadUtf8Sequence(std::string_view text) {
  const unsigned char lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return {1, true};
  // The length of the sequence and the range of its second byte, which
  // rules out overlong forms, surrogates and code points past U+10FFFF.
  size_t length;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return {1, false};
  }
  for (size_t k = 1; k < length; ++k) {
    if (k >= text.size()) return {k, false};  // cut off
    const unsigned char byte = static_cast<unsigned char>(text[k]);
    if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF)) return {k, false};
  }
  return {length, true};
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const Utf8Sequence sequence = ReadUtf8Sequence(text.substr(i));
    if (!sequence.well_formed) return false;
    i += sequence.size;
  }
  return true;
}

std::string ValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const Utf8Sequence sequence = ReadUtf8Sequence(text.substr(i));
    if (sequence.well_formed && text[i] != '\0') {
      out.append(text.substr(i, sequence.size));
    } else {
      out += kReplacement;  // one for the NUL or the maximal ill-formed part
    }
    i += sequence.size;
  }
  return out;
}

}  // namespace kelvanis
