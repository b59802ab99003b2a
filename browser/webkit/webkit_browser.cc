#include "browser/webkit/webkit_browser.h"

#include <memory>
#include <utility>

#include "browser/webkit/post_page.h"

namespace kelvanis {
namespace {

constexpr char kReportChannel[] = "kelvanisFormPost";
constexpr size_t kMaxReports = 32;
constexpr char kPostWorld[] = "kelvanis-post";

// Injected at document start into every frame. It reports each
// urlencoded POST submission of a UTF-8 form: a "submit" event that no
// listener cancelled (button, Enter, requestSubmit) and a script's
// form.submit(), which fires no event.
constexpr char kReportScript[] = R"JS((function () {
  var handlers = window.webkit && window.webkit.messageHandlers;
  var channel = handlers && handlers.kelvanisFormPost;
  if (!channel) return;
  var post = channel.postMessage.bind(channel);
  var FD = FormData, USP = URLSearchParams;
  function pick(form, submitter, attribute, property) {
    return submitter && submitter.hasAttribute(attribute) ? submitter[property] : form[property];
  }
  function report(form, submitter) {
    try {
      if (pick(form, submitter, 'formmethod', 'method') !== 'post') return;
      if (pick(form, submitter, 'formenctype', 'enctype') !== 'application/x-www-form-urlencoded') return;
      var charset = (form.acceptCharset || '').trim().split(/[\s,]+/)[0] || document.characterSet;
      if (!/^utf-?8$/i.test(charset)) return;
      var data = submitter ? new FD(form, submitter) : new FD(form);
      post({action: pick(form, submitter, 'formaction', 'action'), body: new USP(data).toString()});
    } catch (e) {
    }
  }
  window.addEventListener('submit', function (event) {
    if (!event.defaultPrevented && event.target instanceof HTMLFormElement)
      report(event.target, event.submitter);
  });
  var submit = HTMLFormElement.prototype.submit;
  HTMLFormElement.prototype.submit = function () {
    report(this, null);
    return submit.call(this);
  };
})();
)JS";

std::string StringProperty(JSCValue* object, const char* name) {
  GObjectPtr<JSCValue> value(jsc_value_object_get_property(object, name));
  if (!value || !jsc_value_is_string(value.get())) return std::string();
  char* text = jsc_value_to_string(value.get());
  std::string result = text ? text : "";
  g_free(text);
  return result;
}

std::string ReadAll(GInputStream* stream) {
  std::string data;
  if (!stream) return data;
  char buffer[8192];
  for (;;) {
    gsize read = 0;
    if (!g_input_stream_read_all(stream, buffer, sizeof buffer, &read, nullptr, nullptr)) break;
    data.append(buffer, read);
    if (read < sizeof buffer) break;
  }
  return data;
}

}  // namespace

WebKitBrowser::WebKitBrowser()
    : context_(webkit_web_context_new()),
      content_manager_(webkit_user_content_manager_new()),
      cancellable_(g_cancellable_new()) {
  g_signal_connect(content_manager_.get(), "script-message-received::kelvanisFormPost",
                   G_CALLBACK(&WebKitBrowser::OnScriptMessage), this);
  webkit_user_content_manager_register_script_message_handler(content_manager_.get(),
                                                              kReportChannel);
  WebKitUserScript* script =
      webkit_user_script_new(kReportScript, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                             WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(content_manager_.get(), script);
  webkit_user_script_unref(script);

  GObjectPtr<WebKitSettings> settings(webkit_settings_new());
  webkit_settings_set_enable_javascript(settings.get(), TRUE);
  webkit_settings_set_allow_file_access_from_file_urls(settings.get(), FALSE);
  webkit_settings_set_allow_universal_access_from_file_urls(settings.get(), FALSE);
  webkit_settings_set_javascript_can_open_windows_automatically(settings.get(), FALSE);
  webkit_settings_set_enable_write_console_messages_to_stdout(settings.get(), FALSE);
#ifdef NDEBUG
  webkit_settings_set_enable_developer_extras(settings.get(), FALSE);
#else
  webkit_settings_set_enable_developer_extras(settings.get(), TRUE);
#endif

  GtkWidget* view = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context_.get(),
                                            "user-content-manager", content_manager_.get(),
                                            "settings", settings.get(), nullptr));
  view_.reset(WEBKIT_WEB_VIEW(g_object_ref_sink(view)));
  g_signal_connect(view_.get(), "decide-policy", G_CALLBACK(&WebKitBrowser::OnDecidePolicy), this);
}

