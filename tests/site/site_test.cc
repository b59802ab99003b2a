#include "site/site.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "codec/hex.h"
#include "codec/sjis.h"
#include "codec/utf8_check.h"

namespace kelvanis {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kHtml[] = "text/html; charset=UTF-8";

// A program folder in a fresh temporary directory, removed at the end.
class ProgramDir {
 public:
  ProgramDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "site_test.XXXXXX").string();
    path_ = std::string(mkdtemp(pattern.data())) + "/";
  }
  ~ProgramDir() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }

  void Write(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(path_ + name).parent_path());
    std::ofstream(path_ + name, std::ios::binary) << bytes;
  }

  // kelvanis.db with the table of entries and these rows, their texts given
  // in UTF-8 and stored as hex of their Shift_JIS bytes.
  struct Row {
    int id;
    std::string title, des, keywd, edate, rout;
  };
  void CreateDatabase(std::initializer_list<Row> rows) const {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((path_ + "kelvanis.db").c_str(), &raw), SQLITE_OK);
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, sqlite3_close);
    Exec(db.get(),
         "create table mcnt (id integer primary key, title text, des text, keywd text, "
         "edate text, rout text)");
    for (const Row& row : rows) {
      auto hex = [](const std::string& utf8) { return "'" + HexEncode(Utf8ToSjis(utf8)) + "'"; };
      Exec(db.get(), "insert into mcnt values (" + std::to_string(row.id) + "," + hex(row.title) +
                         "," + hex(row.des) + "," + hex(row.keywd) + ",'" + row.edate + "'," +
                         hex(row.rout) + ")");
    }
  }

 private:
  static void Exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "") << " in " << sql;
    sqlite3_free(error);
  }

  std::string path_;
};

SiteResponse Get(const std::string& app_dir, const std::string& path) {
  return HandleSiteRequest(app_dir, "GET", kSiteBaseUrl + path, "");
}

SiteResponse Post(const std::string& path, const std::string& body) {
  return HandleSiteRequest("/nonexistent/", "POST", kSiteBaseUrl + path, body);
}

TEST(SiteTest, NewEntryFormPostsItsFieldsAsUtf8FormData) {
  // The start page's link; bkey is the search key in UTF-8.
  SiteResponse r =
      Get("/nonexistent/", "py/p/new.py?cmd=new&bcmd=&bkey=%E6%97%85+%22%3E%3Cb%3E&bpage=0");
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.content_type, kHtml);
  const std::string& page = r.body;
  EXPECT_THAT(page, HasSubstr("<meta charset=\"UTF-8\">"));
  EXPECT_THAT(page, HasSubstr("href=\"/sviewl.css\""));
  EXPECT_THAT(page, HasSubstr("<form name=\"nform\" method=\"POST\" action=\"new_entry.py\" "
                              "enctype=\"application/x-www-form-urlencoded\" "
                              "accept-charset=\"UTF-8\">"));
  EXPECT_THAT(page, HasSubstr("<input type=\"text\" name=\"title\""));
  EXPECT_THAT(page, HasSubstr("<textarea name=\"desc\""));
  EXPECT_THAT(page, HasSubstr("<input type=\"text\" name=\"keywd\""));
  EXPECT_THAT(page, HasSubstr("<textarea name=\"rout\""));
  // Back to the list searched before, the key encoded once more.
  EXPECT_THAT(page, HasSubstr("href=\"homep.html?key=%E6%97%85%20%22%3E%3Cb%3E\""));
  EXPECT_THAT(page, Not(HasSubstr("<b>")));
}

