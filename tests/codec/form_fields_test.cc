#include "codec/form_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

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
      {"id=7&title=a+b%26c&date=2024%2F03%2F07+14%3A05%3A09",
       {{"id", "7"}, {"title", "a b&c"}, {"date", "2024/03/07 14:05:09"}}},
      {"title=%E3%81%82", {{"title", "\xE3\x81\x82"}}},
      {"t=%E3%81%82%2B%25", {{"t", "\xE3\x81\x82+%"}}},
      // Any byte, UTF-8 or not.
      {"raw=%82%A0%00%FF", {{"raw", std::string("\x82\xA0\x00\xFF", 4)}}},
      {"a=b=c", {{"a", "b=c"}}},
      {"a=1=2&flag&rout=", {{"a", "1=2"}, {"flag", ""}, {"rout", ""}}},
      {"flag&&x=", {{"flag", ""}, {"x", ""}}},
      {"%74itle=t", {{"title", "t"}}},
      // Broken escapes are kept as they stand.
      {"a=100%&b=%zz%4", {{"a", "100%"}, {"b", "%zz%4"}}},
      {"&&x=%zz%4&", {{"x", "%zz%4"}}},
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

}  // namespace
}  // namespace kelvanis
