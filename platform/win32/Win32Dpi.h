#pragma once
// Dots per inch: the layout is in pixels at 96 dpi and the platform scales it at its edge.
// The per-monitor functions come from user32 and shcore at run time, so the program still
// starts on systems that lack them; there every window has the system's DPI.

#include <windows.h>

#include "framework/Platform.h"

namespace zerka::win32 {

inline constexpr int kLayoutDpi = 96;
// Sent to a top-level window whose DPI changed; WParam holds the new DPI, LParam the
// rectangle the system suggests.
inline constexpr UINT kDpiChangedMessage = 0x02E0;
// Sent before kDpiChangedMessage (per-monitor v2): WParam the new DPI, LParam a SIZE* holding
// the outer size the system would give; a window that writes its own size there returns TRUE.
inline constexpr UINT kGetDpiScaledSizeMessage = 0x02E4;

// A layout length at dpi, rounded to whole pixels (halves away from zero).
int ScaleForDpi(int value, int dpi);
TRect ScaleForDpi(const TRect& bounds, int dpi);
// The whole factor for pictures without a larger drawing: 1 up to 191 dpi, 2 from 192, ...
int WholePictureFactor(int dpi);

int SystemDpi();
int WindowDpi(HWND window);
// GetDpiForWindow where it exists, else fallback.
int WindowDpi(HWND window, int fallback);
int DpiAtPoint(POINT point);
// The DPI of the monitor that holds the taskbar (the primary one when there is no taskbar).
int NotifyAreaDpi();
// The small-icon size (tray, title bar) at dpi.
int SmallIconSide(int dpi);
// AdjustWindowRectEx at dpi.
void AdjustWindowRectForDpi(RECT& bounds, DWORD style, DWORD exStyle, int dpi);
// The outer size of a window whose client area is the layout's size at dpi.
SIZE OuterSizeForDpi(SIZE layoutClient, DWORD style, DWORD exStyle, int dpi);

}  // namespace zerka::win32
