#include "codec/cp932.h"

#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "codec/sjis.h"

namespace kelvanis {
namespace {

// Owns one iconv conversion descriptor.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      std::fprintf(stderr, "kelvanis: iconv cannot convert from %s to %s\n", from, to);
      std::abort();
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in` alone, from the initial state, into `out`; returns the
  // number of bytes written, or 0 when the converter rejects the input or
  // leaves some of it unconverted.
  size_t Convert(const char* in, size_t in_size, char* out, size_t out_size) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* in_ptr = const_cast<char*>(in);
    char* out_ptr = out;
    size_t in_left = in_size;
    size_t out_left = out_size;
    if (iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<size_t>(-1) ||
        in_left != 0) {
      return 0;
    }
    return out_size - out_left;
  }

 private:
  iconv_t cd_;
};

bool IsTrailByte(unsigned b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// One Shift_JIS sequence as a single UTF-16 unit, or kNone.
char16_t ToUnit(Converter& from_sjis, const char* bytes, size_t size) {
  char out[8];
  if (from_sjis.Convert(bytes, size, out, sizeof out) != 2) return Cp932Tables::kNone;
  const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                              static_cast<unsigned char>(out[1]) << 8);
  return unit >= 0xD800 && unit <= 0xDFFF ? Cp932Tables::kNone : unit;
}

std::unique_ptr<Cp932Tables> BuildTables() {
  auto tables = std::make_unique<Cp932Tables>();
  Converter to_sjis("CP932", "UTF-16LE");
  Converter from_sjis("UTF-16LE", "CP932");

  for (unsigned unit = 1; unit < 0x10000; ++unit) {
    tables->to_sjis[unit] = Cp932Tables::kNone;
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;  // a lone surrogate is no character
    const char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    char out[8];
    const size_t n = to_sjis.Convert(in, 2, out, sizeof out);
    const unsigned b0 = static_cast<unsigned char>(out[0]);
    const unsigned b1 = static_cast<unsigned char>(out[1]);
    if (n == 1 && b0 != 0 && !IsSjisLeadByte(b0)) {
      tables->to_sjis[unit] = static_cast<uint16_t>(b0);
    } else if (n == 2 && IsSjisLeadByte(b0) && IsTrailByte(b1)) {
      tables->to_sjis[unit] = static_cast<uint16_t>(b0 << 8 | b1);
    }
  }
  tables->to_sjis[0] = 0;

  for (unsigned byte = 0; byte < 0x100; ++byte) {
    const char in = static_cast<char>(byte);
    tables->from_single[byte] =
        byte == 0 || IsSjisLeadByte(byte) ? Cp932Tables::kNone : ToUnit(from_sjis, &in, 1);
  }
  for (unsigned code = 0; code < 0x10000; ++code) {
    const unsigned lead = code >> 8;
    const unsigned trail = code & 0xFF;
    tables->from_double[code] = Cp932Tables::kNone;
    if (!IsSjisLeadByte(lead) || !IsTrailByte(trail)) continue;
    const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    tables->from_double[code] = ToUnit(from_sjis, in, 2);
  }
  tables->ascii_unchanged = true;
  for (unsigned c = 1; c < 0x80; ++c) {
    if (tables->to_sjis[c] != c || tables->from_single[c] != c) tables->ascii_unchanged = false;
  }
  return tables;
}

}  // namespace

const Cp932Tables& Cp932() {
  static const std::unique_ptr<const Cp932Tables> tables = BuildTables();
  return *tables;
}

}  // namespace kelvanis
