// UrlDecode on any bytes: never longer than its input, an input without
// "%" and "+" comes back unchanged, and DecodeFormText is the decoded text up
// to its first zero byte. A plain reference decoder must agree.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/form.h"
#include "fuzz/check.h"

using kelvanis::DecodeFormText;
using kelvanis::HexPairToByte;
using kelvanis::UrlDecode;

namespace {

std::string Reference(std::string_view in) {
  std::string out;
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '%' && i + 2 < in.size()) {
      out += static_cast<char>(HexPairToByte(&in[i + 1]));
      i += 2;
    } else if (in[i] == '%') {
      out += in.substr(i);
      break;
    } else {
      out += in[i] == '+' ? ' ' : in[i];
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly `size` bytes, so that ASan sees any read past the end.
  const std::string in(reinterpret_cast<const char*>(data), size);
  const std::string out = UrlDecode(in);
  FUZZ_CHECK(out.size() <= in.size());
  FUZZ_CHECK(out == Reference(in));
  if (in.find_first_of("%+") == std::string::npos) FUZZ_CHECK(out == in);
  FUZZ_CHECK(DecodeFormText(in) == out.substr(0, out.find('\0')));
  return 0;
}
