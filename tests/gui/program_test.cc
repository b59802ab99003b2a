// The whole program on a fresh copy of the program folder: the real window
// and WebKitGTK, driven through JavaScript in the pages and through the
// menu's widgets, with the local service, a recording HTTP server on
// 127.0.0.1, a fake xdg-open and the real executable.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <iconv.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/gtk_window.h"
#include "codec/form_fields.h"
#include "tests/gui/gui_support.h"

namespace kelvanis {
namespace {

namespace fs = std::filesystem;
using gui_test::EvalJs;
using gui_test::RunUntil;

struct Row {
  std::string id, title, des, keywd, edate, rout;
};

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

// UTF-8 to Shift_JIS (code page 932), independently of the program's codec.
std::string ToSjis(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t in_left = utf8.size();
  char* dst = out.data();
  size_t out_left = out.size();
  iconv(cd, &in, &in_left, &dst, &out_left);
  iconv_close(cd);
  out.resize(out.size() - out_left);
  return out;
}

// A JavaScript string literal of UTF-8 text.
std::string Js(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out + "\"";
}

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = tmp_.path() / "program";
    ASSERT_TRUE(gui_test::CopyProgramFolder(dir_)) << "KELVANIS_PROGRAM_DIR not copied";
    ASSERT_TRUE(fs::exists(dir_ / "kelvanis.db"));
  }

  void TearDown() override {
    window_.reset();
    gui_test::RunFor(100);
  }

  void SetHomeUrl(const std::string& url) {
    gui_test::WriteFile(dir_ / "kelvanis.ini", "[common]\r\nhome_url=" + url + "\r\n");
  }

  void StartWindow() {
    window_ = std::make_unique<GtkMainWindow>((dir_ / "kelvanis").string());
    // The viewer asks before deleting; the test answers yes.
    g_signal_connect(
        view(), "script-dialog",
        G_CALLBACK(+[](WebKitWebView*, WebKitScriptDialog* dialog, gpointer) {
          if (webkit_script_dialog_get_dialog_type(dialog) == WEBKIT_SCRIPT_DIALOG_CONFIRM) {
            webkit_script_dialog_confirm_set_confirmed(dialog, TRUE);
          }
          return TRUE;
        }),
        nullptr);
    window_->Show();
    ASSERT_TRUE(WaitFor("page/home.html"));
  }

  WebKitWebView* view() { return window_->browser().view(); }
  std::string Run(const std::string& script) { return EvalJs(view(), script); }
  std::string Uri() {
    const char* uri = webkit_web_view_get_uri(view());
    return uri ? uri : "";
  }
  bool WaitFor(const std::string& part) { return gui_test::WaitForPage(view(), part); }
  std::string Text() { return Run("document.body ? document.body.innerText : ''"); }

  // Waits for a fresh load of a page whose URL contains `part`.
  bool Click(const std::string& selector, const std::string& part) {
    Run("window.__kelvanisOld = true");
    Run("document.querySelector(" + Js(selector) + ").click()");
    return RunUntil([&] {
      return Uri().find(part) != std::string::npos && !webkit_web_view_is_loading(view()) &&
             Run("window.__kelvanisOld === true ? 'old' : document.readyState") == "complete";
    });
  }

  void Home() {
    Run("window.__kelvanisOld = true");
    gtk_menu_item_activate(window_->home_item());
    ASSERT_TRUE(RunUntil([&] {
      return Uri().find("page/home.html") != std::string::npos &&
             !webkit_web_view_is_loading(view()) &&
             Run("window.__kelvanisOld === true ? 'old' : document.readyState") == "complete";
    }));
  }

  // Fills the new-entry form of the service and submits it with its button.
  void AddEntry(const std::string& title, const std::string& desc, const std::string& keywd,
                const std::string& rout) {
    Home();
    ASSERT_TRUE(Click("a[href*='new.py']", "new.py"));
    FillAndSubmit("form[action*='new_entry.py']", title, desc, keywd, rout);
    ASSERT_TRUE(WaitFor("view.py"));
  }

