#include "platform/dpi_win32.h"

namespace trova {

UINT systemDpi() {
  using Fn = UINT(WINAPI*)();
  static const auto getDpiForSystem = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForSystem")));
  if (getDpiForSystem) {
    if (UINT dpi = getDpiForSystem()) return dpi;
  }
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT windowDpi(HWND hwnd) {
  using Fn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && hwnd) {
    if (UINT dpi = getDpiForWindow(hwnd)) return dpi;
  }
  return systemDpi();
}

// The system's message font at `dpi`: it has the desktop's Chinese glyphs.
HFONT messageFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  LOGFONTW font{};
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    font = metrics.lfMessageFont;
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi()));
  } else {
    font.lfHeight = -MulDiv(9, static_cast<int>(dpi), 72);
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, L"Microsoft YaHei UI", LF_FACESIZE);
  }
  return CreateFontIndirectW(&font);
}

}  // namespace trova
