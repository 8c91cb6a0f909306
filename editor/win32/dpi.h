#pragma once

#include <windows.h>

namespace tovren {

// Screen resolution on every Windows from 7 on. The per-window and per-monitor functions
// (Windows 10 1607 and 1703) are looked up when the program runs, not imported, so that
// Tovren.exe also starts where they are missing; there it works at the system's resolution.

// Makes the process aware of each monitor's resolution, or of the system's where that is all
// Windows offers. Called before any window is created.
void becomeDpiAware();

// The resolution the window is shown at.
UINT dpiOfWindow(HWND window);

// The frame rectangle around a client rectangle, at the given resolution.
void adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);

// The message font (the one for dialog text) at the given resolution.
LOGFONTW messageFontForDpi(UINT dpi);

} // namespace tovren
