#include "codec/sjis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvanis {
namespace {

using namespace std::string_literals;

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

std::string Show(std::string_view bytes) {
  std::string out;
  char buf[4];
  for (unsigned char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", c);
    out += buf;
  }
  return out;
}

std::string Show(std::u16string_view units) {
  std::string out;
  char buf[8];
  for (char16_t u : units) {
    std::snprintf(buf, sizeof buf, "%04X ", static_cast<unsigned>(u));
    out += buf;
  }
  return out;
}

TEST(Utf8ToUtf16, DecodesByTheLeadByteAlone) {
  const struct {
    std::string in;
    std::u16string out;
  } cases[] = {
      {"", u""},
      {"abc", u"abc"},
      {Bytes({0xE3, 0x81, 0x82}), u"\u3042"},
      {Bytes({0xC2, 0x80}), u"\u0080"},
      {Bytes({0x61, 0xC0, 0x80, 0x62}), u"a\0b"s},  // overlong zero stays a unit
      {Bytes({0x80, 0x61, 0x62}), u"\u0862"},       // a stray continuation leads 3 bytes
      {Bytes({0xF0, 0x9F, 0x98, 0x80, 0x61, 0x62}), u"\u07D8\u0862"},
      {Bytes({0xE3, 0x41, 0x41}), u"\u3041"},  // following bytes are not checked
      // Groups cut short by the end take zero bits for the missing bytes.
      {Bytes({0x61, 0xC3}), u"a\u00C0"},
      {Bytes({0x61, 0xE3}), u"a\u3000"},
      {Bytes({0x61, 0xE3, 0x81}), u"a\u3040"},
      {"a\0b"s, u"a"},  // the text ends at a zero byte
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToUtf16(c.in), c.out) << Show(c.in);
}

TEST(DecodeUtf8, CountsWithoutWritingAndNeverReadsPastSize) {
  const std::string in = Bytes({0x61, 0xE3, 0x81, 0x82});
  EXPECT_EQ(DecodeUtf8(nullptr, in.data(), in.size(), true), 2u);
  // Given only three of the bytes, the last group must not take the fourth.
  char16_t out[3] = {1, 1, 1};
  ASSERT_EQ(DecodeUtf8(out, in.data(), 3, false), 2u);
  EXPECT_EQ(out[0], u'a');
  EXPECT_EQ(out[1], 0x3040);
  EXPECT_EQ(out[2], 0);
}

TEST(Utf16ToUtf8, EncodesEachUnitOnItsOwn) {
  const struct {
    std::u16string in;
    std::string out;
  } cases[] = {
      {u"", ""},
      {u"\u007F", Bytes({0x7F})},
      {u"\u0080", Bytes({0xC2, 0x80})},
      {u"\u07FF", Bytes({0xDF, 0xBF})},
      {u"\u0800", Bytes({0xE0, 0xA0, 0x80})},
      {u"\uFFFF", Bytes({0xEF, 0xBF, 0xBF})},
      {std::u16string(1, 0xD83D), Bytes({0xED, 0xA0, 0xBD})},  // no pairing, no 4-byte form
      {std::u16string{0xD83D, 0xDE00}, Bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80})},
      {u"a\0b"s, "a"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf16ToUtf8(c.in), c.out) << Show(c.in);
  const std::u16string units = u"a\u00e9\u3042";
  EXPECT_EQ(EncodeUtf8(nullptr, units.data(), units.size(), true), 6u);
}

TEST(Utf8ToSjis, ConvertsDropsTheLeadingMarkAndSpacesUnmappable) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"", ""},
      {"abc", "abc"},
      {Bytes({0xE3, 0x81, 0x82}), Bytes({0x82, 0xA0})},
      {Bytes({0xEF, 0xBB, 0xBF, 0x61}), "a"},          // U+FEFF first: dropped
      {Bytes({0xEF, 0xBF, 0xBE, 0x61}), "a"},          // U+FFFE first: dropped
      {Bytes({0x61, 0xEF, 0xBB, 0xBF, 0x62}), "a b"},  // later marks are plain units
      {Bytes({0xEF, 0xBB, 0xBF, 0xEF, 0xBB, 0xBF}), " "},
      {Bytes({0xC3, 0xA9}), " "},                        // U+00E9, two UTF-8 bytes, unmappable
      {Bytes({0xE2, 0x82, 0xAC}), " "},                  // U+20AC, three bytes, unmappable
      {Bytes({0xEA, 0xB0, 0x80, 0x61}), " a"},           // U+AC00
      {Bytes({0xED, 0xA0, 0xBD}), " "},                  // a lone surrogate
      {Bytes({0x61, 0xC0, 0x80, 0x62}), "a"},            // a zero unit ends the text
      {Bytes({0xE3, 0x81}), " "},                        // cut short: U+3040, unmapped
      {Bytes({0x61, 0xE3}), Bytes({0x61, 0x81, 0x40})},  // cut short: U+3000
      // A zero byte ends the text even inside a group, which is then cut short.
      {Bytes({0x61, 0xE3, 0x82, 0x00, 0x80}), Bytes({0x61, 0x82, 0xDE})},  // U+3080
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Show(Utf8ToSjis(c.in)), Show(c.out)) << Show(c.in);
    EXPECT_EQ(Utf8ToSjis(c.in), Utf16ToSjis(Utf8ToUtf16(c.in))) << Show(c.in);
  }
}

