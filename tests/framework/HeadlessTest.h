#pragma once
// A fixture with the headless platform and an application on it, for framework and tray tests.

#include <gtest/gtest.h>

#include <memory>

#include "framework/Application.h"
#include "framework/IconImage.h"
#include "platform/headless/HeadlessPlatform.h"

namespace zerka::testing {

class HeadlessTest : public ::testing::Test {
 protected:
  HeadlessTest() : app(std::make_unique<TApplication>()) { app->SetTitle("Zerka Test"); }

  headless::THeadlessPlatform platform;
  std::unique_ptr<TApplication> app;
};

// A picture filled with one colour, so pictures can be told apart.
inline TIconImagePtr SolidImage(std::uint32_t color) {
  auto image = std::make_shared<TIconImage>();
  image->Colors.fill(color);
  return image;
}

}  // namespace zerka::testing
