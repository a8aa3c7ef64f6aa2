// The launch dialog and the About box over the dialog manager, laid out by the program's dialog resources.
#include <windows.h>

#include <cstdio>

#include "platform/launch_layout.h"
#include "platform/win32/win32_services.h"

namespace platform::win32 {

namespace {

struct LaunchState {
  const LaunchOffer* offer;
  LaunchChoice choice;
};

INT_PTR CALLBACK AboutProcedure(HWND box, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  // Only "Ok" (or Enter) closes the box; Escape does not.
  if (message != WM_COMMAND || wParam != VESK_RUN_DEMO_BUTTON) return FALSE;
  EndDialog(box, 0);
  return TRUE;
}

bool Checked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Check(HWND dialog, int id, bool checked) {
  SendDlgItemMessageA(dialog, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

INT_PTR CALLBACK LaunchProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<LaunchState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      const LaunchOffer& offer = *reinterpret_cast<LaunchState*>(lParam)->offer;
      // Inserted at the end rather than added, so the list keeps the offer's order despite its sort style.
      for (const std::string& line : offer.modes) {
        SendDlgItemMessageA(dialog, VESK_RESOLUTION_LIST, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(line.c_str()));
      }
      SendDlgItemMessageA(dialog, VESK_RESOLUTION_LIST, CB_SETCURSEL, static_cast<WPARAM>(offer.selection), 0);
      Check(dialog, VESK_WINDOWED_BOX, offer.windowed);
      Check(dialog, VESK_NOSOUND_BOX, offer.nosound);
      return FALSE;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(dialog, &paint);
      EndPaint(dialog, &paint);
      return TRUE;
    }
    case WM_COMMAND:
      if (wParam == VESK_RUN_DEMO_BUTTON) {
        // CB_ERR, when no line is selected, is -1 as the choice says it.
        state->choice = {true,
                         static_cast<int32_t>(SendDlgItemMessageA(dialog, VESK_RESOLUTION_LIST, CB_GETCURSEL, 0, 0)),
                         Checked(dialog, VESK_WINDOWED_BOX), Checked(dialog, VESK_LOOP_BOX),
                         Checked(dialog, VESK_NOSOUND_BOX)};
      } else if (wParam == VESK_ABOUT_BUTTON) {
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(VESK_ABOUT_DIALOG), dialog, AboutProcedure, 0);
        return TRUE;
      } else if (wParam != VESK_EXIT_BUTTON) {
        return FALSE;
      }
      EndDialog(dialog, 0);
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace

LaunchChoice Win32LaunchView::Run(const LaunchOffer& offer) {
  LaunchState state = {&offer, {}};
  if (DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(VESK_LAUNCH_DIALOG), nullptr, LaunchProcedure,
                      reinterpret_cast<LPARAM>(&state)) == -1) {
    std::fprintf(stderr, "vesk: the launch dialog cannot be opened (error %lu)\n", GetLastError());
    return {};
  }
  return state.choice;
}

}  // namespace platform::win32
