#include "site/form_fields.h"

namespace kelvanis {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

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

std::string ValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      if (lead == 0) {
        out += kReplacement;
      } else {
        out += static_cast<char>(lead);
      }
      ++i;
      continue;
    }
    // The length of the sequence and the range of its second byte, which
    // rules out overlong forms, surrogates and code points past U+10FFFF.
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead == 0xE0) {
      length = 3;
      low = 0xA0;
    } else if (lead == 0xED) {
      length = 3;
      high = 0x9F;
    } else if (lead >= 0xE1 && lead <= 0xEF) {
      length = 3;
    } else if (lead == 0xF0) {
      length = 4;
      low = 0x90;
    } else if (lead >= 0xF1 && lead <= 0xF3) {
      length = 4;
    } else if (lead == 0xF4) {
      length = 4;
      high = 0x8F;
    } else {
      out += kReplacement;
      ++i;
      continue;
    }
    size_t end = i + 1;
    bool complete = true;
    for (int k = 1; k < length; ++k, ++end) {
      if (end >= text.size()) {
        complete = false;
        break;
      }
      unsigned char byte = static_cast<unsigned char>(text[end]);
      if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF)) {
        complete = false;
        break;
      }
    }
    if (complete) {
      out.append(text.substr(i, end - i));
    } else {
      out += kReplacement;  // one for the maximal part read so far
    }
    i = end;
  }
  return out;
}

}  // namespace kelvanis
