#pragma once
// The controls of a form as Win32 windows, and the drawing the platform does for them.

#include <windows.h>

#include "framework/Platform.h"
#include "platform/win32/Win32WindowTable.h"

namespace zerka::win32 {

// The window property holding a control's tab position (plus one), kept apart from its id.
inline constexpr const wchar_t* kTabOrderProperty = L"ZerkaTabOrder";

// The face of every control's font: the bitmap face at 96 dpi, where the layout was made with
// it, and the TrueType face of the same design elsewhere, which scales to any height.
const wchar_t* DialogFontFace(int dpi);
// The font of every control: 8 point (11 pixels at 96 dpi) at dpi dots per inch.
HFONT DialogFont(int dpi);
// The dots per inch of the form a window belongs to.
int FormDpi(HWND window);

// Creates a control inside parent, subclassed so that its messages reach handler, placed in
// the tab order among its siblings by desc.TabOrder, its bounds and font scaled to the form's
// DPI. nullptr when the system refuses.
HWND CreateControlWindow(HWND parent, const TControlDesc& desc, TMessageHandler handler);
// Places, sizes and sets the font of every control of a form anew for dpi, from the layout.
void RescaleControls(HWND form, int dpi);

void DrawPictureButton(const DRAWITEMSTRUCT& item, const TWindowRecord& button);
// Lets the dialog manager press the focused picture button on Enter.
LRESULT PictureButtonDialogCode(HWND button);
void PaintPanel(HWND panel);
// Fills a window with the button-face colour; the result of a handled WM_ERASEBKGND.
LRESULT EraseWithFace(HWND window, HDC dc);
// Widens a label to its caption, as labels size themselves to their text.
void FitLabelToCaption(HWND label);

}  // namespace zerka::win32