TEST(SjisToUtf8, ConvertsValidTextAndReplacesEachBadByte) {
  const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"", ""},
      {"abc", "abc"},
      {Bytes({0x82, 0xA0}), Bytes({0xE3, 0x81, 0x82})},
      {Bytes({0xB1}), Bytes({0xEF, 0xBD, 0xB1})},
      {Bytes({0x5C, 0x7E}), "\\~"},
      {"a\0b"s, "a"},
      // Bytes that start no character become U+FFFD; the rest converts.
      {Bytes({0x61, 0x82}), "a" + kBad},          // lone lead at the end
      {Bytes({0x82, 0x0A, 0x62}), kBad + "\nb"},  // bad trail
      {Bytes({0x85, 0x40}), kBad + "@"},          // unmapped pair
      {Bytes({0x80, 0xA0, 0xFD, 0xFE, 0xFF}), kBad + kBad + kBad + kBad + kBad},
      {Bytes({0x82, 0xA0, 0xFF, 0x82, 0xA0}), "\xE3\x81\x82" + kBad + "\xE3\x81\x82"},
      {Bytes({0x82, 0x00, 0x41}), kBad},  // a zero byte is no trail
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Show(SjisToUtf8(c.in)), Show(c.out)) << Show(c.in);
    EXPECT_EQ(SjisToUtf8(c.in), Utf16ToUtf8(SjisToUtf16(c.in))) << Show(c.in);
  }
}

// Code page 932 as glibc maps it: one row per unit, with the Shift_JIS code
// it gives and whether that code gives the unit back.
struct Cp932Case {
  char16_t unit;
  int sjis;  // one or two bytes; -1 when the code page lacks the unit
  bool both_ways;
};

std::string SjisBytes(int code) {
  if (code < 0) return " ";
  if (code < 0x100) return std::string(1, static_cast<char>(code));
  return Bytes({code >> 8, code & 0xFF});
}

TEST(Cp932, MapsRepresentativeCharacters) {
  const Cp932Case cases[] = {
      {u'A', 0x41, true},
      {u'\\', 0x5C, true},
      {u'~', 0x7E, true},
      {0xFF61, 0xA1, true},  // half-width katakana
      {0xFF71, 0xB1, true},
      {0xFF9F, 0xDF, true},
      {0x3000, 0x8140, true},  // JIS X 0208 symbols, kana and kanji
      {0x3042, 0x82A0, true},
      {0x30A2, 0x8341, true},
      {0x4E9C, 0x889F, true},
      {0x7199, 0xEAA4, true},
      {0x00A7, 0x8198, true},
      {0x2460, 0x8740, true},  // NEC row 13
      {0x2160, 0x8754, true},
      {0x3231, 0x878A, true},
      {0x2170, 0xFA40, true},  // IBM extensions
      {0xFFE4, 0xFA55, true},
      {0x7E8A, 0xFA5C, true},
      {0x9ED1, 0xFC4B, true},
      {0xE000, 0xF040, true},  // user-defined area
      {0xE757, 0xF9FC, true},
      // Where the common Shift_JIS tables differ, code page 932 takes the
      // full-width forms and maps the others to them one way.
      {0xFF5E, 0x8160, true},
      {0x301C, 0x8160, false},
      {0x2225, 0x8161, true},
      {0x2016, 0x8161, false},
      {0xFF0D, 0x817C, true},
      {0x2212, 0x817C, false},
      {0xFFE0, 0x8191, true},
      {0x00A2, 0x8191, false},
      {0xFFE1, 0x8192, true},
      {0x00A3, 0x8192, false},
      {0xFFE2, 0x81CA, true},
      {0x00AC, 0x81CA, false},
      {0x2015, 0x815C, true},
      {0x2014, 0x815C, false},
      {0x00A5, 0x5C, false},
      {0x203E, 0x7E, false},
      // Units the code page lacks, below and above U+0800.
      {0x0080, -1, false},
      {0x00A0, -1, false},
      {0x00A6, -1, false},
      {0x00E9, -1, false},
      {0x20AC, -1, false},
      {0x0E01, -1, false},
      {0xAC00, -1, false},
      {0xF8F0, -1, false},
      {0xD83D, -1, false},
  };
  for (const Cp932Case& c : cases) {
    const std::u16string unit(1, c.unit);
    // A leading mark would be dropped, so the unit goes second, after "a".
    EXPECT_EQ(Show(Utf16ToSjis(u"a" + unit)), Show("a" + SjisBytes(c.sjis)))
        << "U+" << std::hex << static_cast<int>(c.unit);
    if (c.both_ways) {
      EXPECT_EQ(Show(SjisToUtf16(SjisBytes(c.sjis))), Show(unit)) << std::hex << c.sjis;
    }
  }
}

