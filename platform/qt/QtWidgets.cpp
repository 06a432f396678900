#include "platform/qt/QtWidgets.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QToolButton>
#include <qdrawutil.h>

#include <algorithm>

#include "framework/Controls.h"
#include "platform/qt/QtAccessibility.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtIcons.h"
#include "platform/qt/QtText.h"

namespace zerka::qt {
namespace {

constexpr int kSpinButtonWidth = 15;
constexpr int kStatusIndent = 2;

class TFormWidget : public QWidget {
 public:
  TFormWidget(const TFormDesc& desc, TQtDesktop& desktop, TWindowHandle handle)
      : QWidget(nullptr, FlagsFor(desc)), desktop_(desktop), handle_(handle), maximizable_(desc.MaximizeBox) {
    // Before anything makes Qt ask for the accessible object, which it keeps.
    MarkAsDialog(this);
    setWindowTitle(ToQString(desc.Caption));
    setFont(DialogFont());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Button));
    setPalette(colours);
    setAutoFillBackground(true);
    if (desc.Resizable) {
      resize(desc.Bounds.Width, desc.Bounds.Height);
    } else {
      setFixedSize(desc.Bounds.Width, desc.Bounds.Height);
    }
    move(desc.Bounds.Left, desc.Bounds.Top);
  }

 protected:
  void closeEvent(QCloseEvent* event) override {
    // The form decides for itself whether and how it closes.
    event->ignore();
    TMessage close{msg::Close, 0, 0, 0};
    desktop_.DeliverFromQt(handle_, close);
  }

  void changeEvent(QEvent* event) override {
    constexpr Qt::WindowStates kEnlarged = Qt::WindowMaximized | Qt::WindowFullScreen;
    if (event->type() == QEvent::WindowStateChange && !maximizable_ && (windowState() & kEnlarged)) {
      // Qt's own title bar under Wayland offers maximising whatever the window's hints say.
      setWindowState(windowState() & ~kEnlarged);
      return;
    }
    if (event->type() == QEvent::WindowStateChange) {
      desktop_.FormStateChanged(handle_, windowState().testFlag(Qt::WindowMinimized));
    }
    QWidget::changeEvent(event);
  }

  void keyPressEvent(QKeyEvent* event) override {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (plain && (enter || event->key() == Qt::Key_Escape) &&
        desktop_.PressFormButton(handle_, event->key() == Qt::Key_Escape)) {
      return;
    }
    QWidget::keyPressEvent(event);
  }

  // Tab and Shift+Tab go round the tab order as a ring.
  bool focusNextPrevChild(bool next) override {
    return desktop_.MoveFocus(handle_, next) || QWidget::focusNextPrevChild(next);
  }

 private:
  static Qt::WindowFlags FlagsFor(const TFormDesc& desc) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (desc.MinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    if (desc.MaximizeBox) flags |= Qt::WindowMaximizeButtonHint;
    return flags;
  }

  TQtDesktop& desktop_;
  TWindowHandle handle_;
  bool maximizable_;
};

// A lowered outer bevel around a raised inner one.
class TBevelPanel : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), true, 1);
    qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
  }
};

class TPasswordStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

// Typed characters, the arrow keys and the focus leaving go to the control's handler first.
class TEditFilter : public QObject {
 public:
  TEditFilter(QObject* parent, TQtDesktop& desktop, TWindowHandle handle)
      : QObject(parent), desktop_(desktop), handle_(handle) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusOut) {
      TMessage left{control_msg::KillFocus, 0, 0, 0};
      desktop_.DeliverFromQt(handle_, left);
    } else if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Up) return Deliver(control_msg::KeyDown, control_msg::VkUp);
      if (key->key() == Qt::Key_Down) return Deliver(control_msg::KeyDown, control_msg::VkDown);
      const bool dialogKey = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                             key->key() == Qt::Key_Escape || key->key() == Qt::Key_Tab ||
                             key->key() == Qt::Key_Backtab;
      // Alt with a key that no access key took types nothing (Ctrl+Alt is AltGr on some
      // keyboards and types as usual).
      const Qt::KeyboardModifiers held = key->modifiers();
      if (held.testFlag(Qt::AltModifier) && !held.testFlag(Qt::ControlModifier) && !key->text().isEmpty()) {
        return true;
      }
      if (!dialogKey && key->text().size() == 1) {
        const char16_t unit = key->text().front().unicode();
        return Deliver(control_msg::Char, static_cast<unsigned char>(unit <= 0xFF ? unit : '?'));
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  // True when the handler took the key, which then goes no further.
  bool Deliver(std::uint32_t message, std::uintptr_t key) {
    TMessage sent{message, key, 0, 0};
    return desktop_.DeliverFromQt(handle_, sent);
  }

  TQtDesktop& desktop_;
  TWindowHandle handle_;
};

