// The window's logic: start-up, settings, the home and official-site menu
// items and exit, on the test browser and a recording host.
#include "app/form1.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "codec/form.h"
#include "codec/sjis.h"
#include "pages/html.h"
#include "tests/support/fake_browser.h"
#include "tests/support/program_folder.h"
#include "tests/support/recording_host.h"

namespace kelvanis {
namespace {

using testing::FakeBrowser;
using testing::FileExists;
using ::testing::HasSubstr;
using testing::Navigation;
using ::testing::Not;
using testing::ProgramFolder;
using testing::ReadFile;
using testing::RecordingHost;
using testing::WriteFile;

TEST(FormShowTest, ReadsTheSettingsAndShowsTheStartPage) {
  struct Case {
    const char* name;
    std::optional<std::string> ini;
    std::string site_url;
  };
  const Case cases[] = {
      {"no file", std::nullopt, ""},
      {"plain", "[common]\nhome_url=http://a.example/\n", "http://a.example/"},
      {"windows style",
       "\xEF\xBB\xBF; written by hand\r\n# another comment\r\n\r\n[Common]\r\n"
       "  Home_URL = http://b.example/p/  \r\n",
       "http://b.example/p/"},
      {"other section only", "[other]\nhome_url=http://c.example/\n[common]\nkey=x\n", ""},
      {"UTF-8 value", "[common]\nhome_url=http://\xE4\xBE\x8B.jp/\n",
       "http://\x97\xE1.jp/"},  // 例 held in Shift_JIS
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramFolder folder;
    if (c.ini) WriteFile(folder.dir() + "kelvanis.ini", *c.ini);
    FakeBrowser browser;
    RecordingHost host(folder.exe());
    TForm1 form(browser, host);
    form.FormCreate();
    form.FormShow();

    EXPECT_EQ(form.AppDir(), folder.dir());
    EXPECT_EQ(form.SiteUrl(), c.site_url);
    EXPECT_EQ(form.HomePageUrl(), "file://" + folder.dir() + "page/home.html");
    ASSERT_EQ(browser.navigations().size(), 1u);
    const Navigation& shown = browser.navigations()[0];
    EXPECT_EQ(shown.url, form.HomePageUrl());
    EXPECT_FALSE(shown.body.has_value());
    EXPECT_FALSE(shown.cancelled);
    // The start page was written on the way, linking to the site.
    EXPECT_THAT(ReadFile(folder.home_page()),
                HasSubstr("action=\"" + SjisToUtf8(c.site_url) + "py/p/view.py\""));
    EXPECT_TRUE(host.exceptions.empty());
  }
}

TEST(FormShowTest, HomePageUrlIsAValidFileUrlOfAnyFolder) {
  struct Case {
    std::string folder;
    std::string in_url;
  };
  const Case cases[] = {
      {"with space", "with%20space"},
      {"a#b", "a%23b"},
      {"\xE6\x97\xA5\xE6\x9C\xAC", "%E6%97%A5%E6%9C%AC"},  // 日本
      {"back\\slash", "back%5Cslash"},
      {"50%?x", "50%25%3Fx"},
      {"new_entry.py", "new_entry.py"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    ProgramFolder folder(c.folder);
    FakeBrowser browser;
    RecordingHost host(folder.exe());
    TForm1 form(browser, host);
    form.FormShow();

    const std::string expected = "file://" + folder.root() + c.in_url + "/page/home.html";
    EXPECT_EQ(form.HomePageUrl(), expected);
    // Decoding the URL gives the page's path back, and the page is there.
    EXPECT_EQ("file://" + DecodeFormText(expected.substr(7)), "file://" + folder.home_page());
    ASSERT_EQ(browser.navigations().size(), 1u);
    EXPECT_EQ(browser.navigations()[0].url, expected);
    EXPECT_FALSE(browser.navigations()[0].cancelled);
    EXPECT_TRUE(FileExists(folder.home_page()));
    EXPECT_TRUE(host.exceptions.empty());
  }
}

TEST(H1ClickTest, EveryClickShowsTheSameStartPage) {
  ProgramFolder folder;
  FakeBrowser browser;
  RecordingHost host(folder.exe());
  TForm1 form(browser, host);
  form.FormShow();
  std::filesystem::remove(folder.home_page());
  form.H1Click();
  form.H1Click();
  ASSERT_EQ(browser.navigations().size(), 3u);
  for (const Navigation& navigation : browser.navigations()) {
    EXPECT_EQ(navigation.url, form.HomePageUrl());
  }
  EXPECT_TRUE(FileExists(folder.home_page()));
}

TEST(Exit1ClickTest, ClosesTheWindow) {
  FakeBrowser browser;
  RecordingHost host("/opt/kelvanis/kelvanis");
  TForm1 form(browser, host);
  form.Exit1Click();
  EXPECT_EQ(host.close_count, 1);
  EXPECT_TRUE(browser.navigations().empty());
  EXPECT_TRUE(host.exceptions.empty());
}

TEST(TForm1Test, LetsGoOfTheBrowserWhenDestroyed) {
  ProgramFolder folder;
  FakeBrowser browser;
  RecordingHost host(folder.exe());
  {
    TForm1 form(browser, host);
    form.FormShow();
  }
  browser.Clear();
  EXPECT_FALSE(browser.UserNavigate("kelvanis://site/homep.html?key=x"));
  EXPECT_EQ(browser.navigations().size(), 1u);
}

// Sets PATH for the life of the object.
class ScopedPath {
 public:
  explicit ScopedPath(const std::string& path) {
    const char* old = std::getenv("PATH");
    if (old) old_ = old;
    setenv("PATH", path.c_str(), 1);
  }
  ~ScopedPath() {
    if (old_) {
      setenv("PATH", old_->c_str(), 1);
    } else {
      unsetenv("PATH");
    }
  }

 private:
  std::optional<std::string> old_;
};

// A site URL that breaks a page when it is not escaped.
const char kSite[] = "http://site.example/?a=1&b=\"2\"";

class N1ClickTest : public ::testing::Test {
 protected:
  N1ClickTest() : folder_("prog dir \"q\" 's"), host_(folder_.exe()), form_(browser_, host_) {
    WriteFile(folder_.dir() + "kelvanis.ini", std::string("[common]\nhome_url=") + kSite + "\n");
    form_.FormShow();
    browser_.Clear();
    host_.spawn = true;
    bin_ = folder_.root() + "bin/";
    std::filesystem::create_directories(bin_);
  }

  // A program `name` in bin_ that records its arguments in bin_ + name + ".args".
  std::string FakeProgram(const std::string& name, const std::string& first_line = "#!/bin/sh") {
    const std::string path = bin_ + name;
    const std::string record = path + ".args";
    WriteFile(path,
              first_line +
                  "\nPATH=/usr/bin:/bin\n"
                  "{ printf '%s\\n' \"$#\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; }"
                  " > '" +
                  record + ".part'\nmv '" + record + ".part' '" + record + "'\n");
    EXPECT_EQ(chmod(path.c_str(), 0755), 0);
    return path;
  }

  // The arguments the fake program `name` recorded; waits at most ten seconds.
  std::string RecordedArguments(const std::string& name) {
    const std::string record = bin_ + name + ".args";
    for (int i = 0; i < 1000 && !FileExists(record); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ReadFile(record);
  }

  std::string JumpPage() const { return folder_.dir() + "page/jump.html"; }

  ProgramFolder folder_;
  FakeBrowser browser_;
  RecordingHost host_;
  TForm1 form_;
  std::string bin_;
};

TEST_F(N1ClickTest, OpensTheJumpPageWithXdgOpen) {
  const std::string program = FakeProgram("xdg-open");
  FakeProgram("x-www-browser");
  ScopedPath path(bin_ + ":" + (std::getenv("PATH") ? std::getenv("PATH") : ""));

  form_.N1Click();

  ASSERT_EQ(host_.started.size(), 1u);
  EXPECT_EQ(host_.started[0], (std::vector<std::string>{program, JumpPage()}));
  EXPECT_EQ(RecordedArguments("xdg-open"), "1\n" + JumpPage() + "\n");
  EXPECT_FALSE(FileExists(bin_ + "x-www-browser.args"));
  const std::string page = ReadFile(JumpPage());
  EXPECT_THAT(page, HasSubstr("url=" + HtmlEscape(kSite) + "\">\r\n"));
  EXPECT_THAT(page, Not(HasSubstr("\"2\"")));
  EXPECT_TRUE(host_.exceptions.empty());
  EXPECT_TRUE(browser_.navigations().empty());
}

TEST_F(N1ClickTest, FallsBackToTheOtherOpeners) {
  {
    const std::string program = FakeProgram("x-www-browser");
    FakeProgram("sensible-browser");
    ScopedPath path(bin_);
    form_.N1Click();
    ASSERT_EQ(host_.started.size(), 1u);
    EXPECT_EQ(host_.started[0], (std::vector<std::string>{program, JumpPage()}));
    EXPECT_EQ(RecordedArguments("x-www-browser"), "1\n" + JumpPage() + "\n");
  }
  {
    std::filesystem::remove(bin_ + "x-www-browser");
    ScopedPath path(bin_);
    form_.N1Click();
    ASSERT_EQ(host_.started.size(), 2u);
    EXPECT_EQ(host_.started[1], (std::vector<std::string>{bin_ + "sensible-browser", JumpPage()}));
    EXPECT_EQ(RecordedArguments("sensible-browser"), "1\n" + JumpPage() + "\n");
  }
  EXPECT_TRUE(host_.exceptions.empty());
}

TEST_F(N1ClickTest, SaysSoWhenNoOpenerExists) {
  ScopedPath path(bin_);
  form_.N1Click();
  EXPECT_TRUE(host_.started.empty());
  ASSERT_EQ(host_.exceptions.size(), 1u);
  EXPECT_THAT(host_.exceptions[0], HasSubstr("xdg-open"));
  EXPECT_TRUE(FileExists(JumpPage()));
}

TEST_F(N1ClickTest, UnwritablePageIsReportedAndStartsNothing) {
  FakeProgram("xdg-open");
  ScopedPath path(bin_);
  folder_.BlockPageFolder();
  form_.N1Click();
  EXPECT_TRUE(host_.started.empty());
  EXPECT_EQ(host_.exceptions,
            std::vector<std::string>{"ファイル " + JumpPage() + " を作成できません"});
}

TEST_F(N1ClickTest, FailedStartReportsNothing) {
  FakeProgram("xdg-open", "#!/nonexistent/shell");
  ScopedPath path(bin_);
  form_.N1Click();
  EXPECT_EQ(host_.started.size(), 1u);
  EXPECT_TRUE(host_.exceptions.empty());
}

}  // namespace
}  // namespace kelvanis
