#include "settings/settings.h"

#include <gtest/gtest.h>

#include "tests/store/test_folder.h"

namespace kelvanis {
namespace {

using testing::TestFolder;
using testing::WriteFile;

TEST(SettingsTest, ProfileFileRules) {
  const std::string long_value(3000, 'v');
  const struct {
    const char* name;
    std::string content;
    std::string value;
  } cases[] = {
      {"plain", "[common]\nhome_url=http://a/\n", "http://a/"},
      {"CR LF", "[common]\r\nhome_url=http://a/\r\nx=1\r\n", "http://a/"},
      {"no final line end", "[common]\nhome_url=http://a/", "http://a/"},
      {"byte-order mark", "\xEF\xBB\xBF[common]\nhome_url=http://a/\n", "http://a/"},
      {"comments and blanks",
       "; note\n# note\n\n[common]\n;home_url=http://no/\n  # home_url=x\nhome_url=http://a/\n",
       "http://a/"},
      {"case of names", "[COMMON]\nHome_URL=http://a/\n", "http://a/"},
      {"spaces around", "  [ common ]  \n  home_url =  http://a/ b  \n", "http://a/ b"},
      {"other section", "[other]\nhome_url=http://no/\n[common]\nhome_url=http://a/\n",
       "http://a/"},
      {"only other section", "[other]\nhome_url=http://no/\n", "default"},
      {"before any section", "home_url=http://no/\n[common]\n", "default"},
      {"empty value", "[common]\nhome_url=\n", ""},
      {"value with =", "[common]\nhome_url=http://a/?x=1\n", "http://a/?x=1"},
      {"cut at 2047 bytes", "[common]\nhome_url=" + long_value + "\n", long_value.substr(0, 2047)},
      {"empty file", "", "default"},
  };
  for (const auto& c : cases) {
    TestFolder folder;
    const std::string path = folder.path() + "kelvanis.ini";
    WriteFile(path, c.content);
    EXPECT_EQ(c.value, ReadProfileString(path, "common", "home_url", "default")) << c.name;
  }
  TestFolder folder;
  EXPECT_EQ("default",
            ReadProfileString(folder.path() + "kelvanis.ini", "common", "home_url", "default"));
}

TEST(SettingsTest, SiteUrlIsHeldInShiftJis) {
  TestFolder folder;
  EXPECT_EQ("", ReadSiteUrl(folder.path()));
  WriteFile(folder.path() + "kelvanis.ini", "[common]\nhome_url=http://h/\xE3\x81\x82/\n");
  EXPECT_EQ("http://h/\x82\xA0/", ReadSiteUrl(folder.path()));
  // Not UTF-8: taken as Shift_JIS as it stands.
  WriteFile(folder.path() + "kelvanis.ini", "[common]\nhome_url=http://h/\x82\xA0/\n");
  EXPECT_EQ("http://h/\x82\xA0/", ReadSiteUrl(folder.path()));
}

}  // namespace
}  // namespace kelvanis
