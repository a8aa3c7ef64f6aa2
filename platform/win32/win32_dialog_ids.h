// The numbers of the dialog resources and their controls, shared by the resource script and the dialog code.
#pragma once

#define VESK_LAUNCH_DIALOG 100
#define VESK_ABOUT_DIALOG 101
#define VESK_LOGO_BITMAP 103
#define VESK_RESOLUTION_LIST 104
#define VESK_WINDOWED_BOX 1000
#define VESK_ABOUT_BUTTON 1001
#define VESK_LOOP_BOX 1002
#define VESK_NOSOUND_BOX 1003
