#pragma once
// A remote-control client aimed at a simulated server on loopback, recording its reports.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "remote/Zerka2Remote.h"
#include "sim/SimServer.h"

namespace zerka {

class RemoteAgainstSim : public ::testing::Test {
 protected:
  RemoteAgainstSim() : sim(Options()) {
    remote.SetHost("127.0.0.1");
    remote.SetPort(sim.RemotePort());
    remote.SetOnError([this](TComponent* Sender, const std::string& Text) {
      EXPECT_EQ(Sender, &remote);
      errors.push_back(Text);
    });
  }

  sim::ServerOptions Options() {
    sim::ServerOptions options;
    options.clock = clock;
    return options;
  }

  std::shared_ptr<sim::ManualClock> clock = std::make_shared<sim::ManualClock>();
  sim::SimServer sim;
  TZerka2Remote remote;
  std::vector<std::string> errors;
};

}  // namespace zerka
