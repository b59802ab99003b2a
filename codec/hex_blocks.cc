#include "codec/hex_blocks.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace kelvanis {
namespace {

#if defined(__SSE2__)

// SSE2: 16 bytes, 32 digits per block.

__m128i NibblesToDigits(__m128i v) {
  const __m128i letter = _mm_cmpgt_epi8(v, _mm_set1_epi8(9));
  return _mm_add_epi8(_mm_add_epi8(v, _mm_set1_epi8('0')),
                      _mm_and_si128(letter, _mm_set1_epi8('a' - '0' - 10)));
}

size_t EncodeSse2(const char* src, size_t size, char* dst) {
  const __m128i mask = _mm_set1_epi8(0x0F);
  size_t i = 0;
  for (; size - i >= 16; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_setzero_si128())) != 0) break;
    const __m128i high = NibblesToDigits(_mm_and_si128(_mm_srli_epi16(bytes, 4), mask));
    const __m128i low = NibblesToDigits(_mm_and_si128(bytes, mask));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 2 * i), _mm_unpacklo_epi8(high, low));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 2 * i + 16), _mm_unpackhi_epi8(high, low));
  }
  return i;
}

// The values of 16 characters; `valid` tells whether all are digits.
__m128i DigitValues(__m128i chars, bool& valid) {
  const __m128i d = _mm_sub_epi8(chars, _mm_set1_epi8('0'));
  const __m128i l = _mm_sub_epi8(chars, _mm_set1_epi8('a'));
  const __m128i is_digit = _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(9)), d);
  const __m128i is_letter = _mm_cmpeq_epi8(_mm_min_epu8(l, _mm_set1_epi8(5)), l);
  valid = _mm_movemask_epi8(_mm_or_si128(is_digit, is_letter)) == 0xFFFF;
  return _mm_or_si128(_mm_and_si128(is_digit, d),
                      _mm_andnot_si128(is_digit, _mm_add_epi8(l, _mm_set1_epi8(10))));
}

size_t DecodeSse2(const char* src, size_t size, char* dst) {
  const __m128i low_byte = _mm_set1_epi16(0x00FF);
  size_t i = 0;
  for (; size - i >= 32; i += 32) {
    bool valid0, valid1;
    const __m128i v0 =
        DigitValues(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), valid0);
    const __m128i v1 =
        DigitValues(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 16)), valid1);
    if (!valid0 || !valid1) break;
    // In each 16-bit lane the high nibble is the lower byte.
    const __m128i w0 =
        _mm_or_si128(_mm_slli_epi16(_mm_and_si128(v0, low_byte), 4), _mm_srli_epi16(v0, 8));
    const __m128i w1 =
        _mm_or_si128(_mm_slli_epi16(_mm_and_si128(v1, low_byte), 4), _mm_srli_epi16(v1, 8));
    const __m128i bytes = _mm_packus_epi16(w0, w1);
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_setzero_si128())) != 0) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i / 2), bytes);
  }
  return i;
}

// AVX2: 32 bytes, 64 digits per block.

__attribute__((target("avx2"))) size_t EncodeAvx2(const char* src, size_t size, char* dst) {
  const __m256i digits = _mm256_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a',
                                          'b', 'c', 'd', 'e', 'f', '0', '1', '2', '3', '4', '5',
                                          '6', '7', '8', '9', 'a', 'b', 'c', 'd', 'e', 'f');
  const __m256i mask = _mm256_set1_epi8(0x0F);
  size_t i = 0;
  for (; size - i >= 32; i += 32) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, _mm256_setzero_si256())) != 0) break;
    const __m256i high =
        _mm256_shuffle_epi8(digits, _mm256_and_si256(_mm256_srli_epi16(bytes, 4), mask));
    const __m256i low = _mm256_shuffle_epi8(digits, _mm256_and_si256(bytes, mask));
    // Per 128-bit lane: unpacklo holds bytes 0-7 (16-23), unpackhi 8-15 (24-31).
    const __m256i a = _mm256_unpacklo_epi8(high, low);
    const __m256i b = _mm256_unpackhi_epi8(high, low);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 2 * i),
                        _mm256_permute2x128_si256(a, b, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 2 * i + 32),
                        _mm256_permute2x128_si256(a, b, 0x31));
  }
  return i;
}

// The values of 32 characters, each 0-15 when it is a digit; sets `valid`
// to all ones in each byte that is a digit, to zero elsewhere.
__attribute__((target("avx2"))) __m256i DigitValuesAvx2(__m256i chars, __m256i& valid) {
  // Moved so that the digits (and, in a second test, the letters a-f) become
  // the lowest signed byte values, -128 and up.
  const __m256i is_digit =
      _mm256_cmpgt_epi8(_mm256_set1_epi8(-128 + 10),
                        _mm256_add_epi8(chars, _mm256_set1_epi8(static_cast<char>(0x80 - '0'))));
  const __m256i is_letter =
      _mm256_cmpgt_epi8(_mm256_set1_epi8(-128 + 6),
                        _mm256_add_epi8(chars, _mm256_set1_epi8(static_cast<char>(0x80 - 'a'))));
  valid = _mm256_or_si256(is_digit, is_letter);
  // '0'-'9' end in 0-9, 'a'-'f' in 1-6.
  return _mm256_add_epi8(_mm256_and_si256(chars, _mm256_set1_epi8(0x0F)),
                         _mm256_and_si256(is_letter, _mm256_set1_epi8(9)));
}

__attribute__((target("avx2"))) size_t DecodeAvx2(const char* src, size_t size, char* dst) {
  const __m256i weights = _mm256_set1_epi16(0x0110);  // 16 for the first byte, 1 for the second
  const __m256i ones = _mm256_set1_epi8(-1);
  size_t i = 0;
  for (; size - i >= 64; i += 64) {
    __m256i valid0, valid1;
    const __m256i v0 =
        DigitValuesAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i)), valid0);
    const __m256i v1 =
        DigitValuesAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i + 32)), valid1);
    const __m256i w0 = _mm256_maddubs_epi16(v0, weights);
    const __m256i w1 = _mm256_maddubs_epi16(v1, weights);
    // packus works per 128-bit lane; put the four quarters back in order.
    const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(w0, w1), 0xD8);
    const __m256i zero = _mm256_cmpeq_epi8(bytes, _mm256_setzero_si256());
    if (!_mm256_testc_si256(_mm256_andnot_si256(zero, _mm256_and_si256(valid0, valid1)), ones)) {
      break;
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i / 2), bytes);
  }
  return i;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

#endif  // __SSE2__

}  // namespace

size_t EncodeHexBlocks(const char* src, size_t size, char* dst) {
#if defined(__SSE2__)
  size_t done = HasAvx2() ? EncodeAvx2(src, size, dst) : 0;
  return done + EncodeSse2(src + done, size - done, dst + 2 * done);
#else
  (void)src, (void)size, (void)dst;
  return 0;
#endif
}

size_t DecodeHexBlocks(const char* src, size_t size, char* dst) {
#if defined(__SSE2__)
  size_t done = HasAvx2() ? DecodeAvx2(src, size, dst) : 0;
  return done + DecodeSse2(src + done, size - done, dst + done / 2);
#else
  (void)src, (void)size, (void)dst;
  return 0;
#endif
}

}  // namespace kelvanis