  void FillAndSubmit(const std::string& form, const std::string& title, const std::string& desc,
                     const std::string& keywd, const std::string& rout) {
    std::string set = "var f = document.querySelector(" + Js(form) + ");";
    set += "f.elements['title'].value = " + Js(title) + ";";
    set += "f.elements['desc'].value = " + Js(desc) + ";";
    set += "f.elements['keywd'].value = " + Js(keywd) + ";";
    set += "f.elements['rout'].value = " + Js(rout) + ";";
    set += "window.__kelvanisOld = true;";
    set += "var b = f.querySelector('[type=submit]'); if (b) b.click(); else f.submit();";
    Run(set);
  }

  std::vector<Row> Rows() {
    std::vector<Row> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open((dir_ / "kelvanis.db").c_str(), &db) == SQLITE_OK) {
      sqlite3_stmt* st = nullptr;
      sqlite3_prepare_v2(db, "select id,title,des,keywd,edate,rout from mcnt order by id", -1, &st,
                         nullptr);
      while (st && sqlite3_step(st) == SQLITE_ROW) {
        auto col = [&](int i) {
          const unsigned char* t = sqlite3_column_text(st, i);
          return std::string(t ? reinterpret_cast<const char*>(t) : "");
        };
        rows.push_back({col(0), col(1), col(2), col(3), col(4), col(5)});
      }
      sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return rows;
  }

  // The titles the start page lists, in order.
  std::vector<std::string> ListedTitles() {
    std::vector<std::string> titles;
    for (int n = 1;; ++n) {
      std::string t = Run("var e = document.getElementById('etitle" + std::to_string(n) +
                          "'); e ? e.value : '\\u0001none'");
      if (t == "\001none") break;
      titles.push_back(t);
    }
    return titles;
  }

  void SaveScreenshot(const std::string& name) {
    gui_test::RunFor(500);
    GdkWindow* gdk_window = gtk_widget_get_window(GTK_WIDGET(window_->window()));
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(gdk_window, 0, 0, gdk_window_get_width(gdk_window),
                                                 gdk_window_get_height(gdk_window));
    ASSERT_NE(shot, nullptr);
    fs::path path = fs::path(KELVANIS_BUILD_DIR) / name;
    EXPECT_TRUE(gdk_pixbuf_save(shot, path.c_str(), "png", nullptr, nullptr));
    g_object_unref(shot);
  }

  gui_test::TempDir tmp_;
  fs::path dir_;
  std::unique_ptr<GtkMainWindow> window_;
};

// Values with "+", "%" and "=" besides Japanese text: each is stored as
// typed only if the form data is decoded exactly once.
const std::string kTitle = "東京タワー 100%+夜景";
const std::string kDesc = "a+b=c 展望台 50%";
const std::string kKeywd = "観光 夜景";
const std::string kRout = "浜松町駅から徒歩+10分";

TEST_F(ProgramTest, StartUpShowsTheStartPage) {
  fs::remove(dir_ / "page" / "home.html");
  StartWindow();
  EXPECT_EQ(Uri(), "file://" + dir_.string() + "/page/home.html");
  EXPECT_TRUE(fs::exists(dir_ / "page" / "home.html"));
  EXPECT_EQ(Run("document.querySelector('form[name=sform] input[name=key]') ? 'yes' : 'no'"),
            "yes");
  EXPECT_EQ(Run("document.querySelector('a[href*=\"py/p/new.py\"]') ? 'yes' : 'no'"), "yes");
  EXPECT_EQ(std::string(gtk_window_get_title(window_->window())), "Kelvanis Personal");
  EXPECT_EQ(std::string(gtk_menu_item_get_label(window_->exit_item())), "終了(_F)");
  EXPECT_EQ(std::string(gtk_menu_item_get_label(window_->home_item())), "ホーム(_H)");
  EXPECT_EQ(std::string(gtk_menu_item_get_label(window_->site_item())), "公式ホームページ(_P)");
  EXPECT_EQ(gtk_widget_get_allocated_height(GTK_WIDGET(window_->status_bar())), 25);
  // 1100 x 740, centred on the 1280 x 1024 screen (Xvfb has no frames).
  GdkWindow* gdk_window = gtk_widget_get_window(GTK_WIDGET(window_->window()));
  GdkRectangle frame;
  gdk_window_get_frame_extents(gdk_window, &frame);
  EXPECT_EQ(frame.width, 1100);
  EXPECT_EQ(frame.height, 740);
  EXPECT_EQ(frame.x, (1280 - 1100) / 2);
  EXPECT_EQ(frame.y, (1024 - 740) / 2);
  // The browser fills the space between the menu bar and the status bar.
  GtkAllocation browser;
  gtk_widget_get_allocation(window_->browser().widget(), &browser);
  GtkAllocation status;
  gtk_widget_get_allocation(GTK_WIDGET(window_->status_bar()), &status);
  EXPECT_EQ(browser.width, 1100);
  EXPECT_EQ(browser.y + browser.height, status.y);
  EXPECT_EQ(status.y + status.height, 740);
}

