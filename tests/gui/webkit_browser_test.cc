// The WebKitGTK adapter alone, on a real view under Xvfb: the event sees
// every navigation with the exact body of form posts, cancelling stops a
// navigation, and Navigate with a body makes a real POST.
#include "browser/webkit/webkit_browser.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <optional>
#include <string>
#include <vector>

#include "codec/form_fields.h"
#include "tests/gui/gui_support.h"

namespace kelvanis {
namespace {

using gui_test::EvalJs;
using gui_test::RunUntil;
using gui_test::WaitForPage;

struct Event {
  std::string url;
  std::optional<std::string> body;
};

struct Request {
  std::string method;
  std::string url;
  std::string body;
};

constexpr char kFormPage[] = R"(<!DOCTYPE html><html><head><meta charset="utf-8"></head><body>
<form id="post" method="post" action="post.py">
<input name="title" id="title"><textarea name="desc" id="desc"></textarea>
<input type="submit" id="send" name="send" value="ok"></form>
<form id="get" method="get" action="get.py"><input name="q" id="q"></form>
<a id="blank" href="target.html" target="_blank">new window</a>
<a id="blocked" href="blocked.html">blocked</a>
</body></html>)";

class WebKitBrowserTest : public testing::Test {
 protected:
  void SetUp() override {
    browser_.RegisterScheme("kelvanis", [this](const std::string& method, const std::string& url,
                                               const std::string& body) {
      requests_.push_back({method, url, body});
      std::string page = kFormPage;
      if (url.find("/frames") != std::string::npos) {
        page = "<!DOCTYPE html><iframe src=\"kelvanis://t/inner.html\"></iframe>";
      } else if (url.find("/form") == std::string::npos) {
        page = "<!DOCTYPE html><meta charset=utf-8><p id=done>done</p>";
      }
      return SchemeResponse{200, "text/html; charset=UTF-8", page};
    });
    browser_.SetOnBeforeNavigate2(
        [this](const std::string& url, const std::optional<std::string>& body, bool& cancel) {
          events_.push_back({url, body});
          if (url.find("blocked") != std::string::npos) cancel = true;
          if (url.find("intercept.py") != std::string::npos) {
            browser_.Navigate("kelvanis://t/view.py", 0, 0, "id=7&title=" + body.value_or(""),
                              "Content-Type: application/x-www-form-urlencoded\r\n");
            cancel = true;
          }
        });
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), "adapter");
    gtk_window_set_default_size(GTK_WINDOW(window_), 800, 600);
    gtk_container_add(GTK_CONTAINER(window_), browser_.widget());
    gtk_widget_show_all(window_);
  }

  void TearDown() override { gtk_widget_destroy(window_); }

  WebKitWebView* view() { return browser_.view(); }

  void LoadForm() {
    browser_.Navigate("kelvanis://t/form");
    ASSERT_TRUE(WaitForPage(view(), "kelvanis://t/form"));
    events_.clear();
    requests_.clear();
  }

  const Request* FindRequest(const std::string& part) {
    for (const Request& r : requests_) {
      if (r.url.find(part) != std::string::npos) return &r;
    }
    return nullptr;
  }

  bool WaitForRequest(const std::string& part) {
    return RunUntil([&] { return FindRequest(part) != nullptr; });
  }

  // Presses Return in the focused element, as the keyboard would.
  void PressReturn() {
    GdkWindow* gdk_window = gtk_widget_get_window(browser_.widget());
    GdkDisplay* display = gdk_window_get_display(gdk_window);
    GdkSeat* seat = gdk_display_get_default_seat(display);
    GdkKeymapKey* keys = nullptr;
    gint n_keys = 0;
    gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), GDK_KEY_Return, &keys,
                                      &n_keys);
    for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
      GdkEvent* event = gdk_event_new(type);
      event->key.window = GDK_WINDOW(g_object_ref(gdk_window));
      event->key.send_event = FALSE;
      event->key.time = GDK_CURRENT_TIME;
      event->key.keyval = GDK_KEY_Return;
      event->key.hardware_keycode = n_keys > 0 ? keys[0].keycode : 36;
      gdk_event_set_device(event, gdk_seat_get_keyboard(seat));
      gtk_main_do_event(event);
      gdk_event_free(event);
    }
    g_free(keys);
  }

  WebKitBrowser browser_;
  GtkWidget* window_ = nullptr;
  std::vector<Event> events_;
  std::vector<Request> requests_;
};

