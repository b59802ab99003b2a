// A temporary program folder for one test, and direct access to its
// database that bypasses the code under test.
#pragma once

#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelvanis::testing {

class TestFolder {
 public:
  TestFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kelvanis-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
  }
  ~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  // Ends in "/".
  const std::string& path() const { return path_; }
  std::string db() const { return path_ + "kelvanis.db"; }

  // Creates kelvanis.db with the table mcnt.
  void CreateDatabase() const {
    Exec(
        "create table mcnt (id integer primary key, title text, des text, keywd text, "
        "edate text, rout text)");
  }

  // Runs `sql` on kelvanis.db (creating the file) and returns the rows, each
  // column text joined with "|", NULL as "NULL".
  std::vector<std::string> Exec(const std::string& sql) const {
    sqlite3* handle = nullptr;
    std::vector<std::string> rows;
    sqlite3_open(db().c_str(), &handle);
    char* message = nullptr;
    int rc = sqlite3_exec(
        handle, sql.c_str(),
        [](void* out, int n, char** values, char**) {
          std::string row;
          for (int i = 0; i < n; ++i) {
            if (i > 0) row += "|";
            row += values[i] != nullptr ? values[i] : "NULL";
          }
          static_cast<std::vector<std::string>*>(out)->push_back(row);
          return 0;
        },
        &rows, &message);
    std::string error = message != nullptr ? message : "";
    sqlite3_free(message);
    sqlite3_close(handle);
    if (rc != SQLITE_OK) throw std::runtime_error(sql + ": " + error);
    return rows;
  }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

}  // namespace kelvanis::testing
