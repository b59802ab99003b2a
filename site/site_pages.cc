#include "site/site_pages.h"

#include "codec/utf8_check.h"
#include "pages/html.h"
#include "store/store.h"

namespace kelvanis {

namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

// A value as element text or attribute value.
std::string Text(std::string_view value) { return HtmlEscape(ValidUtf8(value)); }

// The address of a search on the start page for `key`.
std::string SearchLink(std::string_view key) {
  return "homep.html?key=" + HtmlEscape(QueryEscape(ValidUtf8(key)));
}

std::string Head() {
  return "<!DOCTYPE html>\n"
         "<html lang=\"ja\">\n"
         "<head>\n"
         "<meta charset=\"UTF-8\">\n"
         "<title>Kelvanis</title>\n"
         "<link rel=\"stylesheet\" type=\"text/css\" href=\"/sviewl.css\">\n"
         "</head>\n"
         "<body class=\"site\">\n"
         "<h1>Kelvanis</h1>\n"
         "<div class=\"nav\"><a href=\"homep.html?key=\">home</a></div><hr>\n";
}

std::string Tail(std::string_view back_key) {
  return "<hr><div class=\"nav\"><a class=\"back\" href=\"" + SearchLink(back_key) +
         "\">一覧へ戻る</a></div>\n"
         "</body></html>\n";
}

// A textarea keeps a value's leading line break only after one of its own,
// which the parser drops.
std::string TextArea(std::string_view name, std::string_view value) {
  return "<textarea name=\"" + std::string(name) + "\" rows=\"5\" cols=\"60\">\n" + Text(value) +
         "</textarea>";
}

std::string TextInput(std::string_view name, std::string_view value) {
  return "<input type=\"text\" name=\"" + std::string(name) + "\" size=\"60\" value=\"" +
         Text(value) + "\">";
}

// The four fields of a new or edited entry, as table rows.
std::string EntryFields(const ShownEntry& entry) {
  return "<tr><th>タイトル</th><td>" + TextInput("title", entry.title) + "</td></tr>\n" +
         "<tr><th>説明</th><td>" + TextArea("desc", entry.des) + "</td></tr>\n" +
         "<tr><th>キーワード</th><td>" + TextInput("keywd", entry.keywd) + "</td></tr>\n" +
         "<tr><th>ルート</th><td>" + TextArea("rout", entry.rout) + "</td></tr>\n";
}

std::string FormStart(std::string_view name, std::string_view action) {
  return "<form name=\"" + std::string(name) + "\" method=\"POST\" action=\"" +
         std::string(action) +
         "\" enctype=\"application/x-www-form-urlencoded\" accept-charset=\"UTF-8\"";
}

std::string KeywordLinks(std::string_view keywd) {
  std::string links;
  for (const std::string& word : SplitKeywords(keywd)) {
    if (!links.empty()) links += " ";
    links += "<a class=\"kwd\" href=\"" + SearchLink(word) + "\">" + Text(word) + "</a>";
  }
  return links;
}

}  // namespace

std::vector<std::string> SplitKeywords(std::string_view keywd) {
  std::vector<std::string> words;
  std::string word;
  size_t i = 0;
  while (i <= keywd.size()) {
    size_t gap = 0;
    if (i == keywd.size()) {
      gap = 1;
    } else if (keywd[i] == ' ') {
      gap = 1;
    } else if (keywd.substr(i, kIdeographicSpace.size()) == kIdeographicSpace) {
      gap = kIdeographicSpace.size();
    }
    if (gap == 0) {
      word += keywd[i++];
      continue;
    }
    if (!word.empty()) words.push_back(word);
    word.clear();
    i += gap;
  }
  return words;
}

std::string NewEntryPage(std::string_view back_key) {
  return Head() + "<h2>新規作成</h2>\n" + FormStart("nform", "new_entry.py") + ">\n" +
         "<table class=\"fields\">\n" + EntryFields(ShownEntry()) +
         "<tr><td></td><td><input type=\"submit\" value=\"登録\"></td></tr>\n"
         "</table></form>\n" +
         Tail(back_key);
}

std::string EntryPage(const ShownEntry& entry, std::string_view back_key) {
  const bool failed = entry.id == "-1";
  const bool editable = !failed && IsDecimalId(entry.id);
  std::string page = Head();
  if (failed) {
    page +=
        "<p class=\"error\">この項目は保存できませんでした（the entry could not be saved）。"
        "データベース kelvanis.db がないか、書き込めませんでした。送信した内容は下のとおりです。"
        "</p>\n";
  }
  page += "<div class=\"entry\">\n";
  page += "<h2 class=\"etitle\">" + Text(entry.title) + "</h2>\n";
  page += "<div class=\"ctby\">" + Text(entry.des) + "</div>\n";
  page += "<div class=\"edate\">" + Text(entry.date) + "</div>\n";
  page += "<div class=\"ekwd\">キーワード:&nbsp;<span class=\"kwds\">" + KeywordLinks(entry.keywd) +
          "</span></div>\n";
  page += "<div class=\"erout\">" + Text(entry.rout) + "</div>\n";
  page += "<div class=\"eid\">番号: " + Text(entry.id) + "</div>\n";
  page += "</div>\n";
  if (editable) {
    page += "<hr><h2>編集</h2>\n" + FormStart("eform", "edit_entryp.py") + ">\n" +
            "<input type=\"hidden\" name=\"id\" value=\"" + Text(entry.id) + "\">\n" +
            "<table class=\"fields\">\n" + EntryFields(entry) +
            "<tr><td></td><td><input type=\"submit\" value=\"更新\"></td></tr>\n"
            "</table></form>\n" +
            FormStart("dform", "edit_delep.py") +
            " onsubmit=\"return confirm('この項目を削除しますか？');\">\n"
            "<input type=\"hidden\" name=\"id\" value=\"" +
            Text(entry.id) +
            "\">\n"
            "<input class=\"delete\" type=\"submit\" value=\"削除\">\n"
            "</form>\n";
  } else if (!failed) {
    page += "<p class=\"error\">この項目には番号がないため、編集も削除もできません。</p>\n";
  }
  return page + Tail(back_key);
}

std::string NotFoundPage(std::string_view message) {
  return Head() + "<h2>not found</h2>\n<p class=\"error\">" + Text(message) + "</p>\n" + Tail("");
}

}  // namespace kelvanis
