// Kelvanis Personal: opens the main window and runs until it is closed.
#include <gtk/gtk.h>

#include <exception>

#include "app/gtk_window.h"

int main(int argc, char** argv) {
  g_set_prgname("Kelvanis");
  g_set_application_name("Kelvanis");
  gtk_init(&argc, &argv);
  try {
    kelvanis::GtkMainWindow window;
    window.SetOnClosed([] { gtk_main_quit(); });
    window.Show();
    gtk_main();
  } catch (const std::exception& e) {
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                               GTK_BUTTONS_OK, "%s", e.what());
    gtk_window_set_title(GTK_WINDOW(dialog), "Kelvanis");
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
  }
  return 0;
}
