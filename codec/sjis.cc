// The Shift_JIS side of the conversions, by the code page 932 tables, and
// the two whole conversions. The whole conversions run both steps in one
// pass, unit by unit, with the same result as the two steps one after the
// other.
#include "codec/sjis.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "codec/cp932.h"
#include "codec/utf8_unit.h"

namespace kelvanis {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsByteOrderMark(char16_t unit) { return unit == 0xFEFF || unit == 0xFFFE; }

// Appends the Shift_JIS form of `unit` (not 0) at `out`; one space when the
// code page lacks it. Returns the number of bytes written.
size_t PutSjis(const Cp932Tables& t, char16_t unit, char* out) {
  const uint16_t code = t.to_sjis[unit];
  if (code == Cp932Tables::kNone) {
    out[0] = ' ';
    return 1;
  }
  if (code < 0x100) {
    out[0] = static_cast<char>(code);
    return 1;
  }
  out[0] = static_cast<char>(code >> 8);
  out[1] = static_cast<char>(code & 0xFF);
  return 2;
}

// The unit of the Shift_JIS character at in[0], of which `left` (at least 1)
// bytes remain; sets `size` to the bytes it takes. A byte that starts no
// valid character gives U+FFFD and takes one byte.
char16_t TakeSjis(const Cp932Tables& t, const unsigned char* in, size_t left, size_t& size) {
  const unsigned lead = in[0];
  const char16_t single = t.from_single[lead];
  if (single != Cp932Tables::kNone) {
    size = 1;
    return single;
  }
  if (left > 1) {
    const char16_t unit = t.from_double[lead << 8 | in[1]];
    if (unit != Cp932Tables::kNone) {
      size = 2;
      return unit;
    }
  }
  size = 1;
  return kReplacement;
}

// Copies the ASCII bytes at the start of `in` (`size` bytes, the first of
// them ASCII) to `dst`, up to eight at a time; returns how many it copied.
// Writes eight bytes at `dst` whenever eight bytes remain in `in`.
inline size_t CopyAscii(const unsigned char* in, size_t size, char* dst) {
  if (size < 8) {
    dst[0] = static_cast<char>(in[0]);
    return 1;
  }
  uint64_t word;
  std::memcpy(&word, in, 8);
  std::memcpy(dst, &word, 8);
  const uint64_t high = word & 0x8080808080808080u;
  return high == 0 ? 8 : static_cast<size_t>(std::countr_zero(high)) / 8;
}

}  // namespace

bool IsSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

size_t SjisPrefixLength(std::string_view sjis, size_t max_bytes) {
  const size_t limit = std::min(sjis.size(), max_bytes);
  size_t i = 0;
  while (i < limit) {
    const unsigned char lead = static_cast<unsigned char>(sjis[i]);
    size_t size = 1;
    if (IsSjisLeadByte(lead) && i + 1 < sjis.size()) {
      const unsigned char trail = static_cast<unsigned char>(sjis[i + 1]);
      if ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC)) size = 2;
    }
    if (i + size > limit) break;
    i += size;
  }
  return i;
}

std::string Utf16ToSjis(std::u16string_view utf16) {
  const Cp932Tables& t = Cp932();
  utf16 = utf16.substr(0, utf16.find(u'\0'));
  if (!utf16.empty() && IsByteOrderMark(utf16.front())) utf16.remove_prefix(1);
  std::string out(2 * utf16.size(), '\0');
  size_t n = 0;
  for (const char16_t unit : utf16) n += PutSjis(t, unit, out.data() + n);
  out.resize(n);
  return out;
}

std::u16string SjisToUtf16(std::string_view sjis) {
  const Cp932Tables& t = Cp932();
  sjis = sjis.substr(0, sjis.find('\0'));
  const unsigned char* in = reinterpret_cast<const unsigned char*>(sjis.data());
  std::u16string out(sjis.size(), u'\0');
  size_t n = 0;
  size_t i = 0;
  while (i < sjis.size()) {
    size_t size;
    out[n++] = TakeSjis(t, in + i, sjis.size() - i, size);
    i += size;
  }
  out.resize(n);
  return out;
}

std::string Utf8ToSjis(std::string_view utf8) {
  const Cp932Tables& t = Cp932();
  utf8 = utf8.substr(0, utf8.find('\0'));
  const unsigned char* in = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t size = utf8.size();
  // Every group gives at most as many Shift_JIS bytes as it has UTF-8 bytes,
  // except a group cut short at the end, which still gives at most two.
  std::string out(size + 2, '\0');
  char* dst = out.data();
  size_t n = 0;
  size_t i = 0;
  if (size > 0 && IsByteOrderMark(DecodeUtf8Group(in, size))) i = Utf8GroupSize(in[0]);
  while (i < size) {
    const unsigned char lead = in[i];
    if (lead < 0x80 && t.ascii_unchanged) {
      const size_t k = CopyAscii(in + i, size - i, dst + n);
      i += k;
      n += k;
      continue;
    }
    char16_t unit;
    if (lead >= 0xE0 && size - i >= 3) {  // the common case of Japanese text
      unit =
          static_cast<char16_t>((lead & 0x0F) << 12 | (in[i + 1] & 0x3F) << 6 | (in[i + 2] & 0x3F));
      i += 3;
      const uint16_t code = t.to_sjis[unit];
      if (code >= 0x100) {
        dst[n] = static_cast<char>(code >> 8);
        dst[n + 1] = static_cast<char>(code & 0xFF);
        n += 2;
        continue;
      }
    } else {
      unit = DecodeUtf8Group(in + i, size - i);
      i += Utf8GroupSize(lead);
    }
    if (unit == 0) break;
    n += PutSjis(t, unit, dst + n);
  }
  out.resize(n);
  return out;
}

std::string SjisToUtf8(std::string_view sjis) {
  const Cp932Tables& t = Cp932();
  sjis = sjis.substr(0, sjis.find('\0'));
  const unsigned char* in = reinterpret_cast<const unsigned char*>(sjis.data());
  const size_t size = sjis.size();
  // One byte gives at most three UTF-8 bytes (U+FFFD or a half-width kana).
  std::string out(3 * size, '\0');
  char* dst = out.data();
  size_t n = 0;
  size_t i = 0;
  while (i < size) {
    if (in[i] < 0x80 && t.ascii_unchanged) {
      const size_t k = CopyAscii(in + i, size - i, dst + n);
      i += k;
      n += k;
      continue;
    }
    if (size - i >= 2) {  // the common case of a double-byte character
      const char16_t unit = t.from_double[in[i] << 8 | in[i + 1]];
      if (unit >= 0x800) {
        dst[n] = static_cast<char>(0xE0 | unit >> 12);
        dst[n + 1] = static_cast<char>(0x80 | (unit >> 6 & 0x3F));
        dst[n + 2] = static_cast<char>(0x80 | (unit & 0x3F));
        n += 3;
        i += 2;
        continue;
      }
    }
    size_t taken;
    const char16_t unit = TakeSjis(t, in + i, size - i, taken);
    i += taken;
    n += EncodeUtf8Unit(unit, dst + n);
  }
  out.resize(n);
  return out;
}

}  // namespace kelvanis
