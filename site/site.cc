#include "site/site.h"

#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>

#include "codec/form_fields.h"
#include "codec/sjis.h"
#include "site/site_pages.h"
#include "store/store.h"

namespace kelvanis {

namespace {

constexpr char kHtmlType[] = "text/html; charset=UTF-8";

// The path of a URL ("/" and what follows the authority, up to the query)
// and its query (after "?", up to a fragment).
struct RequestTarget {
  std::string path;
  std::string query;
};

RequestTarget SplitUrl(std::string_view url) {
  RequestTarget target;
  url = url.substr(0, url.find('#'));
  size_t question = url.find('?');
  if (question != std::string_view::npos) {
    target.query = url.substr(question + 1);
    url = url.substr(0, question);
  }
  size_t scheme_end = url.find("://");
  if (scheme_end != std::string_view::npos) {
    url.remove_prefix(scheme_end + 3);
    size_t slash = url.find('/');
    url = slash == std::string_view::npos ? std::string_view() : url.substr(slash);
  }
  target.path = url.empty() ? "/" : std::string(url);
  return target;
}

SiteResponse HtmlResponse(int status, std::string body) {
  return SiteResponse{status, kHtmlType, std::move(body)};
}

SiteResponse NotFound(std::string_view message) { return HtmlResponse(404, NotFoundPage(message)); }

// A file of the program folder's page/ folder, sent as it is.
SiteResponse Asset(const std::string& app_dir, const std::string& name,
                   const std::string& content_type) {
  std::ifstream file(app_dir + "page/" + name, std::ios::binary);
  if (!file) return NotFound("ページが見つかりません。");
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return SiteResponse{200, content_type, bytes.str()};
}

// The viewer for a posted entry: the hand-off after a save, or the start
// page's form.
SiteResponse ViewPosted(const std::string& body) {
  FormFields fields = ParseFormFields(body);
  ShownEntry entry;
  entry.id = FieldValue(fields, "id");
  entry.title = FieldValue(fields, "title");
  entry.des = FieldValue(fields, "des");
  entry.keywd = FieldValue(fields, "keywd");
  entry.date = FieldValue(fields, "date");
  entry.rout = FieldValue(fields, "rout");
  return HtmlResponse(200, EntryPage(entry, FieldValue(fields, "bkey")));
}

// The viewer for the stored entry named by the query's "id".
SiteResponse ViewStored(const std::string& app_dir, const std::string& query) {
  FormFields fields = ParseFormFields(query);
  std::string id = FieldValue(fields, "id");
  long long number = 0;
  auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), number);
  std::optional<Entry> stored;
  if (!id.empty() && error == std::errc() && end == id.data() + id.size()) {
    stored = ReadEntry(app_dir, number);
  }
  if (!stored) return NotFound("この番号の項目はありません。");
  ShownEntry entry;
  entry.id = SjisToUtf8(stored->id);
  entry.title = SjisToUtf8(stored->title);
  entry.des = SjisToUtf8(stored->des);
  entry.keywd = SjisToUtf8(stored->keywd);
  entry.date = SjisToUtf8(stored->edate);
  entry.rout = SjisToUtf8(stored->rout);
  return HtmlResponse(200, EntryPage(entry, FieldValue(fields, "bkey")));
}

}  // namespace

SiteResponse HandleSiteRequest(const std::string& app_dir, const std::string& method,
                               const std::string& url, const std::string& body) {
  RequestTarget target = SplitUrl(url);
  if (target.path == "/py/p/new.py") {
    return HtmlResponse(200, NewEntryPage(FieldValue(ParseFormFields(target.query), "bkey")));
  }
  if (target.path == "/py/p/view.py") {
    if (method == "POST") return ViewPosted(body);
    return ViewStored(app_dir, target.query);
  }
  if (target.path == "/sviewl.css") return Asset(app_dir, "sviewl.css", "text/css; charset=UTF-8");
  if (target.path == "/streetviewl.js") {
    return Asset(app_dir, "streetviewl.js", "text/javascript; charset=UTF-8");
  }
  return NotFound("ページが見つかりません。");
}

}  // namespace kelvanis
