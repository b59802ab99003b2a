// kelvanis-db through its command line, on a real program folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/store/test_folder.h"

extern char** environ;

namespace kelvanis {
namespace {

using testing::ReadFile;
using testing::TestFolder;
using testing::WriteFile;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directory(folder_.path() + "page"); }

  // Runs kelvanis-db --dir FOLDER args...
  Result Run(std::vector<std::string> args) {
    args.insert(args.begin(), {KELVANIS_DB, "--dir", folder_.path()});
    return RunRaw(args);
  }

  Result RunRaw(const std::vector<std::string>& args) {
    const std::string out_path = io_.path() + "out", err_path = io_.path() + "err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    Result result;
    EXPECT_EQ(0, posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ));
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(out_path);
    result.err = ReadFile(err_path);
    return result;
  }

  // An error: non-zero exit, one line on standard error holding `text`.
  void ExpectError(const Result& result, const std::string& text) {
    EXPECT_NE(0, result.status);
    EXPECT_EQ("", result.out);
    EXPECT_EQ(1, std::count(result.err.begin(), result.err.end(), '\n')) << result.err;
    EXPECT_NE(std::string::npos, result.err.find(text)) << result.err;
  }

  void Init() { ASSERT_EQ(0, Run({"init"}).status); }

  TestFolder folder_;
  TestFolder io_;
};

TEST_F(ToolTest, InitCreatesTheTableAndNeverTouchesAnExistingFile) {
  Init();
  EXPECT_EQ((std::vector<std::string>{
                "CREATE TABLE mcnt (id integer primary key, title text, des text, keywd text, "
                "edate text, rout text)"}),
            folder_.Exec("select sql from sqlite_master"));
  const std::string before = ReadFile(folder_.db());
  ExpectError(Run({"init"}), folder_.db() + ": already exists");
  EXPECT_EQ(before, ReadFile(folder_.db()));

  TestFolder other;
  WriteFile(other.db(), "not a database");
  Result result = RunRaw({KELVANIS_DB, "--dir", other.path(), "init"});
  ExpectError(result, "already exists");
  EXPECT_EQ("not a database", ReadFile(other.db()));
}

TEST_F(ToolTest, AddListEditDelete) {
  Init();
  Result added = Run({"add", "title=%E3%81%82&desc=d&keywd=a+b&rout=r"});
  EXPECT_EQ(0, added.status) << added.err;
  EXPECT_EQ("1\n", added.out);
  EXPECT_EQ("2\n", Run({"add", "title=x%22y&keywd=zz"}).out);
  EXPECT_EQ((std::vector<std::string>{"1|82a0|64|612062|72", "2|782279||7a7a|"}),
            folder_.Exec("select id,title,des,keywd,rout from mcnt order by id"));

  Result listed = Run({"list", "--key", "b"});
  EXPECT_EQ(0, listed.status);
  const std::string date = folder_.Exec("select edate from mcnt where id=1")[0];
  EXPECT_EQ("{\"id\":1,\"title\":\"あ\",\"des\":\"d\",\"keywd\":\"a b\",\"edate\":\"" + date +
                "\",\"rout\":\"r\"}\n",
            listed.out);
  const std::string all = Run({"list"}).out;
  EXPECT_EQ(2, std::count(all.begin(), all.end(), '\n'));
  EXPECT_EQ("", Run({"list", "--key", "\xE3\x81\x82"}).out);  // keywords only

  EXPECT_EQ(0, Run({"edit", "id=2&title=new&keywd=%E3%81%82"}).status);
  EXPECT_EQ((std::vector<std::string>{"6e6577|82a0"}),
            folder_.Exec("select title,keywd from mcnt where id=2"));
  EXPECT_NE(std::string::npos, Run({"list", "--key", "\xE3\x81\x82"}).out.find("\"id\":2"));

  EXPECT_EQ(0, Run({"delete", "id=1"}).status);
  EXPECT_EQ((std::vector<std::string>{"2"}), folder_.Exec("select id from mcnt"));
}

TEST_F(ToolTest, ErrorsAreOneLineAndChangeNothing) {
  ExpectError(Run({"list"}), folder_.db() + ": no such database");
  ExpectError(Run({"add", "title=a"}), folder_.db());
  EXPECT_FALSE(std::filesystem::exists(folder_.db()));

  folder_.Exec("create table other (x)");
  ExpectError(Run({"list"}), "no such table: mcnt");
  ExpectError(Run({"export"}), "no such table: mcnt");
  std::filesystem::remove(folder_.db());
  Init();
  Run({"add", "title=a"});
  const auto before = folder_.Exec("select * from mcnt");
  ExpectError(Run({"edit", "id=1%20or%201%3D1&title=x"}), "is not a decimal integer");
  ExpectError(Run({"delete", "id=x"}), "\"x\" is not a decimal integer");
  ExpectError(Run({"delete", "id=5"}), "no entry with id 5");
  ExpectError(Run({"frobnicate"}), "unknown command");
  ExpectError(Run({"list", "--format", "csv"}), "does not apply");
  ExpectError(Run({"export", "--format", "xml"}), "unknown format");
  ExpectError(Run({"add"}), "wrong number of arguments");
  ExpectError(RunRaw({KELVANIS_DB, "list"}), "--dir");
  EXPECT_EQ(before, folder_.Exec("select * from mcnt"));
}

