#include "app/file_url.h"

#include <cstring>

namespace kelvanis {

namespace {

bool NeedsEscape(unsigned char byte) {
  return byte <= 0x20 || byte >= 0x7F || std::strchr("\"#%<>?[\\]^`{|}", byte) != nullptr;
}

}  // namespace

std::string FileUrl(std::string_view absolute_path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (char c : absolute_path) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (NeedsEscape(byte)) {
      url += '%';
      url += kHex[byte >> 4];
      url += kHex[byte & 0x0F];
    } else {
      url += c;
    }
  }
  return url;
}

}  // namespace kelvanis
