// The main window on GTK 3: caption "Kelvanis Personal", a menu bar of three
// items (終了, ホーム, 公式ホームページ), the WebKitGTK browser filling the
// space below it, and an empty 25-pixel status bar at the bottom. It owns
// the browser and TForm1 (and points Form1 at it), forwards the window's and
// the menu's events to TForm1, and serves the local service under the
// "kelvanis" URI scheme. It is TForm1's FormHost.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/form_host.h"
#include "browser/webkit/gobject_ptr.h"
#include "browser/webkit/webkit_browser.h"

namespace kelvanis {

class GtkMainWindow final : public FormHost {
 public:
  // exe_name: the program's full path, from which TForm1 finds its folder;
  // empty means /proc/self/exe.
  explicit GtkMainWindow(std::string exe_name = std::string());
  ~GtkMainWindow() override;
  GtkMainWindow(const GtkMainWindow&) = delete;
  GtkMainWindow& operator=(const GtkMainWindow&) = delete;

  // Shows the window, centred; FormShow runs when it is first shown.
  void Show();

  // Called once when the window has been closed and destroyed.
  void SetOnClosed(std::function<void()> on_closed) { on_closed_ = std::move(on_closed); }
  bool closed() const { return window_ == nullptr; }

  GtkWindow* window() const { return window_; }
  WebKitBrowser& browser() { return browser_; }
  TForm1& form() { return *form_; }
  GtkMenuItem* exit_item() const { return exit_item_; }
  GtkMenuItem* home_item() const { return home_item_; }
  GtkMenuItem* site_item() const { return site_item_; }
  GtkStatusbar* status_bar() const { return status_bar_; }

  // FormHost.
  std::string ExeName() override;
  void Close() override;
  void ShowException(const std::string& message) override;
  bool StartProgram(const std::vector<std::string>& argv) override;

 private:
  static void OnMenuActivate(GtkMenuItem* item, gpointer self);
  static void OnMap(GtkWidget* widget, gpointer self);
  static gboolean OnDelete(GtkWidget* widget, GdkEvent* event, gpointer self);
  static void OnDestroy(GtkWidget* widget, gpointer self);

  GtkMenuItem* AddMenuItem(GtkWidget* menu_bar, const char* label);

  std::string exe_name_;
  GObjectPtr<GtkCssProvider> style_{gtk_css_provider_new()};  // the window's fonts
  WebKitBrowser browser_;
  std::unique_ptr<TForm1> form_;
  GtkWindow* window_ = nullptr;  // owned by GTK until destroyed
  GtkMenuItem* exit_item_ = nullptr;
  GtkMenuItem* home_item_ = nullptr;
  GtkMenuItem* site_item_ = nullptr;
  GtkStatusbar* status_bar_ = nullptr;
  bool shown_ = false;
  std::function<void()> on_closed_;
};

}  // namespace kelvanis
