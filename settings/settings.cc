#include "settings/settings.h"

#include <fstream>
#include <iterator>

#include "codec/sjis.h"
#include "codec/utf8_check.h"

namespace kelvanis {

namespace {

// Longest value a reader returns, in bytes.
constexpr size_t kMaxValueBytes = 2047;

std::string_view Trim(std::string_view text) {
  const char* kSpace = " \t";
  size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(kSpace);
  return text.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view default_value) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string(default_value);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string_view rest(content);
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);

  bool in_section = false;
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      if (close != std::string_view::npos) {
        in_section = SameName(Trim(line.substr(1, close - 1)), section);
      }
      continue;
    }
    if (!in_section) continue;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (!SameName(Trim(line.substr(0, equals)), key)) continue;
    std::string_view value = Trim(line.substr(equals + 1));
    return std::string(value.substr(0, kMaxValueBytes));
  }
  return std::string(default_value);
}

std::string ReadSiteUrl(const std::string& app_dir) {
  std::string value = ReadProfileString(app_dir + "kelvanis.ini", "common", "home_url", "");
  // A file saved in another character set is taken as it stands.
  if (!IsValidUtf8(value)) return value;
  return Utf8ToSjis(value);
}

}  // namespace kelvanis
