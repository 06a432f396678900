#include "platform/qt/QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QMenu>
#include <QMessageBox>

#include <utility>

#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtIcons.h"
#include "platform/qt/QtText.h"

namespace zerka::qt {
namespace {

QMessageBox::Icon BoxIcon(TMsgIcon icon) {
  switch (icon) {
    case TMsgIcon::Stop: return QMessageBox::Critical;
    case TMsgIcon::Question: return QMessageBox::Question;
    case TMsgIcon::Warning: return QMessageBox::Warning;
    case TMsgIcon::Information: return QMessageBox::Information;
    case TMsgIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(TMsgButtons buttons) {
  switch (buttons) {
    case TMsgButtons::OKCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case TMsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case TMsgButtons::OK: break;
  }
  return QMessageBox::Ok;
}

// The buttons speak German whatever the desktop's language, as the rest of the program does.
void GermanButtonTexts(QMessageBox& box) {
  const std::pair<QMessageBox::StandardButton, const char*> texts[] = {
      {QMessageBox::Ok, "OK"}, {QMessageBox::Cancel, "Abbrechen"}, {QMessageBox::Yes, "&Ja"}, {QMessageBox::No, "&Nein"}};
  for (const auto& [which, text] : texts) {
    if (QAbstractButton* button = box.button(which)) button->setText(QString::fromLatin1(text));
  }
}

TModalResult Answer(int pressed, TMsgButtons buttons) {
  switch (pressed) {
    case QMessageBox::Ok: return TModalResult::OK;
    case QMessageBox::Cancel: return TModalResult::Cancel;
    case QMessageBox::Yes: return TModalResult::Yes;
    case QMessageBox::No: return TModalResult::No;
    default: break;
  }
  // Dismissed some other way: what Escape would have answered.
  switch (buttons) {
    case TMsgButtons::OKCancel: return TModalResult::Cancel;
    case TMsgButtons::YesNo: return TModalResult::No;
    case TMsgButtons::OK: break;
  }
  return TModalResult::OK;
}

}  // namespace

TModalResult TQtDialogs::ShowMessageBox(TWindowHandle owner, const std::string& text, const std::string& caption,
                                        TMsgButtons buttons, TMsgIcon icon) {
  QWidget* parent = desktop_.WidgetOf(owner);
  if (parent && !parent->isVisible()) parent = nullptr;
  // Asked for by the application window, which has no face: the box belongs to the window the
  // user is in, which gets the keyboard back where it was once the box is answered.
  if (!parent) parent = QApplication::activeWindow();
  const QPointer<QWidget> focused = QApplication::focusWidget();
  QMessageBox box(BoxIcon(icon), ToQString(caption), ToDisplayText(text), BoxButtons(buttons), parent);
  box.setTextFormat(Qt::PlainText);
  GermanButtonTexts(box);
  if (buttons == TMsgButtons::OKCancel) box.setEscapeButton(QMessageBox::Cancel);
  if (buttons == TMsgButtons::YesNo) box.setEscapeButton(QMessageBox::No);
  const int pressed = box.exec();
  if (focused && focused->isVisible()) {
    focused->window()->activateWindow();
    focused->setFocus(Qt::ActiveWindowFocusReason);
  }
  return Answer(pressed, buttons);
}

int TQtDialogs::TrackPopupMenu(const std::vector<TPopupEntry>& entries, TPoint screenPos, TWindowHandle) {
  QMenu menu;
  std::vector<QAction*> actions;
  for (const TPopupEntry& entry : entries) {
    if (entry.Caption == "-") {
      actions.push_back(menu.addSeparator());
      continue;
    }
    QAction* action = menu.addAction(ToQString(entry.Caption));
    if (entry.Picture) action->setIcon(ToIcon(entry.Picture));
    action->setEnabled(entry.Enabled);
    if (entry.Checked) {
      action->setCheckable(true);
      action->setChecked(true);
    }
    if (entry.Default) {
      QFont bold = action->font();
      bold.setBold(true);
      action->setFont(bold);
    }
    actions.push_back(action);
  }
  const QAction* chosen = menu.exec(QPoint(screenPos.X, screenPos.Y));
  for (std::size_t i = 0; i < actions.size(); ++i) {
    if (actions[i] == chosen && chosen) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace zerka::qt
