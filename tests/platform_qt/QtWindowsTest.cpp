// The monitor window and the loop on the Qt platform, without a tray (offscreen will do).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QLocale>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <stdexcept>

#include "framework/Application.h"
#include "monitor/Unit1.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtLocale.h"
#include "platform/qt/QtText.h"
#include "platform/qt/SettingsFile.h"
#include "QtTestSupport.h"

namespace zerka::qt {
namespace {

class QtWindowsTest : public ::testing::Test {
 protected:
  QtWindowsTest() : platform(InstallForTest(folder.Path())) {}
  ~QtWindowsTest() override { application.reset(); }

  void Start() {
    application = std::make_unique<TApplication>();
    application->SetTitle(ProgramTitle());
    application->ShowMainForm = false;
    form = new TZerka2Remote2Config(application.get());
  }
  QWidget* Widget(const TControl* control) { return platform->Desktop().WidgetOf(control->Handle()); }
  QLineEdit* LineEdit(const TControl* control) {
    QWidget* widget = Widget(control);
    auto* edit = qobject_cast<QLineEdit*>(widget);
    return edit ? edit : widget->findChild<QLineEdit*>();
  }
  QWidget* FormWidget() { return platform->Desktop().WidgetOf(form->Handle()); }
  std::filesystem::path SettingsFile() const { return folder.Path() / "Velmarin" / "Zerka 2 Remote 2.ini"; }

  TTempFolder folder;
  std::unique_ptr<TQtPlatformInstallation> platform;
  std::unique_ptr<TApplication> application;
  TZerka2Remote2Config* form = nullptr;
};

TEST_F(QtWindowsTest, TheWindowGetsItsWidgetsOnlyWhenFirstShown) {
  Start();
  // What the hidden window goes through: a polling cycle's texts and a message box.
  form->Status->SetText("Verbunden");
  form->StatusBar1->SetSimpleText("Proxy-Anfrage abgeschlossen");
  form->httpBenutzername->SetText("anna");
  QTimer::singleShot(0, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      box->button(QMessageBox::Cancel)->click();
    }
  });
  form->Close();
  EXPECT_EQ(FormWidget(), nullptr);
  for (TComponent* component : form->Components()) {
    if (const auto* control = dynamic_cast<TControl*>(component)) {
      EXPECT_EQ(Widget(control), nullptr) << control->Name;
    }
  }
  EXPECT_EQ(form->Status->Text(), "Verbunden");
  EXPECT_EQ(form->StatusBar1->SimpleText(), "Proxy-Anfrage abgeschlossen");

  form->Show();
  ASSERT_NE(FormWidget(), nullptr);
  EXPECT_TRUE(FormWidget()->isVisible());
  EXPECT_EQ(LineEdit(form->Status)->text(), QStringLiteral("Verbunden"));
  EXPECT_EQ(LineEdit(form->httpBenutzername)->text(), QStringLiteral("anna"));
  EXPECT_EQ(qobject_cast<QLabel*>(Widget(form->StatusBar1))->text(), QStringLiteral("Proxy-Anfrage abgeschlossen"));
  EXPECT_EQ(LineEdit(form->ProxyHost)->text(), QStringLiteral("127.0.0.1")) << "set while showing";
  form->Status->SetText("Getrennt");
  EXPECT_EQ(LineEdit(form->Status)->text(), QStringLiteral("Getrennt"));
}

TEST_F(QtWindowsTest, ControlsStandAtTheirLayoutPositionsInAFixedWindow) {
  Start();
  form->Show();
  QWidget* window = FormWidget();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->size(), QSize(397, 512));
  EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "not resizable";
  EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(window->font().pixelSize(), 11);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Zerka2Remote2Config"));

  int checked = 0;
  for (TComponent* component : form->Components()) {
    const auto* control = dynamic_cast<TControl*>(component);
    if (!control) continue;
    QWidget* widget = Widget(control);
    ASSERT_NE(widget, nullptr) << control->Name;
    const TRect bounds = control->Bounds();
    EXPECT_EQ(widget->pos(), QPoint(bounds.Left, bounds.Top)) << control->Name;
    EXPECT_EQ(widget->height(), bounds.Height) << control->Name;
    if (control->Kind() != TControlKind::Label) {
      EXPECT_EQ(widget->width(), bounds.Width) << control->Name;
    }
    const TWindowHandle parent = control->Parent() ? control->Parent()->Handle() : form->Handle();
    EXPECT_EQ(widget->parentWidget(), platform->Desktop().WidgetOf(parent)) << control->Name;
    ++checked;
  }
  EXPECT_EQ(checked, 32);
  EXPECT_EQ(qobject_cast<QAbstractButton*>(Widget(form->BitBtn5))->text(), QString::fromUtf8("Übernehmen"));
  EXPECT_EQ(LineEdit(form->httpPasswort)->echoMode(), QLineEdit::Password);
}