WebKitBrowser::~WebKitBrowser() {
  g_cancellable_cancel(cancellable_.get());
  g_signal_handlers_disconnect_by_data(view_.get(), this);
  g_signal_handlers_disconnect_by_data(content_manager_.get(), this);
  webkit_web_view_stop_loading(view_.get());
}

void WebKitBrowser::RegisterScheme(const std::string& scheme, SchemeHandler handler) {
  schemes_[scheme] = std::move(handler);
  webkit_web_context_register_uri_scheme(context_.get(), scheme.c_str(),
                                         &WebKitBrowser::OnSchemeRequest, this, nullptr);
}

void WebKitBrowser::Navigate(const std::string& url) {
  pending_post_.reset();
  webkit_web_view_load_uri(view_.get(), url.c_str());
}

void WebKitBrowser::Navigate(const std::string& url, int /*flags*/, int /*target_frame_name*/,
                             const std::string& post_data, const std::string& /*headers*/) {
  unsigned serial = ++post_serial_;
  pending_post_ = PendingPost{url, post_data, serial, false};
  const char* current = webkit_web_view_get_uri(view_.get());
  if (!current || !*current) {
    LoadPostPage();
    return;
  }
  // The form is submitted from the page on show, in a script world of its
  // own, so the post becomes the next history entry after that page.
  std::string script = BuildPostScript(url, post_data);
  auto call = std::make_unique<PostScriptCall>(PostScriptCall{this, serial});
  webkit_web_view_evaluate_javascript(
      view_.get(), script.c_str(), static_cast<gssize>(script.size()), kPostWorld, nullptr,
      cancellable_.get(), &WebKitBrowser::OnPostScriptDone, call.release());
}

void WebKitBrowser::LoadPostPage() {
  pending_post_->page_loading = true;
  std::string page = BuildPostPage(pending_post_->url, pending_post_->body);
  // The page takes the target's URL as its own, so its form is same-origin
  // with the target and its load is recognisable in "decide-policy".
  webkit_web_view_load_html(view_.get(), page.c_str(), pending_post_->url.c_str());
}

void WebKitBrowser::OnPostScriptDone(GObject* view, GAsyncResult* result, gpointer data) {
  std::unique_ptr<PostScriptCall> call(static_cast<PostScriptCall*>(data));
  GError* error = nullptr;
  GObjectPtr<JSCValue> value(
      webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, &error));
  if (!error) return;
  bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
  g_error_free(error);
  if (cancelled) return;  // the browser is gone
  // The page on show could not run the script: post from a page of our own.
  WebKitBrowser* browser = call->browser;
  if (browser->pending_post_ && browser->pending_post_->serial == call->serial) {
    browser->LoadPostPage();
  }
}

gboolean WebKitBrowser::OnDecidePolicy(WebKitWebView* /*view*/, WebKitPolicyDecision* decision,
                                       WebKitPolicyDecisionType type, gpointer self) {
  if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION &&
      type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
    return FALSE;  // responses: WebKit's default
  }
  auto* browser = static_cast<WebKitBrowser*>(self);
  bool use = true;
  try {
    use = browser->DecideNavigation(WEBKIT_NAVIGATION_POLICY_DECISION(decision),
                                    type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION);
  } catch (...) {
    // The event's handler reports its own failures; nothing may reach GLib.
  }
  if (use) {
    webkit_policy_decision_use(decision);
  } else {
    webkit_policy_decision_ignore(decision);
  }
  return TRUE;
}

