#include "tools/entry_io.h"

#include <sqlite3.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>

#include "codec/hex.h"
#include "codec/sjis.h"
#include "codec/utf8_check.h"
#include "store/connection.h"
#include "store/store.h"
#include "tools/csv.h"
#include "tools/json.h"

namespace kelvanis {

namespace {

const char* const kColumns[] = {"id", "title", "des", "keywd", "edate", "rout"};

std::string Column(char** values, int index) {
  return values[index] != nullptr ? values[index] : "";
}

// The UTF-8 text of a stored hex column.
std::string StoredToUtf8(char** values, int index) {
  return SjisToUtf8(HexDecode(Column(values, index)));
}

std::string Where(const std::string& file, int line) {
  return file + ":" + std::to_string(line) + ": ";
}

// A decimal id that fits the program's 32-bit entry numbers.
bool ParseId(const std::string& text, long long* id) {
  if (!IsDecimalId(text)) return false;
  *id = std::stoll(text);
  return *id >= INT_MIN && *id <= INT_MAX;
}

bool ReadJsonLines(const std::string& file, const std::string& text,
                   std::vector<ImportedEntry>* entries, std::string* error) {
  size_t pos = 0;
  int line_number = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    const std::string where = Where(file, line_number);
    if (!IsValidUtf8(line)) {
      *error = where + "not valid UTF-8";
      return false;
    }
    std::map<std::string, JsonValue> members;
    std::string cause;
    if (!ParseFlatObject(line, &members, &cause)) {
      *error = where + cause;
      return false;
    }
    for (const auto& [name, value] : members) {
      bool known = false;
      for (const char* column : kColumns) known = known || name == column;
      if (!known) {
        *error = where + "unknown member \"" + name + "\"";
        return false;
      }
    }
    ImportedEntry entry;
    entry.line = line_number;
    std::string* texts[] = {nullptr,      &entry.title, &entry.des,
                            &entry.keywd, &entry.edate, &entry.rout};
    for (int i = 0; i < 6; ++i) {
      auto it = members.find(kColumns[i]);
      if (it == members.end()) {
        *error = where + "member \"" + kColumns[i] + "\" missing";
        return false;
      }
      if (i == 0) {
        if (it->second.is_string || !ParseId(it->second.text, &entry.id)) {
          *error = where + "id " + it->second.text + " is not a 32-bit integer";
          return false;
        }
      } else if (!it->second.is_string) {
        *error = where + "member \"" + kColumns[i] + "\" is not a string";
        return false;
      } else {
        *texts[i] = it->second.text;
      }
    }
    entries->push_back(std::move(entry));
  }
  return true;
}

bool ReadCsv(const std::string& file, std::string text, std::vector<ImportedEntry>* entries,
             std::string* error) {
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  std::vector<CsvRow> rows;
  std::string cause;
  int error_line = 0;
  if (!ParseCsv(text, &rows, &cause, &error_line)) {
    *error = Where(file, error_line) + cause;
    return false;
  }
  const std::vector<std::string> header(std::begin(kColumns), std::end(kColumns));
  if (rows.empty() || rows[0].fields != header) {
    *error = Where(file, 1) + "the header must be id,title,des,keywd,edate,rout";
    return false;
  }
  for (size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    const std::string where = Where(file, row.line);
    if (row.fields.size() != 6) {
      *error = where + std::to_string(row.fields.size()) + " fields, 6 expected";
      return false;
    }
    for (const std::string& field : row.fields) {
      if (!IsValidUtf8(field)) {
        *error = where + "not valid UTF-8";
        return false;
      }
    }
    ImportedEntry entry;
    entry.line = row.line;
    if (!ParseId(row.fields[0], &entry.id)) {
      *error = where + "id \"" + row.fields[0] + "\" is not a 32-bit integer";
      return false;
    }
    entry.title = row.fields[1];
    entry.des = row.fields[2];
    entry.keywd = row.fields[3];
    entry.edate = row.fields[4];
    entry.rout = row.fields[5];
    entries->push_back(std::move(entry));
  }
  return true;
}

void DrawProgress(size_t done, size_t total) {
  const int kWidth = 40;
  const int filled = total == 0 ? kWidth : static_cast<int>(done * kWidth / total);
  const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kWidth - filled), '.');
  std::fprintf(stderr, "\rimport [%s] %3d%% %zu/%zu", bar.c_str(), percent, done, total);
  if (done == total) std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace

