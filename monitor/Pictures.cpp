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
#include "monitor/pictures/tray0_20.xpm"
#include "monitor/pictures/tray0_24.xpm"
#include "monitor/pictures/tray0_32.xpm"
#include "monitor/pictures/tray1_20.xpm"
#include "monitor/pictures/tray1_24.xpm"
#include "monitor/pictures/tray1_32.xpm"
#include "monitor/pictures/tray2_20.xpm"
#include "monitor/pictures/tray2_24.xpm"
#include "monitor/pictures/tray2_32.xpm"
#include "monitor/pictures/tray3_20.xpm"
#include "monitor/pictures/tray3_24.xpm"
#include "monitor/pictures/tray3_32.xpm"
#include "monitor/pictures/tray4_20.xpm"
#include "monitor/pictures/tray4_24.xpm"
#include "monitor/pictures/tray4_32.xpm"
#include "monitor/pictures/tray5_20.xpm"
#include "monitor/pictures/tray5_24.xpm"
#include "monitor/pictures/tray5_32.xpm"
#include "monitor/pictures/tray6_20.xpm"
#include "monitor/pictures/tray6_24.xpm"
#include "monitor/pictures/tray6_32.xpm"
#include "monitor/pictures/tray7_20.xpm"
#include "monitor/pictures/tray7_24.xpm"
#include "monitor/pictures/tray7_32.xpm"
#include "monitor/pictures/tray8_20.xpm"
#include "monitor/pictures/tray8_24.xpm"
#include "monitor/pictures/tray8_32.xpm"

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

std::shared_ptr<const TIconDrawing> ToDrawing(std::span<const char* const> lines, int side, const char* name) {
  TPicture picture = ParseSized(lines, side, side, name);
  auto drawing = std::make_shared<TIconDrawing>();
  drawing->Side = side;
  drawing->Colors = std::move(picture.Colors);
  drawing->Transparent = std::move(picture.Transparent);
  return drawing;
}

// A tray picture with its larger drawings for screens of more dots per inch.
TIconImagePtr TrayPicture(std::span<const char* const> lines16, std::span<const char* const> lines20,
                          std::span<const char* const> lines24, std::span<const char* const> lines32,
                          const char* name) {
  auto image = std::make_shared<TIconImage>(*ToIconImage(lines16, name));
  image->LargerDrawings = {ToDrawing(lines20, 20, name), ToDrawing(lines24, 24, name), ToDrawing(lines32, 32, name)};
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
      TrayPicture(tray0_xpm, tray0_20_xpm, tray0_24_xpm, tray0_32_xpm, "tray0"),
      TrayPicture(tray1_xpm, tray1_20_xpm, tray1_24_xpm, tray1_32_xpm, "tray1"),
      TrayPicture(tray2_xpm, tray2_20_xpm, tray2_24_xpm, tray2_32_xpm, "tray2"),
      TrayPicture(tray3_xpm, tray3_20_xpm, tray3_24_xpm, tray3_32_xpm, "tray3"),
      TrayPicture(tray4_xpm, tray4_20_xpm, tray4_24_xpm, tray4_32_xpm, "tray4"),
      TrayPicture(tray5_xpm, tray5_20_xpm, tray5_24_xpm, tray5_32_xpm, "tray5"),
      TrayPicture(tray6_xpm, tray6_20_xpm, tray6_24_xpm, tray6_32_xpm, "tray6"),
      TrayPicture(tray7_xpm, tray7_20_xpm, tray7_24_xpm, tray7_32_xpm, "tray7"),
      TrayPicture(tray8_xpm, tray8_20_xpm, tray8_24_xpm, tray8_32_xpm, "tray8"),
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
