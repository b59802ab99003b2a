#include "codec/utf8_check.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvanis {
namespace {

// Each ill-formed part becomes one U+FFFD, and only text that IsValidUtf8
// accepts comes back from ValidUtf8 as it was (NUL aside).
TEST(Utf8CheckTest, TellsAndRepairsIllFormedSequences) {
  const std::string r = "\xEF\xBF\xBD";
  const struct {
    std::string text;
    bool valid;
    std::string repaired;
  } cases[] = {
      {"", true, ""},
      {"abc", true, "abc"},
      {"plain ASCII", true, "plain ASCII"},
      {"\xE3\x81\x82", true, "\xE3\x81\x82"},
      {"\xF0\x9F\x98\x80", true, "\xF0\x9F\x98\x80"},
      {"\xE6\x97\x85\xE8\xA1\x8C \xF0\x9F\x98\x80", true,
       "\xE6\x97\x85\xE8\xA1\x8C \xF0\x9F\x98\x80"},
      {"a\x80z", false, "a" + r + "z"},            // stray continuation byte
      {"\xC0\xAF", false, r + r},                  // overlong
      {"\xE0\x80\x80", false, r + r + r},          // overlong
      {"\xED\xA0\x80", false, r + r + r},          // surrogate
      {"\xF4\x90\x80\x80", false, r + r + r + r},  // above U+10FFFF
      {"\xE3\x81", false, r},                      // truncated
      {"a\xE3\x81"
       "b",
       false, "a" + r + "b"},                         // cut off in the middle
      {"end\xE3\x81", false, "end" + r},              // cut off at the end
      {"\xFF\xFE", false, r + r},                     // never valid
      {"\x82\xA0", false, r + r},                     // Shift_JIS
      {std::string("a\0b", 3), true, "a" + r + "b"},  // NUL: valid, yet replaced
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.text;
    EXPECT_EQ(ValidUtf8(c.text), c.repaired) << c.text;
  }
}

}  // namespace
}  // namespace kelvanis
