// PickField on any row: no field holds ";;", and the fields up to the last
// one, joined with ";;", give the row back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/hex.h"
#include "fuzz/check.h"

using kelvanis::PickField;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int index = static_cast<int8_t>(data[0]);
  const std::string row(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::string field = PickField(row, index);
  FUZZ_CHECK(field.find(";;") == std::string::npos);
  FUZZ_CHECK(row.find(field) != std::string::npos);
  if (index <= 0) FUZZ_CHECK(field == PickField(row, 0));

  // Split by the leftmost-separator rule; the separators found are the
  // fields minus one. (Each PickField walks from the start, so long rows
  // stop here.)
  size_t separators = 0;
  for (size_t at = row.find(";;"); at != std::string::npos; at = row.find(";;", at + 2)) {
    ++separators;
  }
  if (separators > 64) return 0;
  std::string joined;
  for (size_t i = 0; i <= separators; ++i) {
    if (i > 0) joined += ";;";
    joined += PickField(row, static_cast<int>(i));
  }
  FUZZ_CHECK(joined == row);
  FUZZ_CHECK(PickField(row, static_cast<int>(separators) + 1).empty());
  return 0;
}
