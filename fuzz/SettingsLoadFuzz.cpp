// The monitor window reading its seven settings from the store: values of any registry type
// and any bytes, missing values and values the store refuses to hand out. Whatever was read,
// the window shows it, applies it, and a new window reads back exactly what was applied.
//
// Input: for each value in load order a control byte (low three bits: 0 missing, 1 string,
// 2 expandable string, 3 binary, 4 32-bit number, 5 multi-string, 6 no type, 7 a string the
// store refuses to hand out), a length byte and the value's bytes.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/MemoryStack.h"
#include "monitor/Unit1.h"
#include "platform/headless/HeadlessPlatform.h"

using namespace zerka;
using namespace zerka::fuzz;

namespace {

const std::string SettingsPath = "Software\\Velmarin\\Zerka 2 Remote 2";
const char* const ValueNames[] = {"Proxy Port", "Proxy Host", "Abfrageinterval", "Aktiviert",
                                  "Ballooninfo", "HTTP User", "HTTP Passwort"};

constexpr TValueType StoredTypes[] = {TValueType::None,   TValueType::String, TValueType::ExpandString,
                                      TValueType::Binary, TValueType::DWord,  TValueType::MultiString,
                                      TValueType::None,   TValueType::String};

// What Apply takes from the window.
struct TApplied {
  std::int32_t Port;
  std::string Host;
  std::int32_t Interval;
  bool Active;
  bool Balloons;
  std::string User;
  std::string Password;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzInput input(data, size);
  headless::THeadlessPlatform platform;
  TMemoryPeer peer;
  TMemoryStackInstalled stack(peer);
  for (const char* name : ValueNames) {
    const std::uint8_t control = input.Byte() & 7;
    const std::string bytes = input.Bytes(input.Byte());
    if (control == 0) continue;
    platform.Store.Put(SettingsPath, name, StoredTypes[control], std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    if (control == 7) platform.Store.FailingReads.insert(name);
  }

  TApplication application;
  application.ShowMainForm = false;
  auto* form = new TZerka2Remote2Config(&application);
  form->FormShow(form);
  platform.Store.FailingReads.clear();
  form->BitBtn5Click(form);
  const TApplied applied{form->ProxyPort->Value(),        form->ProxyHost->Text(),
                         form->Abfrageinterval->Value(),  form->Aktiviert->Checked(),
                         form->BalloonInfo->Checked(),    form->httpBenutzername->Text(),
                         form->httpPasswort->Text()};
  Expect(form->Zerka2Remote1->Port() == applied.Port && form->Zerka2Remote1->Host() == applied.Host,
         "Apply hands host and port to the remote control");
  delete form;

  for (const char* name : ValueNames) {
    const auto stored = platform.Store.Get(SettingsPath, name);
    Expect(stored && stored->Type == TValueType::String, "Apply stores every value as a string");
  }
  auto* reread = new TZerka2Remote2Config(&application);
  Expect(reread->Zerka2Remote1->Port() == applied.Port, "the port reads back as applied");
  Expect(reread->Zerka2Remote1->Host() == applied.Host, "the host reads back as applied");
  Expect(reread->Timer1->Interval() == static_cast<std::uint32_t>(applied.Interval), "the interval reads back");
  Expect(reread->Timer1->Enabled() == applied.Active, "polling on or off reads back");
  Expect(reread->FBalloonInfo == applied.Balloons, "the balloon flag reads back");
  Expect(reread->httpBenutzername->Text() == applied.User, "the user name reads back");
  Expect(reread->httpPasswort->Text() == applied.Password, "the password reads back");
  Expect(platform.Modal.MessageBoxes.size() <= 1, "only the first load can fail");
  delete reread;
  return 0;
}
