// WebKitBrowser: the browser interface over a WebKitGTK WebKitWebView.
//
// BeforeNavigate2 is raised from the view's "decide-policy" for every
// navigation of the page and of its frames (navigation and new-window
// actions); a cancelled navigation is ignored, any other is used. A page
// asking for a new window gets the navigation in this view instead.
//
// Bodies of form posts: WebKitGTK does not tell the policy decision the
// method or the body, so a script injected at document start into every
// frame reports each urlencoded POST submission (by button, Enter or a
// script's form.submit()) with its action URL and its body as the browser
// serialises it. The report reaches this process before the navigation's
// "decide-policy", which takes the latest report for its URL (once). Forms
// of pages in other character sets than UTF-8, and multipart or text/plain
// forms, are not reported: their navigations carry no body.
//
// Navigate with a body submits a form built from it (see post_page.h) from
// the page on show, or from a page of its own when there is none; the POST
// raises the event with the body that was passed to Navigate, the helper
// page's own load raises none.
#pragma once

#include <webkit2/webkit2.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "browser/browser.h"
#include "browser/webkit/gobject_ptr.h"

namespace kelvanis {

struct SchemeResponse {
  int status = 200;
  std::string content_type;
  std::string body;
};

// Answers a request to a custom URI scheme: method ("GET", "POST"), the full
// URL, the request body.
using SchemeHandler = std::function<SchemeResponse(
    const std::string& method, const std::string& url, const std::string& body)>;

class WebKitBrowser final : public Browser {
 public:
  // Creates the view on a web context of its own, with safe settings.
  WebKitBrowser();
  ~WebKitBrowser() override;
  WebKitBrowser(const WebKitBrowser&) = delete;
  WebKitBrowser& operator=(const WebKitBrowser&) = delete;

  // Serves `scheme` ("kelvanis") with `handler`. Call before the first load.
  void RegisterScheme(const std::string& scheme, SchemeHandler handler);

  WebKitWebView* view() const { return view_.get(); }
  GtkWidget* widget() const { return GTK_WIDGET(view_.get()); }

  void Navigate(const std::string& url) override;
  // Only an application/x-www-form-urlencoded body is supported; `headers`
  // beyond that content type are not sent.
  void Navigate(const std::string& url, int flags, int target_frame_name,
                const std::string& post_data, const std::string& headers) override;

 private:
  struct PostReport {
    std::string action;
    std::string body;
  };
  // The post that Navigate started, until its submission is decided.
  struct PendingPost {
    std::string url;
    std::string body;
    unsigned serial = 0;
    bool page_loading = false;  // its own page is being loaded
  };
  struct PostScriptCall {
    WebKitBrowser* browser;
    unsigned serial;
  };

  static gboolean OnDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, gpointer self);
  static void OnScriptMessage(WebKitUserContentManager* manager, WebKitJavascriptResult* result,
                              gpointer self);
  static void OnSchemeRequest(WebKitURISchemeRequest* request, gpointer self);
  static void OnPostScriptDone(GObject* view, GAsyncResult* result, gpointer call);

  void LoadPostPage();
  bool DecideNavigation(WebKitNavigationPolicyDecision* decision, bool new_window);
  std::optional<std::string> TakeReportedBody(const std::string& url);

  GObjectPtr<WebKitWebContext> context_;
  GObjectPtr<WebKitUserContentManager> content_manager_;
  GObjectPtr<GCancellable> cancellable_;
  GObjectPtr<WebKitWebView> view_;
  std::deque<PostReport> reports_;
  std::optional<PendingPost> pending_post_;
  unsigned post_serial_ = 0;
  std::map<std::string, SchemeHandler> schemes_;
};

}  // namespace kelvanis
