// Comma-separated values as RFC 4180 writes them: fields that hold a comma,
// a double quote, CR or LF are quoted, quotes inside doubled; records end in
// CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvanis {

// One record, CR LF included.
std::string CsvRecord(const std::vector<std::string>& fields);

// A record read from CSV text, with the line number (from 1) it starts on.
struct CsvRow {
  int line = 0;
  std::vector<std::string> fields;
};

// Splits `text` into records. Records may end in CR LF or LF; quoted fields
// may hold line breaks; an empty last line is no record. On malformed text
// returns false and sets `error` to the cause and `error_line` to its line.
bool ParseCsv(std::string_view text, std::vector<CsvRow>* rows, std::string* error,
              int* error_line);

}  // namespace kelvanis