TEST_F(QtWindowsTest, NoLabelRunsIntoAField) {
  Start();
  form->Show();
  for (TComponent* component : form->Components()) {
    const auto* label = dynamic_cast<TLabel*>(component);
    if (!label) continue;
    const QRect caption = Widget(label)->geometry();
    EXPECT_GE(caption.width(), Widget(label)->fontMetrics().horizontalAdvance(ToQString(label->Text())))
        << label->Name << ": the whole caption shows";
    for (TComponent* other : form->Components()) {
      const auto* field = dynamic_cast<TControl*>(other);
      if (!field || field == label || field->Parent() != label->Parent() || field->Kind() == TControlKind::Label) {
        continue;
      }
      EXPECT_FALSE(caption.intersects(Widget(field)->geometry())) << label->Name << " runs into " << field->Name;
    }
  }
}

TEST_F(QtWindowsTest, TabFollowsTheTabOrderIntoTheContainers) {
  Start();
  form->Show();
  const std::vector<TControl*> sequence = TabSequence(*form);
  ASSERT_GE(sequence.size(), 2u);
  // Walk Qt's focus chain from the first control and keep the controls of the sequence.
  std::vector<QWidget*> expected;
  for (const TControl* control : sequence) {
    QWidget* widget = Widget(control);
    expected.push_back(widget->focusProxy() ? widget->focusProxy() : widget);
  }
  std::vector<QWidget*> walked{expected.front()};
  for (QWidget* next = expected.front()->nextInFocusChain(); next != expected.front() && walked.size() < expected.size();
       next = next->nextInFocusChain()) {
    if (std::find(expected.begin(), expected.end(), next) != expected.end()) walked.push_back(next);
  }
  EXPECT_EQ(walked, expected);
  EXPECT_EQ(sequence[1], form->ProxyPort) << "the panel's port field comes right after Aktiviert";
}

TEST_F(QtWindowsTest, KeysReachTheSpinFieldAndTheDialogButtons) {
  Start();
  form->Show();
  QLineEdit* port = LineEdit(form->ProxyPort);
  port->setText("4295");
  QTest::keyClick(port, Qt::Key_A);
  EXPECT_EQ(port->text(), QStringLiteral("4295")) << "a letter is refused";
  QTest::keyClick(port, Qt::Key_End);
  QTest::keyClick(port, Qt::Key_7);
  EXPECT_EQ(port->text(), QStringLiteral("42957"));
  QTest::keyClick(port, Qt::Key_Up);
  EXPECT_EQ(port->text(), QStringLiteral("42958"));
  port->setText("65535");
  QTest::keyClick(port, Qt::Key_Up);
  EXPECT_EQ(port->text(), QStringLiteral("65535"));

  // Escape presses "Abbrechen": hidden, nothing written.
  QTest::keyClick(LineEdit(form->ProxyHost), Qt::Key_Escape);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(std::filesystem::exists(SettingsFile()));

  // Enter in a field presses "OK": applied, written, hidden.
  form->Show();
  LineEdit(form->ProxyPort)->setText("70000");
  LineEdit(form->ProxyHost)->setText("zerka.lan");
  QTest::keyClick(LineEdit(form->ProxyPort), Qt::Key_Return);
  EXPECT_FALSE(form->Visible());
  std::ifstream in(SettingsFile());
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const TSettingsValues values = ParseSettingsFile(text, "Zerka 2 Remote 2");
  ASSERT_NE(FindSettingsValue(values, "Proxy Port"), nullptr);
  EXPECT_EQ(*FindSettingsValue(values, "Proxy Port"), "65535");
  EXPECT_EQ(*FindSettingsValue(values, "Proxy Host"), "zerka.lan");
}