TEST(SiteTest, ViewerShowsAPostedEntryEscaped) {
  // The body the hand-off posts after a save.
  const std::string body =
      "id=7&title=%3Cscript%3Ealert(%22x%22)%3C%2Fscript%3E+%27q%27"
      "&des=a+b%26c%0D%0A%E8%AA%AC%E6%98%8E&keywd=%E6%97%85%E8%A1%8C%E3%80%80C%2B%2B+a%26b"
      "&date=2024%2F03%2F07%2014%3A05%3A09&rout=%E9%A7%85%E2%86%92%E5%AF%BA";
  SiteResponse r = Post("py/p/view.py", body);
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.content_type, kHtml);
  const std::string& page = r.body;
  EXPECT_THAT(page, Not(HasSubstr("<script>")));
  EXPECT_THAT(page,
              HasSubstr("<h2 class=\"etitle\">&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; "
                        "&#39;q&#39;</h2>"));
  EXPECT_THAT(page, HasSubstr("a b&amp;c\r\n説明"));
  EXPECT_THAT(page, HasSubstr("2024/03/07 14:05:09"));
  EXPECT_THAT(page, HasSubstr("駅→寺"));
  // Each keyword links to a search for itself.
  EXPECT_THAT(page, HasSubstr("<a class=\"kwd\" href=\"homep.html?key=%E6%97%85%E8%A1%8C\">"
                              "旅行</a>"));
  EXPECT_THAT(page, HasSubstr("<a class=\"kwd\" href=\"homep.html?key=C%2B%2B\">C++</a>"));
  EXPECT_THAT(page, HasSubstr("<a class=\"kwd\" href=\"homep.html?key=a%26b\">a&amp;b</a>"));
  // The edit form, pre-filled; a textarea keeps a value's leading line break.
  EXPECT_THAT(page, HasSubstr("action=\"edit_entryp.py\""));
  EXPECT_THAT(page, HasSubstr("<input type=\"hidden\" name=\"id\" value=\"7\">"));
  EXPECT_THAT(page,
              HasSubstr("name=\"title\" size=\"60\" value=\"&lt;script&gt;alert(&quot;x&quot;)"
                        "&lt;/script&gt; &#39;q&#39;\">"));
  EXPECT_THAT(page, HasSubstr("<textarea name=\"desc\" rows=\"5\" cols=\"60\">\na b&amp;c\r\n説明"
                              "</textarea>"));
  EXPECT_THAT(page, HasSubstr("name=\"keywd\" size=\"60\" value=\"旅行　C++ a&amp;b\">"));
  EXPECT_THAT(page, HasSubstr("<textarea name=\"rout\" rows=\"5\" cols=\"60\">\n駅→寺</textarea>"));
  // Deleting asks first.
  EXPECT_THAT(page,
              HasSubstr("action=\"edit_delep.py\" enctype=\"application/x-www-form-urlencoded\" "
                        "accept-charset=\"UTF-8\" onsubmit=\"return confirm("));
}

TEST(SiteTest, ViewerTakesTheStartPageFormAndItsKey) {
  const std::string body =
      "bkey=%E6%97%85&id=3&title=T&des=D&keywd=K&rout=R&date=2024%2F01%2F02+03%3A04%3A05"
      "&home_url=kelvanis%3A%2F%2Fsite%2F&lcnt=4";
  const std::string page = Post("py/p/view.py", body).body;
  EXPECT_THAT(page, HasSubstr("<h2 class=\"etitle\">T</h2>"));
  EXPECT_THAT(page, HasSubstr("2024/01/02 03:04:05"));
  EXPECT_THAT(page, HasSubstr("<a class=\"back\" href=\"homep.html?key=%E6%97%85\">"));
}

TEST(SiteTest, ViewerSaysWhenAnEntryCouldNotBeSaved) {
  const std::string page = Post("py/p/view.py", "id=-1&title=lost&des=&keywd=&date=&rout=").body;
  EXPECT_THAT(page, HasSubstr("保存できませんでした"));
  EXPECT_THAT(page, HasSubstr("lost"));  // what was typed is still there to copy
  EXPECT_THAT(page, Not(HasSubstr("edit_entryp.py")));
  EXPECT_THAT(page, Not(HasSubstr("edit_delep.py")));
}

TEST(SiteTest, ViewerOffersNoFormsWithoutANumber) {
  for (const char* id : {"", "abc", "1%20or%201%3D1"}) {
    const std::string page = Post("py/p/view.py", std::string("id=") + id + "&title=t").body;
    EXPECT_THAT(page, Not(HasSubstr("edit_entryp.py"))) << id;
    EXPECT_THAT(page, Not(HasSubstr("edit_delep.py"))) << id;
    EXPECT_THAT(page, Not(HasSubstr("保存できませんでした"))) << id;
  }
}

TEST(SiteTest, InvalidUtf8InPostedValuesShowsAsReplacementCharacters) {
  // Shift_JIS bytes and a cut-off sequence where UTF-8 is expected.
  const std::string page = Post("py/p/view.py", "id=1&title=%82%A0x%E3%81&keywd=%FF").body;
  EXPECT_EQ(ValidUtf8(page), page);
  EXPECT_THAT(page, HasSubstr("<h2 class=\"etitle\">\xEF\xBF\xBD\xEF\xBF\xBDx\xEF\xBF\xBD</h2>"));
  EXPECT_THAT(page, HasSubstr("href=\"homep.html?key=%EF%BF%BD\""));
}

