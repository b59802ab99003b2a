// The text of the posting page (no display).
#include "browser/webkit/post_page.h"

#include <gtest/gtest.h>

namespace kelvanis {
namespace {

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

// The URL is UTF-8 text; a byte outside a well-formed sequence stands for
// the character of its number.
TEST(BuildPostPageTest, WritesTheUrlCharacterByCharacter) {
  std::string page = BuildPostPage("kelvanis://h/\xC3\xA9\xF0\x9F\x98\x80\xC0\xAF\xE3\x81", "");
  EXPECT_NE(page.find("form.action = \"\\u006B"), std::string::npos);
  EXPECT_NE(page.find("\\u002F\\u00E9\\uD83D\\uDE00\\u00C0\\u00AF\\u00E3\\u0081\";"),
            std::string::npos);
}

}  // namespace
}  // namespace kelvanis
