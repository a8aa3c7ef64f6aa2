// window_probe.exe: looks at and works the windows of another program under the same Wine, for the end-to-end
// tests. Every command prints what it finds on standard output and exits 0, or 1 when it finds nothing in time.
//   wait TITLE [SECONDS]        a visible top-level window with that title appears
//   gone TITLE [SECONDS]        no window with that title is left
//   dump TITLE                  the window, its client size, and each child: id, class, style, text; list items
//   click TITLE ID              presses the child button ID as a click would
//   select TITLE ID TEXT        selects the line TEXT in the drop-down list ID
//   where TITLE ID              the screen position of the middle of the child ID, for a real click there
//   client TITLE                the window's client area on the screen, as WxH+X+Y
//   close TITLE                 asks the window to close, as its close box does
//   mode                        the display's current width, height and bits per pixel
//   bare PROGRAM [ARGS...]      runs PROGRAM (a Windows path) with no standard handles, as a desktop shortcut
//                               starts it, and exits with its status (126 when it cannot be started)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kPollMs = 100;

HWND Find(const char* title) {
  HWND window = FindWindowA(nullptr, title);
  return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

HWND WaitFor(const char* title, double seconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = Find(title)) return window;
    if (GetTickCount() - start > static_cast<DWORD>(seconds * 1000)) return nullptr;
    Sleep(kPollMs);
  }
}

std::string TextOf(HWND window) {
  char text[512] = {};
  // Through the message, so that it works for another process's controls too.
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

BOOL CALLBACK DumpChild(HWND child, LPARAM) {
  char className[64] = {};
  GetClassNameA(child, className, sizeof className);
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  std::printf("control id=%d class=%s style=0x%08lx enabled=%d checked=%d rect=%ld,%ld,%ld,%ld text=\"%s\"\n",
              GetDlgCtrlID(child), className, static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)),
              IsWindowEnabled(child) ? 1 : 0, SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0,
              rect.left, rect.top, rect.right, rect.bottom, TextOf(child).c_str());
  if (_stricmp(className, "ComboBox") == 0) {
    const LRESULT count = SendMessageA(child, CB_GETCOUNT, 0, 0);
    std::printf("list id=%d count=%ld selected=%ld\n", GetDlgCtrlID(child), static_cast<long>(count),
                static_cast<long>(SendMessageA(child, CB_GETCURSEL, 0, 0)));
    // Each line is read as the selection's text: list messages that carry a buffer do not cross processes.
    const LRESULT selected = SendMessageA(child, CB_GETCURSEL, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      SendMessageA(child, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      std::printf("item %ld \"%s\"\n", static_cast<long>(i), TextOf(child).c_str());
    }
    SendMessageA(child, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  }
  return TRUE;
}

int Dump(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  std::printf("window class=%s style=0x%08lx exstyle=0x%08lx client=%ldx%ld title=\"%s\"\n", className,
              static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
              static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)), client.right, client.bottom,
              TextOf(window).c_str());
  EnumChildWindows(window, DumpChild, 0);
  return 0;
}

// Each argument quoted, as the child's command-line parser reads it back (no argument here holds a quote).
int RunBare(int argc, char** argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) line += std::string(i > 0 ? " \"" : "\"") + argv[i] + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;  // and every handle null
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "window_probe: cannot start %s (error %lu)\n", argv[0], GetLastError());
    return 126;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 126;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: window_probe wait|gone|dump|click|select|where|client|close|mode|bare ...\n");
    return 2;
  }
  const std::string command = argv[1];
  if (command == "mode") {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 1;
    std::printf("%lux%lux%lu\n", mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel);
    return 0;
  }
  if (argc < 3) return 2;
  if (command == "bare") return RunBare(argc - 2, argv + 2);
  const char* title = argv[2];
  const double seconds = argc > 3 ? std::atof(argv[3]) : 30.0;
  if (command == "wait") {
    HWND window = WaitFor(title, seconds);
    if (window == nullptr) return 1;
    std::printf("found \"%s\"\n", title);
    return 0;
  }
  if (command == "gone") {
    const DWORD start = GetTickCount();
    while (FindWindowA(nullptr, title) != nullptr) {
      if (GetTickCount() - start > static_cast<DWORD>(seconds * 1000)) return 1;
      Sleep(kPollMs);
    }
    return 0;
  }
  HWND window = WaitFor(title, 10);
  if (window == nullptr) {
    std::fprintf(stderr, "window_probe: no window \"%s\"\n", title);
    return 1;
  }
  if (command == "dump") return Dump(window);
  if (command == "client") {
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    std::printf("%ldx%ld+%ld+%ld\n", client.right, client.bottom, origin.x, origin.y);
    return 0;
  }
  if (command == "close") {
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  if (argc < 4) return 2;
  HWND control = GetDlgItem(window, std::atoi(argv[3]));
  if (control == nullptr) return 1;
  if (command == "where") {
    RECT rect;
    GetWindowRect(control, &rect);
    std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return 0;
  }
  if (command == "click") {
    PostMessageA(control, BM_CLICK, 0, 0);
    return 0;
  }
  if (command == "select" && argc > 4) {
    const LRESULT index = SendMessageA(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(argv[4]));
    if (index == CB_ERR) return 1;
    SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return 0;
  }
  return 2;
}
