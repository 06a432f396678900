#include "monitor/Pictures.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "monitor/Xpm.h"

// The pictures' pixel rows, as `static const char* <name>_xpm[]` arrays.
#include "monitor/pictures/glyph_apply.xpm"
#include "monitor/pictures/glyph_cancel.xpm"
#include "monitor/pictures/glyph_close.xpm"
#include "monitor/pictures/glyph_help.xpm"
#include "monitor/pictures/glyph_ok.xpm"
#include "monitor/pictures/menu0.xpm"
#include "monitor/pictures/menu1.xpm"
#include "monitor/pictures/menu2.xpm"
#include "monitor/pictures/menu3.xpm"
#include "monitor/pictures/menu4.xpm"
#include "monitor/pictures/program32.xpm"
#include "monitor/pictures/tray0.xpm"
#include "monitor/pictures/tray1.xpm"
#include "monitor/pictures/tray2.xpm"
#include "monitor/pictures/tray3.xpm"
#include "monitor/pictures/tray4.xpm"
#include "monitor/pictures/tray5.xpm"
#include "monitor/pictures/tray6.xpm"
#include "monitor/pictures/tray7.xpm"
#include "monitor/pictures/tray8.xpm"

namespace zerka {
namespace {

constexpr int kGlyphWidth = 36;
constexpr int kGlyphHeight = 18;
constexpr int kProgramIconSide = 32;

TPicture ParseSized(std::span<const char* const> lines, int width, int height, const char* name) {
  TPicture picture = ParseXpm(lines);
  if (picture.Width != width || picture.Height != height) {
    throw EXpmError(std::string("XPM: picture ") + name + " is " + std::to_string(picture.Width) + "x" +
                    std::to_string(picture.Height));
  }
  return picture;
}

TIconImagePtr ToIconImage(std::span<const char* const> lines, const char* name) {
  const TPicture picture = ParseSized(lines, TIconImage::kWidth, TIconImage::kHeight, name);
  auto image = std::make_shared<TIconImage>();
  std::copy(picture.Colors.begin(), picture.Colors.end(), image->Colors.begin());
  std::copy(picture.Transparent.begin(), picture.Transparent.end(), image->Transparent.begin());
  return image;
}

TPicture GlyphWithKeyColor(std::span<const char* const> lines, const char* name) {
  TPicture glyph = ParseSized(lines, kGlyphWidth, kGlyphHeight, name);
  const std::uint32_t key = glyph.ColorAt(0, glyph.Height - 1);
  for (std::size_t i = 0; i < glyph.Colors.size(); ++i) {
    if (glyph.Colors[i] == key) glyph.Transparent[i] = true;
  }
  return glyph;
}

}  // namespace

const std::vector<TIconImagePtr>& TrayPictures() {
  static const std::vector<TIconImagePtr> pictures = {
      ToIconImage(tray0_xpm, "tray0"), ToIconImage(tray1_xpm, "tray1"), ToIconImage(tray2_xpm, "tray2"),
      ToIconImage(tray3_xpm, "tray3"), ToIconImage(tray4_xpm, "tray4"), ToIconImage(tray5_xpm, "tray5"),
      ToIconImage(tray6_xpm, "tray6"), ToIconImage(tray7_xpm, "tray7"), ToIconImage(tray8_xpm, "tray8"),
  };
  return pictures;
}

TIconImagePtr InitialTrayPicture() { return TrayPictures()[0]; }

const std::vector<TIconImagePtr>& MenuPictures() {
  static const std::vector<TIconImagePtr> pictures = {
      ToIconImage(menu0_xpm, "menu0"), ToIconImage(menu1_xpm, "menu1"), ToIconImage(menu2_xpm, "menu2"),
      ToIconImage(menu3_xpm, "menu3"), ToIconImage(menu4_xpm, "menu4"),
  };
  return pictures;
}

const TPicture& ButtonGlyph(TGlyphKind kind) {
  static const std::array<TPicture, 5> glyphs = {
      GlyphWithKeyColor(glyph_ok_xpm, "glyph_ok"),         GlyphWithKeyColor(glyph_close_xpm, "glyph_close"),
      GlyphWithKeyColor(glyph_help_xpm, "glyph_help"),     GlyphWithKeyColor(glyph_cancel_xpm, "glyph_cancel"),
      GlyphWithKeyColor(glyph_apply_xpm, "glyph_apply"),
  };
  return glyphs[static_cast<std::size_t>(kind)];
}

const TPicture& ProgramIcon() {
  static const TPicture icon = ParseSized(program32_xpm, kProgramIconSide, kProgramIconSide, "program32");
  return icon;
}

}  // namespace zerka
