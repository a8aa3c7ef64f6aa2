// The launch dialog and About box in GTK 3: fixed layouts in dialog units, modal loops, keys as a dialog takes them.
#include "host/launch_dialog_gtk.h"

#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "host/launch_dialog_model.h"
#include "platform/resources.h"

namespace {

// Dialog units: a quarter of the dialog font's average character width and an eighth of its height,
// so the layout grows with the font and every text fits its place. Measured once, before the first window.
double pixelsPerUnitX = 6.0 / 4.0;
double pixelsPerUnitY = 13.0 / 8.0;

void MeasureDialogUnits() {
  static bool measured = false;
  if (measured) return;
  measured = true;
  GtkWidget* probe = gtk_label_new(nullptr);
  g_object_ref_sink(probe);
  PangoLayout* layout =
      gtk_widget_create_pango_layout(probe, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
  g_object_unref(probe);
  if (width <= 0 || height <= 0) return;
  const double averageWidth = (width / 26.0 + 1.0) / 2.0;
  pixelsPerUnitX = averageWidth / 4.0;
  pixelsPerUnitY = height / 8.0;
}

int UnitsToPixelsX(int units) { return static_cast<int>(units * pixelsPerUnitX + 0.5); }
int UnitsToPixelsY(int units) { return static_cast<int>(units * pixelsPerUnitY + 0.5); }

// Places a control at its position and size in dialog units.
void Place(GtkWidget* fixed, GtkWidget* widget, int x, int y, int width, int height) {
  gtk_widget_set_size_request(widget, UnitsToPixelsX(width), UnitsToPixelsY(height));
  gtk_fixed_put(GTK_FIXED(fixed), widget, UnitsToPixelsX(x), UnitsToPixelsY(y));
}

GtkWidget* NewDialogWindow(const char* title, int width, int height, GtkWindow* owner) {
  MeasureDialogUnits();
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), title);
  gtk_window_set_modal(GTK_WINDOW(window), TRUE);
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  // A modal frame with a caption and no system menu: no close box.
  gtk_window_set_deletable(GTK_WINDOW(window), FALSE);
  gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
  if (owner != nullptr) {
    gtk_window_set_transient_for(GTK_WINDOW(window), owner);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER_ON_PARENT);
  } else {
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
  }
  GtkWidget* fixed = gtk_fixed_new();
  gtk_widget_set_size_request(fixed, UnitsToPixelsX(width), UnitsToPixelsY(height));
  gtk_container_add(GTK_CONTAINER(window), fixed);
  return window;
}

GtkWidget* FixedOf(GtkWidget* window) { return gtk_bin_get_child(GTK_BIN(window)); }

bool IsEnterKey(guint key) { return key == GDK_KEY_Return || key == GDK_KEY_KP_Enter || key == GDK_KEY_ISO_Enter; }

// A focused push button takes Enter itself, as the default button of a dialog follows the focus.
bool FocusIsPushButton(GtkWidget* window) {
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
  return focus != nullptr && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus);
}

void TraceEvent(const char* what) {
  if (std::getenv("VESK_TRACE") == nullptr) return;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::fprintf(stderr, "vesk-trace %.3f %s\n", static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6, what);
}

// ---- About box ----

struct AboutBox {
  GtkWidget* window;
  GMainLoop* loop;
};

void CloseAbout(AboutBox* box) {
  if (g_main_loop_is_running(box->loop)) g_main_loop_quit(box->loop);
}

gboolean OnAboutKey(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* box = static_cast<AboutBox*>(data);
  // Escape is not a way out of this box: only "Ok" (or Enter) closes it.
  if (event->keyval == GDK_KEY_Escape) return TRUE;
  if (IsEnterKey(event->keyval) && !FocusIsPushButton(box->window)) {
    CloseAbout(box);
    return TRUE;
  }
  return FALSE;
}

// A box destroyed by another program (a window manager's "destroy") is closed as by "Ok".
void OnAboutDestroyed(AboutBox* box) { CloseAbout(box); }

