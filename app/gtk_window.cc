#include "app/gtk_window.h"

#include <utility>

#include "app/launcher.h"
#include "site/site.h"

namespace kelvanis {
namespace {

constexpr char kCaption[] = "Kelvanis Personal";
constexpr int kWidth = 1100;
constexpr int kHeight = 740;
constexpr int kStatusBarHeight = 25;

// A Japanese UI font first, in the theme's size.
constexpr char kCss[] =
    "* { font-family: \"Noto Sans CJK JP\", \"Noto Sans JP\", \"IPAPGothic\", "
    "\"VL PGothic\", sans-serif; }";

}  // namespace

GtkMainWindow::GtkMainWindow(std::string exe_name) : exe_name_(std::move(exe_name)) {
  browser_.RegisterScheme("kelvanis", [this](const std::string& method, const std::string& url,
                                             const std::string& body) {
    SiteResponse site = HandleSiteRequest(form_->AppDir(), method, url, body);
    return SchemeResponse{site.status, site.content_type, site.body};
  });
  form_ = std::make_unique<TForm1>(browser_, *this);
  Form1 = form_.get();

  gtk_css_provider_load_from_data(style_.get(), kCss, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                            GTK_STYLE_PROVIDER(style_.get()),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  window_ = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
  gtk_window_set_title(window_, kCaption);
  gtk_window_set_default_size(window_, kWidth, kHeight);
  gtk_window_set_position(window_, GTK_WIN_POS_CENTER);

  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  GtkWidget* menu_bar = gtk_menu_bar_new();
  exit_item_ = AddMenuItem(menu_bar, "終了(_F)");
  home_item_ = AddMenuItem(menu_bar, "ホーム(_H)");
  site_item_ = AddMenuItem(menu_bar, "公式ホームページ(_P)");
  status_bar_ = GTK_STATUSBAR(gtk_statusbar_new());
  // The strip is 25 pixels high in all: the bar's own margins (6 above and
  // below) and most of its message area's go, so one line of text fits.
  gtk_widget_set_size_request(GTK_WIDGET(status_bar_), -1, kStatusBarHeight);
  gtk_widget_set_margin_top(GTK_WIDGET(status_bar_), 0);
  gtk_widget_set_margin_bottom(GTK_WIDGET(status_bar_), 0);
  GtkWidget* message_area = gtk_statusbar_get_message_area(status_bar_);
  gtk_widget_set_margin_top(message_area, 2);
  gtk_widget_set_margin_bottom(message_area, 2);

  gtk_box_pack_start(GTK_BOX(box), menu_bar, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), browser_.widget(), TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(box), GTK_WIDGET(status_bar_), FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(window_), box);

  g_signal_connect(window_, "map", G_CALLBACK(&GtkMainWindow::OnMap), this);
  g_signal_connect(window_, "delete-event", G_CALLBACK(&GtkMainWindow::OnDelete), this);
  g_signal_connect(window_, "destroy", G_CALLBACK(&GtkMainWindow::OnDestroy), this);

  form_->FormCreate();
}

GtkMainWindow::~GtkMainWindow() {
  if (window_) {
    g_signal_handlers_disconnect_by_data(window_, this);
    gtk_widget_destroy(GTK_WIDGET(window_));
    window_ = nullptr;
  }
  gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(),
                                               GTK_STYLE_PROVIDER(style_.get()));
  if (Form1 == form_.get()) Form1 = nullptr;
}

GtkMenuItem* GtkMainWindow::AddMenuItem(GtkWidget* menu_bar, const char* label) {
  // A top-level item without a submenu emits "activate" on a click and on
  // its Alt+key alike.
  GtkWidget* item = gtk_menu_item_new_with_mnemonic(label);
  g_signal_connect(item, "activate", G_CALLBACK(&GtkMainWindow::OnMenuActivate), this);
  gtk_menu_shell_append(GTK_MENU_SHELL(menu_bar), item);
  return GTK_MENU_ITEM(item);
}

void GtkMainWindow::OnMenuActivate(GtkMenuItem* item, gpointer self) {
  auto* window = static_cast<GtkMainWindow*>(self);
  if (item == window->exit_item_) {
    window->form_->Exit1Click();
  } else if (item == window->home_item_) {
    window->form_->H1Click();
  } else if (item == window->site_item_) {
    window->form_->N1Click();
  }
}

void GtkMainWindow::Show() {
  if (!window_) return;
  gtk_widget_show_all(GTK_WIDGET(window_));
  gtk_widget_grab_focus(browser_.widget());
}

void GtkMainWindow::OnMap(GtkWidget* /*widget*/, gpointer self) {
  auto* window = static_cast<GtkMainWindow*>(self);
  if (window->shown_) return;
  window->shown_ = true;
  window->form_->FormShow();
}

gboolean GtkMainWindow::OnDelete(GtkWidget* /*widget*/, GdkEvent* /*event*/, gpointer self) {
  static_cast<GtkMainWindow*>(self)->form_->FormClose();
  return FALSE;  // closing the main window ends the program
}

void GtkMainWindow::OnDestroy(GtkWidget* /*widget*/, gpointer self) {
  auto* window = static_cast<GtkMainWindow*>(self);
  window->window_ = nullptr;
  if (window->on_closed_) window->on_closed_();
}

std::string GtkMainWindow::ExeName() {
  if (!exe_name_.empty()) return exe_name_;
  char* target = g_file_read_link("/proc/self/exe", nullptr);
  std::string path = target ? target : "";
  g_free(target);
  return path;
}

void GtkMainWindow::Close() {
  if (window_) gtk_window_close(window_);
}

void GtkMainWindow::ShowException(const std::string& message) {
  char* text = g_utf8_make_valid(message.c_str(), static_cast<gssize>(message.size()));
  GtkWidget* dialog = gtk_message_dialog_new(
      window_, GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), GTK_MESSAGE_ERROR,
      GTK_BUTTONS_OK, "%s", text);
  g_free(text);
  gtk_window_set_title(GTK_WINDOW(dialog), "Kelvanis");
  g_signal_connect(dialog, "response", G_CALLBACK(gtk_widget_destroy), nullptr);
  gtk_widget_show_all(dialog);
}

bool GtkMainWindow::StartProgram(const std::vector<std::string>& argv) {
  return SpawnDetached(argv);
}

}  // namespace kelvanis
