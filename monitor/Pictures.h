#pragma once
// The program's pictures, drawn as XPM source under monitor/pictures and parsed once on
// first use.

#include <vector>

#include "framework/IconImage.h"
#include "framework/Picture.h"

namespace zerka {

// The nine tray pictures by state index: 0 connected, 1 dialling, 2 countdown restarted,
// 3 not connected, 4 and 5 spare, 6 connection attempt failed, 7 state unknown, 8 locked.
// Each is 16x16 and carries the same picture drawn at 20, 24 and 32 pixels as its
// LargerDrawings (pictures/trayN_20.xpm, trayN_24.xpm, trayN_32.xpm). Where their dark parts
// meet the transparent ground they carry a one-pixel white edge ("e"), so that a black bar does
// not swallow them; on a white bar the edge disappears.
const std::vector<TIconImagePtr>& TrayPictures();

// The tray icon's picture before any state is known: it looks like tray picture 0.
TIconImagePtr InitialTrayPicture();

// The five menu pictures: 0 tools, 1 open door, 2 envelope, 3 padlock, 4 cable struck through.
const std::vector<TIconImagePtr>& MenuPictures();

enum class TGlyphKind { Ok, Close, Help, Cancel, Apply };

// A button's 36x18 picture: the normal image and the disabled one side by side; every pixel
// of the bottom-left pixel's colour is transparent.
const TPicture& ButtonGlyph(TGlyphKind kind);

// The program's own 32x32 icon.
const TPicture& ProgramIcon();

}  // namespace zerka
