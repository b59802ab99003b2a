// One connection to the entry database, owned for the length of one
// operation.
//
// A Connection opens the file only when it already exists, read-write and
// never creating it, and gives every connection a busy timeout so that a
// short lock held by another process (a second instance, a backup) is waited
// for instead of failing the statement. The handle is closed when the
// Connection goes out of scope, also after a failed open.
#pragma once

#include <sqlite3.h>

#include <exception>
#include <functional>
#include <string>

namespace kelvanis {

// How long a connection waits for a lock held by another connection.
inline constexpr int kBusyTimeoutMs = 5000;

class Connection {
 public:
  // Opens the database file at `path` (the path bytes as they are) when a
  // file exists there.
  explicit Connection(const std::string& path, int busy_timeout_ms = kBusyTimeoutMs);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // True when the file existed and the open succeeded.
  bool ok() const { return ok_; }
  sqlite3* handle() const { return db_; }

  // Runs `sql` through sqlite3_exec with an optional row callback. Returns
  // the SQLite result code.
  int Exec(const std::string& sql, sqlite3_callback callback = nullptr, void* arg = nullptr);

  // Runs `sql` and calls `visit` with the column count and the column texts
  // (null for NULL) of every row, in delivery order. `visit` returns false to
  // stop the query. An exception that `visit` throws stops the query and is
  // rethrown from here. Returns the SQLite result code (SQLITE_ABORT when
  // `visit` stopped it).
  int ForEachRow(const std::string& sql, const std::function<bool(int, char**)>& visit);

 private:
  sqlite3* db_ = nullptr;
  bool ok_ = false;
};

// True when a file (of any kind) exists at `path`.
bool FileExists(const std::string& path);

}  // namespace kelvanis
