// The launch dialog and About box in GTK 3: the shared layout in dialog units, modal loops, keys as a dialog takes
// them.
#include "platform/gtk/gtk_launch_view.h"

#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>

#include <cstdio>
#include <map>
#include <span>

#include "platform/launch_layout.h"
#include "platform/resources.h"

namespace platform {
namespace {

enum class Kind { COMBO, GROUP, BUTTON, LABEL, LOGO, CHECK, CHECK_DISABLED, CENTRED };
struct Control {
  Kind kind;
  int id;
  const char* text;
  int left, top, width, height;
};
#define VESK_CONTROL(kind, id, text, left, top, width, height) {Kind::kind, id, text, left, top, width, height},
constexpr Control kLaunchControls[] = {VESK_LAUNCH_CONTROLS(VESK_CONTROL)};
constexpr Control kAboutControls[] = {VESK_ABOUT_CONTROLS(VESK_CONTROL)};
#undef VESK_CONTROL
// The closed drop-down list's height; the layout's height counts the list as it drops down.
constexpr int kComboHeight = 14;

// Dialog units: a quarter of the dialog font's average character width and an eighth of its height, so the layout
// grows with the font and every text fits its place. Measured once, before the first window.
struct Units {
  double x = 6.0 / 4.0;
  double y = 13.0 / 8.0;
};

Units MeasureDialogUnits() {
  Units units;
  GtkWidget* probe = gtk_label_new(nullptr);
  g_object_ref_sink(probe);
  PangoLayout* layout = gtk_widget_create_pango_layout(probe, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
  g_object_unref(probe);
  if (width > 0 && height > 0) units = {(width / 26.0 + 1.0) / 2.0 / 4.0, height / 8.0};
  return units;
}

int PixelsX(const Units& units, int x) { return static_cast<int>(x * units.x + 0.5); }
int PixelsY(const Units& units, int y) { return static_cast<int>(y * units.y + 0.5); }

// The logo bitmap in the sunken frame, centred; an empty frame when the program was built without it.
GtkWidget* NewLogo() {
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
  const Resource logo = FindBitmapResource(VESK_LOGO_BITMAP);
  GdkPixbufLoader* loader = logo.data != nullptr ? gdk_pixbuf_loader_new_with_type("bmp", nullptr) : nullptr;
  if (loader == nullptr) return frame;
  const bool written = gdk_pixbuf_loader_write(loader, logo.data, logo.size, nullptr);
  const bool closed = gdk_pixbuf_loader_close(loader, nullptr);
  GdkPixbuf* pixbuf = written && closed ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
  if (pixbuf != nullptr) {
    gtk_container_add(GTK_CONTAINER(frame), gtk_image_new_from_pixbuf(pixbuf));
  } else {
    std::fprintf(stderr, "vesk: the logo bitmap could not be read\n");
  }
  g_object_unref(loader);
  return frame;
}

GtkWidget* NewControl(const Control& control) {
  GtkWidget* widget = nullptr;
  switch (control.kind) {
    case Kind::COMBO: return gtk_combo_box_text_new();
    case Kind::GROUP: return gtk_frame_new(control.text[0] != '\0' ? control.text : nullptr);
    case Kind::BUTTON: return gtk_button_new_with_label(control.text);
    case Kind::LOGO: return NewLogo();
    case Kind::CHECK: return gtk_check_button_new_with_label(control.text);
    case Kind::CHECK_DISABLED:
      widget = gtk_check_button_new_with_label(control.text);
      gtk_widget_set_sensitive(widget, FALSE);
      return widget;
    case Kind::LABEL: widget = gtk_label_new(control.text); break;
    case Kind::CENTRED:
      widget = gtk_label_new(control.text);
      gtk_label_set_justify(GTK_LABEL(widget), GTK_JUSTIFY_CENTER);
      gtk_label_set_line_wrap(GTK_LABEL(widget), TRUE);
      gtk_label_set_xalign(GTK_LABEL(widget), 0.5f);
      gtk_label_set_yalign(GTK_LABEL(widget), 0.0f);
      return widget;
  }
  gtk_label_set_xalign(GTK_LABEL(widget), 0.0f);
  return widget;
}

// One modal window of the layout: its controls by id, and the loop that runs until it is done.
struct Dialog {
  GtkWidget* window = nullptr;
  GMainLoop* loop = nullptr;
  std::map<int, GtkWidget*> controls;

  Dialog(const Units& units, const char* title, int width, int height, std::span<const Control> layout,
         GtkWindow* owner) {
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    // Held, so that the window outlives a destruction by another program until the dialog is done with it.
    g_object_ref(window);
    gtk_window_set_title(GTK_WINDOW(window), title);
    gtk_window_set_modal(GTK_WINDOW(window), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    // A modal frame with a caption and no system menu: no close box.
    gtk_window_set_deletable(GTK_WINDOW(window), FALSE);
    gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_transient_for(GTK_WINDOW(window), owner);
    gtk_window_set_position(GTK_WINDOW(window), owner != nullptr ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, PixelsX(units, width), PixelsY(units, height));
    gtk_container_add(GTK_CONTAINER(window), fixed);
    // Tab order is creation order, skipping the controls without a tab stop.
    GList* chain = nullptr;
    for (const Control& control : layout) {
      GtkWidget* widget = NewControl(control);
      const int heightUnits = control.kind == Kind::COMBO ? kComboHeight : control.height;
      gtk_widget_set_size_request(widget, PixelsX(units, control.width), PixelsY(units, heightUnits));
      gtk_fixed_put(GTK_FIXED(fixed), widget, PixelsX(units, control.left), PixelsY(units, control.top));
      if (control.id != VESK_NO_ID) controls[control.id] = widget;
      if (control.kind == Kind::COMBO || control.kind == Kind::BUTTON || control.kind == Kind::CHECK) {
        chain = g_list_append(chain, widget);
      }
    }
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_container_set_focus_chain(GTK_CONTAINER(fixed), chain);
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_list_free(chain);
    loop = g_main_loop_new(nullptr, FALSE);
  }
  ~Dialog() {
    g_main_loop_unref(loop);
    gtk_widget_destroy(window);
    g_object_unref(window);
  }
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  bool Checked(int id) const { return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(controls.at(id))); }
  void Check(int id, bool checked) { gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(controls.at(id)), checked); }
  void End() {
    if (g_main_loop_is_running(loop)) g_main_loop_quit(loop);
  }
  // Shows the window and runs until End; data's signal handlers are gone afterwards.
  void Run(gpointer data) {
    gtk_widget_show_all(window);
    g_main_loop_run(loop);
    g_signal_handlers_disconnect_by_data(window, data);
  }
  // Enter, unless a focused push button takes it itself (a dialog's default button follows the focus).
  bool TakesEnter(guint key) const {
    if (key != GDK_KEY_Return && key != GDK_KEY_KP_Enter && key != GDK_KEY_ISO_Enter) return false;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
    return focus == nullptr || !GTK_IS_BUTTON(focus) || GTK_IS_TOGGLE_BUTTON(focus);
  }
};

struct Launch {
  Units units;
  Dialog* dialog = nullptr;
  Dialog* about = nullptr;  // while the About box is open
  LaunchChoice choice;
  void (*trace)(const char*) = nullptr;
};

// Leaving (a signal, the dialog destroyed) while the About box is up closes that too.
void Exit(Launch* launch) {
  if (launch->about != nullptr) launch->about->End();
  launch->dialog->End();
}

void RunDemo(Launch* launch) {
  Dialog& dialog = *launch->dialog;
  if (!g_main_loop_is_running(dialog.loop)) return;
  if (launch->trace != nullptr) launch->trace("run-demo");
  launch->choice.runDemo = true;
  launch->choice.item = gtk_combo_box_get_active(GTK_COMBO_BOX(dialog.controls.at(VESK_RESOLUTION_LIST)));
  launch->choice.windowed = dialog.Checked(VESK_WINDOWED_BOX);
  launch->choice.loop = dialog.Checked(VESK_LOOP_BOX);
  launch->choice.nosound = dialog.Checked(VESK_NOSOUND_BOX);
  Exit(launch);
}

gboolean OnAboutKey(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* about = static_cast<Dialog*>(data);
  // Escape is not a way out of this box: only "Ok" (or Enter) closes it.
  if (event->keyval == GDK_KEY_Escape) return TRUE;
  if (!about->TakesEnter(event->keyval)) return FALSE;
  about->End();
  return TRUE;
}

void OnAbout(Launch* launch) {
  if (launch->about != nullptr) return;
  Dialog about(launch->units, VESK_ABOUT_TITLE, VESK_ABOUT_WIDTH, VESK_ABOUT_HEIGHT, kAboutControls,
               GTK_WINDOW(launch->dialog->window));
  g_signal_connect_swapped(about.controls.at(VESK_RUN_DEMO_BUTTON), "clicked", G_CALLBACK(+[](Dialog* d) { d->End(); }),
                           &about);
  g_signal_connect(about.window, "key-press-event", G_CALLBACK(OnAboutKey), &about);
  // Without a system menu there is no close command either; a box destroyed by another program closes as by "Ok".
  g_signal_connect(about.window, "delete-event", G_CALLBACK(gtk_true), nullptr);
  g_signal_connect_swapped(about.window, "destroy", G_CALLBACK(+[](Dialog* d) { d->End(); }), &about);
  launch->about = &about;
  about.Run(&about);
  launch->about = nullptr;
}

gboolean OnLaunchKey(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* launch = static_cast<Launch*>(data);
  if (event->keyval == GDK_KEY_Escape) {
    Exit(launch);
  } else if (launch->dialog->TakesEnter(event->keyval)) {
    RunDemo(launch);
  } else {
    return FALSE;
  }
  return TRUE;
}

gboolean OnLaunchSignal(gpointer data) {
  Exit(static_cast<Launch*>(data));
  return G_SOURCE_CONTINUE;
}

// While the dialog is up, an interrupt or terminate signal means "Exit"; afterwards whatever handled them before
// (the show's own quit path) is put back.
class SignalsAsExit {
 public:
  explicit SignalsAsExit(Launch* launch) {
    for (int i = 0; i < 2; ++i) {
      sigaction(kSignals[i], nullptr, &previous_[i]);
      sources_[i] = g_unix_signal_add(kSignals[i], OnLaunchSignal, launch);
    }
  }
  ~SignalsAsExit() {
    for (int i = 0; i < 2; ++i) {
      g_source_remove(sources_[i]);
      sigaction(kSignals[i], &previous_[i], nullptr);
    }
  }
  SignalsAsExit(const SignalsAsExit&) = delete;
  SignalsAsExit& operator=(const SignalsAsExit&) = delete;

