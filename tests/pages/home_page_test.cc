#include "pages/home_page.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "codec/hex.h"
#include "codec/sjis.h"
#include "pages/page_file.h"
#include "tests/store/test_folder.h"

namespace kelvanis {
namespace {

using testing::ReadFile;
using testing::TestFolder;
using testing::WriteFile;

std::string Join(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

std::vector<std::string> Lines(const std::string& page) {
  std::vector<std::string> lines;
  size_t pos = 0;
  for (size_t end; (end = page.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
    lines.push_back(page.substr(pos, end - pos));
  }
  EXPECT_EQ(pos, page.size()) << "text after the last CR LF";
  return lines;
}

class HomePageTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directory(folder_.path() + "page"); }

  // Stores an entry from UTF-8 texts, bypassing the store's writers.
  void Put(int id, const std::string& title, const std::string& des, const std::string& keywd,
           const std::string& edate, const std::string& rout) {
    auto hex = [](const std::string& utf8) { return HexEncode(Utf8ToSjis(utf8)); };
    folder_.Exec("insert into mcnt values (" + std::to_string(id) + ",'" + hex(title) + "','" +
                 hex(des) + "','" + hex(keywd) + "','" + edate + "','" + hex(rout) + "')");
  }

  std::string Build(const std::string& key, const std::string& com = "") {
    BuildHomePage(folder_.path(), "http://example.test/", page_, com, Utf8ToSjis(key));
    return ReadFile(page_);
  }

  std::set<std::string> Ids(const std::string& key) {
    std::set<std::string> ids;
    for (const std::string& row : SelectEntryRows(folder_.path(), Utf8ToSjis(key))) {
      ids.insert(row.substr(0, row.find(";;")));
    }
    return ids;
  }

  TestFolder folder_;
  std::string page_ = folder_.path() + "page/home.html";
};

const std::vector<std::string> kHead = {
    "<html>",
    "<head><title>Kelvanis</title></head>",
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">",
    "<link rel=\"stylesheet\" type=\"text/css\" href=\"sviewl.css\">",
    "<script src=\"streetviewl.js\" type=\"text/javascript\" charset=\"UTF-8\"></script>",
    "<body onload=\"load_list()\">",
    "<center><h1>Kelvanis</h1></center>",
    "<div align=\"right\"><a href=\"home.html\">home</a></div><hr>",
    "<form name=\"sform\" method=\"GET\" action=\"home.html\">",
    "<table border=0><tr><td width=30></td><td nowrap>",
    "<input type=\"hidden\" name=\"cmd\" value=\"search\">",
    "<b>キーワード：</b><input type=\"text\" name=\"key\" value=\"ALL\">",
    "&nbsp;&nbsp;<input type=\"submit\" value=\"検索\">",
    "<span style=\"width:50\"></span>",
    "<a href=\"http://example.test/py/p/new.py?cmd=new&bcmd=&bkey=ALL&bpage=0\">",
    "<font color=blue>新規作成</font>",
    "</td></tr></table></form><hr><table border=0><tr><td width=30></td><td>",
};

std::vector<std::string> Tail(int count) {
  return {
      "<div id=\"addlst\"></div>",
      "<span id=\"tmplate\" style=\"display:none;\">",
      "{no}&nbsp;<a href=\"http://example.test/py/p/"
      "view.py?cmd=view&id={id}&bcmd=search&bkey=ALL\">{title}</a>&nbsp;&nbsp;",
      "<font color=\"navy\"><b>[Public]</b></font><br>",
      "<div class=\"ctby\"><font size=-1>{des}</font></div>",
      "<font size=-2 color=green>{date}&nbsp;&nbsp;アクセス:{acnt}'件</font><br>",
      "<font size=-2 color=blown>キーワード:&nbsp;<span "
      "id=\"iskwd\">{keywd}</span></font></div><p />",
      "</span>",
      "<form name=\"mform\" method=\"POST\" action=\"http://example.test/py/p/view.py\">",
      "<input type=\"hidden\" name=\"bkey\" value=\"ALL\">",
      "<input type=\"hidden\" name=\"id\" value=\"\">",
      "<input type=\"hidden\" name=\"title\" value=\"\">",
      "<input type=\"hidden\" name=\"des\" value=\"\">",
      "<input type=\"hidden\" name=\"keywd\" value=\"\">",
      "<input type=\"hidden\" name=\"rout\" value=\"\">",
      "<input type=\"hidden\" name=\"date\" value=\"\">",
      "<input type=\"hidden\" name=\"home_url\" value=\"http://example.test/\">",
      "<input type=\"hidden\" name=\"lcnt\" value=\"" + std::to_string(count) + "\">",
      "</form>",
      "</body></html>",
  };
}

std::string EmptyPage() {
  std::vector<std::string> lines = kHead;
  for (const std::string& line : Tail(0)) lines.push_back(line);
  return Join(lines);
}

// The whole page for two entries: newest first, values escaped for HTML,
// Japanese as UTF-8, CR LF after every line.
TEST_F(HomePageTest, WholePageForTwoEntries) {
  folder_.CreateDatabase();
  Put(1, "古い", "a&b", "k1", "2023/01/01 00:00:00", "r1");
  Put(2, "T\"<x>", "<i>d</i>", "k'2", "2024/01/01 00:00:00", "ルート");
  std::vector<std::string> lines = kHead;
  for (const std::string& line : std::vector<std::string>{
           "1&nbsp;<a href=\"javascript:viewlink(1)\">",
           "T&quot;&lt;x&gt;</a><br>",
           "<input id=\"eid1\" type=\"hidden\" name=\"eid\" value=\"2\">",
           "<input id=\"etitle1\" type=\"hidden\" name=\"etitle\" value=\"T&quot;&lt;x&gt;\">",
           "<input id=\"edes1\" type=\"hidden\" name=\"edes\" value=\"&lt;i&gt;d&lt;/i&gt;\">",
           "<input id=\"ekeywd1\" type=\"hidden\" name=\"ekeywd\" value=\"k&#39;2\">",
           "<input id=\"erout1\" type=\"hidden\" name=\"erout\" value=\"ルート\">",
           "<input id=\"edate1\" type=\"hidden\" name=\"edate\" value=\"2024/01/01 00:00:00\">",
           "<div class=\"ctby\"><font size=-1>&lt;i&gt;d&lt;/i&gt;</font></div>",
           "<font size=-2 color=green>2024/01/01 00:00:00</font><br>",
           "<font size=-2 color=blown>キーワード:&nbsp;<span id=\"iskwd\">",
           "k&#39;2</span></font></div><p />",
           "2&nbsp;<a href=\"javascript:viewlink(2)\">",
           "古い</a><br>",
           "<input id=\"eid2\" type=\"hidden\" name=\"eid\" value=\"1\">",
           "<input id=\"etitle2\" type=\"hidden\" name=\"etitle\" value=\"古い\">",
           "<input id=\"edes2\" type=\"hidden\" name=\"edes\" value=\"a&amp;b\">",
           "<input id=\"ekeywd2\" type=\"hidden\" name=\"ekeywd\" value=\"k1\">",
           "<input id=\"erout2\" type=\"hidden\" name=\"erout\" value=\"r1\">",
           "<input id=\"edate2\" type=\"hidden\" name=\"edate\" value=\"2023/01/01 00:00:00\">",
           "<div class=\"ctby\"><font size=-1>a&amp;b</font></div>",
           "<font size=-2 color=green>2023/01/01 00:00:00</font><br>",
           "<font size=-2 color=blown>キーワード:&nbsp;<span id=\"iskwd\">",
           "k1</span></font></div><p />",
       }) {
    lines.push_back(line);
  }
  for (const std::string& line : Tail(2)) lines.push_back(line);
  EXPECT_EQ(Join(lines), Build(""));
  // "ALL" is the same search as the empty key.
  EXPECT_EQ(Join(lines), Build("ALL"));
}

TEST_F(HomePageTest, WithoutDatabaseOrTableThePageListsNothing) {
  EXPECT_EQ(EmptyPage(), Build(""));
  EXPECT_FALSE(std::filesystem::exists(folder_.db()));
  folder_.Exec("create table other (x)");
  EXPECT_EQ(EmptyPage(), Build(""));
}

// The key goes into the page escaped for HTML; the key and the command go
// into the query of links percent-encoded (as UTF-8).
TEST_F(HomePageTest, KeyAndCommandAreEscaped) {
  folder_.CreateDatabase();
  Put(1, "t", "", "a&b cあ\"", "2024/01/01 00:00:00", "");
  const std::vector<std::string> lines = Lines(Build("a&b cあ\"", "n\"e&w"));
  ASSERT_EQ(kHead.size() + 12 + Tail(1).size(), lines.size());
  EXPECT_EQ("<b>キーワード：</b><input type=\"text\" name=\"key\" value=\"a&amp;b cあ&quot;\">",
            lines[11]);
  EXPECT_EQ(
      "<a href=\"http://example.test/py/p/"
      "new.py?cmd=new&bcmd=n%22e%26w&bkey=a%26b%20c%E3%81%82%22&bpage=0\">",
      lines[14]);
  const size_t tail = kHead.size() + 12;
  EXPECT_EQ(
      "{no}&nbsp;<a href=\"http://example.test/py/p/"
      "view.py?cmd=view&id={id}&bcmd=search&bkey=a%26b%20c%E3%81%82%22\">{title}</a>&nbsp;&nbsp;",
      lines[tail + 2]);
  EXPECT_EQ("<input type=\"hidden\" name=\"bkey\" value=\"a&amp;b cあ&quot;\">", lines[tail + 9]);
}

TEST_F(HomePageTest, SiteUrlIsEscaped) {
  BuildHomePage(folder_.path(), "http://h/?a=1&b=\"<\x83\x41>", page_, "", "");
  const std::string page = ReadFile(page_);
  EXPECT_NE(std::string::npos, page.find("<input type=\"hidden\" name=\"home_url\" "
                                         "value=\"http://h/?a=1&amp;b=&quot;&lt;ア&gt;\">\r\n"));
  EXPECT_NE(std::string::npos,
            page.find("action=\"http://h/?a=1&amp;b=&quot;&lt;ア&gt;py/p/view.py\">\r\n"));
}

// Bytes that are not Shift_JIS show as U+FFFD; the line stays.
TEST_F(HomePageTest, InvalidShiftJisShowsAsReplacementCharacter) {
  folder_.CreateDatabase();
  folder_.Exec("insert into mcnt values (1, '61ff62', '6182', '', '2024/01/01 00:00:00', '')");
  const std::vector<std::string> lines = Lines(Build(""));
  EXPECT_EQ(
      "a\xEF\xBF\xBD"
      "b</a><br>",
      lines[kHead.size() + 1]);
  EXPECT_EQ("<div class=\"ctby\"><font size=-1>a\xEF\xBF\xBD</font></div>",
            lines[kHead.size() + 8]);
}

// Stored text that is not plain lower-case hex reads as HexDecode reads it.
TEST_F(HomePageTest, MalformedStoredTextDecodesAsHexDecode) {
  folder_.CreateDatabase();
  const struct {
    const char* stored;
    const char* shown;
  } cases[] = {
      {"616263", "abc"}, {"41FF", "AA"}, {"616", "aa"}, {"610062", "a"}, {"", ""}, {"4z41", "@A"},
  };
  for (const auto& c : cases) {
    folder_.Exec("delete from mcnt; insert into mcnt values (1, '" + std::string(c.stored) +
                 "', '', '', '', '')");
    EXPECT_EQ(std::string(c.shown) + "</a><br>", Lines(Build(""))[kHead.size() + 1]) << c.stored;
  }
}

TEST_F(HomePageTest, SearchMatchesWholeCharactersOfTheKeywordsOnly) {
  folder_.CreateDatabase();
  Put(1, "", "", "D1", "2024/01/01 00:00:01", "");
  Put(2, "", "", "ア", "2024/01/01 00:00:02", "");  // 83 41
  Put(3, "", "", "ABC", "2024/01/01 00:00:03", "");
  Put(4, "", "", "abc def", "2024/01/01 00:00:04", "");
  Put(5, "", "", "xアy", "2024/01/01 00:00:05", "");
  Put(6, "", "", "ball", "2024/01/01 00:00:06", "");
  Put(7, "needle", "needle", "zzz", "2024/01/01 00:00:07", "needle");
  const std::set<std::string> all = {"1", "2", "3", "4", "5", "6", "7"};
  const struct {
    const char* key;
    std::set<std::string> ids;
  } cases[] = {
      {"C", {"3"}},                        // not D1, whose hex 4431 holds 43 across a byte
      {"A", {"3"}},                        // not ア, whose second byte is 41
      {"ア", {"2", "5"}}, {"abc", {"4"}},  // case-sensitive
      {"", all},          {"ALL", all},   {"all", {"6"}},  // an ordinary search
      {"All", {}},        {"needle", {}},  // titles, descriptions and routes are not searched
  };
  for (const auto& c : cases) EXPECT_EQ(c.ids, Ids(c.key)) << c.key;
}

TEST_F(HomePageTest, EntriesComeNewestFirst) {
  folder_.CreateDatabase();
  Put(1, "", "", "", "2024/05/01 10:00:00", "");
  Put(2, "", "", "", "2023/12/31 23:59:59", "");
  Put(3, "", "", "", "2024/05/01 10:00:01", "");
  std::vector<std::string> ids;
  for (const std::string& row : SelectEntryRows(folder_.path(), "")) {
    ids.push_back(row.substr(0, row.find(";;")));
  }
  EXPECT_EQ((std::vector<std::string>{"3", "1", "2"}), ids);
}

TEST_F(HomePageTest, UnwritablePageRaisesFileCreateError) {
  const std::string missing = folder_.path() + "nofolder/home.html";
  try {
    BuildHomePage(folder_.path(), "", missing, "", "");
    FAIL() << "no error";
  } catch (const FileCreateError& error) {
    EXPECT_EQ("ファイル " + missing + " を作成できません", std::string(error.what()));
  }
  // A folder in the page's place: the rename fails, nothing is left behind.
  std::filesystem::create_directory(page_);
  EXPECT_THROW(BuildHomePage(folder_.path(), "", page_, "", ""), FileCreateError);
  EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder_.path() + "page"),
                             std::filesystem::directory_iterator()));
}

// A write that fails half way (here: the file size limit) leaves the
// previous page as it was and no temporary file.
TEST_F(HomePageTest, FailedWriteKeepsThePreviousPage) {
  folder_.CreateDatabase();
  for (int i = 1; i <= 200; ++i) Put(i, "title", "description", "k", "2024/01/01 00:00:00", "");
  WriteFile(page_, "previous page");
  struct rlimit old_limit;
  getrlimit(RLIMIT_FSIZE, &old_limit);
  struct rlimit limit = old_limit;
  limit.rlim_cur = 4096;
  auto old_handler = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limit);
  // The page is far larger than 4096 bytes but smaller than one flush, so
  // the limit is hit when the whole text is handed over at the end.
  EXPECT_THROW(BuildHomePage(folder_.path(), "", page_, "", ""), FileCreateError);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);
  EXPECT_EQ("previous page", ReadFile(page_));
  EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder_.path() + "page"),
                             std::filesystem::directory_iterator()));
}

}  // namespace
}  // namespace kelvanis
