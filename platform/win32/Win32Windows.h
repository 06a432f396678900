#pragma once
// The application window, forms and controls as Win32 windows.

#include "framework/Platform.h"

namespace zerka::win32 {

class TWin32Windows final : public IWindowPort {
 public:
  TWindowHandle CreateApplicationWindow(const std::string& title, TMessageHandler handler) override;
  TWindowHandle CreateFormWindow(const TFormDesc& desc, TMessageHandler handler) override;
  TWindowHandle CreateControl(TWindowHandle parent, const TControlDesc& desc, TMessageHandler handler) override;
  void DestroyWindow(TWindowHandle window) override;
  void SetText(TWindowHandle window, const std::string& text) override;
  std::string GetText(TWindowHandle window) override;
  void SetChecked(TWindowHandle window, bool checked) override;
  bool GetChecked(TWindowHandle window) override;
  void SetEnabled(TWindowHandle window, bool enabled) override;
  void SetFocus(TWindowHandle window) override;
  void SetLabelFor(TWindowHandle label, TWindowHandle field) override;
  bool ShowWindow(TWindowHandle window, TShowCommand command) override;
  bool IsWindowVisible(TWindowHandle window) override;
  bool IsIconic(TWindowHandle window) override;
  bool SetForegroundWindow(TWindowHandle window) override;
  TWindowHandle GetForegroundWindow() override;

  // The latest application window still alive; 0 when there is none.
  TWindowHandle ApplicationWindow() const;

 private:
  TWindowHandle applicationWindow_ = 0;
};

}  // namespace zerka::win32
