// GetParam on any name and text: agrees with a position-by-position
// reference, and a value that is not quoted is a piece of the text without
// "&".
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/form.h"
#include "fuzz/check.h"

namespace {

std::string Reference(std::string_view text, std::string_view name) {
  const std::string key = std::string(name) + "=";
  for (size_t at = 0; at + key.size() <= text.size(); ++at) {
    if (at > 0 && text[at - 1] != '&' && text[at - 1] != '?') continue;
    if (text.substr(at, key.size()) != key) continue;
    std::string value(text.substr(at + key.size()));
    value = value.substr(0, value.find('&'));
    if (!value.empty() && value[0] == '"') {
      value = value.size() <= 2 ? "" : value.substr(1, value.size() - 2);
    }
    return value;
  }
  return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte says how long the name is; the name follows, then the text.
  if (size == 0) return 0;
  const size_t name_size = data[0] % 16;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string name(rest.substr(0, name_size));
  const std::string text(rest.substr(std::min(name_size, rest.size())));

  const std::string value = kelvanis::GetParam(text, name);
  FUZZ_CHECK(value == Reference(text, name));
  FUZZ_CHECK(value.find('&') == std::string::npos);
  FUZZ_CHECK(text.find(value) != std::string::npos);
  return 0;
}
