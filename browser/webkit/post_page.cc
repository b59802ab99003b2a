#include "browser/webkit/post_page.h"

#include <cstdint>
#include <string_view>

#include "codec/form_fields.h"
#include "codec/utf8_check.h"

namespace kelvanis {
namespace {

// windows-1252 as browsers define it: one character for each byte.
constexpr uint16_t kHigh1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendJsUnit(std::string& out, uint32_t unit) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(unit >> shift) & 0xF];
}

void AppendJsCodePoint(std::string& out, uint32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    AppendJsUnit(out, 0xD800 + (cp >> 10));
    AppendJsUnit(out, 0xDC00 + (cp & 0x3FF));
  } else {
    AppendJsUnit(out, cp);
  }
}

// A JavaScript string literal whose characters are the windows-1252
// characters of `bytes`, one per byte.
std::string JsBytes1252(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char b : bytes) {
    AppendJsUnit(out, b >= 0x80 && b < 0xA0 ? kHigh1252[b - 0x80] : b);
  }
  return out + "\"";
}

// A JavaScript string literal of UTF-8 text; a byte that is not part of
// well-formed UTF-8 stands for the character of the same number.
std::string JsUtf8(const std::string& text) {
  // The bits a lead byte of a sequence of 1 to 4 bytes contributes.
  static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  std::string out = "\"";
  size_t i = 0;
  while (i < text.size()) {
    const Utf8Sequence sequence = ReadUtf8Sequence(std::string_view(text).substr(i));
    if (!sequence.well_formed) {
      AppendJsUnit(out, static_cast<unsigned char>(text[i]));
      ++i;
      continue;
    }
    uint32_t cp = static_cast<unsigned char>(text[i]) & kLeadBits[sequence.size];
    for (size_t k = 1; k < sequence.size; ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    AppendJsCodePoint(out, cp);
    i += sequence.size;
  }
  return out + "\"";
}

}  // namespace

std::string BuildPostScript(const std::string& url, const std::string& body) {
  std::string pairs;
  for (const FormField& field : ParseFormFields(body)) {
    if (!pairs.empty()) pairs += ",";
    pairs += "[" + JsBytes1252(field.name) + "," + JsBytes1252(field.value) + "]";
  }
  return "(function () {\n"
         "  var form = document.createElement(\"form\");\n"
         "  form.method = \"post\";\n"
         "  form.enctype = \"application/x-www-form-urlencoded\";\n"
         "  form.acceptCharset = \"windows-1252\";\n"
         "  form.target = \"_self\";\n"
         "  form.style.display = \"none\";\n"
         "  form.action = " +
         JsUtf8(url) +
         ";\n"
         "  var pairs = [" +
         pairs +
         "];\n"
         "  for (var i = 0; i < pairs.length; i++) {\n"
         "    var field = document.createElement(\"textarea\");\n"
         "    field.name = pairs[i][0];\n"
         "    field.value = pairs[i][1];\n"
         "    form.appendChild(field);\n"
         "  }\n"
         "  (document.body || document.documentElement).appendChild(form);\n"
         "  HTMLFormElement.prototype.submit.call(form);\n"
         "})();\n";
}

std::string BuildPostPage(const std::string& url, const std::string& body) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body><script>\n" +
         BuildPostScript(url, body) + "</script></body></html>\n";
}

}  // namespace kelvanis
