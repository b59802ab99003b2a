// The entry database: the file app_dir + "kelvanis.db" with the table mcnt
// (id, title, des, keywd, edate, rout). Titles, descriptions, keywords and
// routes are stored as hex text of their Shift_JIS bytes; edate is the local
// time "yyyy/mm/dd hh:nn:ss".
//
// Every operation checks that the file exists, opens its own connection, runs
// its statements and closes the connection, also after a failed open. The
// database file, the table and indexes are never created here. Failures are
// silent except where a result says otherwise.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanis {

// One query result row per element, its column texts joined with ";;";
// NULL gives "".
using RowList = std::vector<std::string>;

// app_dir + "kelvanis.db". `app_dir` ends in "/".
std::string DatabasePath(const std::string& app_dir);

// The local time `when` as "yyyy/mm/dd hh:nn:ss".
std::string DateText(std::time_t when);

// The row callback of sqlite3_exec: appends one RowText to the RowList that
// `rows` points to. Always returns 0.
int CollectRow(void* rows, int column_count, char** values, char** names);

// Runs one query by the access pattern and returns its rows in the order the
// database delivered them; none when the file is missing, the open fails or
// the statement fails before its first row.
RowList QueryRows(const std::string& app_dir, const std::string& sql);

// The fields of an entry form, picked from its body as posted
// (application/x-www-form-urlencoded, UTF-8): each value is found by name,
// then decoded on its own ("+" and %XX escapes, up to a decoded NUL byte) and
// converted to Shift_JIS. Decoding after picking keeps a typed "&", "=" or
// quote inside its value.
struct PostedEntry {
  std::string id;
  std::string title;
  std::string desc;
  std::string keywd;
  std::string rout;
};
PostedEntry ParsePostedEntry(std::string_view form_body);

// Stores a new entry from a posted form body (fields title, desc, keywd,
// rout) under max(id) + 1 with the date of `now`. Returns the new id, or -1
// when the database is missing, cannot be opened or the insert fails.
//
// The largest id is read and the row inserted in one immediate transaction,
// so two writers cannot take the same id; a lock held by another connection
// is waited for up to kBusyTimeoutMs (store/connection.h).
int AddEntry(const std::string& app_dir, const std::string& form_body,
             std::time_t now = std::time(nullptr));

// AddEntry with its own wait for a lock held by another connection.
int AddEntry(const std::string& app_dir, const std::string& form_body, std::time_t now,
             int busy_timeout_ms);

// Rewrites title, des, keywd, rout and edate of the entry whose id is the
// posted field "id". Nothing runs unless that id is a decimal integer.
// Returns 1.
int EditEntry(const std::string& app_dir, const std::string& form_body,
              std::time_t now = std::time(nullptr));

// Deletes the entry whose id is the posted field "id" (a decimal integer,
// else nothing runs). Returns 1.
int DeleteEntry(const std::string& app_dir, const std::string& form_body);

// The stored form of a Shift_JIS value: HexEncode of its longest prefix of
// at most kMaxValueBytes bytes that does not end inside a double-byte
// character.
std::string StoredText(std::string_view sjis);

// The statements that AddEntry, EditEntry and DeleteEntry run for a posted
// entry and the date text `date`.
std::string InsertStatement(long long id, const PostedEntry& entry, const std::string& date);
std::string UpdateStatement(const PostedEntry& entry, const std::string& date);
std::string DeleteStatement(const PostedEntry& entry);

// True for an optional minus sign followed by decimal digits that fit in a
// signed 64-bit integer.
bool IsDecimalId(const std::string& text);

// One entry with its texts decoded from hex: Shift_JIS bytes.
struct Entry {
  std::string id;
  std::string title;
  std::string des;
  std::string keywd;
  std::string edate;
  std::string rout;
};

// The entry of a RowText of "select id,title,des,keywd,edate,rout".
Entry EntryFromRow(const std::string& row);

// The entry with this id, if the database holds it.
std::optional<Entry> ReadEntry(const std::string& app_dir, long long id);

}  // namespace kelvanis