TEST_F(ProgramTest, NewEntryIsStoredAsShiftJisHexShownAndListedFirst) {
  StartWindow();
  AddEntry("金閣寺", "北山文化の代表", "観光 京都", "北大路駅からバス");
  AddEntry(kTitle, kDesc, kKeywd, kRout);

  std::string viewer = Text();
  EXPECT_NE(viewer.find(kTitle), std::string::npos) << viewer;
  EXPECT_NE(viewer.find(kDesc), std::string::npos) << viewer;
  EXPECT_NE(viewer.find("夜景"), std::string::npos) << viewer;

  std::vector<Row> rows = Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].id, "2");
  EXPECT_EQ(rows[1].title, Hex(ToSjis(kTitle)));
  EXPECT_EQ(rows[1].des, Hex(ToSjis(kDesc)));
  EXPECT_EQ(rows[1].keywd, Hex(ToSjis(kKeywd)));
  EXPECT_EQ(rows[1].rout, Hex(ToSjis(kRout)));
  EXPECT_EQ(rows[1].edate.size(), 19u);

  // The start page lists the entry just saved first. Dates have seconds
  // only, so the two saves must not share one.
  gui_test::RunFor(1100);  // dates have whole seconds
  AddEntry("清水寺", "清水の舞台", "観光 京都", "");
  Home();
  std::vector<std::string> titles = ListedTitles();
  ASSERT_EQ(titles.size(), 3u);
  EXPECT_EQ(titles[0], "清水寺");
  SaveScreenshot("screenshot.png");
}

// An "&" typed into a value is stored whole, and a keyword holding one
// finds its entry through the viewer's keyword link.
TEST_F(ProgramTest, NewEntryKeepsAnAmpersandInAValue) {
  StartWindow();
  AddEntry("Tom & Jerry", "R&D", "観光 R&D", "a&b");
  EXPECT_NE(Text().find("Tom & Jerry"), std::string::npos);
  std::vector<Row> rows = Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].title, Hex("Tom & Jerry"));
  EXPECT_EQ(rows[0].des, Hex("R&D"));
  EXPECT_EQ(rows[0].keywd, Hex(ToSjis("観光 R&D")));
  EXPECT_EQ(rows[0].rout, Hex("a&b"));

  ASSERT_TRUE(Click("a[href*='homep.html'][href*='R%26D']", "page/home.html"));
  EXPECT_EQ(ListedTitles(), std::vector<std::string>{"Tom & Jerry"});
}

TEST_F(ProgramTest, SearchesByKeywordFromTheBoxAndFromTheViewer) {
  StartWindow();
  AddEntry(kTitle, kDesc, kKeywd, kRout);
  AddEntry("金閣寺", "北山文化", "京都", "");
  Home();

  auto search = [&](const std::string& key) {
    Run("document.querySelector('form[name=sform] input[name=key]').value = " + Js(key) +
        "; window.__kelvanisOld = true;"
        "document.querySelector('form[name=sform] [type=submit]').click()");
    return RunUntil([&] {
      return !webkit_web_view_is_loading(view()) &&
             Run("window.__kelvanisOld === true ? 'old' : document.readyState") == "complete";
    });
  };
  ASSERT_TRUE(search("夜景"));
  EXPECT_EQ(ListedTitles(), std::vector<std::string>{kTitle});
  ASSERT_TRUE(search("存在しないキー"));
  EXPECT_TRUE(ListedTitles().empty());

  // The viewer's keyword link searches through homep.html.
  ASSERT_TRUE(search(""));
  ASSERT_TRUE(Click("a[href*='viewlink(2)']", "view.py"));
  ASSERT_TRUE(Click("a[href*='homep.html']", "page/home.html"));
  EXPECT_NE(Uri().find("com=search&key="), std::string::npos) << Uri();
  std::vector<std::string> found = ListedTitles();
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(found[0], kTitle);
}

