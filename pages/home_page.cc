#include "pages/home_page.h"

#include <array>

#include "codec/hex.h"
#include "codec/sjis.h"
#include "pages/html.h"
#include "pages/page_file.h"
#include "store/connection.h"
#include "store/store.h"

namespace kelvanis {

namespace {

const char kAll[] = "ALL";

// True for a byte that can follow a lead byte in a double-byte character.
bool IsSjisTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Byte classes of Shift_JIS text on its way into the page.
constexpr unsigned char kEscaped = 1;    // & < > " ', never the second byte of a character
constexpr unsigned char kConverted = 2;  // not ASCII, or the zero byte that ends the text
constexpr std::array<unsigned char, 256> kByteClass = [] {
  std::array<unsigned char, 256> table{};
  for (unsigned char c : {'&', '<', '>', '"', '\''}) table[c] = kEscaped;
  table[0] = kConverted;
  for (int c = 0x80; c < 256; ++c) table[c] = kConverted;
  return table;
}();

unsigned char ClassesOf(std::string_view sjis) {
  unsigned char classes = 0;
  for (unsigned char c : sjis) classes |= kByteClass[c];
  return classes;
}

// Sets `out` to a Shift_JIS value as the page shows it: UTF-8 (bytes that
// are not Shift_JIS as U+FFFD), escaped for HTML. `classes` is
// ClassesOf(sjis); most values need only one of the two steps, or neither.
void SetPageText(std::string_view sjis, unsigned char classes, std::string* out) {
  switch (classes) {
    case 0:
      out->assign(sjis);
      break;
    case kEscaped:
      out->clear();
      AppendHtmlEscaped(out, sjis);
      break;
    case kConverted:
      *out = SjisToUtf8(sjis);
      break;
    default:
      out->clear();
      AppendHtmlEscaped(out, SjisToUtf8(sjis));
  }
}

std::string PageText(std::string_view sjis) {
  std::string out;
  SetPageText(sjis, ClassesOf(sjis), &out);
  return out;
}

// A value in a link's query: percent-encoded as UTF-8, then escaped.
std::string QueryText(std::string_view sjis) { return HtmlEscape(QueryEscape(SjisToUtf8(sjis))); }

std::string_view Column(char** values, int index) {
  return values[index] != nullptr ? std::string_view(values[index]) : std::string_view();
}

}  // namespace

std::string EntryQuery(const std::string& key) {
  std::string sql = "select id,title,des,keywd,edate,rout from mcnt ";
  if (!key.empty() && key != kAll) sql += "where (keywd like '%" + HexEncode(key) + "%') ";
  sql += "order by edate desc";
  return sql;
}

bool KeywordsContain(std::string_view keywd, std::string_view key) {
  size_t i = 0;
  while (i < keywd.size()) {
    if (keywd.compare(i, key.size(), key) == 0 && keywd.size() - i >= key.size()) return true;
    const bool pair = IsSjisLeadByte(static_cast<unsigned char>(keywd[i])) &&
                      i + 1 < keywd.size() &&
                      IsSjisTrailByte(static_cast<unsigned char>(keywd[i + 1]));
    i += pair ? 2 : 1;
  }
  return key.empty();
}

void VisitEntryRows(const std::string& app_dir, const std::string& key,
                    const std::function<void(char** values)>& visit) {
  Connection db(DatabasePath(app_dir));
  if (!db.ok()) return;
  const bool all = key.empty() || key == kAll;
  std::string keywd;
  db.ForEachRow(EntryQuery(key), [&](int column_count, char** values) {
    if (column_count < 6) return false;
    // The query compares hex text, which may match across a byte or a
    // character; keep only matches that start a character.
    if (!all) {
      keywd = HexDecode(Column(values, 3));
      if (!KeywordsContain(keywd, key)) return true;
    }
    visit(values);
    return true;
  });
}

std::vector<std::string> SelectEntryRows(const std::string& app_dir, const std::string& key) {
  std::vector<std::string> rows;
  VisitEntryRows(app_dir, key, [&](char** values) { CollectRow(&rows, 6, values, nullptr); });
  return rows;
}

void BuildHomePage(const std::string& app_dir, const std::string& site_url,
                   const std::string& page_path, const std::string& com,
                   const std::string& search_key) {
  const std::string key = search_key.empty() ? kAll : search_key;
  const std::string site = PageText(site_url);
  const std::string key_text = PageText(key);
  const std::string key_query = QueryText(key);

  PageFile page(page_path);
  page.AppendLine("<html>");
  page.AppendLine("<head><title>Kelvanis</title></head>");
  page.AppendLine("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">");
  page.AppendLine("<link rel=\"stylesheet\" type=\"text/css\" href=\"sviewl.css\">");
  page.AppendLine(
      "<script src=\"streetviewl.js\" type=\"text/javascript\" charset=\"UTF-8\"></script>");
  page.AppendLine("<body onload=\"load_list()\">");
  page.AppendLine("<center><h1>Kelvanis</h1></center>");
  page.AppendLine("<div align=\"right\"><a href=\"home.html\">home</a></div><hr>");
  page.AppendLine("<form name=\"sform\" method=\"GET\" action=\"home.html\">");
  page.AppendLine("<table border=0><tr><td width=30></td><td nowrap>");
  page.AppendLine("<input type=\"hidden\" name=\"cmd\" value=\"search\">");
  page.AppendLine("<b>キーワード：</b><input type=\"text\" name=\"key\" value=\"" + key_text +
                  "\">");
  page.AppendLine("&nbsp;&nbsp;<input type=\"submit\" value=\"検索\">");
  page.AppendLine("<span style=\"width:50\"></span>");
  page.AppendLine("<a href=\"" + site + "py/p/new.py?cmd=new&bcmd=" + QueryText(com) +
                  "&bkey=" + key_query + "&bpage=0\">");
  page.AppendLine("<font color=blue>新規作成</font>");
  page.AppendLine("</td></tr></table></form><hr><table border=0><tr><td width=30></td><td>");

  long long count = 0;
  std::string n, id, title, des, keywd, edate, rout, decoded;
  VisitEntryRows(app_dir, key, [&](char** values) {
    n = std::to_string(++count);
    SetPageText(Column(values, 0), ClassesOf(Column(values, 0)), &id);
    decoded = HexDecode(Column(values, 1));
    SetPageText(decoded, ClassesOf(decoded), &title);
    decoded = HexDecode(Column(values, 2));
    SetPageText(decoded, ClassesOf(decoded), &des);
    decoded = HexDecode(Column(values, 3));
    SetPageText(decoded, ClassesOf(decoded), &keywd);
    SetPageText(Column(values, 4), ClassesOf(Column(values, 4)), &edate);
    decoded = HexDecode(Column(values, 5));
    SetPageText(decoded, ClassesOf(decoded), &rout);

    auto hidden = [&](const char* name, const std::string& value) {
      page.Append("<input id=\"");
      page.Append(name);
      page.Append(n);
      page.Append("\" type=\"hidden\" name=\"");
      page.Append(name);
      page.Append("\" value=\"");
      page.Append(value);
      page.Append("\">\r\n");
    };
    page.Append(n);
    page.Append("&nbsp;<a href=\"javascript:viewlink(");
    page.Append(n);
    page.Append(")\">\r\n");
    page.Append(title);
    page.Append("</a><br>\r\n");
    hidden("eid", id);
    hidden("etitle", title);
    hidden("edes", des);
    hidden("ekeywd", keywd);
    hidden("erout", rout);
    hidden("edate", edate);
    page.Append("<div class=\"ctby\"><font size=-1>");
    page.Append(des);
    page.Append("</font></div>\r\n");
    page.Append("<font size=-2 color=green>");
    page.Append(edate);
    page.Append("</font><br>\r\n");
    page.Append("<font size=-2 color=blown>キーワード:&nbsp;<span id=\"iskwd\">\r\n");
    page.Append(keywd);
    page.Append("</span></font></div><p />\r\n");
  });

  page.AppendLine("<div id=\"addlst\"></div>");
  page.AppendLine("<span id=\"tmplate\" style=\"display:none;\">");
  page.AppendLine("{no}&nbsp;<a href=\"" + site +
                  "py/p/view.py?cmd=view&id={id}&bcmd=search&bkey=" + key_query +
                  "\">{title}</a>&nbsp;&nbsp;");
  page.AppendLine("<font color=\"navy\"><b>[Public]</b></font><br>");
  page.AppendLine("<div class=\"ctby\"><font size=-1>{des}</font></div>");
  page.AppendLine("<font size=-2 color=green>{date}&nbsp;&nbsp;アクセス:{acnt}'件</font><br>");
  page.AppendLine(
      "<font size=-2 color=blown>キーワード:&nbsp;<span "
      "id=\"iskwd\">{keywd}</span></font></div><p />");
  page.AppendLine("</span>");
  page.AppendLine("<form name=\"mform\" method=\"POST\" action=\"" + site + "py/p/view.py\">");
  page.AppendLine("<input type=\"hidden\" name=\"bkey\" value=\"" + key_text + "\">");
  page.AppendLine("<input type=\"hidden\" name=\"id\" value=\"\">");
  page.AppendLine("<input type=\"hidden\" name=\"title\" value=\"\">");
  page.AppendLine("<input type=\"hidden\" name=\"des\" value=\"\">");
  page.AppendLine("<input type=\"hidden\" name=\"keywd\" value=\"\">");
  page.AppendLine("<input type=\"hidden\" name=\"rout\" value=\"\">");
  page.AppendLine("<input type=\"hidden\" name=\"date\" value=\"\">");
  page.AppendLine("<input type=\"hidden\" name=\"home_url\" value=\"" + site + "\">");
  page.AppendLine("<input type=\"hidden\" name=\"lcnt\" value=\"" + std::to_string(count) + "\">");
  page.AppendLine("</form>");
  page.AppendLine("</body></html>");
  page.Commit();
}

}  // namespace kelvanis