TEST_F(ToolTest, RenderWritesTheStartPageWithTheSiteUrl) {
  Init();
  WriteFile(folder_.path() + "kelvanis.ini", "[common]\r\nhome_url=http://site.test/\r\n");
  Run({"add", "title=t1&keywd=k%E3%81%82"});
  Run({"add", "title=t2&keywd=other"});
  Result rendered = Run({"render", "--key", "k\xE3\x81\x82", "--com", "search"});
  EXPECT_EQ(0, rendered.status) << rendered.err;
  const std::string page = ReadFile(folder_.path() + "page/home.html");
  EXPECT_NE(std::string::npos, page.find("name=\"key\" value=\"kあ\">\r\n"));
  EXPECT_NE(std::string::npos,
            page.find("http://site.test/py/p/new.py?cmd=new&bcmd=search&bkey=k%E3%81%82&"));
  EXPECT_NE(std::string::npos, page.find("value=\"t1\""));
  EXPECT_EQ(std::string::npos, page.find("value=\"t2\""));
  EXPECT_NE(std::string::npos, page.find("name=\"lcnt\" value=\"1\">"));

  std::filesystem::remove_all(folder_.path() + "page");
  ExpectError(Run({"render"}), "ファイル " + folder_.path() + "page/home.html を作成できません");
}

TEST_F(ToolTest, ExportImportRoundTrip) {
  Init();
  Run({"add", "title=%E3%81%82%22,x&desc=line%0D%0Anext&keywd=k&rout=%5C"});
  Run({"add", "title=plain"});
  folder_.Exec("update mcnt set id=10, edate='2020/01/02 03:04:05' where id=2");
  const auto stored = folder_.Exec("select * from mcnt order by id");
  for (const char* format : {"jsonl", "csv"}) {
    Result exported = Run({"export", "--format", format});
    ASSERT_EQ(0, exported.status) << exported.err;
    const std::string file = io_.path() + "backup." + format;
    WriteFile(file, exported.out);

    TestFolder copy;
    ASSERT_EQ(0, RunRaw({KELVANIS_DB, "--dir", copy.path(), "init"}).status);
    Result imported =
        RunRaw({KELVANIS_DB, "--dir", copy.path(), "import", "--format", format, file});
    EXPECT_EQ(0, imported.status) << imported.err;
    EXPECT_EQ(stored, copy.Exec("select * from mcnt order by id")) << format;
  }
  EXPECT_EQ("id,title,des,keywd,edate,rout\r\n",
            Run({"export", "--format", "csv"}).out.substr(0, 31));
  EXPECT_EQ(0,
            Run({"export", "--format", "csv"})
                .out.find("id,title,des,keywd,edate,rout\r\n1,\"あ\"\",x\",\"line\r\nnext\",k,"));
  EXPECT_EQ(
      0, Run({"export"}).out.find("{\"id\":1,\"title\":\"あ\\\",x\",\"des\":\"line\\r\\nnext\","));
}

TEST_F(ToolTest, ImportIsAllOrNothing) {
  Init();
  Run({"add", "title=kept"});
  const auto before = folder_.Exec("select * from mcnt");
  const std::string entry =
      "\"title\":\"t\",\"des\":\"\",\"keywd\":\"\",\"edate\":\"2020/01/01 "
      "00:00:00\",\"rout\":\"\"}";
  const struct {
    const char* name;
    const char* format;
    std::string content;
    std::string error;
  } cases[] = {
      {"id present", "jsonl", "{\"id\":5," + entry + "\n\n{\"id\":1," + entry + "\n",
       ":3: id 1 already present"},
      {"id twice", "jsonl", "{\"id\":5," + entry + "\n{\"id\":5," + entry + "\n",
       ":2: id 5 already present"},
      {"bad json", "jsonl", "{\"id\":5," + entry + "\n{\"id\":6,\n", ":2: "},
      {"member missing", "jsonl", "{\"id\":5,\"title\":\"t\"}\n", ":1: member \"des\" missing"},
      {"id not integer", "jsonl", "{\"id\":\"5\"," + entry + "\n", ":1: id"},
      {"not UTF-8", "jsonl", "{\"id\":5,\"title\":\"\x82\xA0\"}\n", ":1: not valid UTF-8"},
      {"csv header", "csv", "a,b\r\n", ":1: the header"},
      {"csv fields", "csv", "id,title,des,keywd,edate,rout\r\n6,a,b,c,d,e\r\n7,a\r\n",
       ":3: 2 fields"},
      {"csv id present", "csv",
       "id,title,des,keywd,edate,rout\r\n6,\"a\r\nb\",,,,\r\n1,a,b,c,d,e\r\n",
       ":4: id 1 already present"},
      {"csv quote", "csv", "id,title,des,keywd,edate,rout\r\n6,\"a,b,c,d,e\r\n",
       ":2: unterminated"},
  };
  for (const auto& c : cases) {
    const std::string file = io_.path() + "in";
    WriteFile(file, c.content);
    ExpectError(Run({"import", "--format", c.format, file}), file + c.error);
    EXPECT_EQ(before, folder_.Exec("select * from mcnt")) << c.name;
  }
  ExpectError(Run({"import", io_.path() + "missing"}), io_.path() + "missing: cannot read");
}

}  // namespace
}  // namespace kelvanis
