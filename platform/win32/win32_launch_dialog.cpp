// The launch dialog and the About box over the dialog manager; what they offer and decide is the shared model's.
#include "platform/win32/win32_launch_dialog.h"

#include <windows.h>

#include <cstdio>

#include "core/interface_block.h"
#include "display/mode_list.h"
#include "host/launch_dialog_model.h"
#include "platform/win32/win32_dialog_ids.h"

namespace {

INT_PTR CALLBACK AboutDialogProc(HWND box, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
      // Only "Ok" (or Enter) closes the box; Escape does not.
      if (wParam == IDOK) {
        EndDialog(box, 0);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

bool Checked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

INT_PTR CALLBACK LaunchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* model = reinterpret_cast<LaunchDialogModel*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      model = reinterpret_cast<LaunchDialogModel*>(lParam);
      // Inserted at the end rather than added, so the list keeps the table's order despite its sort style.
      for (const std::string& item : model->Items()) {
        SendDlgItemMessageA(dialog, VESK_RESOLUTION_LIST, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(item.c_str()));
      }
      SendDlgItemMessageA(dialog, VESK_RESOLUTION_LIST, CB_SETCURSEL, 0, 0);
      return FALSE;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(dialog, &paint);
      EndPaint(dialog, &paint);
      return TRUE;
    }
    case WM_COMMAND:
      if (wParam == IDOK) {
        model->Select(static_cast<int32_t>(SendDlgItemMessageA(dialog, VESK_RESOLUTION_LIST, CB_GETCURSEL, 0, 0)));
        model->SetWindowed(Checked(dialog, VESK_WINDOWED_BOX));
        model->SetNosound(Checked(dialog, VESK_NOSOUND_BOX));
        model->RunDemo(interfaceBlock, selectedMode);
        EndDialog(dialog, kLaunchRunDemo);
        return TRUE;
      }
      if (wParam == IDCANCEL) {
        EndDialog(dialog, kLaunchExit);
        return TRUE;
      }
      if (wParam == VESK_ABOUT_BUTTON) {
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(VESK_ABOUT_DIALOG), dialog, AboutDialogProc, 0);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace

int32_t Win32LaunchDialog::RunModal() {
  LaunchDialogModel model(modeTable, interfaceBlock.modeCount);
  const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(VESK_LAUNCH_DIALOG), nullptr,
                                         LaunchDialogProc, reinterpret_cast<LPARAM>(&model));
  if (result == -1) {
    std::fprintf(stderr, "vesk: the launch dialog cannot be opened (error %lu)\n", GetLastError());
    return kLaunchExit;
  }
  return result == kLaunchRunDemo ? kLaunchRunDemo : kLaunchExit;
}
