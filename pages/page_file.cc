#include "pages/page_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace kelvanis {

namespace {

// Text is handed to the kernel in pieces of about this size.
constexpr size_t kFlushBytes = 1 << 20;

}  // namespace

FileCreateError::FileCreateError(const std::string& path)
    : std::runtime_error("ファイル " + path + " を作成できません") {}

PageFile::PageFile(const std::string& path) : path_(path), temp_path_(path + ".XXXXXX") {
  fd_ = ::mkstemp(temp_path_.data());
  if (fd_ < 0) throw FileCreateError(path_);
  // mkstemp creates the file readable by its owner only; a page is an
  // ordinary file.
  ::fchmod(fd_, 0644);
  buffer_.reserve(kFlushBytes + 4096);
}

PageFile::~PageFile() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(temp_path_.c_str());
  }
}

void PageFile::Append(std::string_view text) {
  buffer_.append(text);
  if (buffer_.size() >= kFlushBytes) Flush();
}

void PageFile::AppendLine(std::string_view text) {
  Append(text);
  Append("\r\n");
}

void PageFile::Flush() {
  const char* data = buffer_.data();
  size_t left = buffer_.size();
  while (left > 0) {
    ssize_t n = ::write(fd_, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail();
    }
    data += n;
    left -= static_cast<size_t>(n);
  }
  buffer_.clear();
}

void PageFile::Commit() {
  Flush();
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    ::unlink(temp_path_.c_str());
    throw FileCreateError(path_);
  }
  if (std::rename(temp_path_.c_str(), path_.c_str()) != 0) {
    ::unlink(temp_path_.c_str());
    throw FileCreateError(path_);
  }
}

void PageFile::Fail() {
  ::close(fd_);
  fd_ = -1;
  ::unlink(temp_path_.c_str());
  throw FileCreateError(path_);
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  PageFile file(path);
  for (const std::string& line : lines) file.AppendLine(line);
  file.Commit();
}

}  // namespace kelvanis