std::string CsvHeader() { return "id,title,des,keywd,edate,rout\r\n"; }

std::string EntryLine(EntryFormat format, char** values) {
  const std::string id = Column(values, 0);
  const std::string edate = SjisToUtf8(Column(values, 4));
  if (format == EntryFormat::kCsv) {
    return CsvRecord({id, StoredToUtf8(values, 1), StoredToUtf8(values, 2), StoredToUtf8(values, 3),
                      edate, StoredToUtf8(values, 5)});
  }
  std::string line = "{\"id\":";
  line += IsDecimalId(id) ? id : JsonString(id);
  line += ",\"title\":" + JsonString(StoredToUtf8(values, 1));
  line += ",\"des\":" + JsonString(StoredToUtf8(values, 2));
  line += ",\"keywd\":" + JsonString(StoredToUtf8(values, 3));
  line += ",\"edate\":" + JsonString(edate);
  line += ",\"rout\":" + JsonString(StoredToUtf8(values, 5));
  line += "}\n";
  return line;
}

bool ReadEntries(const std::string& file, EntryFormat format, std::vector<ImportedEntry>* entries,
                 std::string* error) {
  entries->clear();
  std::string text;
  if (file == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      *error = file + ": cannot read: " + std::strerror(errno);
      return false;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
      *error = file + ": cannot read";
      return false;
    }
  }
  return format == EntryFormat::kCsv ? ReadCsv(file, std::move(text), entries, error)
                                     : ReadJsonLines(file, text, entries, error);
}

bool StoreEntries(const std::string& db_path, const std::string& file,
                  const std::vector<ImportedEntry>& entries, bool progress, std::string* error) {
  Connection db(db_path);
  if (!db.ok()) {
    *error = db_path + ": cannot open";
    return false;
  }
  if (db.Exec("begin immediate") != SQLITE_OK) {
    *error = db_path + ": " + sqlite3_errmsg(db.handle());
    return false;
  }
  sqlite3_stmt* insert = nullptr;
  if (sqlite3_prepare_v2(db.handle(),
                         "insert into mcnt (id,title,des,keywd,edate,rout) values(?,?,?,?,?,?)", -1,
                         &insert, nullptr) != SQLITE_OK) {
    *error = db_path + ": " + sqlite3_errmsg(db.handle());
    db.Exec("rollback");
    return false;
  }
  size_t done = 0;
  size_t last_drawn = 0;
  bool ok = true;
  for (const ImportedEntry& entry : entries) {
    const std::string texts[] = {StoredText(Utf8ToSjis(entry.title)),
                                 StoredText(Utf8ToSjis(entry.des)),
                                 StoredText(Utf8ToSjis(entry.keywd)), Utf8ToSjis(entry.edate),
                                 StoredText(Utf8ToSjis(entry.rout))};
    sqlite3_reset(insert);
    sqlite3_bind_int64(insert, 1, entry.id);
    for (int i = 0; i < 5; ++i) {
      sqlite3_bind_text(insert, i + 2, texts[i].data(), static_cast<int>(texts[i].size()),
                        SQLITE_TRANSIENT);
    }
    int rc = sqlite3_step(insert);
    if (rc != SQLITE_DONE) {
      if ((rc & 0xFF) == SQLITE_CONSTRAINT) {
        *error = Where(file, entry.line) + "id " + std::to_string(entry.id) + " already present";
      } else {
        *error = Where(file, entry.line) + sqlite3_errmsg(db.handle());
      }
      ok = false;
      break;
    }
    ++done;
    if (progress && (done - last_drawn >= entries.size() / 100 + 1 || done == entries.size())) {
      DrawProgress(done, entries.size());
      last_drawn = done;
    }
  }
  sqlite3_finalize(insert);
  if (ok && db.Exec("commit") != SQLITE_OK) {
    *error = db_path + ": " + sqlite3_errmsg(db.handle());
    ok = false;
  }
  if (!ok) {
    if (progress && done > 0) std::fputc('\n', stderr);
    db.Exec("rollback");
  }
  return ok;
}

}  // namespace kelvanis
