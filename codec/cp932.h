// The code page 932 (Microsoft's Shift_JIS) mapping as lookup tables.
//
// The tables are filled once, on first use, from glibc's iconv "CP932"
// converter and never change afterwards, so any thread may read them.
// Internal to codec/: the public conversions are in codec/sjis.h.
#pragma once

#include <cstdint>

namespace kelvanis {

struct Cp932Tables {
  // Marks a unit or a byte sequence that the code page does not map.
  static constexpr uint16_t kNone = 0;

  // UTF-16 unit -> Shift_JIS: a value below 0x100 is one byte, a larger one
  // the two bytes (lead << 8) | trail; kNone when unmapped. Best-fit
  // mappings of the converter are included, so several units may share one
  // code (U+301C and U+FF5E both give 81 60).
  uint16_t to_sjis[0x10000];

  // Shift_JIS -> UTF-16 unit: by the byte for single bytes, by
  // (lead << 8) | trail for double bytes; kNone when unmapped. The single-byte
  // entry of a lead byte is kNone.
  char16_t from_single[0x100];
  char16_t from_double[0x10000];

  // True when every byte 0x01-0x7F stands for the same ASCII character both
  // ways, so that runs of ASCII can be copied as they are.
  bool ascii_unchanged;
};

// The tables; builds them on the first call. Aborts the process if glibc
// has no CP932 converter, since no conversion could then be trusted.
const Cp932Tables& Cp932();

}  // namespace kelvanis
