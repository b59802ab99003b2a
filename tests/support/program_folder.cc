#include "tests/support/program_folder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace kelvanis::testing {

namespace {

struct DatabaseCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;

Database Open(const std::string& path) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open(path.c_str(), &db);
  Database owned(db);
  EXPECT_EQ(rc, SQLITE_OK) << path;
  return owned;
}

int AppendRow(void* rows, int count, char** values, char**) {
  std::string row;
  for (int i = 0; i < count; ++i) {
    if (i) row += '|';
    if (values[i]) row += values[i];
  }
  static_cast<std::vector<std::string>*>(rows)->push_back(row);
  return 0;
}

}  // namespace

ProgramFolder::ProgramFolder(const std::string& name) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kelvanis-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  root_ = pattern + "/";
  dir_ = root_ + name + "/";
  std::filesystem::create_directories(dir_ + "page");
  Exec(
      "create table mcnt (id integer primary key, title text, des text, keywd text, edate text, "
      "rout text)");
}

ProgramFolder::~ProgramFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

void ProgramFolder::Exec(const std::string& sql) const {
  Database db = Open(dir_ + "kelvanis.db");
  char* error = nullptr;
  int rc = sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &error);
  EXPECT_EQ(rc, SQLITE_OK) << sql << ": " << (error ? error : "");
  sqlite3_free(error);
}

std::vector<std::string> ProgramFolder::Query(const std::string& sql) const {
  std::vector<std::string> rows;
  Database db = Open(dir_ + "kelvanis.db");
  char* error = nullptr;
  int rc = sqlite3_exec(db.get(), sql.c_str(), AppendRow, &rows, &error);
  EXPECT_EQ(rc, SQLITE_OK) << sql << ": " << (error ? error : "");
  sqlite3_free(error);
  return rows;
}

void ProgramFolder::BlockPageFolder() const {
  std::filesystem::remove_all(dir_ + "page");
  WriteFile(dir_ + "page", "not a folder");
}

void ProgramFolder::RestorePageFolder() const {
  std::filesystem::remove_all(dir_ + "page");
  std::filesystem::create_directories(dir_ + "page");
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  ASSERT_TRUE(out.good()) << path;
}

bool FileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

}  // namespace kelvanis::testing
