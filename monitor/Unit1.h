#pragma once
// The monitor window: the settings and the last results, the polling cycle on Timer1, the
// tray icon with its menu commands, and the remote control of the server. It lives hidden
// for the whole run of the program; every way of closing it asks before the program ends.

#include <cstdint>
#include <string>

#include "framework/Controls.h"
#include "framework/Form.h"
#include "framework/Graphics.h"
#include "framework/Menus.h"
#include "framework/Timer.h"
#include "remote/Zerka2Remote.h"
#include "tray/SysTrayIcon.h"

namespace zerka {

class TZerka2Remote2Config : public TCustomForm {
 public:
  // Builds the window from its resource, then loads the settings (FormCreate).
  explicit TZerka2Remote2Config(TComponent* AOwner);
  ~TZerka2Remote2Config() override;

  TCheckBox* Aktiviert;
  TPanel* Panel1;
  TLabel* Label1;
  TEdit* ProxyHost;
  TLabel* Label2;
  TSpinEdit* ProxyPort;
  TLabel* Label3;
  TSpinEdit* Abfrageinterval;
  TLabel* Label10;
  TEdit* httpBenutzername;
  TLabel* Label11;
  TEdit* httpPasswort;
  TGroupBox* GroupBox1;
  TLabel* Label4;
  TEdit* Internetverbindungen;
  TLabel* Label5;
  TEdit* Status;
  TLabel* Label6;
  TEdit* DFUEGesperrt;
  TLabel* Label7;
  TEdit* Zeitbisauflegen;
  TLabel* Label8;
  TEdit* DFUEIP;
  TLabel* Label9;
  TEdit* Onlinezeit;
  TBitBtn* BitBtn1;
  TBitBtn* BitBtn2;
  TBitBtn* BitBtn3;
  TBitBtn* BitBtn4;
  TBitBtn* BitBtn5;
  TCheckBox* BalloonInfo;
  TStatusBar* StatusBar1;

  TImageList* ImageList1;
  TImageList* ImageList2;
  TPopupMenu* PopupMenu1;
  TMenuItem* Einstellungen1;
  TMenuItem* N4;
  TMenuItem* Zerka2beenden1;
  TMenuItem* Zerka2neustarten1;
  TMenuItem* Zerka2Einstellungen1;
  TMenuItem* N3;
  TMenuItem* IPindieZwischenablagekopieren1;
  TMenuItem* N1;
  TMenuItem* LogOut1;
  TMenuItem* Mailsabholen1;
  TMenuItem* Df1;
  TMenuItem* N2;
  TMenuItem* Ende1;
  TTimer* Timer1;
  TZerka2Remote* Zerka2Remote1;
  TSysTrayIcon* SysTrayIcon1;

  // Lifecycle and settings.
  void FormCreate(TComponent* Sender);
  void FormShow(TComponent* Sender);
  void FormClose(TComponent* Sender, TCloseAction& Action);
  void BitBtn1Click(TComponent* Sender);
  void BitBtn2Click(TComponent* Sender);
  void BitBtn4Click(TComponent* Sender);
  void BitBtn5Click(TComponent* Sender);
  void Einstellungen1Click(TComponent* Sender);
  void Ende1Click(TComponent* Sender);
  void WMEndSession(TMessage& Message);

  // The polling cycle.
  void Timer1Timer(TComponent* Sender);

  // Tray menu commands and the remote control's failures.
  void Zerka2beenden1Click(TComponent* Sender);
  void Zerka2neustarten1Click(TComponent* Sender);
  void Zerka2Einstellungen1Click(TComponent* Sender);
  void IPindieZwischenablagekopieren1Click(TComponent* Sender);
  void LogOut1Click(TComponent* Sender);
  void Mailsabholen1Click(TComponent* Sender);
  void Df1Click(TComponent* Sender);
  void Zerka2Remote1Error(TComponent* Sender, const std::string& Text);

  bool FBalloonInfo = false;
  std::int32_t MaxSecondsUntilHangup = 0;

 protected:
  bool WndProc(TMessage& message) override;

 private:
  void CreateComponents();
  template <class T>
  T* Control(const std::string& name) const;
  TMenuItem* MenuItem(const std::string& name) const;
  // Copies picture `index` of ImageList1 into the tray icon and hands it to the shell.
  void ShowTrayPicture(int index);
};

// The tray picture for the states a cycle found; maxBefore is the largest countdown seen
// before this cycle (MaxSecondsUntilHangup never falls below 0).
int TrayPictureFor(std::uint8_t lineState, std::uint8_t lockState, const std::string& address,
                   std::int32_t secondsUntilHangup, std::int32_t maxBefore);

// The program's title: the caption of its message boxes.
std::string ProgramTitle();

// The information box's text.
std::string InformationText();

// The status line's time stamp: the short date, a blank, the long time, as the user writes
// them.
std::string DateTimeText();

}  // namespace zerka
