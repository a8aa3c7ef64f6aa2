/* The launch dialog and the About box: ids, texts and geometry in dialog units, said once. The Windows resource
   script, the GTK dialog and the web page (through a generated script) all take them from here, so this file holds
   preprocessor definitions only: the resource compiler reads it too. */
#ifndef VESK_PLATFORM_LAUNCH_LAYOUT_H
#define VESK_PLATFORM_LAUNCH_LAYOUT_H

#define VESK_LAUNCH_DIALOG 100
#define VESK_ABOUT_DIALOG 101
#define VESK_LOGO_BITMAP 103
#define VESK_RESOLUTION_LIST 104
#define VESK_RUN_DEMO_BUTTON 1
#define VESK_EXIT_BUTTON 2
#define VESK_WINDOWED_BOX 1000
#define VESK_ABOUT_BUTTON 1001
#define VESK_LOOP_BOX 1002
#define VESK_NOSOUND_BOX 1003
#define VESK_NO_ID (-1)

#define VESK_LAUNCH_TITLE "Orrent - Vesk, Windows version (preview)"
#define VESK_LAUNCH_WIDTH 393
#define VESK_LAUNCH_HEIGHT 116
#define VESK_ABOUT_TITLE "About"
#define VESK_ABOUT_WIDTH 170
#define VESK_ABOUT_HEIGHT 100
#define VESK_DIALOG_FONT "Helv"
#define VESK_DIALOG_FONT_POINTS 8
/* The logo bitmap's own size in pixels, shown centred in its frame. */
#define VESK_LOGO_WIDTH 213
#define VESK_LOGO_HEIGHT 133

/* The launch dialog's controls in creation (and tab) order:
   X(kind, id, text, left, top, width, height). Kinds: COMBO (drop-down list), GROUP (group box), BUTTON, LABEL
   (left-aligned text), LOGO (the bitmap, sunken and bordered), CHECK (auto check box), CHECK_DISABLED. */
#define VESK_LAUNCH_CONTROLS(X)                                          \
  X(COMBO, VESK_RESOLUTION_LIST, "", 51, 22, 101, 116)                   \
  X(GROUP, VESK_NO_ID, "Screentype", 4, 6, 216, 45)                      \
  X(BUTTON, VESK_RUN_DEMO_BUTTON, "Run Demo", 151, 57, 68, 50)           \
  X(BUTTON, VESK_EXIT_BUTTON, "Exit", 75, 89, 73, 18)                    \
  X(LABEL, VESK_NO_ID, "Resolution:", 9, 23, 39, 12)                     \
  X(LOGO, VESK_NO_ID, "", 226, 9, 160, 100)                              \
  X(BUTTON, VESK_ABOUT_BUTTON, "About", 4, 89, 67, 18)                   \
  X(CHECK, VESK_WINDOWED_BOX, "Windowed", 162, 23, 51, 12)               \
  X(CHECK_DISABLED, VESK_LOOP_BOX, "Loop", 5, 65, 32, 10)                \
  X(CHECK, VESK_NOSOUND_BOX, "Nosound", 77, 65, 45, 10)

/* The About box's controls: X(kind, id, text, left, top, width, height); CENTRED is centred static text. */
#define VESK_ABOUT_CONTROLS(X)                                                  \
  X(GROUP, VESK_NO_ID, "", 4, 6, 162, 60)                                       \
  X(BUTTON, VESK_RUN_DEMO_BUTTON, "Ok", 60, 77, 50, 18)                         \
  X(CENTRED, VESK_NO_ID, "Orrent - Vesk", 7, 14, 152, 11)                       \
  X(CENTRED, VESK_NO_ID, "by Tallow, Brackmoor, Quib", 6, 24, 157, 10)          \
  X(CENTRED, VESK_NO_ID, "First place at Tarnfest'98 PC introcompo", 6, 34, 156, 17) \
  X(CENTRED, VESK_NO_ID, "Windows version by Olk/Fennec", 7, 50, 156, 13)

#endif
