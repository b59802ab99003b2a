#include "store/connection.h"

#include <sys/stat.h>

namespace kelvanis {

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

Connection::Connection(const std::string& path, int busy_timeout_ms) {
  if (!FileExists(path)) return;
  // Without SQLITE_OPEN_CREATE a file that vanished meanwhile is not made.
  int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
  if (rc != SQLITE_OK) return;
  sqlite3_busy_timeout(db_, busy_timeout_ms);
  ok_ = true;
}

Connection::~Connection() {
  // sqlite3_close accepts the handle of a failed open, and null.
  sqlite3_close(db_);
}

int Connection::Exec(const std::string& sql, sqlite3_callback callback, void* arg) {
  if (!ok_) return SQLITE_MISUSE;
  return sqlite3_exec(db_, sql.c_str(), callback, arg, nullptr);
}

namespace {

struct VisitState {
  const std::function<bool(int, char**)>* visit;
  std::exception_ptr error;
};

int VisitRow(void* arg, int column_count, char** values, char** /*names*/) {
  auto* state = static_cast<VisitState*>(arg);
  try {
    return (*state->visit)(column_count, values) ? 0 : 1;
  } catch (...) {
    // An exception must not cross SQLite's C frames: stop the query and
    // rethrow once sqlite3_exec has returned.
    state->error = std::current_exception();
    return 1;
  }
}

}  // namespace

int Connection::ForEachRow(const std::string& sql, const std::function<bool(int, char**)>& visit) {
  if (!ok_) return SQLITE_MISUSE;
  VisitState state{&visit, nullptr};
  int rc = sqlite3_exec(db_, sql.c_str(), VisitRow, &state, nullptr);
  if (state.error) std::rethrow_exception(state.error);
  return rc;
}

}  // namespace kelvanis
