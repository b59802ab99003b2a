// The bulk of hex encoding and decoding, many bytes at a time with SIMD
// instructions (AVX2 where the processor has it, else SSE2; plain code on
// other machines). Internal to codec/: HexEncode and HexDecode do the rest
// byte by byte.
#pragma once

#include <cstddef>

namespace kelvanis {

// Encodes leading blocks of `src` (`size` bytes) as lower-case hex at `dst`,
// stopping before the first block that holds a zero byte or is incomplete.
// Returns the number of bytes encoded; dst receives twice as many digits.
size_t EncodeHexBlocks(const char* src, size_t size, char* dst);

// Decodes leading blocks of `src` (`size` characters) to `dst`, stopping
// before the first block that holds a character other than 0-9 and a-f,
// would yield a zero byte, or is incomplete. Returns the number of
// characters consumed (even); dst receives half as many bytes.
size_t DecodeHexBlocks(const char* src, size_t size, char* dst);

}  // namespace kelvanis