// Runs the box until "Ok"; *open points at it meanwhile, so that leaving the program can close it too.
void RunAboutBox(GtkWindow* owner, AboutBox** open) {
  GtkWidget* window = NewDialogWindow(kAboutTitle, 170, 100, owner);
  g_object_ref(window);
  GtkWidget* fixed = FixedOf(window);
  Place(fixed, gtk_frame_new(nullptr), 4, 6, 162, 60);
  GtkWidget* ok = gtk_button_new_with_label("Ok");
  Place(fixed, ok, 60, 77, 50, 18);
  struct TextPlace {
    int x, y, width, height;
  };
  constexpr TextPlace kTextPlaces[] = {{7, 14, 152, 11}, {6, 24, 157, 10}, {6, 34, 156, 17}, {7, 50, 156, 13}};
  for (int i = 0; i < 4; ++i) {
    GtkWidget* text = gtk_label_new(kAboutLines[i]);
    gtk_label_set_justify(GTK_LABEL(text), GTK_JUSTIFY_CENTER);
    gtk_label_set_line_wrap(GTK_LABEL(text), TRUE);
    gtk_label_set_xalign(GTK_LABEL(text), 0.5f);
    gtk_label_set_yalign(GTK_LABEL(text), 0.0f);
    const TextPlace& p = kTextPlaces[i];
    Place(fixed, text, p.x, p.y, p.width, p.height);
  }

  AboutBox box{window, g_main_loop_new(nullptr, FALSE)};
  g_signal_connect_swapped(ok, "clicked", G_CALLBACK(CloseAbout), &box);
  g_signal_connect(window, "key-press-event", G_CALLBACK(OnAboutKey), &box);
  // Without a system menu there is no close command either: the box stays until "Ok".
  g_signal_connect(window, "delete-event", G_CALLBACK(gtk_true), nullptr);
  g_signal_connect_swapped(window, "destroy", G_CALLBACK(OnAboutDestroyed), &box);
  gtk_widget_show_all(window);
  *open = &box;
  g_main_loop_run(box.loop);
  *open = nullptr;
  g_signal_handlers_disconnect_by_data(window, &box);
  g_main_loop_unref(box.loop);
  gtk_widget_destroy(window);
  g_object_unref(window);
}

// ---- Launch dialog ----

struct LaunchView {
  LaunchDialogModel model;
  GtkWidget* window = nullptr;
  GtkWidget* combo = nullptr;
  GtkWidget* windowed = nullptr;
  GtkWidget* nosound = nullptr;
  GMainLoop* loop = nullptr;
  AboutBox* about = nullptr;  // while the About box is open
  int32_t result = kLaunchExit;
};

void EndLaunch(LaunchView* view, int32_t result) {
  view->result = result;
  // Leaving (a signal, the dialog destroyed) while the About box is up closes that too.
  if (view->about != nullptr) CloseAbout(view->about);
  if (g_main_loop_is_running(view->loop)) g_main_loop_quit(view->loop);
}

void OnRunDemo(LaunchView* view) {
  if (!g_main_loop_is_running(view->loop)) return;
  TraceEvent("run-demo");
  view->model.Select(gtk_combo_box_get_active(GTK_COMBO_BOX(view->combo)));
  view->model.SetWindowed(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(view->windowed)));
  view->model.SetNosound(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(view->nosound)));
  view->model.RunDemo(interfaceBlock, selectedMode);
  EndLaunch(view, kLaunchRunDemo);
}

void OnExit(LaunchView* view) { EndLaunch(view, kLaunchExit); }

void OnAbout(LaunchView* view) {
  if (view->about == nullptr) RunAboutBox(GTK_WINDOW(view->window), &view->about);
}

// The dialog destroyed by another program: "Exit".
void OnLaunchDestroyed(LaunchView* view) {
  if (g_main_loop_is_running(view->loop)) OnExit(view);
}

gboolean OnLaunchKey(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* view = static_cast<LaunchView*>(data);
  if (event->keyval == GDK_KEY_Escape) {
    OnExit(view);
    return TRUE;
  }
  if (IsEnterKey(event->keyval) && !FocusIsPushButton(view->window)) {
    OnRunDemo(view);
    return TRUE;
  }
  return FALSE;
}

gboolean OnLaunchDelete(GtkWidget*, GdkEvent*, gpointer data) {
  OnExit(static_cast<LaunchView*>(data));
  return TRUE;
}

gboolean OnLaunchSignal(gpointer data) {
  OnExit(static_cast<LaunchView*>(data));
  return G_SOURCE_CONTINUE;
}

