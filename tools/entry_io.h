// Entries as the tool exports and imports them: JSON lines or CSV, texts in
// UTF-8, ids and dates as stored.
#pragma once

#include <string>
#include <vector>

namespace kelvanis {

enum class EntryFormat { kJsonLines, kCsv };

// The CSV header line, CR LF included.
std::string CsvHeader();

// One output line (newline included) for the six column texts of a row of
// "select id,title,des,keywd,edate,rout"; null stands for NULL.
std::string EntryLine(EntryFormat format, char** values);

// An entry read from an import file, texts in UTF-8.
struct ImportedEntry {
  int line = 0;  // where it starts in the file, from 1
  long long id = 0;
  std::string title, des, keywd, edate, rout;
};

// Reads every entry of `file` ("-" for standard input). On the first
// malformed line returns false with `error` naming the file, the line and
// the cause.
bool ReadEntries(const std::string& file, EntryFormat format, std::vector<ImportedEntry>* entries,
                 std::string* error);

// Inserts the entries into the database at `db_path` in one transaction,
// keeping their ids and dates; texts are stored as the program stores them.
// An id already present, or any other failure, stores nothing and returns
// false with `error` naming the file and line (or the database) and the
// cause. With `progress`, draws a progress bar on standard error.
bool StoreEntries(const std::string& db_path, const std::string& file,
                  const std::vector<ImportedEntry>& entries, bool progress, std::string* error);

}  // namespace kelvanis
