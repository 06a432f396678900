// Dots per inch:
//  [x] GetDpiForWindow, GetDpiForMonitor, GetSystemMetricsForDpi, AdjustWindowRectExForDpi
//      looked up at run time; the system DPI (the screen's LOGPIXELSX) where they are missing
//  [x] layout lengths and picture factors at a DPI; a window's outer size from its layout's
//      client size, so that moves between monitors never drift
#include "platform/win32/Win32Dpi.h"

#include <algorithm>

namespace zerka::win32 {
namespace {

using TGetDpiForWindow = UINT(WINAPI*)(HWND);
using TGetSystemMetricsForDpi = int(WINAPI*)(int, UINT);
using TAdjustWindowRectExForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using TGetDpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

constexpr int kEffectiveDpi = 0;

template <typename Function>
Function Lookup(const char* library, const char* name) {
  HMODULE module = GetModuleHandleA(library);
  if (!module) module = LoadLibraryA(library);
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

struct TDpiFunctions {
  TGetDpiForWindow GetDpiForWindow = Lookup<TGetDpiForWindow>("user32.dll", "GetDpiForWindow");
  TGetSystemMetricsForDpi GetSystemMetricsForDpi =
      Lookup<TGetSystemMetricsForDpi>("user32.dll", "GetSystemMetricsForDpi");
  TAdjustWindowRectExForDpi AdjustWindowRectExForDpi =
      Lookup<TAdjustWindowRectExForDpi>("user32.dll", "AdjustWindowRectExForDpi");
  TGetDpiForMonitor GetDpiForMonitor = Lookup<TGetDpiForMonitor>("shcore.dll", "GetDpiForMonitor");
};

const TDpiFunctions& Functions() {
  static const TDpiFunctions functions;
  return functions;
}

int MonitorDpi(HMONITOR monitor) {
  UINT x = 0, y = 0;
  if (monitor && Functions().GetDpiForMonitor &&
      SUCCEEDED(Functions().GetDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && x > 0) {
    return static_cast<int>(x);
  }
  return SystemDpi();
}

}  // namespace

int ScaleForDpi(int value, int dpi) { return dpi == kLayoutDpi ? value : MulDiv(value, dpi, kLayoutDpi); }

TRect ScaleForDpi(const TRect& bounds, int dpi) {
  return {ScaleForDpi(bounds.Left, dpi), ScaleForDpi(bounds.Top, dpi), ScaleForDpi(bounds.Width, dpi),
          ScaleForDpi(bounds.Height, dpi)};
}

int WholePictureFactor(int dpi) { return std::max(1, dpi / kLayoutDpi); }

int SystemDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int value = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kLayoutDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return value > 0 ? value : kLayoutDpi;
  }();
  return dpi;
}

int WindowDpi(HWND window) { return WindowDpi(window, SystemDpi()); }

int WindowDpi(HWND window, int fallback) {
  if (window && Functions().GetDpiForWindow) {
    const UINT dpi = Functions().GetDpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return fallback;
}

int DpiAtPoint(POINT point) { return MonitorDpi(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST)); }

int NotifyAreaDpi() {
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  return MonitorDpi(taskbar ? MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY)
                            : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
}

int SmallIconSide(int dpi) {
  if (Functions().GetSystemMetricsForDpi) {
    const int side = Functions().GetSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(dpi));
    if (side > 0) return side;
  }
  const int side = GetSystemMetrics(SM_CXSMICON);
  return side > 0 ? side : ScaleForDpi(16, dpi);
}

void AdjustWindowRectForDpi(RECT& bounds, DWORD style, DWORD exStyle, int dpi) {
  if (Functions().AdjustWindowRectExForDpi &&
      Functions().AdjustWindowRectExForDpi(&bounds, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    return;
  }
  AdjustWindowRectEx(&bounds, style, FALSE, exStyle);
}

SIZE OuterSizeForDpi(SIZE layoutClient, DWORD style, DWORD exStyle, int dpi) {
  RECT outer{0, 0, ScaleForDpi(static_cast<int>(layoutClient.cx), dpi), ScaleForDpi(static_cast<int>(layoutClient.cy), dpi)};
  AdjustWindowRectForDpi(outer, style, exStyle, dpi);
  return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

}  // namespace zerka::win32