// While the dialog is up, an interrupt or terminate signal means "Exit"; afterwards whatever handled them before
// (the show's own quit path) is put back.
class SignalsAsExit {
 public:
  explicit SignalsAsExit(LaunchView* view) {
    for (int i = 0; i < 2; ++i) {
      sigaction(kSignals[i], nullptr, &previous_[i]);
      sources_[i] = g_unix_signal_add(kSignals[i], OnLaunchSignal, view);
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

// The logo bitmap in the sunken frame, centred; an empty frame when the program was built without it.
GtkWidget* NewLogo() {
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
  const platform::Resource logo = platform::FindBitmapResource(platform::kLogoBitmapId);
  if (logo.data == nullptr) return frame;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("bmp", nullptr);
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

// The dialogs were laid out for a small dialog font; the desktop's usual size would overflow their controls.
void UseDialogFont() {
  GtkCssProvider* css = gtk_css_provider_new();
  gtk_css_provider_load_from_data(css, "* { font-size: 9pt; }", -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(css);
}

// Makes the pending unmapping reach the display before the show window appears.
void FlushPendingEvents() {
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  gdk_display_flush(gdk_display_get_default());
}

}  // namespace

int32_t GtkLaunchDialog::RunModal() {
  int32_t presetMode = 0;
  if (preset_.mode) {
    presetMode = FindRequestedMode(modeTable, interfaceBlock.modeCount, preset_.mode);
    if (presetMode < 0) {
      std::fprintf(stderr, "vesk: --mode: this display does not offer that mode; it offers %s\n",
                   OfferedModes(modeTable, interfaceBlock.modeCount).c_str());
      return kLaunchBadChoice;
    }
  }
  if (!gtk_init_check(argc_, argv_)) {
    std::fprintf(stderr, "vesk: the launch dialog cannot open: no display\n");
    return kLaunchExit;
  }
  UseDialogFont();
  LaunchView view{LaunchDialogModel(modeTable, interfaceBlock.modeCount)};
  if (presetMode > 0) view.model.Select(presetMode - 1);
  view.window = NewDialogWindow(kLaunchTitle, 393, 116, nullptr);
  // Held, so that the window outlives a destruction by another program until the dialog is done with it.
  g_object_ref(view.window);
  GtkWidget* fixed = FixedOf(view.window);

  view.combo = gtk_combo_box_text_new();
  for (const std::string& item : view.model.Items()) {
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(view.combo), item.c_str());
  }
  gtk_combo_box_set_active(GTK_COMBO_BOX(view.combo), view.model.Selection());
  Place(fixed, view.combo, 51, 22, 101, 14);
  Place(fixed, gtk_frame_new("Screentype"), 4, 6, 216, 45);
  GtkWidget* runDemo = gtk_button_new_with_label("Run Demo");
  Place(fixed, runDemo, 151, 57, 68, 50);
  GtkWidget* exitButton = gtk_button_new_with_label("Exit");
  Place(fixed, exitButton, 75, 89, 73, 18);
  GtkWidget* resolution = gtk_label_new("Resolution:");
  gtk_label_set_xalign(GTK_LABEL(resolution), 0.0f);
  Place(fixed, resolution, 9, 23, 39, 12);
  Place(fixed, NewLogo(), 226, 9, 160, 100);
  GtkWidget* about = gtk_button_new_with_label("About");
  Place(fixed, about, 4, 89, 67, 18);
  view.windowed = gtk_check_button_new_with_label("Windowed");
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(view.windowed), preset_.windowed);
  Place(fixed, view.windowed, 162, 23, 51, 12);
  GtkWidget* loop = gtk_check_button_new_with_label("Loop");
  gtk_widget_set_sensitive(loop, LaunchDialogModel::kLoopEnabled);
  Place(fixed, loop, 5, 65, 32, 10);
  view.nosound = gtk_check_button_new_with_label("Nosound");
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(view.nosound), preset_.nosound);
  Place(fixed, view.nosound, 77, 65, 45, 10);

  // Tab order is creation order, skipping the controls without a tab stop.
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  GList* chain = nullptr;
  for (GtkWidget* w : {view.combo, runDemo, exitButton, about, view.windowed, view.nosound}) {
    chain = g_list_append(chain, w);
  }
  gtk_container_set_focus_chain(GTK_CONTAINER(fixed), chain);
  g_list_free(chain);
  G_GNUC_END_IGNORE_DEPRECATIONS

  view.loop = g_main_loop_new(nullptr, FALSE);
  g_signal_connect_swapped(runDemo, "clicked", G_CALLBACK(OnRunDemo), &view);
  g_signal_connect_swapped(exitButton, "clicked", G_CALLBACK(OnExit), &view);
  g_signal_connect_swapped(about, "clicked", G_CALLBACK(OnAbout), &view);
  g_signal_connect(view.window, "key-press-event", G_CALLBACK(OnLaunchKey), &view);
  g_signal_connect(view.window, "delete-event", G_CALLBACK(OnLaunchDelete), &view);
  g_signal_connect_swapped(view.window, "destroy", G_CALLBACK(OnLaunchDestroyed), &view);
  gtk_widget_show_all(view.window);
  // No control takes the focus at the start; Enter then means "Run Demo".
  gtk_window_set_focus(GTK_WINDOW(view.window), nullptr);
  {
    SignalsAsExit signals(&view);
    g_main_loop_run(view.loop);
  }
  g_signal_handlers_disconnect_by_data(view.window, &view);
  g_main_loop_unref(view.loop);
  gtk_widget_destroy(view.window);
  g_object_unref(view.window);
  FlushPendingEvents();
  return view.result;
}
