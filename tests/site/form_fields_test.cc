#include "site/form_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "site/site_pages.h"

namespace kelvanis {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs AsPairs(const FormFields& fields) {
  Pairs pairs;
  for (const FormField& field : fields) pairs.emplace_back(field.name, field.value);
  return pairs;
}

TEST(ParseFormFieldsTest, DecodesEachNameAndValueOnItsOwn) {
  struct Case {
    std::string text;
    Pairs fields;
  };
  const Case cases[] = {
      {"", {}},
      {"a=1&b=2", {{"a", "1"}, {"b", "2"}}},
      // An encoded & or = stays inside its value.
      {"title=a+b%26c%3Dd&desc=x%2By%25", {{"title", "a b&c=d"}, {"desc", "x+y%"}}},
      {"title=%E3%81%82", {{"title", "\xE3\x81\x82"}}},
      {"a=b=c", {{"a", "b=c"}}},
      {"flag&&x=", {{"flag", ""}, {"x", ""}}},
      {"%74itle=t", {{"title", "t"}}},
      // Broken escapes are kept as they stand.
      {"a=100%&b=%zz%4", {{"a", "100%"}, {"b", "%zz%4"}}},
      {"a=%00b", {{"a", std::string("\0b", 2)}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AsPairs(ParseFormFields(c.text)), c.fields) << c.text;
  }
}

TEST(ParseFormFieldsTest, FieldValueTakesTheFirstFieldOfExactlyThatName) {
  FormFields fields = ParseFormFields("bkey=x&key=y&key=z");
  EXPECT_EQ(FieldValue(fields, "key"), "y");
  EXPECT_EQ(FieldValue(fields, "bkey"), "x");
  EXPECT_EQ(FieldValue(fields, "ey"), "");
  EXPECT_EQ(FieldValue(fields, "missing"), "");
}

TEST(ValidUtf8Test, ReplacesEachIllFormedPartWithOneReplacementCharacter) {
  const std::string r = "\xEF\xBF\xBD";
  const std::pair<std::string, std::string> cases[] = {
      {"plain ASCII", "plain ASCII"},
      {"\xE6\x97\x85\xE8\xA1\x8C \xF0\x9F\x98\x80", "\xE6\x97\x85\xE8\xA1\x8C \xF0\x9F\x98\x80"},
      {"a\x80z", "a" + r + "z"},            // stray continuation byte
      {"\xC0\xAF", r + r},                  // overlong
      {"\xE0\x80\x80", r + r + r},          // overlong
      {"\xED\xA0\x80", r + r + r},          // surrogate
      {"\xF4\x90\x80\x80", r + r + r + r},  // past U+10FFFF
      {"a\xE3\x81"
       "b",
       "a" + r + "b"},                          // cut off in the middle
      {"end\xE3\x81", "end" + r},               // cut off at the end
      {"\xFF\xFE", r + r},                      // never valid
      {std::string("a\0b", 3), "a" + r + "b"},  // NUL
      {"\x82\xA0", r + r},                      // Shift_JIS bytes
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(ValidUtf8(input), expected);
  }
}

TEST(SplitKeywordsTest, SplitsOnAsciiAndIdeographicSpaces) {
  using Words = std::vector<std::string>;
  EXPECT_EQ(SplitKeywords(""), Words{});
  EXPECT_EQ(SplitKeywords("  "), Words{});
  EXPECT_EQ(SplitKeywords("travel"), Words{"travel"});
  EXPECT_EQ(SplitKeywords(" a  b "), (Words{"a", "b"}));
  EXPECT_EQ(SplitKeywords("\xE6\x97\x85\xE3\x80\x80\xE4\xBA\xAC\xE9\x83\xBD \xE5\xAF\xBA"),
            (Words{"\xE6\x97\x85", "\xE4\xBA\xAC\xE9\x83\xBD", "\xE5\xAF\xBA"}));
  // A character whose UTF-8 bytes start like the ideographic space is no gap.
  EXPECT_EQ(SplitKeywords("\xE3\x80\x81x"), Words{"\xE3\x80\x81x"});
}

}  // namespace
}  // namespace kelvanis
