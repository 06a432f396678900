#include "monitor/Unit1.h"

#include <algorithm>
#include <cstdint>
#include <exception>

#include "base/Exception.h"
#include "base/Latin1.h"
#include "framework/Clipboard.h"
#include "framework/Platform.h"
#include "framework/MessageWindow.h"
#include "framework/Registry.h"
#include "framework/Shell.h"
#include "monitor/Pictures.h"
#include "monitor/Unit1Resource.h"
#include "remote/LineStatusText.h"

namespace zerka {
namespace {

const std::string kSettingsKey = "Software\\Velmarin";
const std::string kSettingsSubkey = "Zerka 2 Remote 2";

constexpr int kPictureConnected = 0;
constexpr int kPictureDialling = 1;
constexpr int kPictureCountdownRestarted = 2;
constexpr int kPictureNotConnected = 3;
constexpr int kPictureAttemptFailed = 6;
constexpr int kPictureUnknown = 7;
constexpr int kPictureLocked = 8;

const std::string& Confirmation() {
  static const std::string text = "Bestehende Verbindungen werden gekappt!";
  return text;
}

}  // namespace

int TrayPictureFor(std::uint8_t lineState, std::uint8_t lockState, const std::string& address,
                   std::int32_t secondsUntilHangup, std::int32_t maxBefore) {
  switch (lineState) {
    case 0:
      return lockState == 1 ? kPictureLocked : kPictureNotConnected;
    case 1:
      if (address == "0.0.0.0") return kPictureDialling;
      return secondsUntilHangup >= maxBefore - 1 ? kPictureCountdownRestarted : kPictureConnected;
    case 2:
      return kPictureAttemptFailed;
    case 3:
      return kPictureDialling;
    case 4:
      return kPictureLocked;
    default:
      return kPictureUnknown;
  }
}

std::string ProgramTitle() { return "Zerka2 Remote"; }

std::string InformationText() {
  const std::string crlf = "\r\n";
  return "Copyright (c) 2026 the Zerka2 Remote developers" + crlf +
         "-=-=-=-" + crlf +
         crlf +
         "Programm: the Zerka2 Remote developers - https://zerka2remote.example.org/ (E-Mail: "
         "zerka2remote@example.org)" + crlf +
         "Proxy-Server: Zerka - https://www.zerka.example/" + crlf +
         "-=-=-=-" + crlf +
         crlf +
         "Die folgende Lizenz betrifft den Netzwerkcode des Programmes:" + crlf +
         "MIT License" + crlf +
         crlf +
         "Copyright (c) 2026 the Zerka2 Remote developers" + crlf +
         crlf +
         "Permission is hereby granted, free of charge, to any person obtaining a copy of this software "
         "and associated documentation files (the \"Software\"), to deal in the Software without "
         "restriction, including without limitation the rights to use, copy, modify, merge, publish, "
         "distribute, sublicense, and/or sell copies of the Software, and to permit persons to whom the "
         "Software is furnished to do so, subject to the following conditions:" + crlf +
         crlf +
         "The above copyright notice and this permission notice shall be included in all copies or "
         "substantial portions of the Software." + crlf +
         crlf +
         "THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, INCLUDING "
         "BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND "
         "NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, "
         "DAMAGES OR OTHER LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM, "
         "OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE SOFTWARE.";
}

std::string DateTimeText() { return Platform().Locale().DateTimeText(); }

// --- construction

TZerka2Remote2Config::TZerka2Remote2Config(TComponent* AOwner)
    : TCustomForm(AOwner, Zerka2Remote2ConfigLayout().Window) {
  Name = Zerka2Remote2ConfigLayout().Name;
  CreateComponents();
  OnShow = [this](TComponent* Sender) { FormShow(Sender); };
  OnClose = [this](TComponent* Sender, TCloseAction& Action) { FormClose(Sender, Action); };
  try {
    FormCreate(this);
  } catch (const std::exception& e) {
    HandleEventException(e);
  }
}

TZerka2Remote2Config::~TZerka2Remote2Config() {
  // The icon leaves the notification area and unhooks itself while the window still exists.
  delete SysTrayIcon1;
  DestroyControlPeers(*this);
}

template <class T>
T* TZerka2Remote2Config::Control(const std::string& name) const {
  for (TComponent* component : Components()) {
    if (component->Name != name) continue;
    if (auto* control = dynamic_cast<T*>(component)) return control;
  }
  throw Exception("Komponente " + name + " fehlt im Fenster");
}

TMenuItem* TZerka2Remote2Config::MenuItem(const std::string& name) const { return Control<TMenuItem>(name); }

void TZerka2Remote2Config::CreateComponents() {
  const TFormLayout& layout = Zerka2Remote2ConfigLayout();
  CreateLayoutControls(*this, layout);
  Aktiviert = Control<TCheckBox>("Aktiviert");
  Panel1 = Control<TPanel>("Panel1");
  Label1 = Control<TLabel>("Label1");
  ProxyHost = Control<TEdit>("ProxyHost");
  Label2 = Control<TLabel>("Label2");
  ProxyPort = Control<TSpinEdit>("ProxyPort");
  Label3 = Control<TLabel>("Label3");
  Abfrageinterval = Control<TSpinEdit>("Abfrageinterval");
  Label10 = Control<TLabel>("Label10");
  httpBenutzername = Control<TEdit>("httpBenutzername");
  Label11 = Control<TLabel>("Label11");
  httpPasswort = Control<TEdit>("httpPasswort");
  GroupBox1 = Control<TGroupBox>("GroupBox1");
  Label4 = Control<TLabel>("Label4");
  Internetverbindungen = Control<TEdit>("Internetverbindungen");
  Label5 = Control<TLabel>("Label5");
  Status = Control<TEdit>("Status");
  Label6 = Control<TLabel>("Label6");
  DFUEGesperrt = Control<TEdit>("DFUEGesperrt");
  Label7 = Control<TLabel>("Label7");
  Zeitbisauflegen = Control<TEdit>("Zeitbisauflegen");
  Label8 = Control<TLabel>("Label8");
  DFUEIP = Control<TEdit>("DFUEIP");
  Label9 = Control<TLabel>("Label9");
  Onlinezeit = Control<TEdit>("Onlinezeit");
  BitBtn1 = Control<TBitBtn>("BitBtn1");
  BitBtn2 = Control<TBitBtn>("BitBtn2");
  BitBtn3 = Control<TBitBtn>("BitBtn3");
  BitBtn4 = Control<TBitBtn>("BitBtn4");
  BitBtn5 = Control<TBitBtn>("BitBtn5");
  BalloonInfo = Control<TCheckBox>("BalloonInfo");
  StatusBar1 = Control<TStatusBar>("StatusBar1");
  RealiseControls(*this);

  BitBtn1->OnClick = [this](TComponent* Sender) { BitBtn1Click(Sender); };
  BitBtn2->OnClick = [this](TComponent* Sender) { BitBtn2Click(Sender); };
  // A Close-kind button closes the window itself; this binding never runs.
  BitBtn3->OnClick = [this](TComponent* Sender) { Ende1Click(Sender); };
  BitBtn4->OnClick = [this](TComponent* Sender) { BitBtn4Click(Sender); };
  BitBtn5->OnClick = [this](TComponent* Sender) { BitBtn5Click(Sender); };

  ImageList1 = new TImageList(this);
  ImageList1->Name = "ImageList1";
  for (const TIconImagePtr& picture : TrayPictures()) ImageList1->Add(picture);
  ImageList2 = new TImageList(this);
  ImageList2->Name = "ImageList2";
  for (const TIconImagePtr& picture : MenuPictures()) ImageList2->Add(picture);

  PopupMenu1 = new TPopupMenu(this);
  PopupMenu1->Name = "PopupMenu1";
  PopupMenu1->SetImages(ImageList2);
  for (const TMenuItemLayout& entry : layout.Menu) {
    auto* item = new TMenuItem(this, PopupMenu1);
    item->Name = entry.Name;
    item->Caption = entry.Caption;
    item->ImageIndex = entry.ImageIndex;
  }
  Einstellungen1 = MenuItem("Einstellungen1");
  N4 = MenuItem("N4");
  Zerka2beenden1 = MenuItem("Zerka2beenden1");
  Zerka2neustarten1 = MenuItem("Zerka2neustarten1");
  Zerka2Einstellungen1 = MenuItem("Zerka2Einstellungen1");
  N3 = MenuItem("N3");
  IPindieZwischenablagekopieren1 = MenuItem("IPindieZwischenablagekopieren1");
  N1 = MenuItem("N1");
  LogOut1 = MenuItem("LogOut1");
  Mailsabholen1 = MenuItem("Mailsabholen1");
  Df1 = MenuItem("Df1");
  N2 = MenuItem("N2");
  Ende1 = MenuItem("Ende1");
  Einstellungen1->OnClick = [this](TComponent* Sender) { Einstellungen1Click(Sender); };
  Zerka2beenden1->OnClick = [this](TComponent* Sender) { Zerka2beenden1Click(Sender); };
  Zerka2neustarten1->OnClick = [this](TComponent* Sender) { Zerka2neustarten1Click(Sender); };
  Zerka2Einstellungen1->OnClick = [this](TComponent* Sender) { Zerka2Einstellungen1Click(Sender); };
  IPindieZwischenablagekopieren1->OnClick = [this](TComponent* Sender) {
    IPindieZwischenablagekopieren1Click(Sender);
  };
  LogOut1->OnClick = [this](TComponent* Sender) { LogOut1Click(Sender); };
  Mailsabholen1->OnClick = [this](TComponent* Sender) { Mailsabholen1Click(Sender); };
  Df1->OnClick = [this](TComponent* Sender) { Df1Click(Sender); };
  Ende1->OnClick = [this](TComponent* Sender) { Ende1Click(Sender); };

  Timer1 = new TTimer(this);
  Timer1->Name = "Timer1";
  Timer1->SetEnabled(layout.Timer.Enabled);
  Timer1->SetInterval(layout.Timer.Interval);
  Timer1->SetOnTimer([this](TComponent* Sender) { Timer1Timer(Sender); });

  Zerka2Remote1 = new TZerka2Remote(this);
  Zerka2Remote1->Name = "Zerka2Remote1";
  Zerka2Remote1->SetOnError([this](TComponent* Sender, const std::string& Text) { Zerka2Remote1Error(Sender, Text); });
  Zerka2Remote1->SetShowMessage([](const std::string& Text) {
    if (Application) Application->MessageBox(Text, Application->Title(), TMsgButtons::OK);
  });

  SysTrayIcon1 = new TSysTrayIcon(this);
  SysTrayIcon1->Name = "SysTrayIcon1";
  SysTrayIcon1->BeginLoading();
  SysTrayIcon1->SetIconList(ImageList1);
  SysTrayIcon1->SetCycleInterval(layout.TrayIcon.CycleInterval);
  TIcon initial;
  initial.SetImage(InitialTrayPicture());
  SysTrayIcon1->SetIcon(initial);
  SysTrayIcon1->SetIconVisible(layout.TrayIcon.IconVisible);
  SysTrayIcon1->SetIconIndex(layout.TrayIcon.IconIndex);
  SysTrayIcon1->SetPopupMenu(PopupMenu1);
  SysTrayIcon1->MinimizeToTray = layout.TrayIcon.MinimizeToTray;
  SysTrayIcon1->Loaded();
}

void TZerka2Remote2Config::ShowTrayPicture(int index) {
  ImageList1->GetIcon(index, SysTrayIcon1->Icon());
  SysTrayIcon1->RefreshIcon();
}

// --- lifecycle and settings

void TZerka2Remote2Config::FormCreate(TComponent*) {
  TRegistry registry;
  registry.OpenKey(kSettingsKey, true);
  Zerka2Remote1->SetPort(registry.ReadInteger(kSettingsSubkey, "Proxy Port", TZerka2Remote::DefaultPort));
  Zerka2Remote1->SetHost(registry.ReadString(kSettingsSubkey, "Proxy Host", "127.0.0.1"));
  Timer1->SetInterval(static_cast<std::uint32_t>(registry.ReadInteger(kSettingsSubkey, "Abfrageinterval", 1000)));
  Timer1->SetEnabled(registry.ReadBool(kSettingsSubkey, "Aktiviert", false));
  FBalloonInfo = registry.ReadBool(kSettingsSubkey, "Ballooninfo", true);
  httpBenutzername->SetText(registry.ReadString(kSettingsSubkey, "HTTP User", ""));
  httpPasswort->SetText(registry.ReadString(kSettingsSubkey, "HTTP Passwort", ""));
  registry.CloseKey();
  ShowTrayPicture(kPictureUnknown);
}

void TZerka2Remote2Config::FormShow(TComponent*) {
  Aktiviert->SetChecked(Timer1->Enabled());
  Abfrageinterval->SetValue(static_cast<std::int32_t>(std::min<std::uint32_t>(Timer1->Interval(), INT32_MAX)));
  ProxyPort->SetValue(Zerka2Remote1->Port());
  ProxyHost->SetText(Zerka2Remote1->Host());
  BalloonInfo->SetChecked(FBalloonInfo);
}

void TZerka2Remote2Config::BitBtn5Click(TComponent*) {
  Timer1->SetEnabled(false);
  TRegistry registry;
  registry.OpenKey(kSettingsKey, true);
  const std::int32_t port = ProxyPort->Value();
  registry.WriteInteger(kSettingsSubkey, "Proxy Port", port);
  Zerka2Remote1->SetPort(port);
  const std::string host = ProxyHost->Text();
  registry.WriteString(kSettingsSubkey, "Proxy Host", host);
  Zerka2Remote1->SetHost(host);
  const std::int32_t interval = Abfrageinterval->Value();
  registry.WriteInteger(kSettingsSubkey, "Abfrageinterval", interval);
  Timer1->SetInterval(static_cast<std::uint32_t>(interval));
  const bool active = Aktiviert->Checked();
  registry.WriteBool(kSettingsSubkey, "Aktiviert", active);
  Timer1->SetEnabled(active);
  const bool balloons = BalloonInfo->Checked();
  registry.WriteBool(kSettingsSubkey, "Ballooninfo", balloons);
  FBalloonInfo = balloons;
  registry.WriteString(kSettingsSubkey, "HTTP User", httpBenutzername->Text());
  registry.WriteString(kSettingsSubkey, "HTTP Passwort", httpPasswort->Text());
  registry.CloseKey();
  ShowTrayPicture(kPictureUnknown);
}

void TZerka2Remote2Config::BitBtn1Click(TComponent* Sender) {
  BitBtn5Click(Sender);
  Hide();
}

void TZerka2Remote2Config::BitBtn2Click(TComponent*) { Hide(); }

void TZerka2Remote2Config::BitBtn4Click(TComponent*) {
  Application->MessageBox(InformationText(), Application->Title(), TMsgButtons::OK);
}

void TZerka2Remote2Config::FormClose(TComponent*, TCloseAction& Action) {
  const TModalResult answer = Application->MessageBox(
      "Keine Überwachung des Proxy-Servers nach Beendigung des Programmes!"_l1, "Beenden", TMsgButtons::OKCancel);
  if (answer != TModalResult::OK) Action = TCloseAction::caNone;
}

void TZerka2Remote2Config::Einstellungen1Click(TComponent*) { Show(); }

void TZerka2Remote2Config::Ende1Click(TComponent*) {
  if (Application && Application->MainForm()) Application->MainForm()->Close();
}

void TZerka2Remote2Config::WMEndSession(TMessage&) { Timer1->SetEnabled(false); }

bool TZerka2Remote2Config::WndProc(TMessage& message) {
  if (message.Msg == msg::EndSession) {
    WMEndSession(message);
    return true;
  }
  return TCustomForm::WndProc(message);
}

// --- the polling cycle

void TZerka2Remote2Config::Timer1Timer(TComponent*) {
  StatusBar1->SetSimpleText(DateTimeText() + " Beginne Proxy-Abfrage");
  // While an exchange is still open (its message box runs this tick) read the cache.
  const std::int32_t connections = Zerka2Remote1->GetConnections(!Zerka2Remote1->StreamBusy());
  const std::int32_t secondsUntilHangup = Zerka2Remote1->GetSecondsUntilHangup(false);
  const std::int32_t onlineSeconds = Zerka2Remote1->GetOnlineSeconds(false);
  const std::string address = Zerka2Remote1->GetDialupAddress(false);
  if (!Timer1->Enabled()) return;
  if (Zerka2Remote1->DatagramBusy()) return;
  const std::uint8_t lineState = Zerka2Remote1->GetLineState();
  if (!Timer1->Enabled()) return;
  const std::uint8_t lockState = Zerka2Remote1->GetLockState();

  Internetverbindungen->SetText(std::to_string(connections));
  const std::string lineText = LineStateText(lineState);
  const std::string lockText = LockStateText(lockState);
  if (FBalloonInfo && (lineText != Status->Text() || lockText != DFUEGesperrt->Text())) {
    SysTrayIcon1->ShowBalloon(BalloonTitle(), BalloonText(lineText, lockText), bikInfo, 10);
  }
  Status->SetText(lineText);
  DFUEGesperrt->SetText(lockText);
  Zeitbisauflegen->SetText(FormatDuration(secondsUntilHangup));
  DFUEIP->SetText(address);
  Onlinezeit->SetText(FormatDuration(onlineSeconds));
  ShowTrayPicture(TrayPictureFor(lineState, lockState, address, secondsUntilHangup, MaxSecondsUntilHangup));
  StatusBar1->SetSimpleText(DateTimeText() + " Proxy-Anfrage abgeschlossen");
  SysTrayIcon1->SetHint(TrayTipText(Status->Text(), DFUEGesperrt->Text(), Zeitbisauflegen->Text(), DFUEIP->Text(),
                                    Onlinezeit->Text()));
  if (secondsUntilHangup > MaxSecondsUntilHangup) MaxSecondsUntilHangup = secondsUntilHangup;
}

// --- tray menu commands

void TZerka2Remote2Config::Zerka2beenden1Click(TComponent*) {
  if (Application->MessageBox(Confirmation(), "Beenden", TMsgButtons::OKCancel) == TModalResult::OK) {
    Zerka2Remote1->StopServer();
  }
}

void TZerka2Remote2Config::Zerka2neustarten1Click(TComponent*) {
  if (Application->MessageBox(Confirmation(), "Beenden", TMsgButtons::OKCancel) == TModalResult::OK) {
    Zerka2Remote1->RestartServer(httpBenutzername->Text(), httpPasswort->Text());
  }
}

void TZerka2Remote2Config::Zerka2Einstellungen1Click(TComponent*) {
  const std::int32_t port = Zerka2Remote1->GetAdminPort();
  OpenUrl(Handle(), "http://" + Zerka2Remote1->Host() + ":" + std::to_string(port) + "/zerka-admin/");
}

void TZerka2Remote2Config::IPindieZwischenablagekopieren1Click(TComponent*) { Clipboard().SetAsText(DFUEIP->Text()); }

void TZerka2Remote2Config::LogOut1Click(TComponent*) { Zerka2Remote1->Logout(); }

void TZerka2Remote2Config::Mailsabholen1Click(TComponent*) { Zerka2Remote1->FetchMail(); }

void TZerka2Remote2Config::Df1Click(TComponent*) { Zerka2Remote1->ToggleDialupLock(); }

void TZerka2Remote2Config::Zerka2Remote1Error(TComponent*, const std::string& Text) {
  Timer1->SetEnabled(false);
  Aktiviert->SetChecked(false);
  StatusBar1->SetSimpleText(Text);
  ShowTrayPicture(kPictureUnknown);
}

}  // namespace zerka
