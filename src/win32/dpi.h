// DPI: layout numbers are written at 96 DPI and scaled for the window's monitor.
#pragma once
#include <windows.h>

namespace trova::win32 {

// The window's DPI; GetDpiForWindow where the system has it (Windows 10 and
// Wine), else the screen's, so the program still runs on older systems.
UINT dpiOf(HWND hwnd);
inline int scale(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), 96); }

// The system message font at the given DPI: it carries the desktop's CJK glyphs.
HFONT createMessageFont(UINT dpi);

}  // namespace trova::win32
