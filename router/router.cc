#include "router/router.h"

#include <string_view>

#include "codec/form.h"
#include "codec/sjis.h"
#include "pages/home_page.h"

namespace kelvanis {

namespace {

bool Contains(std::string_view text, std::string_view name) {
  return text.find(name) != std::string_view::npos;
}

// The raw post text: the body up to its first NUL byte; "" without a body.
std::string RawPostText(const std::optional<std::string>& post_data) {
  if (!post_data) return std::string();
  return std::string(UpToNul(*post_data));
}

// A URL parameter's value, picked from the URL as the browser spelled it and
// then decoded, so that an escaped "&" stays inside the value. The browser
// sends UTF-8; the page generator and the stored keywords use Shift_JIS.
std::string UrlParam(const std::string& raw_url, std::string_view name) {
  return Utf8ToSjis(DecodedParam(raw_url, name));
}

// Route 1: the start page for the URL's "com" and "key".
void ServeHomePage(NavigationWindow& window, const std::string& raw_url) {
  const std::string key = UrlParam(raw_url, "key");
  const std::string com = UrlParam(raw_url, "com");
  BuildHomePage(window.AppDir(), window.SiteUrl(), HomePagePath(window.AppDir()), com, key);
}

// Route 2: a search on the start page. The key is passed on as the URL
// spelled it, still encoded; route 1 decodes it. Only the window's own part
// of the URL is internal text; the key is the browser's bytes already.
void RedirectSearch(NavigationWindow& window, const std::string& raw_url) {
  const std::string key = GetParam(raw_url, "key");
  window.NavigationBrowser().Navigate(SjisToUtf8(window.HomePageUrl() + "?com=search&key=") + key);
}

}  // namespace

std::string HomePagePath(const std::string& app_dir) { return app_dir + "page/home.html"; }

std::string ViewDateText(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[64];
  size_t length = std::strftime(text, sizeof text, "%Y%%2F%m%%2F%d%%20%H%%3A%M%%3A%S", &local);
  return std::string(text, length);
}

std::string ViewFormBody(const std::string& id, const std::string& raw_post, std::time_t when) {
  std::string body;
  body += "id=" + id;
  body += "&title=" + GetParam(raw_post, "title");
  body += "&des=" + GetParam(raw_post, "desc");
  body += "&keywd=" + GetParam(raw_post, "keywd");
  body += "&date=" + ViewDateText(when);
  body += "&rout=" + GetParam(raw_post, "rout");
  return body;
}

std::string ViewerUrl(const std::string& site_url) { return site_url + "py/p/view.py"; }

int PostToViewer(Browser& browser, const std::string& site_url, const std::string& body) {
  browser.Navigate(SjisToUtf8(ViewerUrl(site_url)), 0, 0, body, kFormHeaders);
  return 1;
}

void RouteNavigation(NavigationWindow& window, const std::string& url,
                     const std::optional<std::string>& post_data, bool& cancel) {
  const std::string decoded_url = DecodeFormText(url);

  if (Contains(decoded_url, "home.html")) {
    ServeHomePage(window, url);
    return;
  }
  if (Contains(decoded_url, "homep.html")) {
    RedirectSearch(window, url);
    cancel = true;
    return;
  }

  const bool is_new = Contains(decoded_url, "new_entry.py");
  const bool is_edit = !is_new && Contains(decoded_url, "edit_entryp.py");
  const bool is_delete = !is_new && !is_edit && Contains(decoded_url, "edit_delep.py");
  if (!is_new && !is_edit && !is_delete) return;

  // The store picks each field from the body as posted and decodes it on
  // its own, so a typed "&" stays inside its value.
  const std::string raw_post = RawPostText(post_data);

  if (is_delete) {
    window.DeleteEntry(raw_post);
    window.H1Click();
    cancel = true;
    return;
  }

  std::string id;
  if (is_new) {
    id = std::to_string(window.AddEntry(raw_post));
  } else {
    window.EditEntry(raw_post);
    id = GetParam(raw_post, "id");
  }
  // The clock is read after the store operation.
  window.PostToViewer(ViewFormBody(id, raw_post, std::time(nullptr)));
  cancel = true;
}

}  // namespace kelvanis
