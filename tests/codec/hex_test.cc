#include "codec/hex.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvanis {
namespace {

using namespace std::string_literals;

// Every byte value but zero, in a row.
std::string AllNonZeroBytes() {
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

TEST(HexEncode, WritesTwoLowerCaseDigitsPerByte) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"", ""},
      {"abc", "616263"},
      {"\n", "0a"},
      {"\x82\xa0", "82a0"},
      {"\xff\x10", "ff10"},
      {"ab\0cd"s, "6162"},  // ends at the first zero byte
      {"\0ab"s, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(HexEncode(c.in), c.out);
}

TEST(HexEncode, EncodesAtMostTheFirst1024Bytes) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += static_cast<char>('a' + i % 26);
  const std::string first = HexEncode(text.substr(0, kMaxValueBytes));
  ASSERT_EQ(first.size(), 2 * kMaxValueBytes);
  EXPECT_EQ(HexEncode(text.substr(0, 1500)), first);
  EXPECT_EQ(HexEncode(text.substr(0, 2047)), first);
  EXPECT_EQ(HexEncode(text), first);  // beyond the old 2047-byte working copy
  // The cut comes after the cut at the first zero byte.
  std::string with_zero = text;
  with_zero[10] = '\0';
  EXPECT_EQ(HexEncode(with_zero), HexEncode(text.substr(0, 10)));
}

TEST(HexDecode, ReadsPairsAndKeepsTheLastNibbleForNonDigits) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"", ""},        {"616263", "abc"}, {"82a0", "\x82\xa0"},
      {"41FF", "AA"},                 // capitals are no digits: both nibbles stay
      {"616", "aa"},                  // a lone last digit pairs with the previous low nibble
      {"610062", "a"},                // 00 ends the text
      {"616z", "aa"},  {"7z", "p"},   // nibbles start at zero
      {"z1", "\x01"},  {"zz61", ""},  // ... so an unset pair is a zero byte
  };
  for (const auto& c : cases) EXPECT_EQ(HexDecode(c.in), c.out) << c.in;
}

// Long texts go through in blocks; a non-digit, a zero pair or a zero byte
// at any place must still be handled as above.
TEST(HexCodec, LongTextsBehaveLikeShortOnesAtEveryPosition) {
  for (size_t pos = 1; pos < 130; ++pos) {
    std::string hex;
    for (int i = 0; i < 130; ++i) hex += "61";
    std::string odd = hex;
    odd.replace(2 * pos, 2, "0z");  // high nibble 0, low nibble stays 1
    EXPECT_EQ(HexDecode(odd), std::string(pos, 'a') + "\x01" + std::string(129 - pos, 'a')) << pos;
    std::string zero = hex;
    zero.replace(2 * pos, 2, "00");
    EXPECT_EQ(HexDecode(zero), std::string(pos, 'a')) << pos;

    std::string text(130, 'a');
    text[pos] = '\0';
    EXPECT_EQ(HexEncode(text), hex.substr(0, 2 * pos)) << pos;
  }
}

TEST(HexDecode, HasNoLengthLimit) {
  std::string hex;
  for (int i = 0; i < 40000; ++i) hex += "e3";
  EXPECT_EQ(HexDecode(hex), std::string(40000, '\xe3'));
}

TEST(HexDecode, UndoesHexEncode) {
  const std::string bytes = AllNonZeroBytes();
  EXPECT_EQ(HexDecode(HexEncode(bytes)), bytes);
  std::string long_text;
  while (long_text.size() < kMaxValueBytes) long_text += bytes;
  long_text.resize(kMaxValueBytes);
  EXPECT_EQ(HexDecode(HexEncode(long_text)), long_text);
}

TEST(PickField, SplitsAtTheLeftmostDoubleSemicolon) {
  const struct {
    std::string row;
    int index;
    std::string field;
  } cases[] = {
      {"1;;t;;d", 0, "1"}, {"1;;t;;d", 1, "t"},  {"1;;t;;d", 2, "d"},
      {"1;;t;;d", 3, ""},  {"1;;t;;d", -1, "1"}, {"1;;t;;d", 2147483647, ""},
      {"a;;;;b", 0, "a"},  {"a;;;;b", 1, ""},    {"a;;;;b", 2, "b"},
      {"a;;;b", 0, "a"},   {"a;;;b", 1, ";b"},   {"a;b", 0, "a;b"},
      {"", 0, ""},         {"", 1, ""},          {"", -5, ""},
      {"x;;", 1, ""},      {";;y", 0, ""},       {";;y", 1, "y"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PickField(c.row, c.index), c.field) << c.row << " " << c.index;
}

}  // namespace
}  // namespace kelvanis
