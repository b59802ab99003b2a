// The before-navigation handler of the window, end to end: a real program
// folder with a SQLite file, the test browser and a recording host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "app/form1.h"
#include "codec/hex.h"
#include "codec/sjis.h"
#include "router/router.h"
#include "tests/support/fake_browser.h"
#include "tests/support/program_folder.h"
#include "tests/support/recording_host.h"

namespace kelvanis {
namespace {

using testing::FakeBrowser;
using ::testing::HasSubstr;
using testing::Navigation;
using ::testing::Not;
using testing::ProgramFolder;
using testing::ReadFile;
using testing::RecordingHost;

const char kSite[] = "kelvanis://site/";
const char kNewEntry[] = "kelvanis://site/py/new_entry.py";
const char kEditEntry[] = "kelvanis://site/py/edit_entryp.py";
const char kDeleteEntry[] = "kelvanis://site/py/edit_delep.py";
const char kViewer[] = "kelvanis://site/py/p/view.py";

class RouterTest : public ::testing::Test {
 protected:
  RouterTest() : host_(folder_.exe()), form_(browser_, host_) {
    testing::WriteFile(folder_.dir() + "kelvanis.ini", std::string("[common]\nhome_url=") + kSite);
    form_.FormShow();
    EXPECT_EQ(form_.SiteUrl(), kSite);
    Reset();
  }

  // Forgets the navigations so far and removes the start page.
  void Reset() {
    browser_.Clear();
    std::filesystem::remove(folder_.home_page());
  }

  std::string HomePage() const { return ReadFile(folder_.home_page()); }
  bool HomePageWritten() const { return testing::FileExists(folder_.home_page()); }
  std::vector<std::string> Rows() const {
    return folder_.Query("select id,title,des,keywd,rout from mcnt order by id");
  }
  std::vector<std::string> RowOf(int id) const {
    return folder_.Query("select id,title,des,keywd,rout from mcnt where id=" + std::to_string(id));
  }
  static std::string Hex(const std::string& text) { return HexEncode(text); }

  // Posts `body` to `url` as the user's form would; returns the body that
  // went to the viewer, which must have gone there exactly once. The body's
  // date is replaced by "<date>" after it was checked against the clock.
  std::string PostAndTakeViewerBody(const std::string& url, const std::string& body) {
    Reset();
    const std::time_t before = std::time(nullptr);
    EXPECT_TRUE(browser_.UserNavigate(url, body));
    const std::time_t after = std::time(nullptr);
    std::vector<Navigation> posts = browser_.ProgramNavigations();
    EXPECT_EQ(posts.size(), 1u);
    if (posts.size() != 1) return "";
    const Navigation& post = posts[0];
    EXPECT_EQ(post.url, kViewer);
    EXPECT_EQ(post.headers, "Content-Type: application/x-www-form-urlencoded\r\n");
    EXPECT_FALSE(post.cancelled);  // no route takes the viewer
    EXPECT_TRUE(post.body.has_value());
    std::string sent = post.body.value_or("");
    for (std::time_t t = before; t <= after; ++t) {
      const std::string date = "&date=" + ViewDateText(t) + "&";
      size_t at = sent.find(date);
      if (at != std::string::npos) return sent.replace(at, date.size(), "&date=<date>&");
    }
    ADD_FAILURE() << "no date of the clock in " << sent;
    return sent;
  }

