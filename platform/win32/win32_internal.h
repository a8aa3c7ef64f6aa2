// What the Win32 backend's files share: the show window's record.
#pragma once

#include <windows.h>

// windows.h renames these to their ANSI or wide forms; here they are the platform layer's own operations.
#undef DefWindowProc
#undef DispatchMessage
#undef MessageBox
#undef PeekMessage

#include "platform/window.h"

namespace platform {

struct Window {
  HWND handle = nullptr;  // null once destroyed; the record lives on, as the host may still hold it
  WindowProcedure procedure = nullptr;
};

}  // namespace platform