TEST_F(QtWindowsTest, MinimisingSendsTheWindowToTheTrayEveryTime) {
  Start();
  for (int round = 0; round < 2; ++round) {
    form->Einstellungen1Click(form);
    ASSERT_TRUE(form->Visible());
    EXPECT_TRUE(FormWidget()->isVisible());
    EXPECT_FALSE(platform->Desktop().IsIconic(form->Handle()));
    // The title bar's minimise box.
    FormWidget()->setWindowState(Qt::WindowMinimized);
    EXPECT_FALSE(form->Visible()) << "round " << round;
    EXPECT_FALSE(FormWidget()->isVisible()) << "round " << round;
    EXPECT_FALSE(platform->Desktop().IsWindowVisible(application->Handle())) << "no taskbar entry left";
  }
}

// What a title bar's maximise button asks for, Qt's own under Wayland included.
TEST_F(QtWindowsTest, TheFixedWindowIsNeverMaximised) {
  Start();
  form->Einstellungen1Click(form);
  const QSize size = FormWidget()->size();
  for (const Qt::WindowState state : {Qt::WindowMaximized, Qt::WindowFullScreen}) {
    FormWidget()->setWindowState(state);
    QApplication::processEvents();
    EXPECT_EQ(FormWidget()->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen), Qt::WindowNoState);
    EXPECT_EQ(FormWidget()->size(), size);
    EXPECT_TRUE(form->Visible());
  }
}

TEST_F(QtWindowsTest, TheCloseBoxAsksAndKeepsTheProgramOnCancel) {
  Start();
  form->Show();
  int asked = 0;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    ++asked;
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Beenden"));
    box->button(QMessageBox::Cancel)->click();
  });
  FormWidget()->close();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(form->Visible());
  EXPECT_FALSE(application->Terminated());
}

// True when every drawn pixel of the picture shows, in its colour, at one place in the image.
bool ShowsWhole(const QImage& image, const TPicture& picture) {
  for (int top = 0; top + picture.Height <= image.height(); ++top) {
    for (int left = 0; left + picture.Width <= image.width(); ++left) {
      bool whole = true;
      for (int y = 0; whole && y < picture.Height; ++y) {
        for (int x = 0; whole && x < picture.Width; ++x) {
          whole = picture.TransparentAt(x, y) || (image.pixel(left + x, top + y) & 0xFFFFFFu) == picture.ColorAt(x, y);
        }
      }
      if (whole) return true;
    }
  }
  return false;
}

TEST_F(QtWindowsTest, ButtonsShowTheirWholePictureAndTheDisabledOneWhileDisabled) {
  Start();
  form->Show();
  for (TBitBtn* button : {form->BitBtn1, form->BitBtn2, form->BitBtn3, form->BitBtn4, form->BitBtn5}) {
    SCOPED_TRACE(button->Name);
    ASSERT_TRUE(button->Glyph());
    EXPECT_TRUE(ShowsWhole(Widget(button)->grab().toImage(), button->Glyph()->Normal));
    button->SetEnabled(false);
    EXPECT_FALSE(Widget(button)->isEnabled());
    EXPECT_TRUE(ShowsWhole(Widget(button)->grab().toImage(), button->Glyph()->Disabled));
    button->SetEnabled(true);
  }
}

TEST_F(QtWindowsTest, TheSessionsEndStopsPollingAndEndsTheLoopWithoutAQuestion) {
  Start();
  form->Timer1->SetEnabled(true);
  int asked = 0;
  // Answers a question, should one come; it goes with the test.
  QTimer answer;
  answer.setSingleShot(true);
  QObject::connect(&answer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      ++asked;
      box->button(QMessageBox::Cancel)->click();
    }
  });
  answer.start(0);
  // Wakes the loop, so that a loop left running fails the test instead of waiting for ever.
  QTimer wake;
  wake.setSingleShot(true);
  wake.start(5000);
  QEvent quit(QEvent::Quit);
  QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
  EXPECT_FALSE(form->Timer1->Enabled());
  EXPECT_FALSE(platform->Platform().EventLoop().WaitAndDispatch());
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(std::filesystem::exists(SettingsFile()));
}

