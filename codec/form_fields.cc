#include "codec/form_fields.h"

namespace kelvanis {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
               HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

FormFields ParseFormFields(std::string_view text) {
  FormFields fields;
  while (!text.empty()) {
    size_t amp = text.find('&');
    std::string_view piece = text.substr(0, amp);
    text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
    if (piece.empty()) continue;
    size_t eq = piece.find('=');
    FormField field;
    field.name = PercentDecode(piece.substr(0, eq));
    if (eq != std::string_view::npos) field.value = PercentDecode(piece.substr(eq + 1));
    fields.push_back(std::move(field));
  }
  return fields;
}

std::string FieldValue(const FormFields& fields, std::string_view name) {
  for (const FormField& field : fields) {
    if (field.name == name) return field.value;
  }
  return "";
}

}  // namespace kelvanis
