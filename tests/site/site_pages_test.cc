#include "site/site_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvanis {
namespace {

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
