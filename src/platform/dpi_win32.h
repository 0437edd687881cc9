// DPI and the message font, shared by the window and the platform's own boxes.
// Layout numbers are written at 96 DPI and scaled for the window's monitor.
#pragma once
#include <windows.h>

namespace trova {

// GetDpiForSystem / GetDpiForWindow where the system has them (Windows 10 and
// Wine), else the screen's, so the program still runs on older systems.
UINT systemDpi();
UINT windowDpi(HWND hwnd);
inline int scaleForDpi(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), 96); }

// The system's message font at `dpi`: it has the desktop's Chinese glyphs.
HFONT messageFont(UINT dpi);

}  // namespace trova
