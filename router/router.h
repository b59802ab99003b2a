// The navigation router: the before-navigation handler that does the work of
// the service's pages and scripts locally, and the hand-off of a saved entry
// to the service's viewer.
//
// Every navigation of the embedded browser passes through RouteNavigation.
// Its decoded URL text (DecodeFormText of the URL bytes) is searched,
// case-sensitively and anywhere, for these names; the first that occurs
// decides:
//
//   1 "home.html"      writes the start page for "com" and "key";  proceeds
//   2 "homep.html"     navigates to a search of the start page;     cancelled
//   3 "new_entry.py"   AddEntry, then PostToViewer;                 cancelled
//   4 "edit_entryp.py" EditEntry, then PostToViewer;                cancelled
//   5 "edit_delep.py"  DeleteEntry, then H1Click;                   cancelled
//
// Any other navigation proceeds untouched. In routes 2 to 5 the new
// navigation is started before the intercepted one is cancelled; it comes
// back through the handler before the outer call returns. The router keeps
// nothing between calls.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "browser/browser.h"

namespace kelvanis {

// What the router needs of the window it serves. Texts are 8-bit; the three
// folder and URL texts are the window's internal (Shift_JIS) ones.
class NavigationWindow {
 public:
  virtual ~NavigationWindow() = default;

  virtual const std::string& AppDir() const = 0;       // ends in "/"
  virtual const std::string& SiteUrl() const = 0;      // the service's base URL
  virtual const std::string& HomePageUrl() const = 0;  // file URL of the start page
  virtual Browser& NavigationBrowser() = 0;

  virtual int AddEntry(const std::string& form_body) = 0;
  virtual int EditEntry(const std::string& form_body) = 0;
  virtual int DeleteEntry(const std::string& form_body) = 0;
  virtual int PostToViewer(const std::string& body) = 0;
  virtual void H1Click() = 0;  // navigates to the start page
};

// The handler of one before-navigation event. `url` is the navigation's URL
// as the browser holds it; `post_data` its request body, none without one.
// Sets `cancel` in routes 2 to 5. Route 1 lets a FileCreateError of the page
// generator leave with `cancel` untouched; the caller reports it.
void RouteNavigation(NavigationWindow& window, const std::string& url,
                     const std::optional<std::string>& post_data, bool& cancel);

// The path of the start page: app_dir + "page/home.html".
std::string HomePagePath(const std::string& app_dir);

// The viewer's date text of the local time `when`: "yyyy/mm/dd hh:nn:ss"
// percent-encoded, as in 2024%2F03%2F07%2014%3A05%3A09.
std::string ViewDateText(std::time_t when);

// The form body posted to the viewer: id=<id>&title=..&des=..&keywd=..
// &date=<ViewDateText(when)>&rout=.., the values of the posted fields title,
// desc, keywd and rout taken from `raw_post` by GetParam, exactly as posted.
std::string ViewFormBody(const std::string& id, const std::string& raw_post, std::time_t when);

// The viewer's URL: site_url + "py/p/view.py", in internal text.
std::string ViewerUrl(const std::string& site_url);

// The extra request header of the viewer post.
inline constexpr char kFormHeaders[] = "Content-Type: application/x-www-form-urlencoded\r\n";

// Posts `body` to ViewerUrl(site_url), converted to UTF-8, through the post
// form of Navigate with kFormHeaders. Returns 1: the navigation was started.
int PostToViewer(Browser& browser, const std::string& site_url, const std::string& body);

}  // namespace kelvanis
