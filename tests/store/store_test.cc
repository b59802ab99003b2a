#include "store/store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <chrono>
#include <string>
#include <thread>

#include "store/connection.h"
#include "tests/store/test_folder.h"

namespace kelvanis {
namespace {

using testing::TestFolder;

// 2023/11/14 22:13:20 and one hour later, in UTC.
constexpr std::time_t kNow = 1700000000;
constexpr std::time_t kLater = kNow + 3600;

class StoreTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
  TestFolder folder_;
};

TEST(CollectRowTest, JoinsColumnsWithNullAsEmpty) {
  RowList rows;
  char three[] = "3", abc[] = "616263";
  char* values[] = {three, nullptr, abc};
  EXPECT_EQ(0, CollectRow(&rows, 3, values, nullptr));
  char* one_null[] = {nullptr};
  EXPECT_EQ(0, CollectRow(&rows, 1, one_null, nullptr));
  EXPECT_EQ((RowList{"3;;;;616263", ""}), rows);
}

TEST_F(StoreTest, DateTextIsLocalTimeWithFixedWidthFields) {
  EXPECT_EQ("2023/11/14 22:13:20", DateText(kNow));
  EXPECT_EQ("2001/02/03 04:05:06", DateText(981173106));
}

TEST(IsDecimalIdTest, AcceptsOnlySigned64BitDecimals) {
  const struct {
    const char* text;
    bool decimal;
  } cases[] = {
      {"1", true},
      {"-1", true},
      {"007", true},
      {"9223372036854775807", true},
      {"-9223372036854775808", true},
      {"9223372036854775808", false},
      {"-9223372036854775809", false},
      {"99999999999999999999", false},
      {"", false},
      {"-", false},
      {"+1", false},
      {" 1", false},
      {"1 ", false},
      {"1e3", false},
      {"0x10", false},
      {"1 or 1=1", false},
      {"1;delete from mcnt", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.decimal, IsDecimalId(c.text)) << c.text;
}

TEST(StatementTest, PiecesJoinAsTheStoreRunsThem) {
  EXPECT_EQ(
      "insert into mcnt (id,title,des,keywd,edate,rout) "
      "values(1,'616263','','','2023/11/14 22:13:20','')",
      InsertStatement(1, ParsePostedEntry("title=abc&desc=&keywd=&rout="), "2023/11/14 22:13:20"));
  EXPECT_EQ("update mcnt set title='74',des='64',keywd='6b',edate='E',rout='72' where id=12",
            UpdateStatement(ParsePostedEntry("id=12&title=t&desc=d&keywd=k&rout=r"), "E"));
  // Absent fields become empty; an absent id leaves a statement that fails.
  EXPECT_EQ("update mcnt set title='',des='',keywd='',edate='E',rout='' where id=",
            UpdateStatement(ParsePostedEntry(""), "E"));
  EXPECT_EQ("delete from mcnt where id=-4", DeleteStatement(ParsePostedEntry("x=1&id=-4")));
}

TEST_F(StoreTest, AddEntryTakesOneMoreThanTheLargestId) {
  folder_.CreateDatabase();
  EXPECT_EQ(1, AddEntry(folder_.path(), "title=abc&desc=&keywd=&rout=", kNow));
  EXPECT_EQ((std::vector<std::string>{"1|616263|||2023/11/14 22:13:20|"}),
            folder_.Exec("select * from mcnt"));

  folder_.Exec("delete from mcnt; insert into mcnt (id) values (3), (7)");
  EXPECT_EQ(8, AddEntry(folder_.path(), "title=x", kNow));
  EXPECT_EQ(1, DeleteEntry(folder_.path(), "id=8"));
  EXPECT_EQ(8, AddEntry(folder_.path(), "title=y", kNow));
  EXPECT_EQ((std::vector<std::string>{"3", "7", "8|79"}),
            folder_.Exec("select id || coalesce('|' || title, '') from mcnt order by id"));
}

TEST_F(StoreTest, AddEntryStoresShiftJisAsHex) {
  folder_.CreateDatabase();
  const struct {
    std::string post;
    std::string title_hex;
  } cases[] = {
      {"title=\xE3\x81\x82", "82a0"},            // あ
      {"title=\xED\x95\x9C", "20"},              // a Hangul syllable: no Shift_JIS form
      {"title=a%26b%3Dc&desc=z", "6126623d63"},  // escaped & and = stay in the value
      {"title=%22q%22+%2B", "227122202b"},       // so do quotes, "+" and an escaped plus
      {"title=a&b&desc=z", "61"},                // a raw "&" ends the field
      {"title=a%00b", "61"},                     // a decoded NUL ends the value
      {"desc=only", ""},
  };
  for (const auto& c : cases) {
    int id = AddEntry(folder_.path(), c.post, kNow);
    ASSERT_GT(id, 0) << c.post;
    EXPECT_EQ((std::vector<std::string>{c.title_hex}),
              folder_.Exec("select title from mcnt where id=" + std::to_string(id)))
        << c.post;
  }
}

// A value longer than 1024 bytes is cut at the last character boundary, so
// no lone lead byte is stored.
TEST_F(StoreTest, LongValuesAreCutAtACharacterBoundary) {
  folder_.CreateDatabase();
  const std::string a = "\xE3\x81\x82";  // あ, 82 a0 in Shift_JIS
  auto repeat = [](const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
  };
  const struct {
    std::string value;
    std::string stored_hex;
  } cases[] = {
      {std::string(1022, 'a') + a, repeat("61", 1022) + "82a0"},  // exactly 1024 bytes
      {std::string(1023, 'a') + a, repeat("61", 1023)},           // あ would straddle 1024
      {std::string(1500, 'b'), repeat("62", 1024)},
  };
  for (const auto& c : cases) {
    int id = AddEntry(folder_.path(), "keywd=" + c.value, kNow);
    EXPECT_EQ((std::vector<std::string>{c.stored_hex}),
              folder_.Exec("select keywd from mcnt where id=" + std::to_string(id)));
    EXPECT_EQ(1,
              EditEntry(folder_.path(), "id=" + std::to_string(id) + "&rout=" + c.value, kLater));
    EXPECT_EQ((std::vector<std::string>{c.stored_hex}),
              folder_.Exec("select rout from mcnt where id=" + std::to_string(id)));
  }
}

TEST_F(StoreTest, MissingDatabaseIsNeverCreated) {
  EXPECT_EQ(-1, AddEntry(folder_.path(), "title=a", kNow));
  EXPECT_EQ(1, EditEntry(folder_.path(), "id=1&title=a", kNow));
  EXPECT_EQ(1, DeleteEntry(folder_.path(), "id=1"));
  EXPECT_TRUE(QueryRows(folder_.path(), "select 1").empty());
  EXPECT_FALSE(ReadEntry(folder_.path(), 1));
  EXPECT_FALSE(FileExists(folder_.db()));
}

TEST_F(StoreTest, FailedInsertReturnsMinusOne) {
  // A database without the table: the insert fails.
  folder_.Exec("create table other (x)");
  EXPECT_EQ(-1, AddEntry(folder_.path(), "title=a", kNow));
  EXPECT_TRUE(QueryRows(folder_.path(), "select * from mcnt").empty());
  EXPECT_EQ(1, EditEntry(folder_.path(), "id=1&title=a", kNow));

  // A file that is not a database.
  testing::WriteFile(folder_.db(), std::string(4096, 'x'));
  EXPECT_EQ(-1, AddEntry(folder_.path(), "title=a", kNow));
  EXPECT_EQ(std::string(4096, 'x'), testing::ReadFile(folder_.db()));
}

// Another connection holds the write lock, as a second instance or a backup
// would, and inserts entry 5 meanwhile.
class LockHolder {
 public:
  explicit LockHolder(const std::string& db) {
    sqlite3_open(db.c_str(), &db_);
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(db_, "begin immediate", nullptr, nullptr, nullptr));
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(db_, "insert into mcnt (id, title) values (5, '35')", nullptr,
                                      nullptr, nullptr));
  }
  ~LockHolder() {
    if (thread_.joinable()) thread_.join();
    sqlite3_close(db_);
  }
  void CommitAfter(std::chrono::milliseconds delay) {
    thread_ = std::thread([this, delay] {
      std::this_thread::sleep_for(delay);
      sqlite3_exec(db_, "commit", nullptr, nullptr, nullptr);
    });
  }
  void Rollback() { sqlite3_exec(db_, "rollback", nullptr, nullptr, nullptr); }

