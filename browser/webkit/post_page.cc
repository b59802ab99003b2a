#include "browser/webkit/post_page.h"

#include <cstdint>

namespace kelvanis {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string DecodeComponent(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
               HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

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
// valid UTF-8 stands for the character of the same number.
std::string JsUtf8(const std::string& text) {
  std::string out = "\"";
  size_t i = 0;
  while (i < text.size()) {
    unsigned char b = text[i];
    int extra = b >= 0xF0 && b < 0xF5 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : 0;
    if (b >= 0xF5) extra = 0;
    uint32_t cp = extra == 3 ? b & 0x07 : extra == 2 ? b & 0x0F : extra == 1 ? b & 0x1F : b;
    bool valid = b < 0x80 || extra > 0;
    for (int k = 1; valid && k <= extra; ++k) {
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
        valid = false;
      } else {
        cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
      }
    }
    if (valid && extra > 0 &&
        ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
         (cp >= 0xD800 && cp <= 0xDFFF))) {
      valid = false;
    }
    if (!valid) {
      AppendJsUnit(out, b);
      ++i;
    } else {
      AppendJsCodePoint(out, cp);
      i += extra + 1;
    }
  }
  return out + "\"";
}

}  // namespace

std::vector<std::pair<std::string, std::string>> SplitFormBody(const std::string& body) {
  std::vector<std::pair<std::string, std::string>> pairs;
  size_t start = 0;
  while (start <= body.size()) {
    size_t end = body.find('&', start);
    if (end == std::string::npos) end = body.size();
    std::string piece = body.substr(start, end - start);
    if (!piece.empty()) {
      size_t eq = piece.find('=');
      if (eq == std::string::npos) {
        pairs.emplace_back(DecodeComponent(piece), std::string());
      } else {
        pairs.emplace_back(DecodeComponent(piece.substr(0, eq)),
                           DecodeComponent(piece.substr(eq + 1)));
      }
    }
    start = end + 1;
  }
  return pairs;
}

std::string BuildPostScript(const std::string& url, const std::string& body) {
  std::string pairs;
  for (const auto& [name, value] : SplitFormBody(body)) {
    if (!pairs.empty()) pairs += ",";
    pairs += "[" + JsBytes1252(name) + "," + JsBytes1252(value) + "]";
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