// The values hold an ampersand, an equals sign, a plus, a percent sign and
// Japanese text, so the body is only right if nothing re-encodes it.
TEST_F(WebKitBrowserTest, FormPostBodyReachesTheEventAsSent) {
  const std::string expected = "title=a+b%26c%3D%E3%81%82&desc=x%2By%25";
  struct Way {
    const char* name;
    const char* script;
    std::string body;
  };
  const Way ways[] = {
      {"button", "document.getElementById('send').click()", expected + "&send=ok"},
      // Enter submits with the form's default button.
      {"enter", "document.getElementById('title').focus()", expected + "&send=ok"},
      {"script", "document.getElementById('post').submit()", expected},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    LoadForm();
    EvalJs(view(),
           "document.getElementById('title').value = 'a b&c=\u3042';"
           "document.getElementById('desc').value = 'x+y%';");
    gtk_widget_grab_focus(browser_.widget());
    EvalJs(view(), way.script);
    if (std::string(way.name) == "enter") PressReturn();
    ASSERT_TRUE(WaitForRequest("post.py"));
    const Request* request = FindRequest("post.py");
    EXPECT_EQ(request->method, "POST");
    EXPECT_EQ(request->body, way.body);
    ASSERT_EQ(events_.size(), 1u);
    EXPECT_EQ(events_[0].url, "kelvanis://t/post.py");
    EXPECT_EQ(events_[0].body, std::optional<std::string>(way.body));
  }
}

// The start page is a file:// page; its posts are reported the same way.
TEST_F(WebKitBrowserTest, FormPostFromAFilePage) {
  gui_test::TempDir dir;
  gui_test::WriteFile(dir.path() / "form.html",
                      "<!DOCTYPE html><meta charset=utf-8><form method=post "
                      "action=\"kelvanis://t/post.py\"><input name=key value=\"\u591c\u666f a&b\">"
                      "</form>");
  std::string url = "file://" + (dir.path() / "form.html").string();
  browser_.Navigate(url);
  ASSERT_TRUE(WaitForPage(view(), "form.html"));
  events_.clear();
  EvalJs(view(), "document.forms[0].submit()");
  ASSERT_TRUE(WaitForRequest("post.py"));
  EXPECT_EQ(FindRequest("post.py")->body, "key=%E5%A4%9C%E6%99%AF+a%26b");
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_[0].body, std::optional<std::string>("key=%E5%A4%9C%E6%99%AF+a%26b"));
}

TEST_F(WebKitBrowserTest, GetNavigationsCarryNoBody) {
  LoadForm();
  EvalJs(view(),
         "document.getElementById('q').value = 'x y'; document.getElementById('get').submit()");
  ASSERT_TRUE(WaitForRequest("get.py"));
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_[0].url, "kelvanis://t/get.py?q=x+y");
  EXPECT_FALSE(events_[0].body.has_value());

  browser_.Navigate("kelvanis://t/plain.html");
  ASSERT_TRUE(WaitForPage(view(), "plain.html"));
  ASSERT_EQ(events_.size(), 2u);
  EXPECT_FALSE(events_[1].body.has_value());
}

TEST_F(WebKitBrowserTest, CancelledNavigationDoesNotHappen) {
  LoadForm();
  EvalJs(view(), "document.getElementById('blocked').click()");
  ASSERT_TRUE(RunUntil([&] { return !events_.empty(); }));
  gui_test::RunFor(500);
  EXPECT_EQ(events_[0].url, "kelvanis://t/blocked.html");
  EXPECT_EQ(FindRequest("blocked"), nullptr);
  EXPECT_EQ(std::string(webkit_web_view_get_uri(view())), "kelvanis://t/form");
}

