#pragma once
// One running program per user session on Windows. The running program holds a mutex in the
// session's own namespace, named with the user's SID (two users in one session, as with
// "run as", keep apart), and a message-only window of a known class whose title is that same
// name. A later start finds the window and posts it a registered message.

#include <string>

#include "framework/SingleInstance.h"

namespace zerka::win32 {

class TWin32Instance : public IInstancePort {
 public:
  TWin32Instance();
  ~TWin32Instance() override;
  TWin32Instance(const TWin32Instance&) = delete;
  TWin32Instance& operator=(const TWin32Instance&) = delete;

  bool Claim(TInstanceRequestHandler handler) override;
  bool Request(TInstanceRequest request) override;

  // The registered message a request travels as (WParam: 0 show, 1 quit).
  static unsigned RequestMessage();

 private:
  std::string name_;
  void* mutex_ = nullptr;
  void* window_ = nullptr;
  TInstanceRequestHandler handler_;
};

}  // namespace zerka::win32
