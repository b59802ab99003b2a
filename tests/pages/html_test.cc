#include "pages/html.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "pages/jump_page.h"
#include "pages/page_file.h"
#include "tests/store/test_folder.h"

namespace kelvanis {
namespace {

TEST(HtmlTest, EscapeForTextAndAttributes) {
  EXPECT_EQ("a&amp;b&lt;c&gt;d&quot;e&#39;f", HtmlEscape("a&b<c>d\"e'f"));
  EXPECT_EQ("\x83\x41 plain", HtmlEscape("\x83\x41 plain"));
  EXPECT_EQ("", HtmlEscape(""));
}

TEST(HtmlTest, QueryEscapeKeepsOnlyUnreservedBytes) {
  EXPECT_EQ("AZaz09-._~", QueryEscape("AZaz09-._~"));
  EXPECT_EQ("a%20b%26c%3Dd%2B%25%2F%3F%23", QueryEscape("a b&c=d+%/?#"));
  EXPECT_EQ("%E3%81%82%00", QueryEscape(std::string("\xE3\x81\x82\0", 4)));
}

TEST(PageFileTest, WriteLinesReplacesTheFileWhole) {
  testing::TestFolder folder;
  const std::string path = folder.path() + "p.html";
  testing::WriteFile(path, "old text that is longer than the new one");
  WriteLines(path, {"a", "", "b"});
  EXPECT_EQ("a\r\n\r\nb\r\n", testing::ReadFile(path));
  EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder.path()),
                             std::filesystem::directory_iterator()));
}

TEST(JumpPageTest, TenLinesWithTheSiteUrlEscaped) {
  testing::TestFolder folder;
  const std::string path = folder.path() + "jump.html";
  WriteJumpPage(path, "http://h/\x83\x41?a=1&b=\"<>\"");
  const std::string url = "http://h/\x83\x41?a=1&amp;b=&quot;&lt;&gt;&quot;";
  EXPECT_EQ(
      "<HTML>\r\n"
      "<HEAD>\r\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\r\n"
      "<TITLE>Kelvanis</TITLE>\r\n"
      "<meta http-equiv=\"Refresh\" content=\"0; url=" +
          url +
          "\">\r\n"
          "</HEAD>\r\n"
          "<BODY>\r\n"
          "<a href=\"" +
          url + "\">" + url +
          "</a>\r\n"
          "</BODY>\r\n"
          "</HTML>\r\n",
      testing::ReadFile(path));

  WriteJumpPage(path, "");
  EXPECT_NE(std::string::npos, testing::ReadFile(path).find("url=\">\r\n<"));
  EXPECT_NE(std::string::npos, testing::ReadFile(path).find("<a href=\"\"></a>\r\n"));

  const std::string missing = folder.path() + "none/jump.html";
  try {
    WriteJumpPage(missing, "x");
    FAIL() << "no error";
  } catch (const FileCreateError& error) {
    EXPECT_EQ("ファイル " + missing + " を作成できません", std::string(error.what()));
  }
}

}  // namespace
}  // namespace kelvanis
