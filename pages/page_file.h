// Writing a page file whole or not at all.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace kelvanis {

// Raised when a page file cannot be created or written. The message is
// "ファイル <path> を作成できません" (UTF-8, the path as given).
class FileCreateError : public std::runtime_error {
 public:
  explicit FileCreateError(const std::string& path);
};

// Writes every line followed by CR LF to a temporary file beside `path` and
// renames it over `path`. On failure the temporary file is removed, the old
// file stays, and FileCreateError is thrown.
void WriteLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace kelvanis
