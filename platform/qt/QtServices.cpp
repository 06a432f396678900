#include "platform/qt/QtServices.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QMimeData>
#include <QStyleHints>
#include <QUrl>

#include "platform/qt/QtActivationToken.h"
#include "platform/qt/QtText.h"

namespace zerka::qt {

bool TQtServices::GetCursorPos(TPoint& pos) {
  const QPoint cursor = pointerAt_.value_or(QCursor::pos());
  pos = TPoint{cursor.x(), cursor.y()};
  return true;
}

bool TQtServices::IsKeyDown(TVirtualKey key) {
  const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
  switch (key) {
    case TVirtualKey::Shift: return held.testFlag(Qt::ShiftModifier);
    case TVirtualKey::Control: return held.testFlag(Qt::ControlModifier);
    case TVirtualKey::Menu: return held.testFlag(Qt::AltModifier);
  }
  return false;
}

std::uint32_t TQtServices::GetDoubleClickTime() {
  return static_cast<std::uint32_t>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}

void TQtServices::Beep() { QApplication::beep(); }

bool TQtServices::SetClipboardText(const std::string& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return false;
  clipboard->setText(ToQString(text));
  return true;
}

bool TQtServices::GetClipboardText(std::string& text) {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  if (!data || !data->hasText()) return false;
  text = FromQString(data->text());
  return true;
}

bool TQtServices::ShellOpen(TWindowHandle, const std::string& target, TShowCommand) {
  const QUrl url = QUrl::fromUserInput(ToQString(target));
  const bool opened = url.isValid() && QDesktopServices::openUrl(url);
  DropActivationToken();
  return opened;
}

}  // namespace zerka::qt
