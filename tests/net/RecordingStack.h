#pragma once
// A stack that passes every call to the platform's own and can fail the readiness wait on
// request: the one platform failure a test cannot provoke with real sockets.

#include <memory>
#include <vector>

#include "net/NetStack.h"

namespace zerka {

class TRecordingStack final : public TNetStack {
 public:
  struct Shared {
    std::vector<TNetWaitLimit> waits;  // the limit of every readiness wait, {-1,-1} for none
    bool failWaits = false;
    int failNextWaits = 0;  // fails this many waits, then waits for real
    int starts = 0;
  };

  explicit TRecordingStack(std::shared_ptr<Shared> shared)
      : real_(CreatePlatformStack()), shared_(std::move(shared)) {
    ++shared_->starts;
  }

  TNetSocket CreateSocket(TNetSocketKind kind) override { return real_->CreateSocket(kind); }
  int CloseSocket(TNetSocket s) override { return real_->CloseSocket(s); }
  int ShutdownSend(TNetSocket s) override { return real_->ShutdownSend(s); }
  int Bind(TNetSocket s, const TNetIPv4Endpoint& local) override { return real_->Bind(s, local); }
  int Connect(TNetSocket s, const TNetIPv4Endpoint& remote, std::int32_t timeoutMs) override {
    return real_->Connect(s, remote, timeoutMs);
  }
  int Send(TNetSocket s, const void* data, int count) override {
    return real_->Send(s, data, count);
  }
  int Receive(TNetSocket s, void* buffer, int size) override {
    return real_->Receive(s, buffer, size);
  }
  int SendTo(TNetSocket s, const void* data, int count, const TNetIPv4Endpoint& to) override {
    return real_->SendTo(s, data, count, to);
  }
  int ReceiveFrom(TNetSocket s, void* buffer, int size, TNetIPv4Endpoint& from) override {
    return real_->ReceiveFrom(s, buffer, size, from);
  }
  int SelectReadable(TNetSocket s, const TNetWaitLimit* limit) override {
    shared_->waits.push_back(limit ? *limit : TNetWaitLimit{-1, -1});
    if (shared_->failWaits) return -1;
    if (shared_->failNextWaits > 0) {
      --shared_->failNextWaits;
      return -1;
    }
    return real_->SelectReadable(s, limit);
  }
  int SetOption(TNetSocket s, int level, int option, std::int32_t value) override {
    return real_->SetOption(s, level, option, value);
  }
  int LocalEndpoint(TNetSocket s, TNetIPv4Endpoint& local) override {
    return real_->LocalEndpoint(s, local);
  }
  int PeerEndpoint(TNetSocket s, TNetIPv4Endpoint& peer) override {
    return real_->PeerEndpoint(s, peer);
  }
  bool LookupHost(const std::string& name, std::array<std::uint8_t, 4>& address) override {
    return real_->LookupHost(name, address);
  }
  std::int32_t LastError() override { return real_->LastError(); }
  void CancelBlockingCall() override { real_->CancelBlockingCall(); }

 private:
  std::unique_ptr<TNetStack> real_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace zerka