TEST_F(QtWindowsTest, TheTimeStampIsTheSystemLocalesShortDateAndLongTimeWithoutZone) {
  const QLocale locale = QLocale::system();
  const QDateTime before = QDateTime::currentDateTime();
  const QString stamp = ToQString(platform->Platform().Locale().DateTimeText());
  const QDateTime after = QDateTime::currentDateTime();
  const QString timeFormat = WithoutTimeZone(locale.timeFormat(QLocale::LongFormat));
  bool matched = false;
  for (QDateTime at = before.addMSecs(-before.time().msec()); at <= after && !matched; at = at.addSecs(1)) {
    matched = stamp == locale.toString(at.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                           locale.toString(at.time(), timeFormat);
  }
  EXPECT_TRUE(matched) << stamp.toStdString();
  const QString zone = before.timeZoneAbbreviation();
  EXPECT_TRUE(zone.isEmpty() || !stamp.endsWith(zone)) << stamp.toStdString();
}

TEST(QtLocale, TimeFormatsLoseOnlyTheirZone) {
  EXPECT_EQ(WithoutTimeZone("HH:mm:ss t"), "HH:mm:ss");
  EXPECT_EQ(WithoutTimeZone("h:mm:ss AP t"), "h:mm:ss AP");
  EXPECT_EQ(WithoutTimeZone("t HH:mm"), "HH:mm");
  EXPECT_EQ(WithoutTimeZone("HH 'Uhr' mm"), "HH 'Uhr' mm");
  EXPECT_EQ(WithoutTimeZone("H'h'mm 'tag'"), "H'h'mm 'tag'");
}

// A bare form of the port with controls on it, recording the messages they receive.
struct TDesktopFixture {
  explicit TDesktopFixture(TQtDesktop& desktop)
      : Desktop(desktop), Form(desktop.CreateFormWindow({"Form", {100, 100, 200, 120}}, Record())) {}
  ~TDesktopFixture() {
    for (const TWindowHandle control : Controls) Desktop.DestroyWindow(control);
    Desktop.DestroyWindow(Form);
  }
  TWindowHandle Add(TControlKind kind, const std::string& text, TRect bounds, int tabOrder = -1) {
    TControlDesc desc;
    desc.Kind = kind;
    desc.Text = text;
    desc.Bounds = bounds;
    desc.TabOrder = tabOrder;
    Controls.push_back(Desktop.CreateControl(Form, desc, Record()));
    return Controls.back();
  }
  TMessageHandler Record() {
    return [this](TMessage& message) {
      Seen.push_back(message.Msg);
      return false;
    };
  }

  TQtDesktop& Desktop;
  std::vector<std::uint32_t> Seen;
  TWindowHandle Form;
  std::vector<TWindowHandle> Controls;
};

class QtLoopTest : public ::testing::Test {
 protected:
  QtLoopTest() : platform(InstallForTest(folder.Path())) {}
  TQtDesktop& Desktop() { return platform->Desktop(); }

  TTempFolder folder;
  std::unique_ptr<TQtPlatformInstallation> platform;
};

TEST_F(QtLoopTest, AFormKeepsItsControlsStateUntilItIsBuilt) {
  TDesktopFixture made(Desktop());
  const TWindowHandle box = made.Add(TControlKind::CheckBox, "Aktiv", {8, 8, 100, 17}, 0);
  const TWindowHandle spin = made.Add(TControlKind::SpinEdit, "10", {8, 30, 60, 21}, 1);
  const TWindowHandle gone = made.Add(TControlKind::Label, "Weg", {8, 60, 60, 13});
  Desktop().SetText(made.Form, "Titel");
  Desktop().SetChecked(box, true);
  Desktop().SetText(spin, "42");
  Desktop().SetFocus(spin);
  Desktop().ShowWindow(gone, TShowCommand::Hide);
  EXPECT_EQ(Desktop().WidgetOf(made.Form), nullptr);
  EXPECT_FALSE(Desktop().ShowWindow(made.Form, TShowCommand::Hide));
  EXPECT_EQ(Desktop().WidgetOf(made.Form), nullptr) << "hiding does not build";
  EXPECT_EQ(Desktop().GetText(made.Form), "Titel");
  EXPECT_TRUE(Desktop().GetChecked(box));
  EXPECT_EQ(Desktop().GetText(spin), "42");
  EXPECT_TRUE(made.Seen.empty()) << "nothing reaches the handlers before the widgets exist";

  Desktop().ShowWindow(made.Form, TShowCommand::ShowNormal);
  QWidget* window = Desktop().WidgetOf(made.Form);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Titel"));
  EXPECT_TRUE(qobject_cast<QCheckBox*>(Desktop().WidgetOf(box))->isChecked());
  QLineEdit* edit = Desktop().WidgetOf(spin)->findChild<QLineEdit*>();
  EXPECT_EQ(edit->text(), QStringLiteral("42"));
  EXPECT_EQ(window->focusWidget(), edit);
  EXPECT_FALSE(Desktop().WidgetOf(gone)->isVisible());
  EXPECT_TRUE(Desktop().WidgetOf(box)->isVisible());
  EXPECT_EQ(made.Seen, (std::vector<std::uint32_t>{msg::ShowWindow})) << "no change notice for the held text";

  // Once built, the widget is the truth.
  edit->setText("7");
  EXPECT_EQ(Desktop().GetText(spin), "7");
}

TEST_F(QtLoopTest, AMessageBoxKeepsTimersAndPostedMessagesRunning) {
  int ticks = 0;
  bool posted = false;
  const TWindowHandle window = Desktop().CreateMessageWindow([&](TMessage& message) {
    if (message.Msg == msg::User) posted = true;
    if (message.Msg != msg::Timer || message.WParam != 7) return false;
    if (++ticks == 3) {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box) box->button(QMessageBox::Cancel)->click();
    }
    return true;
  });
  ASSERT_TRUE(Desktop().SetTimer(window, 7, 20));
  ASSERT_TRUE(Desktop().PostWindowMessage(window, msg::User, 0, 0));
  const TModalResult answer = platform->Platform().Dialogs().ShowMessageBox(
      0, "Weiter?", "Frage", TMsgButtons::OKCancel, TMsgIcon::Question);
  EXPECT_EQ(answer, TModalResult::Cancel);
  EXPECT_EQ(ticks, 3);
  EXPECT_TRUE(posted);
  EXPECT_TRUE(Desktop().KillTimer(window, 7));
  EXPECT_FALSE(Desktop().KillTimer(window, 7));
  Desktop().DestroyMessageWindow(window);
}