void SendCommand(TQtDesktop& desktop, TWindowHandle handle, std::uintptr_t code) {
  TMessage command{msg::Command, code, static_cast<std::intptr_t>(handle), 0};
  desktop.DeliverFromQt(handle, command);
}

QLineEdit* MakeEdit(QWidget* parent, const TControlDesc& desc, TQtDesktop& desktop, TWindowHandle handle) {
  auto* edit = new QLineEdit(ToQString(desc.Text), parent);
  edit->installEventFilter(new TEditFilter(edit, desktop, handle));
  QObject::connect(edit, &QLineEdit::textChanged, edit,
                   [&desktop, handle] { SendCommand(desktop, handle, control_notify::Changed); });
  if (desc.Kind == TControlKind::PasswordEdit) {
    auto* style = new TPasswordStyle;
    style->setParent(edit);
    edit->setStyle(style);
    edit->setEchoMode(QLineEdit::Password);
  }
  return edit;
}

TControlWidgets MakeSpinEdit(QWidget* parent, const TControlDesc& desc, TQtDesktop& desktop,
                             TWindowHandle handle) {
  auto* frame = new QWidget(parent);
  QLineEdit* edit = MakeEdit(frame, desc, desktop, handle);
  const int width = desc.Bounds.Width;
  const int height = desc.Bounds.Height;
  edit->setGeometry(0, 0, width - kSpinButtonWidth, height);
  frame->setFocusProxy(edit);
  const auto arrow = [&](Qt::ArrowType direction, int top, int buttonHeight, std::uintptr_t key) {
    auto* button = new QToolButton(frame);
    button->setArrowType(direction);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    button->setGeometry(width - kSpinButtonWidth, top, kSpinButtonWidth, buttonHeight);
    button->setAccessibleName(direction == Qt::UpArrow ? QString::fromUtf8("Erhöhen") : QStringLiteral("Verringern"));
    QObject::connect(button, &QToolButton::clicked, button, [&desktop, handle, key] {
      TMessage step{control_msg::KeyDown, key, 0, 0};
      desktop.DeliverFromQt(handle, step);
    });
  };
  arrow(Qt::UpArrow, 0, height / 2, control_msg::VkUp);
  arrow(Qt::DownArrow, height / 2, height - height / 2, control_msg::VkDown);
  return {frame, edit};
}

QWidget* MakeButton(QWidget* parent, const TControlDesc& desc, TQtDesktop& desktop, TWindowHandle handle) {
  auto* button = new QPushButton(ToQString(desc.Text), parent);
  if (desc.Glyph) {
    button->setIcon(ToButtonIcon(*desc.Glyph));
    button->setIconSize(QSize(desc.Glyph->Normal.Width, desc.Glyph->Normal.Height));
  }
  // Enter presses the focused button, as in any dialog.
  button->setAutoDefault(true);
  button->setDefault(desc.Default);
  QObject::connect(button, &QPushButton::clicked, button,
                   [&desktop, handle] { SendCommand(desktop, handle, control_notify::Clicked); });
  return button;
}

}  // namespace

QFont DialogFont() {
  // The layout's own font where it is installed, else faces of Arial's widths (the layout's
  // labels are measured for text that narrow), else a condensed one; a wide sans-serif
  // would run the labels under their fields.
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                    QStringLiteral("Arial"), QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("sans-serif")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  return font;
}