TEST_F(ProgramTest, EditChangesTheRowAndDeleteRemovesIt) {
  StartWindow();
  AddEntry(kTitle, kDesc, kKeywd, kRout);
  std::vector<Row> before = Rows();
  ASSERT_EQ(before.size(), 1u);
  gui_test::RunFor(1100);  // the date has whole seconds

  FillAndSubmit("form[action*='edit_entryp.py']", "東京スカイツリー", "634m", "観光 墨田",
                "押上駅");
  ASSERT_TRUE(RunUntil([&] {
    return Run("window.__kelvanisOld === true ? 'old' : document.readyState") == "complete";
  }));
  ASSERT_TRUE(WaitFor("view.py"));
  std::vector<Row> after = Rows();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].id, before[0].id);
  EXPECT_EQ(after[0].title, Hex(ToSjis("東京スカイツリー")));
  EXPECT_EQ(after[0].keywd, Hex(ToSjis("観光 墨田")));
  EXPECT_NE(after[0].edate, before[0].edate);
  EXPECT_NE(Text().find("東京スカイツリー"), std::string::npos);

  ASSERT_TRUE(Click("form[action*='edit_delep.py'] [type=submit]", "page/home.html"));
  EXPECT_TRUE(Rows().empty());
  EXPECT_TRUE(ListedTitles().empty());
}

TEST_F(ProgramTest, HttpServiceGetsTheHandOffButNeverTheIntercepted) {
  std::string log = (tmp_.path() / "requests.log").string();
  gui_test::Child server;
  std::string port;
  ASSERT_TRUE(gui_test::StartRecordingServer(server, log, &port));
  std::string base = "http://127.0.0.1:" + port + "/";
  SetHomeUrl(base);
  StartWindow();

  ASSERT_TRUE(Click("a[href*='new.py']", "new.py"));
  FillAndSubmit("form[action*='new_entry.py']", kTitle, kDesc, kKeywd, kRout);
  ASSERT_TRUE(WaitFor("/py/p/view.py"));

  std::vector<Row> rows = Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].title, Hex(ToSjis(kTitle)));

  std::string requests = gui_test::ReadFile(log);
  EXPECT_EQ(requests.find("new_entry.py"), std::string::npos) << requests;
  size_t post = requests.find("\"method\": \"POST\", \"path\": \"/py/p/view.py\"");
  ASSERT_NE(post, std::string::npos) << requests;
  std::string line = requests.substr(post, requests.find('\n', post) - post);
  EXPECT_NE(line.find("application/x-www-form-urlencoded"), std::string::npos);
  const FormFields fields = ParseFormFields(gui_test::LoggedBody(line));
  EXPECT_EQ(FieldValue(fields, "id"), "1");
  EXPECT_EQ(FieldValue(fields, "title"), kTitle);
  EXPECT_EQ(FieldValue(fields, "des"), kDesc);
  EXPECT_EQ(FieldValue(fields, "keywd"), kKeywd);
  EXPECT_EQ(FieldValue(fields, "rout"), kRout);
  EXPECT_EQ(FieldValue(fields, "date").size(), 19u);
}