 private:
  static constexpr int kSignals[2] = {SIGINT, SIGTERM};
  struct sigaction previous_[2] = {};
  guint sources_[2] = {};
};

// The dialogs were laid out for a small dialog font; the desktop's usual size would overflow their controls.
void UseDialogFont() {
  GtkCssProvider* css = gtk_css_provider_new();
  gtk_css_provider_load_from_data(css, "* { font-size: 9pt; }", -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(css);
}

// A Wayland compositor that offers no seat (a headless one) takes no keys and shows the dialog to nobody; the show
// goes to X there when it can, and the dialog goes with it, unless a backend was asked for by name.
void LeaveSeatlessDisplay() {
  GdkDisplay* display = gdk_display_get_default();
  const char* x = g_getenv("DISPLAY");
  if (g_getenv("GDK_BACKEND") != nullptr || gdk_display_get_default_seat(display) != nullptr || x == nullptr ||
      x[0] == '\0') {
    return;
  }
  GdkDisplay* other = gdk_display_open(x);
  if (other != nullptr) gdk_display_manager_set_default_display(gdk_display_manager_get(), other);
}

}  // namespace

LaunchChoice GtkLaunchView::Run(const LaunchOffer& offer) {
  if (!gtk_init_check(argc_, argv_)) {
    std::fprintf(stderr, "vesk: the launch dialog cannot open: no display\n");
    return {};
  }
  LeaveSeatlessDisplay();
  static bool styled = false;
  if (!styled) UseDialogFont();
  styled = true;
  Launch launch;
  launch.units = MeasureDialogUnits();
  launch.trace = trace_;
  {
    Dialog dialog(launch.units, VESK_LAUNCH_TITLE, VESK_LAUNCH_WIDTH, VESK_LAUNCH_HEIGHT, kLaunchControls, nullptr);
    launch.dialog = &dialog;
    GtkWidget* combo = dialog.controls.at(VESK_RESOLUTION_LIST);
    for (const std::string& mode : offer.modes) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), mode.c_str());
    gtk_combo_box_set_active(GTK_COMBO_BOX(combo), offer.selection);
    dialog.Check(VESK_WINDOWED_BOX, offer.windowed);
    dialog.Check(VESK_NOSOUND_BOX, offer.nosound);
    g_signal_connect_swapped(dialog.controls.at(VESK_RUN_DEMO_BUTTON), "clicked", G_CALLBACK(RunDemo), &launch);
    g_signal_connect_swapped(dialog.controls.at(VESK_EXIT_BUTTON), "clicked", G_CALLBACK(Exit), &launch);
    g_signal_connect_swapped(dialog.controls.at(VESK_ABOUT_BUTTON), "clicked", G_CALLBACK(OnAbout), &launch);
    g_signal_connect(dialog.window, "key-press-event", G_CALLBACK(OnLaunchKey), &launch);
    // The close command, and the dialog destroyed by another program: "Exit".
    g_signal_connect_swapped(dialog.window, "delete-event", G_CALLBACK(+[](Launch* l) { Exit(l); return TRUE; }),
                             &launch);
    g_signal_connect_swapped(dialog.window, "destroy", G_CALLBACK(Exit), &launch);
    // No control takes the focus at the start; Enter then means "Run Demo".
    gtk_widget_show_all(dialog.window);
    gtk_window_set_focus(GTK_WINDOW(dialog.window), nullptr);
    SignalsAsExit signals(&launch);
    dialog.Run(&launch);
  }
  // The dialog's unmapping reaches the display before the show window appears.
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  gdk_display_flush(gdk_display_get_default());
  return launch.choice;
}

}  // namespace platform