 private:
  sqlite3* db_ = nullptr;
  std::thread thread_;
};

TEST_F(StoreTest, AddEntryWaitsForABriefLock) {
  folder_.CreateDatabase();
  LockHolder holder(folder_.db());
  holder.CommitAfter(std::chrono::milliseconds(300));
  // The new id is read after the other writer's commit: no clash on 5.
  EXPECT_EQ(6, AddEntry(folder_.path(), "title=a", kNow));
  EXPECT_EQ((std::vector<std::string>{"5|35", "6|61"}),
            folder_.Exec("select id, title from mcnt order by id"));
}

TEST_F(StoreTest, AddEntryFailsWhenTheLockOutlastsTheTimeout) {
  folder_.CreateDatabase();
  LockHolder holder(folder_.db());
  EXPECT_EQ(-1, AddEntry(folder_.path(), "title=a", kNow, 200));
  holder.Rollback();
  EXPECT_TRUE(folder_.Exec("select * from mcnt").empty());
}

TEST_F(StoreTest, EditRewritesEveryColumnAndTheDate) {
  folder_.CreateDatabase();
  ASSERT_EQ(1, AddEntry(folder_.path(), "title=a&desc=b&keywd=c&rout=d", kNow));
  ASSERT_EQ(2, AddEntry(folder_.path(), "title=z", kNow));
  EXPECT_EQ(1, EditEntry(folder_.path(), "id=1&title=\xE3\x81\x82", kLater));
  EXPECT_EQ(
      (std::vector<std::string>{"1|82a0||||2023/11/14 23:13:20", "2|7a||||2023/11/14 22:13:20"}),
      folder_.Exec("select id,title,des,keywd,rout,edate from mcnt order by id"));
  // An id that names no entry changes nothing and adds nothing.
  EXPECT_EQ(1, EditEntry(folder_.path(), "id=9&title=x", kLater));
  EXPECT_EQ(1, DeleteEntry(folder_.path(), "id=9"));
  EXPECT_EQ((std::vector<std::string>{"2"}), folder_.Exec("select count(*) from mcnt"));
}

