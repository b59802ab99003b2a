// Form data as a page receives it: the fields of an
// application/x-www-form-urlencoded body or of a URL query, each name and
// value decoded on its own, and the clean-up of their text for a UTF-8 page.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvanis {

struct FormField {
  std::string name;
  std::string value;
};

using FormFields = std::vector<FormField>;

// Splits `text` on "&" and then each piece at its first "="; name and value
// are decoded separately ("+" is a space, %XX with two hex digits is that
// byte, any other "%" stays as it is), so an encoded "&" or "=" stays inside
// its value. A piece without "=" is a name with an empty value; empty pieces
// are skipped. Fields keep their order.
FormFields ParseFormFields(std::string_view text);

// The value of the first field called `name` (compared byte by byte); ""
// when there is none.
std::string FieldValue(const FormFields& fields, std::string_view name);

// "+" as a space and %XX as a byte over the whole of `text`; a "%" not
// followed by two hex digits is kept as it stands.
std::string PercentDecode(std::string_view text);

// `text` with every NUL byte and every maximal part of an ill-formed UTF-8
// sequence (stray continuation bytes, overlong forms, surrogates, code points
// past U+10FFFF, cut-off sequences) replaced by U+FFFD. Well-formed text
// comes back unchanged.
std::string ValidUtf8(std::string_view text);

}  // namespace kelvanis