TEST(SiteTest, ViewerReadsAStoredEntryById) {
  ProgramDir dir;
  dir.CreateDatabase({
      {1, "other", "", "x", "2024/01/01 00:00:00", ""},
      {12, "京都の<寺>", "説明 & \"引用\"", "旅行　京都 寺", "2024/03/07 14:05:09", "駅→寺"},
  });
  SiteResponse r = Get(dir.path(), "py/p/view.py?cmd=view&id=12&bcmd=search&bkey=ALL");
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.content_type, kHtml);
  const std::string& page = r.body;
  EXPECT_THAT(page, HasSubstr("<h2 class=\"etitle\">京都の&lt;寺&gt;</h2>"));
  EXPECT_THAT(page, HasSubstr("説明 &amp; &quot;引用&quot;"));
  EXPECT_THAT(page, HasSubstr("2024/03/07 14:05:09"));
  EXPECT_THAT(page, HasSubstr("駅→寺"));
  EXPECT_THAT(page, HasSubstr("href=\"homep.html?key=%E6%97%85%E8%A1%8C\">旅行</a>"));
  EXPECT_THAT(page, HasSubstr("href=\"homep.html?key=%E4%BA%AC%E9%83%BD\">京都</a>"));
  EXPECT_THAT(page, HasSubstr("href=\"homep.html?key=%E5%AF%BA\">寺</a>"));
  EXPECT_THAT(page, HasSubstr("<input type=\"hidden\" name=\"id\" value=\"12\">"));
  EXPECT_THAT(page, HasSubstr("action=\"edit_entryp.py\""));
  EXPECT_THAT(page, HasSubstr("action=\"edit_delep.py\""));
  EXPECT_THAT(page, HasSubstr("<a class=\"back\" href=\"homep.html?key=ALL\">"));
  EXPECT_THAT(page, Not(HasSubstr("other")));
}

TEST(SiteTest, ViewerAnswersNotFoundForAnEntryItCannotRead) {
  ProgramDir dir;
  dir.CreateDatabase({{1, "one", "", "", "2024/01/01 00:00:00", ""}});
  ProgramDir empty;  // no database at all
  const std::pair<const ProgramDir*, std::string> cases[] = {
      {&dir, "py/p/view.py?cmd=view&id=2"},
      {&dir, "py/p/view.py?cmd=view&id=-1"},
      {&dir, "py/p/view.py?cmd=view&id=1%20or%201%3D1"},
      {&dir, "py/p/view.py?cmd=view&id=99999999999999999999"},
      {&dir, "py/p/view.py?cmd=view"},
      {&empty, "py/p/view.py?cmd=view&id=1"},
  };
  for (const auto& [folder, path] : cases) {
    SiteResponse r = Get(folder->path(), path);
    EXPECT_EQ(r.status, 404) << path;
    EXPECT_EQ(r.content_type, kHtml) << path;
    EXPECT_THAT(r.body, HasSubstr("この番号の項目はありません")) << path;
    EXPECT_THAT(r.body, HasSubstr("href=\"homep.html?key=\"")) << path;
  }
  EXPECT_FALSE(std::filesystem::exists(empty.path() + "kelvanis.db"));
}

TEST(SiteTest, OtherPathsAreNotFound) {
  ProgramDir dir;
  dir.Write("kelvanis.ini", "[common]\n");
  for (const char* path : {"", "py/p/other.py", "py/p/new.py.bak", "PY/P/VIEW.PY",
                           "page/sviewl.css", "../kelvanis.ini", "%2E%2E/kelvanis.ini"}) {
    SiteResponse r = Get(dir.path(), path);
    EXPECT_EQ(r.status, 404) << path;
    EXPECT_EQ(r.content_type, kHtml) << path;
    EXPECT_THAT(r.body, HasSubstr("not found")) << path;
    EXPECT_THAT(r.body, HasSubstr("href=\"homep.html?key=\"")) << path;
  }
}

TEST(SiteTest, ServesThePageAssetsOfTheProgramFolder) {
  ProgramDir dir;
  dir.Write("page/sviewl.css", "body { color: red; }\n");
  dir.Write("page/streetviewl.js", "function load_list() {}\n");
  SiteResponse css = Get(dir.path(), "sviewl.css");
  EXPECT_EQ(css.status, 200);
  EXPECT_EQ(css.content_type, "text/css; charset=UTF-8");
  EXPECT_EQ(css.body, "body { color: red; }\n");
  SiteResponse js = Get(dir.path(), "streetviewl.js?v=1");
  EXPECT_EQ(js.status, 200);
  EXPECT_EQ(js.content_type, "text/javascript; charset=UTF-8");
  EXPECT_EQ(js.body, "function load_list() {}\n");

  ProgramDir bare;
  EXPECT_EQ(Get(bare.path(), "sviewl.css").status, 404);
}

}  // namespace
}  // namespace kelvanis
