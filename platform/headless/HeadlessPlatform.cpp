#include "platform/headless/HeadlessPlatform.h"

namespace zerka::headless {

THeadlessPlatform::THeadlessPlatform() : previous_(SetPlatform(this)) {}

THeadlessPlatform::~THeadlessPlatform() { SetPlatform(previous_); }

}  // namespace zerka::headless