bool WebKitBrowser::DecideNavigation(WebKitNavigationPolicyDecision* decision, bool new_window) {
  WebKitNavigationAction* action =
      webkit_navigation_policy_decision_get_navigation_action(decision);
  WebKitURIRequest* request = webkit_navigation_action_get_request(action);
  const char* uri_text = webkit_uri_request_get_uri(request);
  std::string url = uri_text ? uri_text : "";
  WebKitNavigationType navigation_type = webkit_navigation_action_get_navigation_type(action);
  bool form = navigation_type == WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED ||
              navigation_type == WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED;
  std::optional<std::string> body;
  if (form) body = TakeReportedBody(url);

  if (pending_post_ && pending_post_->url == url && !new_window) {
    if (pending_post_->page_loading && navigation_type == WEBKIT_NAVIGATION_TYPE_OTHER) {
      pending_post_->page_loading = false;  // the posting page itself
      return true;
    }
    if (form) {
      body = std::move(pending_post_->body);
      pending_post_.reset();
    }
  }

  if (new_window) {
    // One window: the navigation happens here, raising the event once.
    if (body) {
      Navigate(url, 0, 0, *body, "Content-Type: application/x-www-form-urlencoded\r\n");
    } else {
      Navigate(url);
    }
    return false;
  }
  return !RaiseBeforeNavigate2(url, body);
}

std::optional<std::string> WebKitBrowser::TakeReportedBody(const std::string& url) {
  for (auto it = reports_.rbegin(); it != reports_.rend(); ++it) {
    if (it->action != url) continue;
    std::string body = std::move(it->body);
    // Older reports for the same URL belong to submissions that never
    // happened (cancelled by a later listener); drop them with this one.
    std::erase_if(reports_, [&url](const PostReport& report) { return report.action == url; });
    return body;
  }
  return std::nullopt;
}

void WebKitBrowser::OnScriptMessage(WebKitUserContentManager* /*manager*/,
                                    WebKitJavascriptResult* result, gpointer self) {
  auto* browser = static_cast<WebKitBrowser*>(self);
  JSCValue* value = webkit_javascript_result_get_js_value(result);
  if (!value || !jsc_value_is_object(value)) return;
  browser->reports_.push_back({StringProperty(value, "action"), StringProperty(value, "body")});
  while (browser->reports_.size() > kMaxReports) browser->reports_.pop_front();
}

void WebKitBrowser::OnSchemeRequest(WebKitURISchemeRequest* request, gpointer self) {
  auto* browser = static_cast<WebKitBrowser*>(self);
  std::string scheme = webkit_uri_scheme_request_get_scheme(request);
  auto handler = browser->schemes_.find(scheme);
  if (handler == browser->schemes_.end()) {
    GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, "unknown scheme");
    webkit_uri_scheme_request_finish_error(request, error);
    g_error_free(error);
    return;
  }
  const char* method = webkit_uri_scheme_request_get_http_method(request);
  GObjectPtr<GInputStream> body_stream(webkit_uri_scheme_request_get_http_body(request));
  std::string body = ReadAll(body_stream.get());
  SchemeResponse response;
  try {
    response =
        handler->second(method ? method : "GET", webkit_uri_scheme_request_get_uri(request), body);
  } catch (const std::exception& e) {
    response = {500, "text/plain; charset=UTF-8", e.what()};
  }
  GBytes* bytes = g_bytes_new(response.body.data(), response.body.size());
  GObjectPtr<GInputStream> stream(g_memory_input_stream_new_from_bytes(bytes));
  g_bytes_unref(bytes);
  GObjectPtr<WebKitURISchemeResponse> reply(
      webkit_uri_scheme_response_new(stream.get(), static_cast<gint64>(response.body.size())));
  webkit_uri_scheme_response_set_status(reply.get(), response.status, nullptr);
  if (!response.content_type.empty()) {
    webkit_uri_scheme_response_set_content_type(reply.get(), response.content_type.c_str());
  }
  webkit_uri_scheme_request_finish_with_response(request, reply.get());
}

}  // namespace kelvanis
