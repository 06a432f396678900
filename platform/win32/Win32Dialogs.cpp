// Dialog port:
//  [x] MessageBoxW with the buttons and icon as given, owned by the form the user is in,
//      buttons in German (Win32Focus.cpp); its modal loop keeps dispatching
//  [x] TrackPopupMenu at a screen position, returning the chosen entry: separators, pictures
//      as item bitmaps (enlarged by whole factors on screens of 192 dpi and more), the
//      default item bold, disabled and checked items
#include "platform/win32/Win32Dialogs.h"

#include <windows.h>

#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32Focus.h"
#include "platform/win32/Win32Icons.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32WindowTable.h"

namespace zerka::win32 {
namespace {

// A popup menu and the bitmaps of its items, released together.
class TPopupMenu {
 public:
  TPopupMenu(const std::vector<TPopupEntry>& entries, int pictureSide)
      : menu_(CreatePopupMenu()), pictureSide_(pictureSide) {
    if (!menu_) return;
    for (std::size_t index = 0; index < entries.size(); ++index) Append(entries[index], index);
  }
  ~TPopupMenu() {
    if (menu_) DestroyMenu(menu_);
    for (HBITMAP bitmap : bitmaps_) DeleteObject(bitmap);
  }
  TPopupMenu(const TPopupMenu&) = delete;
  TPopupMenu& operator=(const TPopupMenu&) = delete;
  HMENU Handle() const { return menu_; }

 private:
  void Append(const TPopupEntry& entry, std::size_t index) {
    // Command 0 means "nothing chosen", so entry i is command i + 1.
    const UINT command = static_cast<UINT>(index + 1);
    if (entry.Caption == "-") {
      AppendMenuW(menu_, MF_SEPARATOR, command, nullptr);
      return;
    }
    std::wstring caption = Wide(entry.Caption);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE;
    item.wID = command;
    item.dwTypeData = caption.data();
    item.fState = (entry.Default ? MFS_DEFAULT : 0u) | (entry.Checked ? MFS_CHECKED : 0u) |
                  (entry.Enabled ? 0u : MFS_DISABLED);
    if (entry.Picture) {
      if (HBITMAP bitmap = CreateMenuBitmap(*entry.Picture, pictureSide_)) {
        bitmaps_.push_back(bitmap);
        item.fMask |= MIIM_BITMAP;
        item.hbmpItem = bitmap;
      }
    }
    InsertMenuItemW(menu_, GetMenuItemCount(menu_), TRUE, &item);
  }

  HMENU menu_;
  int pictureSide_;
  std::vector<HBITMAP> bitmaps_;
};

}  // namespace

TModalResult TWin32Dialogs::ShowMessageBox(TWindowHandle owner, const std::string& text,
                                           const std::string& caption, TMsgButtons buttons, TMsgIcon icon) {
  const TGermanMessageBoxButtons german;
  const int answer = MessageBoxW(MessageBoxOwner(reinterpret_cast<HWND>(owner)), Wide(text).c_str(), Wide(caption).c_str(),
                                 static_cast<UINT>(buttons) | static_cast<UINT>(icon));
  RethrowHandlerException();
  return static_cast<TModalResult>(answer);
}

int TWin32Dialogs::TrackPopupMenu(const std::vector<TPopupEntry>& entries, TPoint screenPos,
                                  TWindowHandle owner) {
  const int dpi = DpiAtPoint(POINT{screenPos.X, screenPos.Y});
  const TPopupMenu menu(entries, TIconImage::kWidth * WholePictureFactor(dpi));
  if (!menu.Handle()) return -1;
  HWND ownerWindow = reinterpret_cast<HWND>(owner ? owner : fallbackOwner_());
  const int command = static_cast<int>(::TrackPopupMenu(menu.Handle(),
                                                        TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                                        screenPos.X, screenPos.Y, 0, ownerWindow, nullptr));
  RethrowHandlerException();
  return command - 1;
}

}  // namespace zerka::win32