// A handler that intercepts a post and navigates with a body from inside
// the event: the target gets a POST, and both navigations raise the event.
TEST_F(WebKitBrowserTest, NavigateWithBodyFromInsideTheEvent) {
  LoadForm();
  EvalJs(view(),
         "var f = document.getElementById('post'); f.action = 'intercept.py';"
         "document.getElementById('title').value = 'a+b'; f.submit()");
  ASSERT_TRUE(WaitForRequest("view.py"));
  EXPECT_EQ(FindRequest("intercept.py"), nullptr);
  const Request* request = FindRequest("view.py");
  EXPECT_EQ(request->method, "POST");
  EXPECT_EQ(FieldValue(ParseFormFields(request->body), "id"), "7");
  ASSERT_EQ(events_.size(), 2u);
  EXPECT_EQ(events_[0].url, "kelvanis://t/intercept.py");
  EXPECT_EQ(events_[1].url, "kelvanis://t/view.py");
  ASSERT_TRUE(events_[1].body.has_value());
  ASSERT_TRUE(WaitForPage(view(), "view.py"));
  // The posting page left no history entry: back leads to the form.
  WebKitBackForwardList* history = webkit_web_view_get_back_forward_list(view());
  EXPECT_EQ(g_list_length(webkit_back_forward_list_get_back_list(history)), 1u);
  WebKitBackForwardListItem* back = webkit_back_forward_list_get_back_item(history);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(std::string(webkit_back_forward_list_item_get_uri(back)), "kelvanis://t/form");
}

// Every byte value, Japanese UTF-8, and the characters that urlencoding
// treats specially must arrive at a real HTTP server as the same pairs.
TEST_F(WebKitBrowserTest, NavigateWithBodyPostsTheSamePairsOverHttp) {
  gui_test::TempDir dir;
  std::string log = (dir.path() / "requests.log").string();
  gui_test::Child server;
  std::string port;
  ASSERT_TRUE(gui_test::StartRecordingServer(server, log, &port));
  std::string all_bytes;
  for (int b = 1; b < 256; ++b) {
    if (b != '\r' && b != '\n') all_bytes += static_cast<char>(b);
  }
  std::string encoded;
  for (unsigned char c : all_bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    encoded += '%';
    encoded += kHex[c >> 4];
    encoded += kHex[c & 15];
  }
  const std::string body =
      "id=12&title=%E3%81%82+b%26c%2B%25&raw=" + encoded + "&crlf=a%0D%0Ab&nul=x%00y&rout=";
  LoadForm();
  std::string url = "http://127.0.0.1:" + port + "/py/p/view.py";
  browser_.Navigate(url, 0, 0, body, "Content-Type: application/x-www-form-urlencoded\r\n");
  ASSERT_TRUE(WaitForPage(view(), "/py/p/view.py"));
  ASSERT_TRUE(RunUntil([&] { return !gui_test::ReadFile(log).empty(); }));
  std::string line = gui_test::ReadFile(log);
  // One POST, form-urlencoded; its pairs decode to the bytes given.
  EXPECT_EQ(gui_test::LoggedField(line, "method"), "POST");
  EXPECT_EQ(gui_test::LoggedField(line, "content_type"), "application/x-www-form-urlencoded");
  const std::string received = gui_test::LoggedBody(line);
  EXPECT_EQ(ParseFormFields(received), ParseFormFields(body)) << received;
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_[0].url, url);
  EXPECT_EQ(events_[0].body, std::optional<std::string>(body));
}

// With no page on show the post comes from a page of the adapter's own,
// which raises no event and leaves no history entry.
TEST_F(WebKitBrowserTest, NavigateWithBodyInAnEmptyView) {
  browser_.Navigate("kelvanis://t/view.py", 0, 0, "title=%E3%81%82&x=1",
                    "Content-Type: application/x-www-form-urlencoded\r\n");
  ASSERT_TRUE(WaitForRequest("view.py"));
  const Request* request = FindRequest("view.py");
  EXPECT_EQ(request->method, "POST");
  EXPECT_EQ(request->body, "title=%E3%81%82&x=1");
  ASSERT_TRUE(WaitForPage(view(), "view.py"));
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_[0].body, std::optional<std::string>("title=%E3%81%82&x=1"));
  WebKitBackForwardList* history = webkit_web_view_get_back_forward_list(view());
  EXPECT_EQ(g_list_length(webkit_back_forward_list_get_back_list(history)), 0u);
}

TEST_F(WebKitBrowserTest, FrameAndNewWindowNavigationsRaiseTheEvent) {
  browser_.Navigate("kelvanis://t/frames");
  ASSERT_TRUE(WaitForRequest("inner.html"));
  ASSERT_EQ(events_.size(), 2u);
  EXPECT_EQ(events_[1].url, "kelvanis://t/inner.html");

  LoadForm();
  EvalJs(view(), "document.getElementById('blank').click()");
  ASSERT_TRUE(WaitForPage(view(), "target.html"));
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_[0].url, "kelvanis://t/target.html");
}

}  // namespace
}  // namespace kelvanis
