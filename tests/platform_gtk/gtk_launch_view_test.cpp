// The GTK launch view: no display means no show; the offer shown, the choice read back, a signal taken as "Exit"
// even from inside the About box.
#include "platform/gtk/gtk_launch_view.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "platform/launch_layout.h"

namespace {

using platform::LaunchChoice;
using platform::LaunchOffer;

const LaunchOffer kOffer = {{"320x200x32", "640x480x16"}, 1, true, false};

// The visible window titled title, or null.
GtkWindow* FindWindow(const char* title) {
  GtkWindow* found = nullptr;
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item != nullptr; item = item->next) {
    GtkWindow* window = GTK_WINDOW(item->data);
    const char* its = gtk_window_get_title(window);
    if (its != nullptr && std::string(its) == title && gtk_widget_get_visible(GTK_WIDGET(window))) found = window;
  }
  g_list_free(windows);
  return found;
}

// The control of a dialog whose label is text, or of the given type when text is null.
GtkWidget* FindControl(GtkWindow* window, const char* text, GType type) {
  GtkWidget* found = nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(gtk_bin_get_child(GTK_BIN(window))));
  for (GList* item = children; item != nullptr; item = item->next) {
    GtkWidget* widget = GTK_WIDGET(item->data);
    if (!G_TYPE_CHECK_INSTANCE_TYPE(widget, type)) continue;
    const char* label = GTK_IS_BUTTON(widget) ? gtk_button_get_label(GTK_BUTTON(widget)) : nullptr;
    if (text == nullptr || (label != nullptr && std::string(label) == text)) found = widget;
  }
  g_list_free(children);
  return found;
}

// Once the window titled title is up, act on it (from inside the dialog's own loop).
void WhenShown(const char* title, std::function<void(GtkWindow*)> act) {
  struct Pending {
    const char* title;
    std::function<void(GtkWindow*)> act;
  };
  g_timeout_add(20, [](gpointer data) -> gboolean {
    auto* pending = static_cast<Pending*>(data);
    GtkWindow* window = FindWindow(pending->title);
    if (window == nullptr) return G_SOURCE_CONTINUE;
    pending->act(window);
    delete pending;
    return G_SOURCE_REMOVE;
  }, new Pending{title, std::move(act)});
}

class GtkLaunchViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display to show the dialog on";
  }
  platform::GtkLaunchView view_{nullptr, nullptr};
};

TEST(GtkLaunchViewWithoutDisplay, SaysSoAndRunsNoShow) {
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        platform::GtkLaunchView view(nullptr, nullptr);
        std::exit(view.Run(kOffer).runDemo ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "vesk: the launch dialog cannot open: no display");
}

TEST_F(GtkLaunchViewTest, RunDemoReturnsTheOfferAsTheUserLeftIt) {
  WhenShown(VESK_LAUNCH_TITLE, [](GtkWindow* dialog) {
    GtkWidget* combo = FindControl(dialog, nullptr, GTK_TYPE_COMBO_BOX);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(combo)), 1);
    EXPECT_EQ(gtk_tree_model_iter_n_children(gtk_combo_box_get_model(GTK_COMBO_BOX(combo)), nullptr), 2);
    GtkWidget* loop = FindControl(dialog, "Loop", GTK_TYPE_CHECK_BUTTON);
    ASSERT_NE(loop, nullptr);
    EXPECT_FALSE(gtk_widget_get_sensitive(loop));
    gtk_combo_box_set_active(GTK_COMBO_BOX(combo), 0);
    gtk_button_clicked(GTK_BUTTON(FindControl(dialog, "Nosound", GTK_TYPE_CHECK_BUTTON)));
    gtk_button_clicked(GTK_BUTTON(FindControl(dialog, "Run Demo", GTK_TYPE_BUTTON)));
  });
  const LaunchChoice choice = view_.Run(kOffer);
  EXPECT_TRUE(choice.runDemo);
  EXPECT_EQ(choice.item, 0);
  EXPECT_TRUE(choice.windowed);
  EXPECT_FALSE(choice.loop);
  EXPECT_TRUE(choice.nosound);
}

TEST_F(GtkLaunchViewTest, ExitChoosesNothing) {
  WhenShown(VESK_LAUNCH_TITLE,
            [](GtkWindow* dialog) { gtk_button_clicked(GTK_BUTTON(FindControl(dialog, "Exit", GTK_TYPE_BUTTON))); });
  EXPECT_FALSE(view_.Run(kOffer).runDemo);
}

TEST_F(GtkLaunchViewTest, ASignalInsideTheAboutBoxClosesBothAsExit) {
  WhenShown(VESK_LAUNCH_TITLE, [](GtkWindow* dialog) {
    WhenShown(VESK_ABOUT_TITLE, [](GtkWindow*) { raise(SIGTERM); });
    gtk_button_clicked(GTK_BUTTON(FindControl(dialog, "About", GTK_TYPE_BUTTON)));
  });
  const LaunchChoice choice = view_.Run(kOffer);
  EXPECT_FALSE(choice.runDemo);
  EXPECT_EQ(FindWindow(VESK_ABOUT_TITLE), nullptr);
  // The signal is the program's own again afterwards: SIG_DFL here, as before the dialog.
  struct sigaction now = {};
  sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

}  // namespace