TEST_F(ProgramTest, OfficialSiteWritesJumpPageAndStartsTheOpener) {
  fs::path bin = tmp_.path() / "bin";
  fs::create_directories(bin);
  fs::path args = tmp_.path() / "xdg-open.args";
  gui_test::WriteFile(bin / "xdg-open",
                      "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + args.string() + "'\n");
  fs::permissions(bin / "xdg-open", fs::perms::owner_all);
  std::string old_path = std::getenv("PATH");
  setenv("PATH", (bin.string() + ":" + old_path).c_str(), 1);
  SetHomeUrl("https://example.invalid/kelvanis/");
  StartWindow();

  gtk_menu_item_activate(window_->site_item());
  ASSERT_TRUE(RunUntil([&] { return fs::exists(args) && fs::file_size(args) > 0; }));
  std::string jump = gui_test::ReadFile(dir_ / "page" / "jump.html");
  EXPECT_NE(jump.find("url=https://example.invalid/kelvanis/"), std::string::npos) << jump;
  EXPECT_EQ(gui_test::ReadFile(args), (dir_ / "page" / "jump.html").string() + "\n");
  setenv("PATH", old_path.c_str(), 1);
}

// A start page that cannot be written is reported in a modal dialog titled
// "Kelvanis", and the window stays usable.
TEST_F(ProgramTest, FailureIsReportedInADialogAndTheWindowGoesOn) {
  fs::remove(dir_ / "page" / "home.html");
  fs::create_directories(dir_ / "page" / "home.html");  // a folder in the file's place
  window_ = std::make_unique<GtkMainWindow>((dir_ / "kelvanis").string());
  window_->Show();
  GtkWindow* dialog = nullptr;
  ASSERT_TRUE(RunUntil([&] {
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item; item = item->next) {
      if (GTK_IS_MESSAGE_DIALOG(item->data) && gtk_widget_get_visible(GTK_WIDGET(item->data))) {
        dialog = GTK_WINDOW(item->data);
      }
    }
    g_list_free(toplevels);
    return dialog != nullptr;
  }));
  EXPECT_EQ(std::string(gtk_window_get_title(dialog)), "Kelvanis");
  EXPECT_TRUE(gtk_window_get_modal(dialog));
  gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);

  fs::remove(dir_ / "page" / "home.html");
  gtk_menu_item_activate(window_->home_item());
  EXPECT_TRUE(WaitFor("page/home.html"));
  EXPECT_TRUE(fs::is_regular_file(dir_ / "page" / "home.html"));
}

TEST_F(ProgramTest, ExitItemClosesTheWindow) {
  StartWindow();
  gtk_menu_item_activate(window_->exit_item());
  EXPECT_TRUE(RunUntil([&] { return window_->closed(); }, 5000));
}

// The real program: Alt+F chooses 終了 and the process ends with code 0.
TEST_F(ProgramTest, ExitByAltFEndsTheProgramWithCodeZero) {
  gui_test::Child program;
  ASSERT_TRUE(program.Start({(dir_ / "kelvanis").string()}));
  // The window, found by its caption and by its class "Kelvanis".
  auto find = [](const std::string& how, const std::string& pattern) {
    std::string xid;
    RunUntil(
        [&] {
          gui_test::Child search;
          int code = -1;
          return search.Start({"xdotool", "search", "--onlyvisible", how, pattern}, true) &&
                 search.ReadLine(&xid, 5000) && search.Wait(&code, 5000) && !xid.empty();
        },
        30000);
    return xid;
  };
  std::string xid = find("--name", "^Kelvanis Personal$");
  ASSERT_FALSE(xid.empty()) << "no window";
  EXPECT_EQ(find("--class", "^Kelvanis$"), xid);
  int code = -1;
  gui_test::RunFor(1000);  // the start page is being shown
  gui_test::Child focus;
  ASSERT_TRUE(focus.Start({"xdotool", "windowfocus", "--sync", xid}));
  ASSERT_TRUE(focus.Wait(&code, 10000));
  gui_test::Child key;
  ASSERT_TRUE(key.Start({"xdotool", "key", "alt+f"}));
  ASSERT_TRUE(key.Wait(&code, 10000));
  int exit_code = -1;
  ASSERT_TRUE(program.Wait(&exit_code, 20000)) << "the program did not end";
  EXPECT_EQ(exit_code, 0);
}

}  // namespace
}  // namespace kelvanis