// Only a decimal id reaches a statement; any other text changes nothing.
TEST_F(StoreTest, EditAndDeleteIgnoreIdsThatAreNotDecimal) {
  folder_.CreateDatabase();
  for (int i = 0; i < 3; ++i) AddEntry(folder_.path(), "title=t", kNow);
  const auto before = folder_.Exec("select * from mcnt order by id");
  for (const char* id : {"1 or 1=1", "1;delete from mcnt", "", "0x1", " 1", "(1)", "id"}) {
    EXPECT_EQ(1, EditEntry(folder_.path(), std::string("title=x&id=") + id, kLater)) << id;
    EXPECT_EQ(1, DeleteEntry(folder_.path(), std::string("id=") + id)) << id;
    EXPECT_EQ(before, folder_.Exec("select * from mcnt order by id")) << id;
  }
  EXPECT_EQ(1, DeleteEntry(folder_.path(), "id=002"));
  EXPECT_EQ((std::vector<std::string>{"1", "3"}), folder_.Exec("select id from mcnt order by id"));
}

TEST_F(StoreTest, ReadEntryDecodesTheStoredTexts) {
  folder_.CreateDatabase();
  ASSERT_EQ(1, AddEntry(folder_.path(), "title=\xE3\x81\x82&desc=d&keywd=k&rout=r", kNow));
  std::optional<Entry> entry = ReadEntry(folder_.path(), 1);
  ASSERT_TRUE(entry);
  EXPECT_EQ("1", entry->id);
  EXPECT_EQ("\x82\xA0", entry->title);
  EXPECT_EQ("d", entry->des);
  EXPECT_EQ("k", entry->keywd);
  EXPECT_EQ("2023/11/14 22:13:20", entry->edate);
  EXPECT_EQ("r", entry->rout);
  EXPECT_FALSE(ReadEntry(folder_.path(), 2));
}

TEST_F(StoreTest, QueryRowsDeliversNothingWithoutTheTable) {
  folder_.Exec("create table other (x)");
  EXPECT_TRUE(QueryRows(folder_.path(), "select * from mcnt").empty());
  EXPECT_EQ((RowList{""}), QueryRows(folder_.path(), "select max(x) from other"));
}

}  // namespace
}  // namespace kelvanis