  ProgramFolder folder_;
  FakeBrowser browser_;
  RecordingHost host_;
  TForm1 form_;
};

enum class Route { kNone, kHomePage, kSearch, kNew, kEdit, kDelete };

TEST_F(RouterTest, RoutesByTheFirstNameInTheDecodedUrl) {
  struct Case {
    std::string url;
    Route route;
  };
  const Case cases[] = {
      {"kelvanis://site/home.html", Route::kHomePage},
      {"http://example.com/search?next=home.html", Route::kHomePage},  // only in the query
      {"http://home.html.example.com/x", Route::kHomePage},            // only in the host
      {"http://example.com/home%2Ehtml", Route::kHomePage},            // decoded first
      {"http://example.com/HOME.HTML", Route::kNone},                  // case-sensitive
      {"http://example.com/a%00home.html", Route::kNone},              // decoded text ends at NUL
      {"http://example.com/new_entry.py?back=home.html", Route::kHomePage},  // earlier route wins
      {"http://example.com/homep.html?key=a", Route::kSearch},
      {"http://example.com/HomeP.html?key=a", Route::kNone},
      {"http://example.com/homep.html/new_entry.py?key=a", Route::kSearch},
      {"kelvanis://site/py/new_entry.py", Route::kNew},
      {"kelvanis://site/py/new%5Fentry.py", Route::kNew},
      {"kelvanis://site/py/New_Entry.py", Route::kNone},
      {"kelvanis://site/py/new_entry.py?edit_delep.py", Route::kNew},
      {"kelvanis://site/py/edit_entryp.py", Route::kEdit},
      {"kelvanis://site/py/edit_entryp.py?edit_delep.py", Route::kEdit},
      {"kelvanis://site/py/edit_delep.py", Route::kDelete},
      {"kelvanis://site/py/p/view.py", Route::kNone},
      {"http://example.com/other.html", Route::kNone},
      {"", Route::kNone},
  };
  // One entry, so that an edit or deletion of id 1 has something to change.
  folder_.Exec("insert into mcnt values (1, '" + Hex("old") +
               "', '', '', '2000/01/01 00:00:00', '')");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    Reset();
    const std::vector<std::string> rows_before = Rows();
    const bool cancelled = browser_.UserNavigate(c.url, std::string("id=1&title=changed"));
    const std::vector<Navigation> started = browser_.ProgramNavigations();

    EXPECT_EQ(cancelled, c.route != Route::kNone && c.route != Route::kHomePage);
    EXPECT_EQ(HomePageWritten(), c.route == Route::kHomePage || c.route == Route::kSearch ||
                                     c.route == Route::kDelete);
    EXPECT_TRUE(host_.exceptions.empty());
    switch (c.route) {
      case Route::kNone:
      case Route::kHomePage:
        EXPECT_TRUE(started.empty());
        EXPECT_EQ(Rows(), rows_before);
        break;
      case Route::kSearch:
        ASSERT_EQ(started.size(), 1u);
        EXPECT_EQ(started[0].url, form_.HomePageUrl() + "?com=search&key=a");
        EXPECT_EQ(Rows(), rows_before);
        break;
      case Route::kNew:
        ASSERT_EQ(started.size(), 1u);
        EXPECT_EQ(started[0].url, kViewer);
        EXPECT_EQ(Rows().size(), rows_before.size() + 1);
        break;
      case Route::kEdit:
        ASSERT_EQ(started.size(), 1u);
        EXPECT_EQ(started[0].url, kViewer);
        EXPECT_EQ(RowOf(1), std::vector<std::string>{"1|" + Hex("changed") + "|||"});
        folder_.Exec("update mcnt set title='" + Hex("old") + "' where id=1");
        break;
      case Route::kDelete:
        ASSERT_EQ(started.size(), 1u);
        EXPECT_EQ(started[0].url, form_.HomePageUrl());
        EXPECT_FALSE(started[0].body.has_value());
        EXPECT_TRUE(RowOf(1).empty());
        folder_.Exec("insert into mcnt values (1, '" + Hex("old") +
                     "', '', '', '2000/01/01 00:00:00', '')");
        break;
    }
  }
}

TEST_F(RouterTest, SearchRedirectPassesTheKeyAsTheUrlSpelledIt) {
  struct Case {
    std::string url;
    std::string query;
  };
  const Case cases[] = {
      {"kelvanis://site/homep.html?key=a%20b", "?com=search&key=a%20b"},
      {"kelvanis://site/homep.html?cmd=x&key=a+b&page=2", "?com=search&key=a+b"},
      {"kelvanis://site/homep.html", "?com=search&key="},
      {"kelvanis://site/homep.html?bkey=x&key=y", "?com=search&key=y"},
      // Bytes from the browser go back as they came, not converted again.
      {"kelvanis://site/homep.html?key=\xE6\x9D\xB1", "?com=search&key=\xE6\x9D\xB1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    Reset();
    EXPECT_TRUE(browser_.UserNavigate(c.url));
    const std::vector<Navigation> started = browser_.ProgramNavigations();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].url, form_.HomePageUrl() + c.query);
    EXPECT_FALSE(started[0].cancelled);
    EXPECT_FALSE(started[0].body.has_value());
    EXPECT_EQ(browser_.ShownUrl(), started[0].url);
    EXPECT_TRUE(HomePageWritten());
  }
}

