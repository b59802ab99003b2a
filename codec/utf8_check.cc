#include "codec/utf8_check.h"

namespace kelvanis {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// ReadUtf8Sequence on the `left` (at least 1) bytes at `in`; kept here so
// that the loops below get it inlined.
inline Utf8Sequence ReadSequence(const unsigned char* in, size_t left) {
  const unsigned char lead = in[0];
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
  const size_t present = length < left ? length : left;
  if (present > 1 && (in[1] < low || in[1] > high)) return {1, false};
  for (size_t k = 2; k < present; ++k) {
    if (in[k] < 0x80 || in[k] > 0xBF) return {k, false};
  }
  return {present, present == length};  // not well-formed when cut off
}

const unsigned char* Bytes(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

}  // namespace

Utf8Sequence ReadUtf8Sequence(std::string_view text) {
  return ReadSequence(Bytes(text), text.size());
}

bool IsValidUtf8(std::string_view text) {
  const unsigned char* in = Bytes(text);
  size_t i = 0;
  while (i < text.size()) {
    const Utf8Sequence sequence = ReadSequence(in + i, text.size() - i);
    if (!sequence.well_formed) return false;
    i += sequence.size;
  }
  return true;
}

std::string ValidUtf8(std::string_view text) {
  const unsigned char* in = Bytes(text);
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const Utf8Sequence sequence = ReadSequence(in + i, text.size() - i);
    if (sequence.well_formed && in[i] != 0) {
      out.append(text.substr(i, sequence.size));
    } else {
      out += kReplacement;  // one for the NUL or the maximal ill-formed part
    }
    i += sequence.size;
  }
  return out;
}

}  // namespace kelvanis
