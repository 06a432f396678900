#pragma once

#include "base/Component.h"

namespace zerka {

// The base of every network client: while one exists, the socket layer runs.
class TNetComponent : public TComponent {
 public:
  explicit TNetComponent(TComponent* AOwner = nullptr);
  ~TNetComponent() override;
};

}  // namespace zerka
