// Writing a page file whole or not at all.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
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

// A page file written piece by piece: the text goes to a temporary file
// beside `path`, which Commit renames over `path`. Until then the old file
// stays; a PageFile destroyed without Commit removes its temporary file.
// Every failure removes the temporary file and throws FileCreateError.
class PageFile {
 public:
  explicit PageFile(const std::string& path);  // creates the temporary file
  ~PageFile();
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  void Append(std::string_view text);
  // `text` followed by CR LF.
  void AppendLine(std::string_view text);
  void Commit();

 private:
  void Flush();
  [[noreturn]] void Fail();

  std::string path_;
  std::string temp_path_;
  int fd_ = -1;
  std::string buffer_;
};

}  // namespace kelvanis
