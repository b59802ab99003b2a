// Splitting a form body into the pairs the posting page sends (no display).
#include "browser/webkit/post_page.h"

#include <gtest/gtest.h>

namespace kelvanis {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(SplitFormBodyTest, DecodesEachPairOnce) {
  const struct {
    std::string body;
    Pairs pairs;
  } cases[] = {
      {"id=7&title=a+b%26c&date=2024%2F03%2F07+14%3A05%3A09",
       {{"id", "7"}, {"title", "a b&c"}, {"date", "2024/03/07 14:05:09"}}},
      {"t=%E3%81%82%2B%25", {{"t", "\xE3\x81\x82+%"}}},
      {"raw=%82%A0%00%FF", {{"raw", std::string("\x82\xA0\x00\xFF", 4)}}},
      {"a=1=2&flag&rout=", {{"a", "1=2"}, {"flag", ""}, {"rout", ""}}},
      {"&&x=%zz%4&", {{"x", "%zz%4"}}},
      {"", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitFormBody(c.body), c.pairs) << c.body;
  }
}

// Every byte of a value reaches the page as one windows-1252 character, so
// the form sends it back as that byte.
TEST(BuildPostPageTest, WritesBytesAsCharactersAndTheUrlAsText) {
  std::string page = BuildPostPage("kelvanis://site/py/p/view.py?a=\"<b>\"",
                                   "t=%E3%81%82&b=%80%81%FF%3C%2Fscript%3E");
  EXPECT_NE(page.find("acceptCharset = \"windows-1252\""), std::string::npos);
  EXPECT_NE(page.find("[\"\\u0074\",\"\\u00E3\\u0081\\u201A\"]"), std::string::npos);
  EXPECT_NE(page.find("\\u20AC\\u0081\\u00FF"), std::string::npos);
  EXPECT_EQ(page.find("</script>"), page.rfind("</script>"));  // the page's own, only
  EXPECT_EQ(page.find("<b>"), std::string::npos);
}

}  // namespace
}  // namespace kelvanis