TEST_F(QtLoopTest, PostedMessagesArriveInOrderAndNeverAtAWindowThatIsGone) {
  std::vector<std::uintptr_t> seen;
  const auto record = [&](TMessage& message) {
    seen.push_back(message.WParam);
    return true;
  };
  const TWindowHandle first = Desktop().CreateMessageWindow(record);
  const TWindowHandle gone = Desktop().CreateMessageWindow(record);
  Desktop().PostWindowMessage(first, msg::User, 1, 0);
  Desktop().PostWindowMessage(gone, msg::User, 99, 0);
  Desktop().PostWindowMessages(first, {{msg::User, 2, 0, 0}, {msg::User, 3, 0, 0}});
  ASSERT_TRUE(Desktop().SetTimer(gone, 1, 10));
  Desktop().DestroyMessageWindow(gone);
  EXPECT_FALSE(Desktop().PostWindowMessage(gone, msg::User, 100, 0));
  EXPECT_TRUE(RunUntil([&] { return seen.size() >= 3; }));
  Desktop().DispatchPending();
  EXPECT_EQ(seen, (std::vector<std::uintptr_t>{1, 2, 3}));
  Desktop().DestroyMessageWindow(first);
}

TEST_F(QtLoopTest, AnExceptionFromAHandlerComesOutOfTheLoopNotThroughQt) {
  const TWindowHandle window = Desktop().CreateMessageWindow([](TMessage&) -> bool {
    throw std::runtime_error("kaputt");
  });
  Desktop().PostWindowMessage(window, msg::User, 0, 0);
  EXPECT_THROW(
      {
        for (int pass = 0; pass < 100; ++pass) Desktop().DispatchPending();
      },
      std::runtime_error);
  Desktop().DestroyMessageWindow(window);
}

TEST_F(QtLoopTest, AQuitEndsTheWaitingLoop) {
  const TWindowHandle window = Desktop().CreateMessageWindow([&](TMessage& message) {
    if (message.Msg == msg::Timer) Desktop().PostQuit();
    return true;
  });
  ASSERT_TRUE(Desktop().SetTimer(window, 1, 10));
  int passes = 0;
  while (Desktop().WaitAndDispatch()) ASSERT_LT(++passes, 1000);
  Desktop().DestroyMessageWindow(window);
}

}  // namespace
}  // namespace zerka::qt
