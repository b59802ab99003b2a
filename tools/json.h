// The little JSON the tool reads and writes: one flat object per line whose
// values are strings or integers.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace kelvanis {

// `text` (UTF-8) as a JSON string literal, quotes included.
std::string JsonString(std::string_view text);

// One member value of a flat object: a string's decoded UTF-8 text, or the
// literal text of a number.
struct JsonValue {
  bool is_string = false;
  std::string text;
};

// Parses `line` as one JSON object whose member values are strings or
// numbers. On failure returns false and sets `error` to the cause.
bool ParseFlatObject(std::string_view line, std::map<std::string, JsonValue>* members,
                     std::string* error);

}  // namespace kelvanis
