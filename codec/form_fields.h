// Form data as a page receives it: the fields of an
// application/x-www-form-urlencoded body or of a URL query, each name and
// value decoded on its own.
//
// Unlike DecodeFormText (codec/form.h), which decodes a whole text and stops
// at its first NUL, these keep every byte an escape stands for and keep an
// encoded "&" or "=" inside its field. Byte by byte; no character set.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvanis {

struct FormField {
  std::string name;
  std::string value;

  friend bool operator==(const FormField&, const FormField&) = default;
};

using FormFields = std::vector<FormField>;

// Splits `text` on "&" and then each piece at its first "="; name and value
// are decoded separately with PercentDecode, so an encoded "&" or "=" stays
// inside its value. A piece without "=" is a name with an empty value; empty
// pieces are skipped. Fields keep their order.
FormFields ParseFormFields(std::string_view text);

// The value of the first field called `name` (compared byte by byte); ""
// when there is none.
std::string FieldValue(const FormFields& fields, std::string_view name);

// "+" as a space and %XX with two hex digits as that byte, over the whole of
// `text`; a "%" not followed by two hex digits is kept as it stands.
std::string PercentDecode(std::string_view text);

}  // namespace kelvanis
