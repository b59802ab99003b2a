#include "store/store.h"

#include <climits>
#include <cstdint>

#include "codec/form.h"
#include "codec/hex.h"
#include "codec/sjis.h"
#include "store/connection.h"

namespace kelvanis {

std::string DatabasePath(const std::string& app_dir) { return app_dir + "kelvanis.db"; }

std::string DateText(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[64];
  std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
  return text;
}

int CollectRow(void* rows, int column_count, char** values, char** /*names*/) {
  std::string row;
  for (int i = 0; i < column_count; ++i) {
    if (i > 0) row += ";;";
    if (values[i] != nullptr) row += values[i];
  }
  static_cast<RowList*>(rows)->push_back(std::move(row));
  return 0;
}

RowList QueryRows(const std::string& app_dir, const std::string& sql) {
  RowList rows;
  Connection db(DatabasePath(app_dir));
  if (db.ok()) db.Exec(sql, CollectRow, &rows);
  return rows;
}

bool IsDecimalId(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  if (i == text.size()) return false;
  // The magnitude may reach 2^63 only for a negative number.
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return false;
    uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (limit - digit) / 10) return false;
    value = value * 10 + digit;
  }
  return true;
}

std::string StoredText(std::string_view sjis) {
  return HexEncode(sjis.substr(0, SjisPrefixLength(sjis, kMaxValueBytes)));
}

namespace {

// A form field as the entry stores it: picked by name, decoded, converted.
std::string PostedField(std::string_view form_body, std::string_view name) {
  return Utf8ToSjis(DecodedParam(form_body, name));
}

}  // namespace

PostedEntry ParsePostedEntry(std::string_view form_body) {
  return PostedEntry{PostedField(form_body, "id"), PostedField(form_body, "title"),
                     PostedField(form_body, "desc"), PostedField(form_body, "keywd"),
                     PostedField(form_body, "rout")};
}

std::string InsertStatement(long long id, const PostedEntry& entry, const std::string& date) {
  std::string sql = "insert into mcnt (id,title,des,keywd,edate,rout) ";
  sql += "values(";
  sql += std::to_string(id);
  sql += ",'" + StoredText(entry.title) + "',";
  sql += "'" + StoredText(entry.desc) + "',";
  sql += "'" + StoredText(entry.keywd) + "',";
  sql += "'" + date + "',";
  sql += "'" + StoredText(entry.rout) + "')";
  return sql;
}

std::string UpdateStatement(const PostedEntry& entry, const std::string& date) {
  std::string sql = "update mcnt set ";
  sql += "title='" + StoredText(entry.title) + "',";
  sql += "des='" + StoredText(entry.desc) + "',";
  sql += "keywd='" + StoredText(entry.keywd) + "',";
  sql += "edate='" + date + "',";
  sql += "rout='" + StoredText(entry.rout) + "' ";
  sql += "where id=" + entry.id;
  return sql;
}

std::string DeleteStatement(const PostedEntry& entry) {
  return "delete from mcnt where id=" + entry.id;
}

namespace {

// The first row's text as a decimal integer, 0 when it is not one (the NULL
// of max(id) over an empty table included).
long long MaxIdOf(const RowList& rows) {
  if (rows.empty() || !IsDecimalId(rows.front())) return 0;
  return std::stoll(rows.front());
}

}  // namespace

int AddEntry(const std::string& app_dir, const std::string& form_body, std::time_t now) {
  return AddEntry(app_dir, form_body, now, kBusyTimeoutMs);
}

int AddEntry(const std::string& app_dir, const std::string& form_body, std::time_t now,
             int busy_timeout_ms) {
  const PostedEntry entry = ParsePostedEntry(form_body);
  Connection db(DatabasePath(app_dir), busy_timeout_ms);
  if (!db.ok()) return -1;
  // The write lock is taken before max(id) is read, so no other writer can
  // insert between the two statements.
  if (db.Exec("begin immediate") != SQLITE_OK) return -1;
  RowList rows;
  db.Exec("select max(id) from mcnt", CollectRow, &rows);
  const long long max_id = MaxIdOf(rows);
  // The id is handed on as a 32-bit number; one that would not fit is not
  // stored at all.
  if (max_id < static_cast<long long>(INT_MIN) - 1 || max_id >= INT_MAX) {
    db.Exec("rollback");
    return -1;
  }
  const int id = static_cast<int>(max_id + 1);
  if (db.Exec(InsertStatement(id, entry, DateText(now))) != SQLITE_OK ||
      db.Exec("commit") != SQLITE_OK) {
    db.Exec("rollback");
    return -1;
  }
  return id;
}

int EditEntry(const std::string& app_dir, const std::string& form_body, std::time_t now) {
  const PostedEntry entry = ParsePostedEntry(form_body);
  if (!IsDecimalId(entry.id)) return 1;
  Connection db(DatabasePath(app_dir));
  if (db.ok()) db.Exec(UpdateStatement(entry, DateText(now)));
  return 1;
}

int DeleteEntry(const std::string& app_dir, const std::string& form_body) {
  const PostedEntry entry = ParsePostedEntry(form_body);
  if (!IsDecimalId(entry.id)) return 1;
  Connection db(DatabasePath(app_dir));
  if (db.ok()) db.Exec(DeleteStatement(entry));
  return 1;
}

Entry EntryFromRow(const std::string& row) {
  Entry entry;
  entry.id = PickField(row, 0);
  entry.title = HexDecode(PickField(row, 1));
  entry.des = HexDecode(PickField(row, 2));
  entry.keywd = HexDecode(PickField(row, 3));
  entry.edate = PickField(row, 4);
  entry.rout = HexDecode(PickField(row, 5));
  return entry;
}

std::optional<Entry> ReadEntry(const std::string& app_dir, long long id) {
  RowList rows = QueryRows(
      app_dir, "select id,title,des,keywd,edate,rout from mcnt where id=" + std::to_string(id));
  if (rows.empty()) return std::nullopt;
  return EntryFromRow(rows.front());
}

}  // namespace kelvanis