QWidget* MakeFormWidget(const TFormDesc& desc, TQtDesktop& desktop, TWindowHandle handle) {
  return new TFormWidget(desc, desktop, handle);
}

TControlWidgets MakeControlWidget(QWidget* parent, const TControlDesc& desc, TQtDesktop& desktop,
                                  TWindowHandle handle) {
  TControlWidgets made;
  const QString text = ToQString(desc.Text);
  switch (desc.Kind) {
    case TControlKind::CheckBox: {
      auto* box = new QCheckBox(text, parent);
      QObject::connect(box, &QCheckBox::clicked, box,
                       [&desktop, handle] { SendCommand(desktop, handle, control_notify::Clicked); });
      made.Outer = box;
      break;
    }
    case TControlKind::Edit:
    case TControlKind::PasswordEdit:
      made.Edit = MakeEdit(parent, desc, desktop, handle);
      made.Outer = made.Edit;
      break;
    case TControlKind::SpinEdit:
      made = MakeSpinEdit(parent, desc, desktop, handle);
      break;
    case TControlKind::Button:
      made.Outer = MakeButton(parent, desc, desktop, handle);
      break;
    case TControlKind::Label: {
      auto* label = new QLabel(text, parent);
      label->setTextFormat(Qt::PlainText);
      made.Outer = label;
      break;
    }
    case TControlKind::Panel:
      made.Outer = new TBevelPanel(parent);
      break;
    case TControlKind::GroupBox:
      made.Outer = new QGroupBox(text, parent);
      break;
    case TControlKind::StatusBar: {
      auto* bar = new QLabel(parent);
      MarkAsStatusBar(bar);
      bar->setTextFormat(Qt::PlainText);
      bar->setText(text);
      bar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      bar->setIndent(kStatusIndent);
      made.Outer = bar;
      break;
    }
  }
  QRect bounds(desc.Bounds.Left, desc.Bounds.Top, desc.Bounds.Width, desc.Bounds.Height);
  // A label is as wide as its caption.
  if (desc.Kind == TControlKind::Label) bounds.setWidth(made.Outer->sizeHint().width());
  made.Outer->setGeometry(bounds);
  if (desc.TabOrder < 0) made.Outer->setFocusPolicy(Qt::NoFocus);
  made.Outer->setEnabled(desc.Enabled);
  made.Outer->show();
  return made;
}

void SetControlText(QWidget* outer, QLineEdit* edit, TControlKind kind, const std::string& text) {
  const QString shown = ToQString(text);
  if (edit) {
    // The user's place in a focused field stays where it was.
    const bool focused = edit->hasFocus();
    const int cursor = edit->cursorPosition();
    const int selectionStart = edit->selectionStart();
    const int selectionLength = static_cast<int>(edit->selectedText().size());
    edit->setText(shown);
    if (!focused) return;
    const int length = static_cast<int>(shown.size());
    if (selectionStart >= 0) {
      const int start = std::min(selectionStart, length);
      edit->setSelection(start, std::min(selectionLength, length - start));
    } else {
      edit->setCursorPosition(std::min(cursor, length));
    }
  } else if (auto* button = qobject_cast<QAbstractButton*>(outer)) {
    button->setText(shown);
  } else if (auto* label = qobject_cast<QLabel*>(outer)) {
    label->setText(shown);
    if (kind == TControlKind::Label) label->resize(label->sizeHint().width(), label->height());
  } else if (auto* group = qobject_cast<QGroupBox*>(outer)) {
    group->setTitle(shown);
  }
}

std::string ControlText(QWidget* outer, QLineEdit* edit, TControlKind) {
  if (edit) return FromQString(edit->text());
  if (auto* button = qobject_cast<QAbstractButton*>(outer)) return FromQString(button->text());
  if (auto* label = qobject_cast<QLabel*>(outer)) return FromQString(label->text());
  if (auto* group = qobject_cast<QGroupBox*>(outer)) return FromQString(group->title());
  return {};
}

}  // namespace zerka::qt