TEST(Cp932, DuplicateCodesReadAsOneUnitThatWritesTheCanonicalCode) {
  const struct {
    int sjis;
    char16_t unit;
    int canonical;
  } cases[] = {
      {0x8790, 0x2252, 0x81E0},                            // NEC row 13 duplicates of JIS X 0208
      {0x879A, 0x2235, 0x81E6}, {0xED40, 0x7E8A, 0xFA5C},  // NEC-selected IBM extensions
      {0xEEEF, 0x2170, 0xFA40}, {0xEEF9, 0xFFE2, 0x81CA},
      {0xFA4A, 0x2160, 0x8754},  // IBM extensions kept in NEC row 13
      {0xFA54, 0xFFE2, 0x81CA}, {0xFA58, 0x3231, 0x878A},
      {0xFA5B, 0x2235, 0x81E6},
  };
  for (const auto& c : cases) {
    const std::u16string unit = SjisToUtf16(SjisBytes(c.sjis));
    EXPECT_EQ(Show(unit), Show(std::u16string(1, c.unit))) << std::hex << c.sjis;
    EXPECT_EQ(Show(Utf16ToSjis(unit)), Show(SjisBytes(c.canonical))) << std::hex << c.sjis;
  }
}

// Every Shift_JIS character that code page 932 maps comes back from the
// unit it reads as: as itself, or, for the duplicate codes of the NEC and
// IBM extensions, as the one canonical code for that unit, which in turn
// reads as the same unit.
TEST(Cp932, EveryMappedCharacterRoundTrips) {
  int mapped = 0;
  int canonicalised = 0;
  auto check = [&](const std::string& code) {
    const std::u16string unit = SjisToUtf16(code);
    if (unit.size() != 1 || unit[0] == 0xFFFD) return;  // not a character
    ++mapped;
    const std::string back = Utf16ToSjis(unit);
    const std::string utf8 = SjisToUtf8(code);
    EXPECT_EQ(Utf8ToSjis(utf8), back) << Show(code);
    if (back == code) return;
    ++canonicalised;
    const int value =
        static_cast<unsigned char>(code[0]) << 8 | static_cast<unsigned char>(code[1]);
    EXPECT_TRUE((value >= 0x8790 && value <= 0x879C) || (value >= 0xED40 && value <= 0xEEFC) ||
                (value >= 0xFA4A && value <= 0xFA5B))
        << Show(code) << "-> " << Show(back);
    EXPECT_EQ(SjisToUtf16(back), unit) << Show(code);
  };
  for (int b = 1; b < 0x100; ++b) check(std::string(1, static_cast<char>(b)));
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsSjisLeadByte(lead)) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) check(Bytes({lead, trail}));
  }
  // ASCII and half-width katakana; 7724 JIS X 0208 and extension codes and
  // 1880 user-defined ones.
  EXPECT_EQ(mapped, 190 + 9604);
  EXPECT_EQ(canonicalised, 398);
}

TEST(SjisLeadBytes, PrefixNeverSplitsADoubleByteCharacter) {
  EXPECT_TRUE(IsSjisLeadByte(0x81));
  EXPECT_TRUE(IsSjisLeadByte(0x9F));
  EXPECT_TRUE(IsSjisLeadByte(0xE0));
  EXPECT_TRUE(IsSjisLeadByte(0xFC));
  EXPECT_FALSE(IsSjisLeadByte(0x80));
  EXPECT_FALSE(IsSjisLeadByte(0xA0));
  EXPECT_FALSE(IsSjisLeadByte(0xB1));
  EXPECT_FALSE(IsSjisLeadByte(0xFD));

  const std::string text = Bytes({0x61, 0x82, 0xA0, 0x62, 0xB1, 0x82, 0xA0});
  const size_t want[] = {0, 1, 1, 3, 4, 5, 5, 7, 7};
  for (size_t max = 0; max < std::size(want); ++max) {
    EXPECT_EQ(SjisPrefixLength(text, max), want[max]) << max;
  }
  // A lead byte before a byte that cannot trail stands alone.
  EXPECT_EQ(SjisPrefixLength(Bytes({0x61, 0x82, 0x0A}), 2), 2u);
  EXPECT_EQ(SjisPrefixLength(Bytes({0x61, 0x82}), 2), 2u);
}

}  // namespace
}  // namespace kelvanis