TEST_F(RouterTest, NestedNavigationsRunInsideTheOuterOne) {
  const struct {
    std::string url;
    std::optional<std::string> body;
    std::string nested_url;
  } cases[] = {
      {"kelvanis://site/homep.html?key=k", std::nullopt, "<home>?com=search&key=k"},
      {kNewEntry, "title=t", kViewer},
      {kDeleteEntry, "id=5", "<home>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    Reset();
    browser_.UserNavigate(c.url, c.body);
    const std::vector<Navigation>& all = browser_.navigations();
    ASSERT_EQ(all.size(), 2u);
    // The outer navigation starts first, the nested one finishes first, and
    // only then is the outer one cancelled.
    EXPECT_TRUE(all[0].by_user);
    EXPECT_EQ(all[0].url, c.url);
    EXPECT_FALSE(all[1].by_user);
    std::string nested = c.nested_url;
    if (nested.rfind("<home>", 0) == 0) nested.replace(0, 6, form_.HomePageUrl());
    EXPECT_EQ(all[1].url, nested);
    EXPECT_EQ(all[1].finished, 0);
    EXPECT_EQ(all[0].finished, 1);
    EXPECT_TRUE(all[0].cancelled);
    EXPECT_FALSE(all[1].cancelled);
  }
}

TEST_F(RouterTest, ViewerGetsThePostedBytesAndTheStoreTheDecodedOnes) {
  struct Case {
    std::string url;
    std::string body;
    std::string viewer_body;  // with "<date>" for the clock's date
    std::string row;          // of the entry afterwards
  };
  folder_.Exec("insert into mcnt values (5, '" + Hex("old") +
               "', '', '', '2000/01/01 00:00:00', '')");
  const Case cases[] = {
      // The store decodes each value after picking it: an escaped "&"
      // stays inside its value.
      {kNewEntry, "title=a+b%26c&desc=d%3De&keywd=k1&rout=r1",
       "id=6&title=a+b%26c&des=d%3De&keywd=k1&date=<date>&rout=r1",
       "6|" + Hex("a b&c") + "|" + Hex("d=e") + "|" + Hex("k1") + "|" + Hex("r1")},
      // A NUL ends the body, for the store and the viewer alike; an escaped
      // one ends only the value it is in.
      {kNewEntry, std::string("title=ab\0cd&desc=x", 18),
       "id=7&title=ab&des=&keywd=&date=<date>&rout=", "7|" + Hex("ab") + "|||"},
      {kNewEntry, std::string("title=x%00y&desc=z", 18),
       "id=8&title=x%00y&des=z&keywd=&date=<date>&rout=", "8|" + Hex("x") + "|" + Hex("z") + "||"},
      // UTF-8 from the page is stored as Shift_JIS.
      {kNewEntry, "title=%E6%97%A5%E6%9C%AC&keywd=%E6%9D%B1%E4%BA%AC",
       "id=9&title=%E6%97%A5%E6%9C%AC&des=&keywd=%E6%9D%B1%E4%BA%AC&date=<date>&rout=",
       "9|" + Hex("\x93\xFA\x96\x7B") + "||" + Hex("\x93\x8C\x8B\x9E") + "|"},
      {kEditEntry, "id=5&title=new+title&desc=%2B&keywd=&rout=q",
       "id=5&title=new+title&des=%2B&keywd=&date=<date>&rout=q",
       "5|" + Hex("new title") + "|" + Hex("+") + "||" + Hex("q")},
      // The id of an edit goes to the viewer as posted.
      {kEditEntry, "title=t&id=0005",
       "id=0005&title=t&des=&keywd=&date=<date>&rout=", "5|" + Hex("t") + "|||"},
      {kEditEntry, "id=5x&title=u",
       "id=5x&title=u&des=&keywd=&date=<date>&rout=", "5|" + Hex("t") + "|||"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(PostAndTakeViewerBody(c.url, c.body), c.viewer_body);
    if (!c.row.empty()) {
      const std::string id = c.row.substr(0, c.row.find('|'));
      EXPECT_EQ(folder_.Query("select id,title,des,keywd,rout from mcnt where id=" + id),
                std::vector<std::string>{c.row});
    }
  }
  EXPECT_TRUE(host_.exceptions.empty());
}

TEST_F(RouterTest, ScriptsReachedWithoutBodyWorkOnEmptyTexts) {
  const std::string viewer_body = PostAndTakeViewerBody(kEditEntry, "");
  EXPECT_EQ(viewer_body, "id=&title=&des=&keywd=&date=<date>&rout=");
  Reset();
  EXPECT_TRUE(browser_.UserNavigate(kDeleteEntry));
  EXPECT_EQ(browser_.ShownUrl(), form_.HomePageUrl());
  EXPECT_TRUE(host_.exceptions.empty());
}

TEST_F(RouterTest, NewEntryWithoutDatabaseGoesToTheViewerWithTheFailureId) {
  std::filesystem::remove(folder_.dir() + "kelvanis.db");
  EXPECT_EQ(PostAndTakeViewerBody(kNewEntry, "title=t"),
            "id=-1&title=t&des=&keywd=&date=<date>&rout=");
  EXPECT_FALSE(testing::FileExists(folder_.dir() + "kelvanis.db"));
}

TEST_F(RouterTest, AddEditDeleteEndToEnd) {
  // Add two entries.
  EXPECT_EQ(PostAndTakeViewerBody(kNewEntry, "title=Zephyr+One&desc=first&keywd=alpha&rout=r1"),
            "id=1&title=Zephyr+One&des=first&keywd=alpha&date=<date>&rout=r1");
  EXPECT_EQ(PostAndTakeViewerBody(kNewEntry, "title=Quokka+Two&desc=second&keywd=beta&rout=r2"),
            "id=2&title=Quokka+Two&des=second&keywd=beta&date=<date>&rout=r2");
  ASSERT_EQ(Rows().size(), 2u);
  const std::vector<std::string> dates = folder_.Query("select edate from mcnt");
  for (const std::string& date : dates) {
    EXPECT_THAT(date,
                ::testing::MatchesRegex("[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}"));
  }

  // The start page lists both.
  Reset();
  EXPECT_FALSE(browser_.UserNavigate(form_.HomePageUrl()));
  EXPECT_THAT(HomePage(), HasSubstr("Zephyr One"));
  EXPECT_THAT(HomePage(), HasSubstr("Quokka Two"));

  // Edit the first.
  EXPECT_EQ(
      PostAndTakeViewerBody(kEditEntry, "id=1&title=Zephyr+Edited&desc=f&keywd=alpha&rout=r1"),
      "id=1&title=Zephyr+Edited&des=f&keywd=alpha&date=<date>&rout=r1");
  EXPECT_EQ(Rows()[0],
            "1|" + Hex("Zephyr Edited") + "|" + Hex("f") + "|" + Hex("alpha") + "|" + Hex("r1"));

  // Delete it: back on the start page, which no longer lists it.
  Reset();
  EXPECT_TRUE(browser_.UserNavigate(kDeleteEntry, std::string("id=1")));
  EXPECT_EQ(Rows(), std::vector<std::string>{"2|" + Hex("Quokka Two") + "|" + Hex("second") + "|" +
                                             Hex("beta") + "|" + Hex("r2")});
  EXPECT_EQ(browser_.ShownUrl(), form_.HomePageUrl());
  EXPECT_THAT(HomePage(), HasSubstr("Quokka Two"));
  EXPECT_THAT(HomePage(), Not(HasSubstr("Zephyr")));
  EXPECT_TRUE(host_.exceptions.empty());
}

TEST_F(RouterTest, JapaneseSearchKeyFindsItsEntries) {
  PostAndTakeViewerBody(kNewEntry, "title=EntryTokyo&keywd=%E6%9D%B1%E4%BA%AC");  // 東京
  PostAndTakeViewerBody(kNewEntry, "title=EntryOsaka&keywd=%E5%A4%A7%E9%98%AA");  // 大阪
  struct Case {
    std::string url;
    bool tokyo;
    bool osaka;
  };
  const Case cases[] = {
      {form_.HomePageUrl() + "?com=search&key=%E6%9D%B1%E4%BA%AC", true, false},
      {form_.HomePageUrl() + "?cmd=search&key=%E5%A4%A7%E9%98%AA", false, true},
      {"kelvanis://site/homep.html?key=%E6%9D%B1%E4%BA%AC", true, false},
      {"kelvanis://site/homep.html?key=\xE5\xA4\xA7\xE9\x98\xAA", false, true},
      {form_.HomePageUrl(), true, true},
      {form_.HomePageUrl() + "?com=search&key=%E4%BA%AC%E9%83%BD", false, false},  // 京都
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    Reset();
    browser_.UserNavigate(c.url);
    const std::string page = HomePage();
    ASSERT_FALSE(page.empty());
    EXPECT_EQ(page.find("EntryTokyo") != std::string::npos, c.tokyo);
    EXPECT_EQ(page.find("EntryOsaka") != std::string::npos, c.osaka);
  }
  // The key shows in the page as the user typed it, not garbled.
  Reset();
  browser_.UserNavigate(form_.HomePageUrl() + "?com=search&key=%E6%9D%B1%E4%BA%AC");
  EXPECT_THAT(HomePage(), HasSubstr("value=\"\xE6\x9D\xB1\xE4\xBA\xAC\""));
  EXPECT_TRUE(host_.exceptions.empty());
}

TEST_F(RouterTest, UnwritablePageFolderReachesTheExceptionReport) {
  const std::string message = "ファイル " + folder_.home_page() + " を作成できません";
  folder_.BlockPageFolder();

  EXPECT_FALSE(browser_.UserNavigate(form_.HomePageUrl()));
  EXPECT_EQ(host_.exceptions, std::vector<std::string>{message});

  // A deletion still happens and its outer navigation is still cancelled;
  // the start page's failure is reported once.
  folder_.Exec("insert into mcnt values (1, '" + Hex("x") +
               "', '', '', '2000/01/01 00:00:00', '')");
  EXPECT_TRUE(browser_.UserNavigate(kDeleteEntry, std::string("id=1")));
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(host_.exceptions, (std::vector<std::string>{message, message}));

  // The next event is handled as usual.
  folder_.RestorePageFolder();
  EXPECT_FALSE(browser_.UserNavigate(form_.HomePageUrl()));
  EXPECT_TRUE(HomePageWritten());
  EXPECT_EQ(host_.exceptions.size(), 2u);
}

}  // namespace
}  // namespace kelvanis
