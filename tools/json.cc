#include "tools/json.h"

namespace kelvanis {

std::string JsonString(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0x0F];
        } else {
          out += ch;
        }
    }
  }
  out += '"';
  return out;
}

namespace {

class Parser {
 public:
  Parser(std::string_view text, std::string* error) : text_(text), error_(error) {}

  bool Object(std::map<std::string, JsonValue>* members) {
    SkipSpace();
    if (!Take('{')) return Fail("expected '{'");
    SkipSpace();
    if (!Take('}')) {
      for (;;) {
        SkipSpace();
        std::string name;
        if (!String(&name)) return false;
        SkipSpace();
        if (!Take(':')) return Fail("expected ':' after \"" + name + "\"");
        SkipSpace();
        JsonValue value;
        if (!Value(&value)) return false;
        if (!members->emplace(name, value).second) return Fail("member \"" + name + "\" twice");
        SkipSpace();
        if (Take('}')) break;
        if (!Take(',')) return Fail("expected ',' or '}'");
      }
    }
    SkipSpace();
    if (pos_ != text_.size()) return Fail("text after the object");
    return true;
  }

 private:
  bool Fail(const std::string& cause) {
    *error_ = cause;
    return false;
  }

  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\r' || text_[pos_] == '\n')) {
      ++pos_;
    }
  }

  bool Take(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool Value(JsonValue* value) {
    if (pos_ < text_.size() && text_[pos_] == '"') {
      value->is_string = true;
      return String(&value->text);
    }
    size_t start = pos_;
    Take('-');
    size_t digits = pos_;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
    if (pos_ == digits) return Fail("expected a string or a number");
    if (Take('.')) {
      size_t fraction = pos_;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
      if (pos_ == fraction) return Fail("malformed number");
    }
    if (Take('e') || Take('E')) {
      if (!Take('+')) Take('-');
      size_t exponent = pos_;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
      if (pos_ == exponent) return Fail("malformed number");
    }
    value->is_string = false;
    value->text = std::string(text_.substr(start, pos_ - start));
    return true;
  }

  bool Hex4(unsigned* unit) {
    if (text_.size() - pos_ < 4) return Fail("short \\u escape");
    *unit = 0;
    for (int i = 0; i < 4; ++i) {
      char c = text_[pos_++];
      unsigned digit;
      if (c >= '0' && c <= '9') {
        digit = static_cast<unsigned>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        digit = static_cast<unsigned>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        digit = static_cast<unsigned>(c - 'A' + 10);
      } else {
        return Fail("bad \\u escape");
      }
      *unit = *unit * 16 + digit;
    }
    return true;
  }

  static void AppendUtf8(std::string* out, unsigned code) {
    if (code < 0x80) {
      *out += static_cast<char>(code);
    } else if (code < 0x800) {
      *out += static_cast<char>(0xC0 | (code >> 6));
      *out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      *out += static_cast<char>(0xE0 | (code >> 12));
      *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      *out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      *out += static_cast<char>(0xF0 | (code >> 18));
      *out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      *out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  bool String(std::string* out) {
    if (!Take('"')) return Fail("expected '\"'");
    for (;;) {
      if (pos_ >= text_.size()) return Fail("unterminated string");
      char c = text_[pos_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return Fail("control character in a string");
      if (c != '\\') {
        *out += c;
        continue;
      }
      if (pos_ >= text_.size()) return Fail("unterminated string");
      char e = text_[pos_++];
      switch (e) {
        case '"':
          *out += '"';
          break;
        case '\\':
          *out += '\\';
          break;
        case '/':
          *out += '/';
          break;
        case 'b':
          *out += '\b';
          break;
        case 'f':
          *out += '\f';
          break;
        case 'n':
          *out += '\n';
          break;
        case 'r':
          *out += '\r';
          break;
        case 't':
          *out += '\t';
          break;
        case 'u': {
          unsigned unit;
          if (!Hex4(&unit)) return false;
          if (unit >= 0xDC00 && unit <= 0xDFFF) return Fail("lone surrogate in a string");
          if (unit >= 0xD800 && unit <= 0xDBFF) {
            unsigned low;
            if (!Take('\\') || !Take('u') || !Hex4(&low) || low < 0xDC00 || low > 0xDFFF) {
              return Fail("lone surrogate in a string");
            }
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(out, unit);
          break;
        }
        default:
          return Fail("bad escape in a string");
      }
    }
  }

  std::string_view text_;
  std::string* error_;
  size_t pos_ = 0;
};

}  // namespace

bool ParseFlatObject(std::string_view line, std::map<std::string, JsonValue>* members,
                     std::string* error) {
  members->clear();
  return Parser(line, error).Object(members);
}

}  // namespace kelvanis
