// main() of the desktop tests: a private Xvfb for the whole process, GTK
// initialised on it, the tests, then Xvfb ended by its pid.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdio>

#include "tests/gui/gui_support.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (!GTEST_FLAG_GET(list_tests)) {
    if (!kelvanis::gui_test::StartXvfb()) {
      std::fprintf(stderr, "gui tests: Xvfb could not be started\n");
      return 1;
    }
    g_set_prgname("Kelvanis");
    if (!gtk_init_check(&argc, &argv)) {
      std::fprintf(stderr, "gui tests: no display\n");
      kelvanis::gui_test::StopXvfb();
      return 1;
    }
  }
  int result = RUN_ALL_TESTS();
  kelvanis::gui_test::StopXvfb();
  return result;
}
