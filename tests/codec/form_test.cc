#include "codec/form.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvanis {
namespace {

using namespace std::string_literals;

struct ParamCase {
  std::string text;
  std::string name;
  std::string value;
};

TEST(GetParam, PicksTheValueOfTheFirstParameterWithTheName) {
  const ParamCase cases[] = {
      {"com=search&key=abc", "key", "abc"},
      {"com=search&key=abc", "com", "search"},
      {"file:///p/home.html?com=s&key=k", "com", "s"},
      {"key=1&key=2", "key", "1"},
      {"key=a=b&c=d", "key", "a=b"},
      {"key=a%20b+c", "key", "a%20b+c"},  // not decoded
      {"key= a ", "key", " a "},          // not trimmed
      // A name only matches where a parameter begins.
      {"bkey=a&key=b", "key", "b"},
      {"subtitle=x&title=y", "title", "y"},
      {"q=key=1&key=2", "key", "2"},
      {"bkey=a", "key", ""},
      // Absent or empty.
      {"com=search", "key", ""},
      {"", "key", ""},
      {"KEY=1", "key", ""},
      {"key=", "key", ""},
      {"a=1&key=&b=2", "key", ""},
      {"key", "key", ""},
      // Quotes: first and last byte go, after the cut at "&".
      {"key=\"abc\"&n=1", "key", "abc"},
      {"key=\"abc&n=1", "key", "ab"},
      {"key=\"a&b\"&n=1", "key", ""},
      {"key=\"x", "key", ""},
      {"key=\"", "key", ""},
      {"key=a\"b\"", "key", "a\"b\""},
  };
  for (const ParamCase& c : cases) {
    EXPECT_EQ(GetParam(c.text, c.name), c.value) << c.text << " / " << c.name;
  }
}

TEST(HexPairToByte, TurnsAnyTwoCharactersIntoAByte) {
  const struct {
    const char* pair;
    unsigned char byte;
  } cases[] = {
      {"4a", 0x4A},       {"4A", 0x4A}, {"0F", 0x0F},
      {"ff", 0xFF},       {"00", 0x00}, {"G0", 0x00},  // G counts 16
      {"zz", 0x53},                                    // 16 * 35 + 35 = 595
      {"\xff\xff", 0xBF},                              // as signed bytes: 16 * -49 - 49, modulo 256
      {"@@", 0x10},                                    // '@' is below 'A' and counts 16
  };
  for (const auto& c : cases) EXPECT_EQ(HexPairToByte(c.pair), c.byte) << c.pair;
}

TEST(UrlDecode, UndoesEscapesAndPlusOverTheWholeText) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"", ""},
      {"a+b%20c", "a b c"},
      {"%41%62", "Ab"},
      {"%e3%81%82", "\xe3\x81\x82"},
      {"%2B", "+"},
      {"100%25", "100%"},
      {"%2525", "%25"},  // produced bytes are not decoded again
      {"%zz", "S"},
      {"a%00b", "a\0b"s},    // an escaped zero is kept, decoding goes on
      {"a\0+b"s, "a\0 b"s},  // so is a raw zero
      // An escape cut short by the end stays as it is.
      {"%", "%"},
      {"ab%", "ab%"},
      {"a%4", "a%4"},
      {"%+", "%+"},
      {"%4%41", "541"},  // "%4%" is a whole escape: 16 * 4 - 11
  };
  for (const auto& c : cases) EXPECT_EQ(UrlDecode(c.in), c.out) << c.in;
}

TEST(UrlDecode, NeverReadsPastTheEndOfItsInput) {
  // The view ends right after "%4"; the "1" behind it must not be used.
  const std::string buffer = "ab%41";
  EXPECT_EQ(UrlDecode(std::string_view(buffer).substr(0, 4)), "ab%4");
  EXPECT_EQ(UrlDecode(std::string_view(buffer).substr(0, 3)), "ab%");
}

TEST(DecodeFormText, EndsAtTheFirstZeroAfterDecoding) {
  EXPECT_EQ(DecodeFormText("a%00b"), "a");
  EXPECT_EQ(DecodeFormText("a+b%2Bc"), "a b+c");
  EXPECT_EQ(DecodeFormText("a\0%41"s), "a");
  EXPECT_EQ(UpToNul("abc"), "abc");
}

TEST(DecodedParam, PicksBeforeDecoding) {
  EXPECT_EQ(DecodedParam("title=a+b%26c%3Dd&desc=x", "title"), "a b&c=d");
  EXPECT_EQ(DecodedParam("title=%22q%22&desc=x", "title"), "\"q\"");
  EXPECT_EQ(DecodedParam("title=x%00y&desc=z", "desc"), "z");
  EXPECT_EQ(DecodedParam("title=x%00y&desc=z", "title"), "x");
  EXPECT_EQ(DecodedParam("desc=z", "title"), "");
}

}  // namespace
}  // namespace kelvanis
