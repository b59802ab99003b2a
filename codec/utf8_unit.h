// One group of lenient UTF-8 and one UTF-16 unit, shared by the step
// functions and the fused conversions. Internal to codec/.
#pragma once

#include <cstddef>

namespace kelvanis {

// The number of bytes the lead byte `lead` takes: 1 for 0x00-0x7F, 2 for
// 0xC0-0xDF, 3 for every other byte.
inline size_t Utf8GroupSize(unsigned char lead) {
  if (lead < 0x80) return 1;
  return (lead & 0xE0) == 0xC0 ? 2 : 3;
}

// The unit of the group that starts at `in`, of which `left` (at least 1)
// bytes remain. Bytes after the lead count their low six bits whatever they
// are; bytes missing at the end count as zero bits and are not read.
inline char16_t DecodeUtf8Group(const unsigned char* in, size_t left) {
  const unsigned lead = in[0];
  if (lead < 0x80) return static_cast<char16_t>(lead);
  const unsigned b1 = left > 1 ? in[1] & 0x3Fu : 0;
  if ((lead & 0xE0) == 0xC0) return static_cast<char16_t>((lead & 0x1F) << 6 | b1);
  const unsigned b2 = left > 2 ? in[2] & 0x3Fu : 0;
  return static_cast<char16_t>((lead & 0x0F) << 12 | b1 << 6 | b2);
}

// The number of UTF-8 bytes of `unit`: 1, 2 or 3.
inline size_t Utf8EncodedSize(char16_t unit) {
  if (unit < 0x80) return 1;
  return unit < 0x800 ? 2 : 3;
}

// Writes `unit` as 1, 2 or 3 bytes at `out`; returns the number written.
// A surrogate is written like any other unit.
inline size_t EncodeUtf8Unit(char16_t unit, char* out) {
  if (unit < 0x80) {
    out[0] = static_cast<char>(unit);
    return 1;
  }
  if (unit < 0x800) {
    out[0] = static_cast<char>(0xC0 | unit >> 6);
    out[1] = static_cast<char>(0x80 | (unit & 0x3F));
    return 2;
  }
  out[0] = static_cast<char>(0xE0 | unit >> 12);
  out[1] = static_cast<char>(0x80 | (unit >> 6 & 0x3F));
  out[2] = static_cast<char>(0x80 | (unit & 0x3F));
  return 3;
}

}  // namespace kelvanis
