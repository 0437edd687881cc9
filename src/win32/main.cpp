// Trova's entry point: the real platform, the main window and its message loop.
#include <windows.h>
#include <commctrl.h>

#include "platform/win32_platform.h"
#include "win32/form1_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  if (!trova::win32::registerForm1Classes(instance)) return 1;

  trova::Win32Platform real;
  trova::win32::Form1Window window(real.platform, [&](HWND owner) { real.dialogs.setOwner(owner); });
  HWND hwnd = window.create(instance);
  if (!hwnd) return 1;
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(hwnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}
