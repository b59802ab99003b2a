#include "tools/csv.h"

namespace kelvanis {

std::string CsvRecord(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    const std::string& field = fields[i];
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
      out += field;
      continue;
    }
    out += '"';
    for (char c : field) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  out += "\r\n";
  return out;
}

bool ParseCsv(std::string_view text, std::vector<CsvRow>* rows, std::string* error,
              int* error_line) {
  rows->clear();
  size_t pos = 0;
  int line = 1;
  while (pos < text.size()) {
    CsvRow row;
    row.line = line;
    for (;;) {  // one field
      std::string field;
      if (pos < text.size() && text[pos] == '"') {
        const int start_line = line;
        ++pos;
        for (;;) {
          if (pos >= text.size()) {
            *error = "unterminated quoted field";
            *error_line = start_line;
            return false;
          }
          char c = text[pos++];
          if (c == '"') {
            if (pos < text.size() && text[pos] == '"') {
              field += '"';
              ++pos;
              continue;
            }
            break;
          }
          if (c == '\n') ++line;
          field += c;
        }
        if (pos < text.size() && text[pos] != ',' && text[pos] != '\r' && text[pos] != '\n') {
          *error = "text after a quoted field";
          *error_line = line;
          return false;
        }
      } else {
        while (pos < text.size() && text[pos] != ',' && text[pos] != '\r' && text[pos] != '\n') {
          if (text[pos] == '"') {
            *error = "quote inside an unquoted field";
            *error_line = line;
            return false;
          }
          field += text[pos++];
        }
      }
      row.fields.push_back(std::move(field));
      if (pos < text.size() && text[pos] == ',') {
        ++pos;
        continue;
      }
      break;
    }
    // End of record: CR LF, LF, or the end of the text.
    if (pos < text.size() && text[pos] == '\r') {
      ++pos;
      if (pos >= text.size() || text[pos] != '\n') {
        *error = "CR without LF";
        *error_line = line;
        return false;
      }
    }
    if (pos < text.size() && text[pos] == '\n') {
      ++pos;
      ++line;
    }
    rows->push_back(std::move(row));
  }
  return true;
}

}  // namespace kelvanis
